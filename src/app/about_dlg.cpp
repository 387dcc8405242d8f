#include "app/about_dlg.h"

#include "resources/resource.h"

namespace brindlecot {

// No owner is given: the platform makes the active window, the main window, its owner.
CAboutDlg::CAboutDlg(platform::IPlatform& platform) : CDialog(platform, IDD_ABOUTBOX) {}

}  // namespace brindlecot
