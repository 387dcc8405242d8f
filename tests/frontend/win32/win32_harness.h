// Runs the real program inside the test process: the application object over the Win32
// platform, its main window created by the dialog manager from the shared template, in a
// working directory of the test's own. A test's script runs inside the modal loop, drives the
// window with real messages, and message boxes are answered through a CBT hook.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "frontend/win32/win32_headers.h"
#include "frontend/win32/win32_platform.h"

namespace brindlecot::win32::testing {

std::string ClassOf(HWND hwnd);  // the window's class name
std::string TextOf(HWND hwnd);   // the window's text

// A box as it was shown, and the answer the hook gave it.
struct ShownBox {
    std::string caption;
    std::string text;
    LONG style = 0;            // the box's window style
    bool hasIcon = false;      // a static icon control is present
    std::vector<int> buttons;  // identifiers of its push buttons
    bool ownerEnabled = true;  // the main window accepted input while the box was up
};

// The platform with the shell's side effects recorded instead of carried out.
class RecordingPlatform : public Win32Platform {
  public:
    explicit RecordingPlatform(std::unique_ptr<platform::IFileStore> store = nullptr)
        : Win32Platform(::GetModuleHandleA(nullptr), std::move(store)) {}
    void ExecuteShellRequest(const platform::ShellExecuteRequest& request) override {
        shellRequests.push_back(request);
    }
    std::vector<platform::ShellExecuteRequest> shellRequests;
    std::vector<std::pair<DWORD, NOTIFYICONDATAA>> trayRequests;

  protected:
    BOOL CallShellNotifyIcon(DWORD message, NOTIFYICONDATAA& data) override {
        trayRequests.emplace_back(message, data);
        return TRUE;
    }
};

// The C runtime's multibyte code page (the one `_mbscmp` reads) set for as long as this lives,
// as a system whose ANSI code page it is would start the program with it.
class MultibyteCodePage {
  public:
    explicit MultibyteCodePage(int codePage);
    ~MultibyteCodePage();
    MultibyteCodePage(const MultibyteCodePage&) = delete;
    MultibyteCodePage& operator=(const MultibyteCodePage&) = delete;
    bool Set() const { return m_set; }

  private:
    int m_before;
    bool m_set;
};

class Harness {
  public:
    // A fresh working directory holding `entryFile` as brcot.dat when given; the program's
    // entry file goes through `store` when one is given, else through the Win32 store.
    explicit Harness(const std::optional<std::string>& entryFile = std::nullopt,
                     std::unique_ptr<platform::IFileStore> store = nullptr);
    ~Harness();

    // Runs the program; `script` runs once the main window is up. Afterwards the main window is
    // closed with Cancel if the script left it open.
    void Run(const std::function<void(Harness&)>& script);

    RecordingPlatform& Platform() { return m_platform; }
    HWND Main() const { return m_main; }
    HWND Item(int id) const { return ::GetDlgItem(m_main, id); }
    std::string Text(int id) const;
    void SetText(int id, const std::string& text);
    void Click(int id);  // BM_CLICK: the button's own click, as the mouse gives it
    // Posts a key press to the control with the focus (or `target`) and handles it.
    void Key(UINT vk, HWND target = nullptr);
    // A key pressed and released on the keyboard, as the system delivers it to the window
    // in front (the main window's thread must be the foreground one), with `modifier` (VK_MENU,
    // VK_CONTROL...) held down around it when given; returns when the last release has been
    // handled.
    void RealKey(WORD vk, WORD modifier = 0);
    // Handles messages, dialog keys included, until `done` or two seconds have passed.
    bool PumpUntil(const std::function<bool()>& done);
    bool Ended() const { return !::IsWindowVisible(m_main); }

    // Boxes: answered with `answer` (IDOK, IDYES, IDNO...) as they appear.
    void AnswerBoxesWith(int answer) { m_answer = answer; }
    std::vector<ShownBox> boxes;
    // A dialog of ours (not a box) that appears is handed to this, then closed with OK.
    std::function<void(HWND)> onDialog;
    // The file dialog is handed to this when it appears (and cancelled when none is set).
    std::function<void(HWND)> onFileDialog;

    std::string EntryFile() const;  // brcot.dat's bytes, empty when it is missing
    const std::string& Directory() const { return m_directory; }

  private:
    static LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK StartScript(HWND, UINT, UINT_PTR id, DWORD);
    static void CALLBACK ServeFileDialog(HWND, UINT, UINT_PTR id, DWORD);
    void OnActivate(HWND window);

    RecordingPlatform m_platform;
    std::string m_directory;
    std::string m_previousDirectory;
    HWND m_main = nullptr;
    HHOOK m_hook = nullptr;
    int m_answer = IDOK;
    HWND m_fileDialog = nullptr;
    WPARAM m_lastKeyUp = 0;
    std::function<void(Harness&)> m_script;
    bool m_scriptRan = false;
};

}  // namespace brindlecot::win32::testing
