// A dialog window on Qt, built from one of the shared templates, that delivers its events to
// the core's dialog as the Win32 messages the core expects.
#pragma once

#include <QDialog>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "resources/dialog_layout.h"

class QLabel;

namespace brindlecot::qt {

class QtPlatform;

// Dialog units to pixels with the dialog font's metrics, as the Win32 dialog manager does it.
struct DialogBaseUnits {
    int cx = 0;  // average character width
    int cy = 0;  // character height
    static DialogBaseUnits Of(const QFont& font);
    QRect ToPixels(int x, int y, int cx, int cy) const;
};

class QtDialogWindow : public QDialog, public platform::IDialogWindow {
    Q_OBJECT

  public:
    QtDialogWindow(QtPlatform& platform, const resources::DialogTemplate& dialogTemplate,
                   platform::WindowHandle handle, platform::IDialogHandler& handler,
                   QWidget* parent);
    ~QtDialogWindow() override;

    // Delivers a message to the core's dialog now, and returns its result. A message the core
    // leaves unhandled gets this window's default processing.
    win::LRESULT Send(win::UINT message, win::WPARAM wParam = 0, win::LPARAM lParam = 0);
    // Delivers a message once the event being handled is over, as a posted message is.
    void Post(win::UINT message, win::WPARAM wParam, win::LPARAM lParam);

    int TemplateId() const { return m_templateId; }
    QWidget* Control(int controlId) const;  // nullptr when there is no such control
    bool Ended() const { return m_ended; }
    // Whether the window was hidden and shown again to come to the front since the last
    // call: that ends a dialog's modal loop, which is then entered again.
    bool TakeRemapped() { return std::exchange(m_remapped, false); }
    bool FirstFrameDrawn() const { return m_firstFrameDrawn; }
    int Result() const { return m_result; }
    void FocusFirstTabStop();
    void CentreOnScreen();

    // IDialogWindow
    platform::WindowHandle Handle() const override { return m_handle; }
    platform::IListView* ListView(int controlId) override;
    std::string ControlText(int controlId) const override;
    void SetControlText(int controlId, const std::string& text) override;
    bool GivesBackExactly(int controlId, const std::string& text) const override;
    void ComboAddString(int controlId, const std::string& text) override;
    void ComboSetCurSel(int controlId, int index) override;
    void SetCaption(const std::string& text) override;
    void SetIcon(int iconKind, platform::IconHandle icon) override;
    bool AppendSystemMenu(unsigned flags, unsigned id, const std::string& text) override;
    void ShowWindow(int showCommand) override;
    void SetWindowPos(platform::WindowHandle insertAfter, int x, int y, int cx, int cy,
                      unsigned flags) override;
    void SetForegroundWindow() override;
    void EndDialog(int result) override;
    std::unique_ptr<platform::IPopupMenu> CreatePopupMenu() override;
    bool IsIconic() const override { return isMinimized(); }
    platform::Size GetClientSize() const override { return {width(), height()}; }
    void PaintIconic(platform::IconHandle icon, int x, int y) override;

  protected:
    void accept() override;
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    // The window menu the program extended: the desktop's own window menu cannot be extended
    // on X11 or Wayland, so these items end the window's context menu there.
    struct MenuItem {
        unsigned flags;
        unsigned id;
        std::string text;
    };
    void Build(const resources::DialogTemplate& dialogTemplate);
    QWidget* CreateControl(const resources::ControlTemplate& control);
    static bool IsField(resources::ControlKind kind);
    // A static text that stands right before a field in the template is the field's label.
    static void NameByLabel(QWidget& field, QLabel& label);
    void SendCommand(unsigned id);
    // The first frame is on screen, or will not be for a while (the window was minimised
    // first): the platform hears of it once.
    void EndFirstFrame();
    std::string FieldBytes(int controlId, const QString& now) const;
    // What the window does with a message the core did not handle: the window commands of
    // WM_SYSCOMMAND; nothing for the others.
    void DefaultProcessing(win::UINT message, win::WPARAM wParam);

    QtPlatform& m_platform;
    platform::IDialogHandler& m_handler;
    platform::WindowHandle m_handle;
    int m_templateId;
    DialogBaseUnits m_units;
    std::map<int, QWidget*> m_controls;  // owned by this widget as their Qt parent
    std::vector<MenuItem> m_systemMenu;
    struct ShownBytes {
        std::string bytes;  // what the core put into a field, when not UTF-8
        QString shown;      // the text shown for them
    };
    std::map<int, ShownBytes> m_fieldBytes;
    // Each combo box's list, by id: an item's bytes, those that are not UTF-8 included, which
    // the text shown for them does not give back.
    std::map<int, std::vector<std::string>> m_comboItems;
    bool m_ended = false;
    bool m_remapped = false;
    int m_result = 0;
    bool m_firstFrameDrawn = false;
};

}  // namespace brindlecot::qt
