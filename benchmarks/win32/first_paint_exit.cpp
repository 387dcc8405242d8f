// Linked into a Windows program for the start-up benchmark: the process ends as soon as its
// first dialog has handled its first WM_PAINT, so that the process's run time is its start-up
// to first paint.
#include <windows.h>

namespace {

constexpr UINT kPainted = WM_APP + 0x3A1;
HHOOK g_hook = nullptr;

bool IsDialog(HWND hwnd) {
    char name[16] = {};
    return hwnd && ::GetClassNameA(hwnd, name, sizeof name) && lstrcmpA(name, "#32770") == 0;
}

// Sees every message as it is taken from the queue. A message posted while the paint message
// is taken comes out right after that paint message has been handled.
LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        const MSG* msg = reinterpret_cast<const MSG*>(lParam);
        if (msg->message == WM_PAINT && IsDialog(msg->hwnd))
            ::PostMessageA(msg->hwnd, kPainted, 0, 0);
        else if (msg->message == kPainted)
            ::ExitProcess(0);
    }
    return ::CallNextHookEx(g_hook, code, wParam, lParam);
}

struct Installer {
    Installer() {
        g_hook =
            ::SetWindowsHookExA(WH_GETMESSAGE, GetMessageHook, nullptr, ::GetCurrentThreadId());
    }
} g_installer;

}  // namespace
