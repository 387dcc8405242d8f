#include "app/brindlecot_app.h"

#include "app/brindlecot_dlg.h"
#include "resources/resource.h"
#include "resources/strings.h"

namespace brindlecot {

bool CBrindlecotApp::InitInstance() {
    std::uint16_t reported = 0;
    const int rc = m_platform.WSAStartup(win::kWinsockVersion11, reported);
    const bool versionOk = (reported & 0xFF) == 1 && ((reported >> 8) & 0xFF) == 1;
    if (rc != 0 || !versionOk) {
        if (rc == 0)
            m_platform.WSACleanup();
        AfxMessageBox(m_platform, resources::LoadStringResource(IDP_SOCKETS_INIT_FAILED),
                      win::kMbOk | win::kMbIconExclamation);
        return false;
    }

    // Control hosting and the three-dimensional look need no set-up on any platform served.

    m_wndOwner = m_platform.CreateOwnerWindow();

    CBrindlecotDlg dlg(m_platform, m_wndOwner);
    dlg.DoModal();
    return false;
}

}  // namespace brindlecot
