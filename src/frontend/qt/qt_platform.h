// The platform seam on Qt 6 Widgets for POSIX desktops (on Windows the native front end serves):
// modal dialogs from the shared templates, message boxes, the file dialog, the notification-area
// icon, the shell's open request and the entry file's storage. One object per process, created
// after the QApplication.
#pragma once

#include <QIcon>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

class QMenu;
class QSystemTrayIcon;
class QWidget;

namespace brindlecot::qt {

class QtDialogWindow;
class QtTray;

// The width a message box needs for `caption` to show whole in its title bar.
int CaptionWidth(const QString& caption, const QFont& titleFont);

class QtPlatform : public platform::IPlatform {
  public:
    // `fileStore` keeps the entry file; the platform's own one when none is given.
    explicit QtPlatform(std::unique_ptr<platform::IFileStore> fileStore = nullptr);
    ~QtPlatform() override;
    QtPlatform(const QtPlatform&) = delete;
    QtPlatform& operator=(const QtPlatform&) = delete;

    // IPlatform
    int WSAStartup(std::uint16_t requestedVersion, std::uint16_t& reportedVersion) override;
    void WSACleanup() override {}
    platform::WindowHandle CreateOwnerWindow() override;
    int DoModal(int templateId, platform::WindowHandle owner,
                platform::IDialogHandler& handler) override;
    std::string ProgramFileName() override;
    std::string ProgramFilePath() override;
    bool IsFile(const std::string& path) override;
    platform::IconHandle LoadIconResource(int resourceId) override;
    platform::Size SystemIconSize() override { return {32, 32}; }
    std::optional<std::string> ShowOpenFileDialog(const platform::FileDialogRequest& req) override;
    std::string CurrentDirectory() override;
    void ChangeCurrentDirectory(const std::string& directory) override;
    void ExecuteShellRequest(const platform::ShellExecuteRequest& request) override;
    platform::Point GetCursorPos() override;
    platform::IFileStore& FileStore() override { return *m_fileStore; }

    // For the windows.
    QIcon Icon(platform::IconHandle icon) const;
    void PostToWindow(platform::WindowHandle window, win::UINT message, win::WPARAM wParam,
                      win::LPARAM lParam);

    // The session manager asks for the user's data while the session may go on: every open
    // dialog gets the save request (the main window writes the entry file), and nothing on
    // screen changes. The run goes on.
    void SaveNow();
    // The user's session ends, or the process was asked to end: every open dialog gets the
    // session-ending message, then every modal loop ends and the run with them.
    void EndSession();

    // The open dialog of a template, the notification-area icon of a window: for tests.
    QtDialogWindow* FindWindow(int templateId) const;
    QSystemTrayIcon* TrayIcon(platform::WindowHandle window, unsigned id) const;
    // The menu a StatusNotifierItem exports for that icon (nullptr for none).
    QMenu* ExportedTrayMenu(platform::WindowHandle window, unsigned id) const;

  protected:
    int ShowNativeMessageBox(platform::WindowHandle owner, const std::string& text,
                             const std::string& caption, unsigned type) override;
    // Registering an icon with the desktop's tray asks the session bus first.
    bool TrayIconsWaitForFirstFrame() const override { return true; }
    void AddNativeTrayIcon(const platform::TrayIcon& icon) override;
    void ModifyNativeTrayIcon(const platform::TrayIcon& icon) override;
    void RemoveNativeTrayIcon(platform::WindowHandle window, unsigned id) override;
    void NativeTrayMenuChanged(const platform::TrayIcon& icon) override;

  private:
    using TrayKey = std::pair<platform::WindowHandle, unsigned>;  // the owner window, the id
    QtDialogWindow* Window(platform::WindowHandle handle) const;
    QtTray* FindTray(platform::WindowHandle window, unsigned id) const;
    // What the user did with an icon, told to the core once the event being handled is over,
    // as long as the icon is still there.
    void TellTray(TrayKey key, std::function<void(platform::ITrayEvents&)> tell);
    void FillExportedMenu(platform::WindowHandle window, unsigned id, QMenu& menu);

    std::unique_ptr<platform::IFileStore> m_fileStore;
    std::map<TrayKey, std::unique_ptr<QtTray>> m_trayIcons;
    platform::WindowHandle m_nextHandle = 0x100;
    QIcon m_appIcon;
};

}  // namespace brindlecot::qt
