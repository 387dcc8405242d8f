#include "tests/frontend/win32/win32_harness.h"

#include <gtest/gtest.h>

#include <direct.h>
#include <dlgs.h>
#include <mbctype.h>

#include <fstream>
#include <sstream>

#include "app/brindlecot_app.h"
#include "frontend/win32/win32_dialog_window.h"
#include "resources/resource.h"

namespace brindlecot::win32::testing {

namespace {

Harness* g_current = nullptr;
constexpr DWORD kPumpLimitMs = 2000;

std::string MakeTemporaryDirectory() {
    char base[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, base);
    char name[MAX_PATH] = {};
    ::GetTempFileNameA(base, "bct", 0, name);  // a unique name, created as a file
    ::DeleteFileA(name);
    ::CreateDirectoryA(name, nullptr);
    return name;
}

void RemoveDirectoryTree(const std::string& directory) {
    WIN32_FIND_DATAA data{};
    const HANDLE find = ::FindFirstFileA((directory + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = directory + "\\" + name;
            ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDirectoryTree(path);
            else
                ::DeleteFileA(path.c_str());
        } while (::FindNextFileA(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(directory.c_str());
}

}  // namespace

std::string ClassOf(HWND hwnd) {
    char name[64] = {};
    ::GetClassNameA(hwnd, name, sizeof name);
    return name;
}

std::string TextOf(HWND hwnd) {
    char text[1024] = {};
    ::GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

MultibyteCodePage::MultibyteCodePage(int codePage)
    : m_before(::_getmbcp()), m_set(::_setmbcp(codePage) == 0) {}

MultibyteCodePage::~MultibyteCodePage() {
    ::_setmbcp(m_before);
}

Harness::Harness(const std::optional<std::string>& entryFile,
                 std::unique_ptr<platform::IFileStore> store)
    : m_platform(std::move(store)) {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                  ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    m_directory = MakeTemporaryDirectory();
    char previous[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    m_previousDirectory = previous;
    ::SetCurrentDirectoryA(m_directory.c_str());
    if (entryFile) {
        std::ofstream out("brcot.dat", std::ios::binary);
        out << *entryFile;
    }
}

Harness::~Harness() {
    ::SetCurrentDirectoryA(m_previousDirectory.c_str());
    RemoveDirectoryTree(m_directory);
}

void Harness::Run(const std::function<void(Harness&)>& script) {
    m_script = script;
    g_current = this;
    m_hook = ::SetWindowsHookExA(WH_CBT, &Harness::CbtHook, nullptr, ::GetCurrentThreadId());
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 1, &Harness::StartScript);
    m_scriptRan = false;
    CBrindlecotApp app(m_platform);
    app.InitInstance();
    // Without this, a test whose checks all sit in its script would pass having checked
    // nothing.
    EXPECT_TRUE(m_scriptRan) << "the main window never came up, so the test's script did not "
                                "run (under Wine: a desktop without a display driver fails "
                                "every window)";
    ::KillTimer(nullptr, timer);
    ::UnhookWindowsHookEx(m_hook);
    m_hook = nullptr;
    g_current = nullptr;
}

void CALLBACK Harness::StartScript(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    Harness& h = *g_current;
    Win32DialogWindow* window = h.m_platform.OpenDialog(IDD_BRINDLECOT_DIALOG);
    if (!window)
        return;
    h.m_main = window->Hwnd();
    h.m_scriptRan = true;
    if (h.m_script)
        h.m_script(h);
    if (!h.Ended() && ::IsWindow(h.m_main))
        ::SendMessageA(h.m_main, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

void CALLBACK Harness::ServeFileDialog(HWND, UINT, UINT_PTR id, DWORD) {
    Harness& h = *g_current;
    const HWND types = ::GetDlgItem(h.m_fileDialog, cmb1);
    if (::IsWindow(h.m_fileDialog) && types && ::SendMessageA(types, CB_GETCOUNT, 0, 0) <= 0)
        return;  // not yet: the timer comes back
    ::KillTimer(nullptr, id);
    if (!::IsWindow(h.m_fileDialog))
        return;
    if (h.onFileDialog)
        h.onFileDialog(h.m_fileDialog);
    else
        ::PostMessageA(h.m_fileDialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

LRESULT CALLBACK Harness::CbtHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && g_current)
        g_current->OnActivate(reinterpret_cast<HWND>(wParam));
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void Harness::OnActivate(HWND window) {
    if (ClassOf(window) != "#32770" || ::GetPropA(window, "bct.seen"))
        return;
    const Win32DialogWindow* main = m_platform.OpenDialog(IDD_BRINDLECOT_DIALOG);
    if (main && main->Hwnd() == window)
        return;
    ::SetPropA(window, "bct.seen", reinterpret_cast<HANDLE>(1));
    const Win32DialogWindow* about = m_platform.OpenDialog(IDD_ABOUTBOX);
    if (about && about->Hwnd() == window) {
        if (onDialog)
            onDialog(window);
        ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return;
    }
    // The file dialog: its file-name field, one form or the other.
    if (::GetDlgItem(window, cmb13) || ::GetDlgItem(window, edt1)) {
        // It fills its type list after it is first activated: serve it once that is done.
        m_fileDialog = window;
        ::SetTimer(nullptr, 0, 20, &Harness::ServeFileDialog);
        return;
    }
    // A message box has its text in a static control with the identifier 0xFFFF.
    const HWND text = ::GetDlgItem(window, 0xFFFF);
    ShownBox box;
    box.caption = TextOf(window);
    box.text = TextOf(text);
    box.style = ::GetWindowLongA(window, GWL_STYLE);
    box.ownerEnabled = m_main && ::IsWindowEnabled(m_main);
    for (HWND child = ::GetWindow(window, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        const std::string cls = ClassOf(child);
        const LONG style = ::GetWindowLongA(child, GWL_STYLE);
        // Wine's boxes keep a hidden icon control when no icon is asked for.
        if (cls == "Static" && (style & SS_TYPEMASK) == SS_ICON && (style & WS_VISIBLE) &&
            ::SendMessageA(child, STM_GETICON, 0, 0) != 0) {
            box.hasIcon = true;
        }
        if (cls == "Button")
            box.buttons.push_back(::GetDlgCtrlID(child));
    }
    boxes.push_back(box);
    ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(m_answer, BN_CLICKED), 0);
}

std::string Harness::Text(int id) const {
    return TextOf(Item(id));
}

void Harness::SetText(int id, const std::string& text) {
    ::SetWindowTextA(Item(id), text.c_str());
}

void Harness::Click(int id) {
    ::SendMessageA(Item(id), BM_CLICK, 0, 0);
}

void Harness::Key(UINT vk, HWND target) {
    if (!target)
        target = ::GetFocus();
    ::PostMessageA(target, WM_KEYDOWN, vk, 1);
    ::PostMessageA(target, WM_KEYUP, vk, 0xC0000001);
    // Until both have been handled.
    ::PostMessageA(target, WM_NULL, 0, 0x5EED);
    bool seen = false;
    PumpUntil([&] { return seen; });
    (void)seen;
}

void Harness::RealKey(WORD vk, WORD modifier) {
    std::vector<INPUT> input;
    auto press = [&](WORD key, DWORD flags) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = key;
        i.ki.dwFlags = flags;
        input.push_back(i);
    };
    if (modifier)
        press(modifier, 0);
    press(vk, 0);
    press(vk, KEYEVENTF_KEYUP);
    if (modifier)
        press(modifier, KEYEVENTF_KEYUP);
    m_lastKeyUp = 0;
    ::SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
    const WORD last = modifier ? modifier : vk;
    PumpUntil([&] { return m_lastKeyUp == last; });
}

bool Harness::PumpUntil(const std::function<bool()>& done) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > kPumpLimitMs)
            return false;
        MSG msg{};
        if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            continue;
        }
        if (msg.message == WM_NULL && msg.lParam == 0x5EED)
            return true;
        if (msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP)
            m_lastKeyUp = msg.wParam;
        if (!m_main || !::IsDialogMessageA(m_main, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    return true;
}

std::string Harness::EntryFile() const {
    std::ifstream in(m_directory + "\\brcot.dat", std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace brindlecot::win32::testing
