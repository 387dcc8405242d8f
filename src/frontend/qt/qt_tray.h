// One notification-area icon on the Linux desktops: an XEmbed tray icon, or a
// StatusNotifierItem where a host for those is registered. It is shown as soon as a tray of
// either kind exists: when none does, the icon waits (one line on standard error says so) and
// appears when a tray does, a bar or panel started after the program included.
//
// The menu: on an XEmbed tray the right press arrives as a Context activation, and the
// program shows its own popup. A StatusNotifierItem host shows the menu that the item exports
// instead, so there the item exports one, and `fillMenu` fills it again whenever the entries
// change, at the latest when the host is about to show it. Only one of the two ever shows for
// one press.
#pragma once

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>
#include <QTimer>
#include <functional>
#include <memory>

namespace brindlecot::qt {

class QtTray : public QObject {
    Q_OBJECT

  public:
    enum class Host { None, XEmbed, StatusNotifier };
    // The activation, and whether the icon is a StatusNotifierItem (no double click there).
    using Activated = std::function<void(QSystemTrayIcon::ActivationReason, bool statusNotifier)>;
    using FillMenu = std::function<void(QMenu& menu)>;
    using Chosen = std::function<void(const QAction& action)>;

    // How the tray looks at the desktop: which tray there is now, and whether a
    // StatusNotifierItem host could still come (a session bus is there). The desktop's own
    // by default; tests give their own.
    struct Probe {
        std::function<Host()> findHost;
        std::function<bool()> statusNotifierPossible;
        int settleMs = 1000;
    };
    static Probe DesktopProbe();

    QtTray(const QIcon& icon, const QString& tip, Activated activated, FillMenu fillMenu,
           Chosen chosen, Probe probe = DesktopProbe());
    ~QtTray() override;
    QtTray(const QtTray&) = delete;
    QtTray& operator=(const QtTray&) = delete;

    void SetIcon(const QIcon& icon);
    void SetToolTip(const QString& tip);

    // Nullptr while the icon waits for a tray.
    QSystemTrayIcon* Icon() const { return m_icon.get(); }
    bool StatusNotifier() const { return m_host == Host::StatusNotifier; }
    bool Shown() const { return m_host != Host::None; }
    QMenu& ExportedMenu() { return m_menu; }

    // The entries changed: the exported menu is filled again once the event being handled is
    // over (several requests, one fill), or when a host asks for it before that. A host that
    // finds the exported menu empty shows a menu of its own instead, so it is kept filled
    // between presses too. A host's request with no change since the last fill leaves the
    // menu as it is.
    void RefreshMenuSoon();

    // Which tray the desktop offers now: a registered StatusNotifierItem host first, as Qt
    // prefers it, then an XEmbed tray manager.
    static Host FindHost();

  public slots:
    // Looks for a tray again (a watcher, host or tray manager came up) and shows the icon if
    // it waits for one.
    void TrayMayHaveAppeared();

  private:
    class XEmbedWatcher;
    void MakeIcon();
    void ShowOn(Host host);
    void Refill();

    Probe m_probe;
    QIcon m_iconImage;
    QString m_tip;
    Activated m_activated;
    FillMenu m_fillMenu;
    Chosen m_chosen;
    QMenu m_menu;  // the exported menu, StatusNotifierItem hosts only
    std::unique_ptr<QSystemTrayIcon> m_icon;
    Host m_host = Host::None;
    bool m_refillPending = false;
    bool m_menuStale = true;  // the entries changed since the menu was last filled
    std::unique_ptr<XEmbedWatcher> m_xembedWatcher;
    // Runs while an XEmbed tray that has just appeared gives a StatusNotifierItem host the
    // chance to register too (Probe::settleMs).
    QTimer m_settle;
};

}  // namespace brindlecot::qt
