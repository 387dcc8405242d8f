// The notification-area icon: shown while the main window initialises, removed when it is
// destroyed, and what the user does with it: the restore, the menu, a chosen item.
#include "app/brindlecot_dlg.h"
#include "resources/resource.h"
#include "resources/strings.h"

namespace brindlecot {

void CBrindlecotDlg::AddTrayIcon() {
    platform::TrayIcon icon;
    icon.window = Wnd().Handle();
    icon.id = TRAY_ICON_ID;
    icon.image = Platform().LoadIconResource(IDR_MAINFRAME);
    icon.tip = std::string(resources::kTrayTip);
    Platform().ShowTrayIcon(icon, *this);
}

// The tray menu lists the table's titles: a desktop that keeps its own copy of the menu is
// given the new items whenever the table's rows change on screen.
void CBrindlecotDlg::OnListRowsShown() {
    if (HasWindow())
        Platform().TrayMenuChanged(Wnd().Handle(), TRAY_ICON_ID);
}

void CBrindlecotDlg::RemoveTrayIcon() {
    Platform().RemoveTrayIcon(Wnd().Handle(), TRAY_ICON_ID);
}

// The presses themselves, as the icon's callback message brings them (Win32): the one place
// that decides what a press means.
win::LRESULT CBrindlecotDlg::OnTrayNotify(win::WPARAM wParam, win::LPARAM lParam) {
    const platform::Point point = Platform().GetCursorPos();
    if (wParam == TRAY_ICON_ID) {
        if (lParam == win::kWmLButtonDblClk)
            OnTrayRestore();
        else if (lParam == win::kWmRButtonDown)
            OnTrayMenuAt(point);
    }
    return 1;
}

void CBrindlecotDlg::OnTrayRestore() {
    if (!HasWindow())
        return;
    Wnd().ShowWindow(win::kSwRestore);
    Wnd().SetWindowPos(0, 0, 0, 0, 0, win::kSwpNoSize | win::kSwpNoMove | win::kSwpShowWindow);
    Wnd().SetForegroundWindow();
}

void CBrindlecotDlg::OnTrayMenuAt(platform::Point point) {
    if (HasWindow())
        ShowTrayMenu(point);
}

}  // namespace brindlecot
