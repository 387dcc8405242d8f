// Keeps Wine's desktop up for as long as the tests' display runs.
//
// Wine starts its desktop process for the first program that needs a window and ends it a
// moment after the last such program ends; the desktop process chooses the display driver for
// every program on it. A test program that starts while the desktop comes and goes can end up
// without the X driver: its windows then cannot be made at all, or (on Wine's null driver) are
// never shown or activated, and no box of it is seen. With this program alive all along, the
// desktop is started once, here, on the tests' display.
//
// Prints the screen's size in pixels as the desktop reports it, so that the caller can tell
// the X driver (the display's size) from Wine's null driver; then waits until it is ended.
#include <windows.h>

#include <cstdio>

int main() {
    // A message-only window is enough to make this program a user of the desktop.
    const HWND window = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                          ::GetModuleHandleA(nullptr), nullptr);
    if (!window) {
        std::printf("no window: error %lu\n", ::GetLastError());
        return 1;
    }
    std::printf("%dx%d\n", ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    std::fflush(stdout);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageA(&msg);
    return 0;
}
