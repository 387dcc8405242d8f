// The reference for the start-up benchmark: the least a Win32 dialog program does, a modal
// dialog of the same size and font as Brindlecot's main window, with no controls.
#include <windows.h>

#include <cstdint>
#include <vector>

namespace {

INT_PTR CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        ::EndDialog(hwnd, LOWORD(wParam));
        return TRUE;
    }
    return message == WM_INITDIALOG;
}

void Text(std::vector<std::uint16_t>& w, const wchar_t* s) {
    do
        w.push_back(static_cast<std::uint16_t>(*s));
    while (*s++);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    std::vector<std::uint16_t> t;
    const DWORD style =
        WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER;
    t.push_back(LOWORD(style));
    t.push_back(HIWORD(style));
    t.insert(t.end(), {0, 0, 0, 0, 0, 0, 320, 183, 0, 0});
    Text(t, L"Bare");
    t.push_back(8);
    Text(t, L"MS Sans Serif");
    ::DialogBoxIndirectParamA(instance, reinterpret_cast<LPCDLGTEMPLATEA>(t.data()), nullptr, Proc,
                              0);
    return 0;
}
