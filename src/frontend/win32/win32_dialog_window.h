// A dialog of the shared templates on Win32: the dialog manager's window and controls, with the
// core's handler behind its dialog procedure.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "frontend/win32/win32_headers.h"
#include "frontend/win32/win32_list_view.h"
#include "platform/platform.h"

namespace brindlecot::win32 {

class Win32Platform;

// A popup menu that destroys its menu on every path.
class Win32PopupMenu : public platform::IPopupMenu {
  public:
    explicit Win32PopupMenu(HMENU menu) : m_menu(menu) {}
    ~Win32PopupMenu() override { ::DestroyMenu(m_menu); }
    Win32PopupMenu(const Win32PopupMenu&) = delete;
    Win32PopupMenu& operator=(const Win32PopupMenu&) = delete;

    HMENU Handle() const { return m_menu; }
    void InsertItem(unsigned position, unsigned flags, unsigned id,
                    const std::string& text) override;
    void TrackPopupMenu(unsigned flags, int x, int y, platform::WindowHandle owner) override;

  private:
    HMENU m_menu;
};

class Win32DialogWindow : public platform::IDialogWindow {
  public:
    Win32DialogWindow(Win32Platform& platform, int templateId, platform::IDialogHandler& handler)
        : m_platform(platform), m_templateId(templateId), m_handler(handler) {}

    // The dialog procedure; WM_INITDIALOG's lParam is the Win32DialogWindow.
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND Hwnd() const { return m_hwnd; }
    int TemplateId() const { return m_templateId; }

    platform::WindowHandle Handle() const override;
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
    bool IsIconic() const override;
    platform::Size GetClientSize() const override;
    void PaintIconic(platform::IconHandle icon, int x, int y) override;

  private:
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    // Puts the program's icon into the template's icon controls, which are created without.
    void ShowIcons();
    // Hands a message to the core; false when the platform's default processing is to run.
    bool Forward(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // A control of the template, looked up once: the controls live as long as the dialog, and
    // under Wine every GetDlgItem is a round trip to the Wine server, several per loaded entry.
    HWND Item(int controlId) const;
    std::string ItemText(int controlId, int index) const;  // "" for no such item
    // Whether the control gives back any printable-ASCII text it is given.
    bool KeepsPlainText(int controlId) const;
    // SendDlgItemMessageA through that handle: 0 when there is no such control.
    LRESULT SendToItem(int controlId, UINT message, WPARAM wParam, LPARAM lParam) const;

    Win32Platform& m_platform;
    int m_templateId;
    platform::IDialogHandler& m_handler;
    HWND m_hwnd = nullptr;
    bool m_attached = false;
    std::map<int, std::unique_ptr<Win32ListView>> m_listViews;
    mutable std::map<int, HWND> m_items;
    mutable std::map<int, bool> m_keepsPlainText;  // by control, once asked
};

// Centres a window over its owner when the owner is on screen, else in the work area of the
// window's monitor, as the application framework does for dialogs it shows.
void CentreWindow(HWND hwnd);

}  // namespace brindlecot::win32
