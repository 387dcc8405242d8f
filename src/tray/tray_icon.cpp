// The notification-area icon: added while the main window initialises, removed when it is
// destroyed, and its callback message dispatched to the restore and the tray menu.
#include <algorithm>

#include "app/brindlecot_dlg.h"
#include "resources/resource.h"
#include "resources/strings.h"

namespace brindlecot {

platform::NotifyIconData CBrindlecotDlg::TrayIconRecord() {
    platform::NotifyIconData data;
    data.hWnd = Wnd().Handle();
    data.uID = TRAY_ICON_ID;
    data.uFlags = win::kNifMessage | win::kNifIcon | win::kNifTip;
    data.uCallbackMessage = WM_TRAYNOTIFY;
    data.hIcon = Platform().LoadIconResource(IDR_MAINFRAME);
    const std::string_view tip = resources::kTrayTip;
    std::copy_n(tip.begin(), std::min(tip.size(), data.szTip.size() - 1), data.szTip.begin());
    return data;
}

void CBrindlecotDlg::AddTrayIcon() {
    Platform().ShellNotifyIcon(win::kNimAdd, TrayIconRecord());
}

void CBrindlecotDlg::RemoveTrayIcon() {
    Platform().ShellNotifyIcon(win::kNimDelete, TrayIconRecord());
}

win::LRESULT CBrindlecotDlg::OnTrayNotify(win::WPARAM wParam, win::LPARAM lParam) {
    const platform::Point point = Platform().GetCursorPos();
    if (wParam == TRAY_ICON_ID) {
        if (lParam == win::kWmLButtonDblClk) {
            Wnd().ShowWindow(win::kSwRestore);
            Wnd().SetWindowPos(0, 0, 0, 0, 0,
                               win::kSwpNoSize | win::kSwpNoMove | win::kSwpShowWindow);
            Wnd().SetForegroundWindow();
        } else if (lParam == win::kWmRButtonDown) {
            ShowTrayMenu(point);
        }
    }
    return 1;
}

}  // namespace brindlecot
