#include "frontend/qt/qt_tray.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>

#ifdef BRINDLECOT_HAVE_QTDBUS
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#endif

#include "frontend/qt/x11.h"

namespace brindlecot::qt {

namespace {

#ifdef BRINDLECOT_HAVE_QTDBUS
const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
#endif

#ifdef BRINDLECOT_HAVE_XCB
// The tray manager's selection is per screen: "_NET_SYSTEM_TRAY_S" and the screen number of
// the display name (":0.1" is screen 1).
QByteArray TraySelectionName() {
    const QByteArray display = qgetenv("DISPLAY");
    const qsizetype colon = display.lastIndexOf(':');
    const qsizetype dot = display.indexOf('.', colon < 0 ? 0 : colon);
    const QByteArray screen = dot < 0 ? QByteArray("0") : display.mid(dot + 1);
    return "_NET_SYSTEM_TRAY_S" + screen;
}

bool XEmbedTrayExists() {
    xcb_connection_t* c = x11::Connection();
    if (!c)
        return false;
    const xcb_atom_t selection = x11::Atom(c, TraySelectionName().constData());
    if (selection == XCB_ATOM_NONE)
        return false;
    return x11::SelectionOwner(c, selection) != XCB_NONE;
}
#endif

bool StatusNotifierPossible() {
#ifdef BRINDLECOT_HAVE_QTDBUS
    return QDBusConnection::sessionBus().isConnected();
#else
    return false;
#endif
}

}  // namespace

// A tray manager that starts announces itself to every client with a "MANAGER" client message
// on the root window; Qt already listens to the root window's structure events.
class QtTray::XEmbedWatcher : public QAbstractNativeEventFilter {
  public:
    explicit XEmbedWatcher(QtTray& tray) : m_tray(tray) {
#ifdef BRINDLECOT_HAVE_XCB
        if (xcb_connection_t* c = x11::Connection()) {
            m_manager = x11::Atom(c, "MANAGER");
            m_selection = x11::Atom(c, TraySelectionName().constData());
            QCoreApplication::instance()->installNativeEventFilter(this);
        }
#endif
    }
    ~XEmbedWatcher() override {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(this);
    }
    XEmbedWatcher(const XEmbedWatcher&) = delete;
    XEmbedWatcher& operator=(const XEmbedWatcher&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
#ifdef BRINDLECOT_HAVE_XCB
        if (eventType != "xcb_generic_event_t" || m_manager == XCB_ATOM_NONE)
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7F) != XCB_CLIENT_MESSAGE)
            return false;
        const auto* cm = static_cast<const xcb_client_message_event_t*>(message);
        if (cm->type == m_manager && cm->format == 32 && cm->data.data32[1] == m_selection) {
            // Not from inside the event filter: the icon is made once this event is over.
            QMetaObject::invokeMethod(&m_tray, &QtTray::TrayMayHaveAppeared, Qt::QueuedConnection);
        }
#else
        (void)eventType;
        (void)message;
#endif
        return false;
    }

  private:
    QtTray& m_tray;
#ifdef BRINDLECOT_HAVE_XCB
    xcb_atom_t m_manager = XCB_ATOM_NONE;
    xcb_atom_t m_selection = XCB_ATOM_NONE;
#endif
};

QtTray::Probe QtTray::DesktopProbe() {
    return Probe{&QtTray::FindHost, &StatusNotifierPossible, 1000};
}

QtTray::QtTray(const QIcon& icon, const QString& tip, Activated activated, FillMenu fillMenu,
               Chosen chosen, Probe probe)
    : m_probe(std::move(probe)),
      m_iconImage(icon),
      m_tip(tip),
      m_activated(std::move(activated)),
      m_fillMenu(std::move(fillMenu)),
      m_chosen(std::move(chosen)) {
    // A host asks before every showing; the menu is filled again only if the entries changed
    // since it was last filled (a change makes it stale at once, the fill may wait).
    connect(&m_menu, &QMenu::aboutToShow, this, [this] {
        if (m_menuStale)
            Refill();
    });
    connect(&m_menu, &QMenu::triggered, this, [this](QAction* action) {
        if (action)
            m_chosen(*action);
    });
    m_settle.setSingleShot(true);
    m_settle.setInterval(m_probe.settleMs);
    connect(&m_settle, &QTimer::timeout, this, [this] {
        if (m_host == Host::None)
            ShowOn(m_probe.findHost());
    });
    const Host host = m_probe.findHost();
    if (host != Host::None) {
        ShowOn(host);
        return;
    }

    // Nothing can show the icon yet. Qt decides once per process, when the first icon is
    // made, between a StatusNotifierItem and an XEmbed icon, so none is made until a tray is
    // there: made now, it would never reach a StatusNotifierItem host that starts later. The
    // offscreen platform has no tray to wait for; its icon is made at once.
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        MakeIcon();
    const QByteArray name =
        QFileInfo(QCoreApplication::applicationFilePath()).fileName().toLocal8Bit();
    std::fprintf(stderr,
                 "%s: no system tray was found; the tray menu is unavailable until one "
                 "appears\n",
                 name.constData());
    std::fflush(stderr);
#ifdef BRINDLECOT_HAVE_QTDBUS
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        auto* watcher = new QDBusServiceWatcher(kWatcherService, bus,
                                                QDBusServiceWatcher::WatchForRegistration, this);
        connect(watcher, &QDBusServiceWatcher::serviceRegistered, this,
                &QtTray::TrayMayHaveAppeared);
        bus.connect(QString(), kWatcherPath, kWatcherService,
                    QStringLiteral("StatusNotifierHostRegistered"), this,
                    SLOT(TrayMayHaveAppeared()));
    }
#endif
    m_xembedWatcher = std::make_unique<XEmbedWatcher>(*this);
}

QtTray::~QtTray() {
    m_xembedWatcher.reset();
    if (m_icon)
        m_icon->setContextMenu(nullptr);
}

void QtTray::MakeIcon() {
    if (m_icon)
        m_icon->setContextMenu(nullptr);
    m_icon = std::make_unique<QSystemTrayIcon>(m_iconImage);
    m_icon->setToolTip(m_tip);
    connect(m_icon.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                m_activated(reason, StatusNotifier());
            });
}

void QtTray::SetIcon(const QIcon& icon) {
    m_iconImage = icon;
    if (m_icon)
        m_icon->setIcon(icon);
}

void QtTray::SetToolTip(const QString& tip) {
    m_tip = tip;
    if (m_icon)
        m_icon->setToolTip(tip);
}

QtTray::Host QtTray::FindHost() {
#ifdef BRINDLECOT_HAVE_QTDBUS
    // The same question Qt asks before it makes a StatusNotifierItem: is a host registered
    // with the watcher? One round trip; without a watcher the bus answers at once.
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        QDBusMessage get = QDBusMessage::createMethodCall(
            kWatcherService, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("Get"));
        get << kWatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
        const QDBusMessage reply = bus.call(get, QDBus::Block, 2000);
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
            reply.arguments().front().value<QDBusVariant>().variant().toBool()) {
            return Host::StatusNotifier;
        }
    }
#endif
#ifdef BRINDLECOT_HAVE_XCB
    if (XEmbedTrayExists())
        return Host::XEmbed;
#endif
    return Host::None;
}

void QtTray::TrayMayHaveAppeared() {
    if (m_host != Host::None)
        return;  // once shown, Qt follows a restarted tray or watcher itself
    const Host host = m_probe.findHost();
    if (host == Host::StatusNotifier) {
        m_settle.stop();
        ShowOn(host);
    } else if (host == Host::XEmbed && !m_probe.statusNotifierPossible()) {
        ShowOn(host);  // no session bus: no StatusNotifierItem host can come
    } else if (host == Host::XEmbed && !m_settle.isActive()) {
        // A panel that offers both kinds of tray (xfce4-panel, lxqt-panel) takes the XEmbed
        // selection and registers its StatusNotifierItem host at nearly the same moment, in
        // either order. Qt settles the kind of icon once per process, at the first icon:
        // made now, the icon would be an XEmbed one or not by chance. So the host is given a
        // moment to register first (its signal ends the wait), and the XEmbed tray is used
        // only if none does.
        m_settle.start();
    }
}

void QtTray::ShowOn(Host host) {
    if (host == Host::None || m_host != Host::None)
        return;
    MakeIcon();
    m_host = host;
    if (m_host == Host::StatusNotifier)
        m_icon->setContextMenu(&m_menu);
    m_icon->show();
    m_xembedWatcher.reset();
    RefreshMenuSoon();
}

void QtTray::RefreshMenuSoon() {
    m_menuStale = true;
    if (!StatusNotifier() || m_refillPending)
        return;
    m_refillPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_refillPending = false;
            if (m_menuStale)
                Refill();
        },
        Qt::QueuedConnection);
}

void QtTray::Refill() {
    m_menuStale = false;
    m_fillMenu(m_menu);
}

}  // namespace brindlecot::qt
