// Brindlecot for Windows: the application object over the Win32 platform.
#include "app/brindlecot_app.h"
#include "frontend/win32/win32_headers.h"
#include "frontend/win32/win32_platform.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // The list view is a common control; the rest are the system's own.
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES;
    ::InitCommonControlsEx(&controls);

    brindlecot::win32::Win32Platform platform(instance);
    brindlecot::CBrindlecotApp app(platform);
    app.InitInstance();
    return 0;
}
