// The application object: starts the process-wide services, creates the invisible owner
// window and runs the main window modally. The main window's modal loop is the only one.
#pragma once

#include "app/framework.h"
#include "platform/platform.h"

namespace brindlecot {

class CBrindlecotApp {
  public:
    explicit CBrindlecotApp(platform::IPlatform& platform) : m_platform(platform) {}

    // Runs the whole program. Always false: there is no message loop after the main window.
    bool InitInstance();

    // The owner window, 0 while none exists.
    platform::WindowHandle m_wndOwner = 0;

  private:
    platform::IPlatform& m_platform;
};

}  // namespace brindlecot
