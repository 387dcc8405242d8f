// The platform seam on Win32: one call of the Windows API for each call of the seam, with the
// `A` functions throughout, so that texts are bytes of the user's ANSI code page.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "frontend/win32/win32_headers.h"
#include "platform/platform.h"

namespace brindlecot::win32 {

class Win32DialogWindow;

class Win32Platform : public platform::IPlatform {
  public:
    // `instance` holds the resources (icon 128, the string table); `fileStore` keeps the entry
    // file, the platform's own one when none is given.
    explicit Win32Platform(HINSTANCE instance,
                           std::unique_ptr<platform::IFileStore> fileStore = nullptr);
    ~Win32Platform() override;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    int WSAStartup(std::uint16_t requestedVersion, std::uint16_t& reportedVersion) override;
    void WSACleanup() override;
    platform::WindowHandle CreateOwnerWindow() override;
    int DoModal(int templateId, platform::WindowHandle owner,
                platform::IDialogHandler& handler) override;
    std::string ProgramFileName() override;
    std::string ProgramFilePath() override;
    bool IsFile(const std::string& path) override;
    platform::IconHandle LoadIconResource(int resourceId) override;
    platform::Size SystemIconSize() override;
    std::optional<std::string> ShowOpenFileDialog(const platform::FileDialogRequest& req) override;
    std::string CurrentDirectory() override;
    void ChangeCurrentDirectory(const std::string& directory) override;
    void ExecuteShellRequest(const platform::ShellExecuteRequest& request) override;
    platform::Point GetCursorPos() override;
    platform::IFileStore& FileStore() override { return *m_fileStore; }
    // Through the C runtime's multibyte comparison, so that double-byte code pages order as
    // the system orders them.
    int CompareText(const std::string& a, const std::string& b) override;

    // The registered message the shell broadcasts when it creates its taskbar.
    UINT TaskbarCreatedMessage() const { return m_taskbarCreated; }

    // The newest open dialog of a template, nullptr when none is open.
    Win32DialogWindow* OpenDialog(int templateId) const;
    HWND OwnerWindow() const { return m_owner; }

    // An icon of LoadIconResource again, at the system's small-icon size (SM_CXSMICON): what
    // the caption and the notification area show, from the image drawn for that size rather
    // than the big one shrunk. The platform keeps it as long as it lives; another handle, or
    // one whose copy cannot be loaded, comes back as it is.
    HICON SmallIcon(platform::IconHandle icon);

  protected:
    int ShowNativeMessageBox(platform::WindowHandle owner, const std::string& text,
                             const std::string& caption, unsigned type) override;
    // The shell's answer to a notification-area request; tests record the requests.
    virtual BOOL CallShellNotifyIcon(DWORD message, NOTIFYICONDATAA& data);

    // Icons are added at once, not after the window's first frame: under Wine with no tray on
    // the desktop, Wine shows a tray window of its own for the first icon, and shown after the
    // main window it takes the focus from it (keys typed into the new window are lost).
    void AddNativeTrayIcon(const platform::TrayIcon& icon) override;
    void ModifyNativeTrayIcon(const platform::TrayIcon& icon) override;
    void RemoveNativeTrayIcon(platform::WindowHandle window, unsigned id) override;

  private:
    struct IconDeleter {
        void operator()(HICON icon) const { ::DestroyIcon(icon); }
    };
    using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;
    struct LibraryDeleter {
        void operator()(HMODULE library) const { ::FreeLibrary(library); }
    };
    using UniqueLibrary = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryDeleter>;

    HINSTANCE m_instance;
    std::unique_ptr<platform::IFileStore> m_fileStore;
    ATOM m_ownerClass = 0;
    HWND m_owner = nullptr;
    UINT m_taskbarCreated = 0;
    // The first form of the shell's record for an icon: what every shell takes.
    NOTIFYICONDATAA IconRecord(const platform::TrayIcon& icon);
    std::map<platform::IconHandle, int> m_iconResources;  // LoadIconResource's handles
    std::map<int, UniqueIcon> m_smallIcons;               // by resource
    // The common dialogs, loaded at the first Browse rather than at start-up: under Wine the
    // library brings the printing libraries with it.
    UniqueLibrary m_commonDialogs;
};

}  // namespace brindlecot::win32
