// The About box: the icon, the version line and the maker's notice, closed by OK, Escape or its
// close box with no other effect.
#pragma once

#include "app/framework.h"

namespace brindlecot {

class CAboutDlg : public CDialog {
  public:
    explicit CAboutDlg(platform::IPlatform& platform);
};

}  // namespace brindlecot
