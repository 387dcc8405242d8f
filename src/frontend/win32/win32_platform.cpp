#include "frontend/win32/win32_platform.h"

#include <algorithm>
#include <cstring>

#include "frontend/win32/dialog_template.h"
#include "frontend/win32/win32_dialog_window.h"
#include "platform/win32/win32_file_store.h"

namespace brindlecot::win32 {

namespace {

constexpr char kOwnerClassName[] = "BrindlecotOwner";

std::string ProgramPath() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD n =
            ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n < buffer.size())
            return std::string(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

Win32Platform::Win32Platform(HINSTANCE instance, std::unique_ptr<platform::IFileStore> fileStore)
    : m_instance(instance),
      m_fileStore(fileStore ? std::move(fileStore) : std::make_unique<platform::Win32FileStore>()),
      m_taskbarCreated(::RegisterWindowMessageA("TaskbarCreated")) {}

Win32Platform::~Win32Platform() {
    if (m_owner)
        ::DestroyWindow(m_owner);
    if (m_ownerClass)
        ::UnregisterClassA(kOwnerClassName, m_instance);
}

int Win32Platform::WSAStartup(std::uint16_t requestedVersion, std::uint16_t& reportedVersion) {
    WSADATA data{};
    const int rc = ::WSAStartup(requestedVersion, &data);
    reportedVersion = data.wVersion;
    return rc;
}

void Win32Platform::WSACleanup() {
    ::WSACleanup();
}

platform::WindowHandle Win32Platform::CreateOwnerWindow() {
    if (m_owner)
        return reinterpret_cast<platform::WindowHandle>(m_owner);
    if (!m_ownerClass) {
        WNDCLASSA wc{};  // no style, cursor, brush or icon: the window is never shown
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = m_instance;
        wc.lpszClassName = kOwnerClassName;
        m_ownerClass = ::RegisterClassA(&wc);
        if (!m_ownerClass)
            return 0;
    }
    m_owner =
        ::CreateWindowExA(0, kOwnerClassName, "", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, m_instance, nullptr);
    return reinterpret_cast<platform::WindowHandle>(m_owner);
}

int Win32Platform::DoModal(int templateId, platform::WindowHandle owner,
                           platform::IDialogHandler& handler) {
    const resources::DialogTemplate* t = resources::FindDialogTemplate(templateId);
    if (!t)
        return -1;
    const HWND ownerWindow = reinterpret_cast<HWND>(owner);
    const std::vector<std::uint16_t> tmpl = BuildDialogTemplate(*t);
    Win32DialogWindow window(*this, templateId, handler);
    const INT_PTR result = ::DialogBoxIndirectParamA(
        m_instance, reinterpret_cast<LPCDLGTEMPLATEA>(tmpl.data()), ownerWindow,
        &Win32DialogWindow::DialogProc, reinterpret_cast<LPARAM>(&window));
    return static_cast<int>(result);
}

int Win32Platform::ShowNativeMessageBox(platform::WindowHandle owner, const std::string& text,
                                        const std::string& caption, unsigned type) {
    return ::MessageBoxA(reinterpret_cast<HWND>(owner), text.c_str(), caption.c_str(), type);
}

std::string Win32Platform::ProgramFilePath() {
    return ProgramPath();
}

bool Win32Platform::IsFile(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string Win32Platform::ProgramFileName() {
    const std::string path = ProgramPath();
    const size_t slash = path.find_last_of("\\/:");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

platform::IconHandle Win32Platform::LoadIconResource(int resourceId) {
    const auto icon = reinterpret_cast<platform::IconHandle>(
        ::LoadIconA(m_instance, MAKEINTRESOURCEA(resourceId)));
    if (icon)
        m_iconResources[icon] = resourceId;
    return icon;
}

HICON Win32Platform::SmallIcon(platform::IconHandle icon) {
    const auto resource = m_iconResources.find(icon);
    if (resource == m_iconResources.end())
        return reinterpret_cast<HICON>(icon);
    UniqueIcon& small = m_smallIcons[resource->second];
    if (!small) {
        small.reset(static_cast<HICON>(::LoadImageA(m_instance, MAKEINTRESOURCEA(resource->second),
                                                    IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                    ::GetSystemMetrics(SM_CYSMICON), 0)));
    }
    return small ? small.get() : reinterpret_cast<HICON>(icon);
}

platform::Size Win32Platform::SystemIconSize() {
    return {::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON)};
}

std::optional<std::string> Win32Platform::ShowOpenFileDialog(
    const platform::FileDialogRequest& req) {
    // The dialog's list of choices: name and pattern, each ended by a NUL, and a NUL after all.
    std::string filter;
    for (const platform::FileFilter& f : req.filters) {
        filter += f.name;
        filter.push_back('\0');
        filter += f.pattern;
        filter.push_back('\0');
    }
    filter.push_back('\0');
    // The dialog wants an extension without a dot; "*.exe" would be appended literally.
    std::string extension = req.defaultExtension;
    if (extension.rfind("*.", 0) == 0)
        extension.erase(0, 2);
    else if (extension.rfind('.', 0) == 0)
        extension.erase(0, 1);

    std::vector<char> file(32768, '\0');
    std::memcpy(file.data(), req.initialFileName.data(),
                std::min(req.initialFileName.size(), file.size() - 1));
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = ::GetActiveWindow();
    ofn.hInstance = m_instance;
    ofn.lpstrFilter = req.filters.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    ofn.Flags = req.flags | OFN_EXPLORER;
    if (!m_commonDialogs)
        m_commonDialogs.reset(::LoadLibraryA("comdlg32.dll"));
    const FARPROC found =
        m_commonDialogs ? ::GetProcAddress(m_commonDialogs.get(), "GetOpenFileNameA") : nullptr;
    // Through a pointer to a function of no parameters, the form every function pointer may
    // be converted through.
    const auto getOpenFileName =
        reinterpret_cast<decltype(&::GetOpenFileNameA)>(reinterpret_cast<void (*)()>(found));
    if (!getOpenFileName || !getOpenFileName(&ofn))
        return std::nullopt;
    return std::string(file.data());
}

std::string Win32Platform::CurrentDirectory() {
    char* path = ::_getdcwd(::_getdrive(), nullptr, 0);
    if (!path)
        return {};
    std::string directory(path);
    std::free(path);
    return directory;
}

void Win32Platform::ChangeCurrentDirectory(const std::string& directory) {
    if (directory.size() >= 2 && directory[1] == ':') {
        const char letter = static_cast<char>(directory[0] & ~0x20);
        if (letter >= 'A' && letter <= 'Z')
            ::_chdrive(letter - 'A' + 1);
    }
    ::_chdir(directory.c_str());  // nothing is reported
}

void Win32Platform::ExecuteShellRequest(const platform::ShellExecuteRequest& request) {
    ::ShellExecuteA(reinterpret_cast<HWND>(request.owner), request.operation.c_str(),
                    request.file.c_str(),
                    request.parameters ? request.parameters->c_str() : nullptr,
                    request.directory ? request.directory->c_str() : nullptr, request.showCommand);
}

BOOL Win32Platform::CallShellNotifyIcon(DWORD message, NOTIFYICONDATAA& data) {
    return ::Shell_NotifyIconA(message, &data);
}

NOTIFYICONDATAA Win32Platform::IconRecord(const platform::TrayIcon& icon) {
    NOTIFYICONDATAA nid;
    std::memset(&nid, 0, sizeof nid);
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;  // the first form: every shell takes it
    nid.hWnd = reinterpret_cast<HWND>(icon.window);
    nid.uID = icon.id;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = platform::kWmTrayNotify;
    nid.hIcon = SmallIcon(icon.image);  // the notification area shows small icons
    // The first form's tip holds 63 bytes and its terminating NUL.
    constexpr size_t kTipBytes = 64;
    static_assert(kTipBytes <= sizeof nid.szTip, "the tip fits the first form's field");
    std::memcpy(nid.szTip, icon.tip.data(), std::min(icon.tip.size(), kTipBytes - 1));
    return nid;
}

void Win32Platform::AddNativeTrayIcon(const platform::TrayIcon& icon) {
    NOTIFYICONDATAA nid = IconRecord(icon);
    CallShellNotifyIcon(NIM_ADD, nid);
}

void Win32Platform::ModifyNativeTrayIcon(const platform::TrayIcon& icon) {
    NOTIFYICONDATAA nid = IconRecord(icon);
    CallShellNotifyIcon(NIM_MODIFY, nid);
}

void Win32Platform::RemoveNativeTrayIcon(platform::WindowHandle window, unsigned id) {
    NOTIFYICONDATAA nid;
    std::memset(&nid, 0, sizeof nid);
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = reinterpret_cast<HWND>(window);
    nid.uID = id;
    CallShellNotifyIcon(NIM_DELETE, nid);
}

platform::Point Win32Platform::GetCursorPos() {
    POINT p{};
    ::GetCursorPos(&p);
    return {p.x, p.y};
}

int Win32Platform::CompareText(const std::string& a, const std::string& b) {
    const int r = ::_mbscmp(reinterpret_cast<const unsigned char*>(a.c_str()),
                            reinterpret_cast<const unsigned char*>(b.c_str()));
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

Win32DialogWindow* Win32Platform::OpenDialog(int templateId) const {
    // Every dialog of this platform is one of its own windows.
    return static_cast<Win32DialogWindow*>(Windows().DialogOf(templateId));
}

}  // namespace brindlecot::win32
