// An in-memory platform for the core's tests. Its controls behave like the real ones where the
// program depends on them (the combo box's list and edit part, modal runs),
// answers message boxes and menus from a script, and records every effect in one log so tests
// can check the order of effects.
#pragma once

#include <array>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "resources/dialog_layout.h"

namespace brindlecot::fake {

class FakePlatform;

// The entry table's display: it shows what it is told, counts the calls, and reports the
// user's selection as a real display does. Its highlight and focus stay on the position they
// were told, whatever rows go in or out around them, unless it is made to move them with their
// rows, as the common controls' list view does.
class FakeListView : public platform::IListView {
  public:
    explicit FakeListView(std::vector<std::string>& log) : m_log(log) {}

    void SetEvents(platform::IListViewEvents* events) override { m_events = events; }
    void InsertColumn(int column, const std::string& header) override;
    void SetExtendedStyle(unsigned style) override;
    void InsertRow(int row, const std::vector<std::string>& cells) override;
    void DeleteRow(int row) override;
    void DeleteAllRows() override;
    void SetCellText(int row, int column, const std::string& text) override;
    void ShowSelection(int selected, int focused) override;
    void FitColumn(int column) override;

    // The user selects a row by mouse or keyboard (-1: a click on the empty space below the
    // rows, which keeps the focus where it was). Reported before any notification of it.
    void UserSelects(int row);
    // The user moves the focus alone (Ctrl and an arrow key), the highlight staying.
    void UserFocuses(int row);
    bool HasEvents() const { return m_events != nullptr; }
    platform::IListViewEvents* Events() const { return m_events; }

    // What it shows, top to bottom.
    std::vector<std::string> Column(int column) const;
    std::vector<std::array<std::string, 3>> Rows() const;

    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> headers;
    unsigned extendedStyle = 0;
    int selected = -1;
    int focused = -1;
    bool movesHighlightWithRows = false;
    struct Calls {
        int insertRow = 0;
        int deleteRow = 0;
        int deleteAllRows = 0;
        int setCellText = 0;
        int showSelection = 0;
        int fitColumn = 0;
    };
    Calls calls;
    std::vector<int> fitted;  // the columns fitted, in order

  private:
    std::vector<std::string>& m_log;
    platform::IListViewEvents* m_events = nullptr;
};

class FakePopupMenu : public platform::IPopupMenu {
  public:
    explicit FakePopupMenu(FakePlatform& platform);
    ~FakePopupMenu() override;
    void InsertItem(unsigned position, unsigned flags, unsigned id,
                    const std::string& text) override;
    void TrackPopupMenu(unsigned flags, int x, int y, platform::WindowHandle owner) override;

    struct Item {
        unsigned id;
        std::string text;
    };

  private:
    FakePlatform& m_platform;
    std::vector<Item> m_items;  // top to bottom
};

class FakeDialogWindow : public platform::IDialogWindow {
  public:
    FakeDialogWindow(FakePlatform& platform, int templateId, platform::WindowHandle handle,
                     platform::IDialogHandler& handler);

    // IDialogWindow
    platform::WindowHandle Handle() const override { return m_handle; }
    platform::IListView* ListView(int controlId) override;
    std::string ControlText(int controlId) const override;
    void SetControlText(int controlId, const std::string& text) override;
    bool GivesBackExactly(int controlId, const std::string& text) const override;
    void ComboAddString(int controlId, const std::string& text) override;
    void ComboSetCurSel(int controlId, int index) override;
    void SetCaption(const std::string& text) override;
    void SetIcon(int iconKind, platform::IconHandle icon) override;
    bool AppendSystemMenu(unsigned flags, unsigned id, const std::string& text) override;
    void ShowWindow(int showCommand) override;
    void SetWindowPos(platform::WindowHandle insertAfter, int x, int y, int cx, int cy,
                      unsigned flags) override;
    void SetForegroundWindow() override;
    void EndDialog(int result) override;
    std::unique_ptr<platform::IPopupMenu> CreatePopupMenu() override;
    bool IsIconic() const override { return iconic; }
    platform::Size GetClientSize() const override { return clientSize; }
    void PaintIconic(platform::IconHandle icon, int x, int y) override;

    // Delivering messages as the platform would. Messages posted while one is handled (a menu
    // choice) are delivered after it, as a message loop would. A message the dialog leaves
    // unhandled gets default processing, which here is a log line "DefaultProcessing <message>
    // <wParam>" and nothing else.
    win::LRESULT Send(win::UINT message, win::WPARAM wParam = 0, win::LPARAM lParam = 0);
    void Post(win::UINT message, win::WPARAM wParam, win::LPARAM lParam);

    // The user's gestures.
    void Type(int controlId, const std::string& text);  // replaces the control's text
    void Click(int controlId);                          // a push button
    void ClickRow(int row);
    void ClickBelowRows();
    void KeyMoveTo(int row);
    // A key pressed in the list: its LVN_KEYDOWN, before the list acts on it.
    void KeyDownInList(std::uint16_t virtualKey);
    void ClickHeader(int column);
    void PickSortOrder(int index);  // choose an item of the sort-order list
    // A combo box's list, and one of its items ("" when there is no such item).
    int ComboGetCount(int controlId) const;
    std::string ItemText(int controlId, int index) const;
    win::LRESULT TrayNotify(win::WPARAM wParam, win::LPARAM lParam);

    FakeListView list;
    std::string caption;
    std::map<int, platform::IconHandle> icons;
    struct SystemMenuItem {
        unsigned flags;
        unsigned id;
        std::string text;
    };
    std::vector<SystemMenuItem> systemMenu;
    bool hasSystemMenu = true;
    bool iconic = false;
    platform::Size clientSize{640, 366};
    bool ended = false;
    int endResult = 0;

  private:
    friend class FakePlatform;
    // The kind of a control of this window's template; nullopt when it has no such control.
    std::optional<resources::ControlKind> KindOf(int controlId) const;
    bool IsCombo(int controlId) const;
    // Runs a gesture the list reports to its events, as a display does while it handles it.
    void AsUser(const std::function<void()>& gesture);
    void DeliverPosted();

    FakePlatform& m_platform;
    int m_templateId;
    platform::WindowHandle m_handle;
    platform::IDialogHandler& m_handler;
    std::map<int, std::string> m_texts;
    std::map<int, std::vector<std::string>> m_comboItems;
    std::deque<std::array<std::intptr_t, 3>> m_posted;
    int m_sendDepth = 0;
};

class FakeFileStore : public platform::IFileStore {
  public:
    explicit FakeFileStore(std::vector<std::string>& log) : m_log(log) {}
    std::optional<std::string> ReadFileCreating(const std::string& name) override;
    bool ReplaceContent(const std::string& name, const std::string& bytes) override;
    std::optional<std::string> KeepRecoveryCopy(const std::string& name,
                                                const std::string& bytes) override;

    std::map<std::string, std::string> files;
    std::map<std::string, std::string> recoveries;  // the recovery copies kept, by path
    std::set<std::string> readOnly;                 // names that are refused a replacement
    bool readable = true;
    bool writable = true;
    bool recoverable = true;
    int reads = 0;
    int writes = 0;

  private:
    std::vector<std::string>& m_log;
};

class FakePlatform : public platform::IPlatform {
  public:
    std::vector<std::string> log;  // every effect, in order

    FakePlatform();
    ~FakePlatform() override;

    // IPlatform
    int WSAStartup(std::uint16_t requestedVersion, std::uint16_t& reportedVersion) override;
    void WSACleanup() override;
    platform::WindowHandle CreateOwnerWindow() override;
    int DoModal(int templateId, platform::WindowHandle owner,
                platform::IDialogHandler& handler) override;
    std::string ProgramFileName() override { return programFileName; }
    std::string ProgramFilePath() override { return programDirectory + "/" + programFileName; }
    bool IsFile(const std::string& path) override;
    platform::IconHandle LoadIconResource(int resourceId) override;
    platform::Size SystemIconSize() override { return systemIconSize; }
    std::optional<std::string> ShowOpenFileDialog(const platform::FileDialogRequest& req) override;
    std::string CurrentDirectory() override { return currentDirectory; }
    void ChangeCurrentDirectory(const std::string& directory) override;
    void ExecuteShellRequest(const platform::ShellExecuteRequest& request) override;
    platform::Point GetCursorPos() override;
    platform::IFileStore& FileStore() override { return files; }
    void WriteErrorLine(const std::string& line) override;
    std::vector<std::string> errorLines;

    // Opens a dialog without a modal run: attaches it and sends WM_INITDIALOG. Close() sends
    // WM_DESTROY and detaches it, as the end of a modal run does.
    FakeDialogWindow& Open(platform::IDialogHandler& handler, int templateId);
    void Close(FakeDialogWindow& window);
    FakeDialogWindow* Window(int templateId);  // the open window of a template, if any

    // What a modal run of a template does between its initialisation and its end; without a
    // script the user closes the dialog with Escape.
    std::map<int, std::function<void(FakeDialogWindow&)>> modalScripts;

    // Message boxes: answers are taken from the front; an OK box without one is answered OK,
    // a Yes/No box without one No and counted as unanswered.
    struct Box {
        platform::WindowHandle owner;
        std::string text;
        std::string caption;
        unsigned type;
    };
    std::deque<int> boxAnswers;
    std::function<void(const Box&)> whileBoxShows;  // runs while each box is up
    std::vector<Box> boxes;
    int unansweredBoxes = 0;
    int AnswerBox(Box box);

    // The tray menu: each track records the items top to bottom; `menuChoice` picks one by
    // identifier (nullopt closes the menu without a choice).
    struct TrackedMenu {
        unsigned flags;
        int x, y;
        platform::WindowHandle owner;
        std::vector<FakePopupMenu::Item> items;
    };
    std::vector<TrackedMenu> trackedMenus;
    std::function<std::optional<unsigned>(const TrackedMenu&)> menuChoice;
    bool popupMenusFail = false;
    // A field whose text changes sends its window EN_CHANGE at once, as an edit control does.
    bool fieldsNotifyChanges = false;
    int liveMenus = 0;

    // The file dialog: the path it returns (nullopt for Cancel) and where the user browsed.
    std::optional<std::string> fileDialogResult;
    std::string fileDialogBrowsesTo;
    std::vector<platform::FileDialogRequest> fileDialogs;

    std::vector<platform::ShellExecuteRequest> shellRequests;
    // What reached the notification area: "add", "modify" or "remove", with the icon (only
    // its window and identifier for a removal).
    struct TrayRequest {
        std::string what;
        platform::TrayIcon icon;
    };
    std::vector<TrayRequest> trayRequests;
    // The icons (by identifier) whose menu the platform was told has other items now.
    std::vector<unsigned> trayMenuChanges;
    // The user's gestures on an icon, as a front end reports them; nullptr when there is no
    // such icon.
    platform::ITrayEvents* TrayEvents(platform::WindowHandle window, unsigned id) const;
    // Icons of a dialog wait for its first frame (OnFirstFrame), as a front end that draws
    // has them do; off, they are added at once.
    bool iconsWaitForFirstFrame = false;
    int wsaResult = 0;
    std::uint16_t wsaReportedVersion = 0x0101;
    int wsaCleanups = 0;
    bool ownerWindowFails = false;
    platform::WindowHandle ownerWindow = 0;
    platform::Point cursor{400, 300};
    platform::Size systemIconSize{32, 32};
    std::string currentDirectory = "/home/user/work";
    std::string programFileName = "Brindlecot.exe";
    std::string programDirectory = "/opt/brindlecot";
    std::set<std::string> existingFiles;  // what IsFile finds
    int textsSet = 0;                     // every text a control was given, changed or not
    int selectionsMade = 0;               // every combo box item selected
    // The texts a control would give back other than they were given (none by default).
    std::function<bool(const std::string&)> changedByControls;

    FakeFileStore files{log};
    bool Logged(const std::string& prefix) const;
    // The position of the first log line that begins with `prefix`, or -1.
    int LogIndex(const std::string& prefix) const;

  protected:
    int ShowNativeMessageBox(platform::WindowHandle owner, const std::string& text,
                             const std::string& caption, unsigned type) override;
    bool TrayIconsWaitForFirstFrame() const override { return iconsWaitForFirstFrame; }
    void AddNativeTrayIcon(const platform::TrayIcon& icon) override;
    void ModifyNativeTrayIcon(const platform::TrayIcon& icon) override;
    void RemoveNativeTrayIcon(platform::WindowHandle window, unsigned id) override;
    void NativeTrayMenuChanged(const platform::TrayIcon& icon) override {
        trayMenuChanges.push_back(icon.id);
    }

  private:
    friend class FakeDialogWindow;
    friend class FakePopupMenu;
    std::vector<std::unique_ptr<FakeDialogWindow>> m_windows;
    platform::WindowHandle m_nextHandle = 0x100;
};

}  // namespace brindlecot::fake
