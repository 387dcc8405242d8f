// The seam between the portable core and a front end. The core calls these interfaces and
// nothing else of the windowing system, the shell or the file system; a front end implements
// them and delivers its native events to the core's dialogs as the messages of win_values.h.
//
// The framework's own rules (the application box's caption and icon, the owner of a dialog given
// none, Cancel ending a dialog, the file dialog's filter syntax, which messages get default
// processing) live in the core, in src/app; a front end does only what the system must do.
//
// Every std::string crossing the seam is bytes: on Windows the bytes of the user's ANSI code page,
// passed to and from the `A` functions; elsewhere UTF-8, with bytes that are not UTF-8 passed
// through unchanged.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/list_view.h"
#include "platform/win_values.h"

namespace brindlecot::platform {

using WindowHandle = std::uintptr_t;  // opaque: an HWND on Win32, a window key elsewhere
using IconHandle = std::uintptr_t;

struct Point {
    int x = 0;
    int y = 0;
};

struct Size {
    int cx = 0;
    int cy = 0;
};

// A message of Brindlecot's own, which a front end sends to its open dialogs when the desktop's
// session manager asks for the user's data while the session may go on (X11's SaveYourself,
// which comes for a checkpoint and for a logout that the user may still cancel). The main
// window writes the entry file without a box, and the run goes on: nothing on screen changes,
// the tray icon stays. The end of the session, if it comes, is WM_ENDSESSION as ever. The Win32
// front end never sends it.
constexpr win::UINT kWmSaveNow = win::kWmApp + 1;

// A dialog's message handling, as the front end's dialog window calls it.
class IDialogHandler {
  public:
    virtual ~IDialogHandler() = default;
    // Called once the window and its controls exist, before WM_INITDIALOG.
    virtual void Attach(class IDialogWindow& window) = 0;
    // Called after WM_DESTROY has been handled; the window must not be used afterwards.
    virtual void Detach() = 0;
    // Every message that reaches the dialog. Returns whether the message was handled, and the
    // message result in `result`. For an unhandled message (false) the front end runs its default
    // processing: a Win32 dialog procedure returns FALSE, other front ends do their equivalent
    // (for WM_SYSCOMMAND the window command, for WM_PAINT the ordinary painting). Front ends
    // never end a dialog on their own: Escape, the close box and Alt+F4 become WM_COMMAND
    // IDCANCEL, and the core ends the dialog.
    virtual bool OnMessage(win::UINT message, win::WPARAM wParam, win::LPARAM lParam,
                           win::LRESULT& result) = 0;
};

// A popup menu, owned by the object: the destructor destroys the menu on every path.
class IPopupMenu {
  public:
    virtual ~IPopupMenu() = default;
    virtual void InsertItem(unsigned position, unsigned flags, unsigned id,
                            const std::string& text) = 0;
    // Shows the menu modally and returns when it has closed. A chosen item reaches the owner
    // window afterwards as WM_COMMAND with the item's identifier.
    virtual void TrackPopupMenu(unsigned flags, int x, int y, WindowHandle owner) = 0;
};

// A dialog window created from a template, with its controls. Valid between Attach and Detach.
class IDialogWindow {
  public:
    virtual ~IDialogWindow() = default;

    virtual WindowHandle Handle() const = 0;

    // Controls.
    virtual IListView* ListView(int controlId) = 0;  // nullptr when there is no such control
    virtual std::string ControlText(int controlId) const = 0;
    virtual void SetControlText(int controlId, const std::string& text) = 0;
    // Whether the control, given `text`, gives it back byte for byte: the core may then hold a
    // text back and answer for the control meanwhile.
    virtual bool GivesBackExactly(int controlId, const std::string& text) const = 0;
    // The list part of a combo box.
    virtual void ComboAddString(int controlId, const std::string& text) = 0;
    // Selects a list item, which puts its whole text into the edit part; -1 selects none and
    // empties the edit part.
    virtual void ComboSetCurSel(int controlId, int index) = 0;

    // The window itself.
    virtual void SetCaption(const std::string& text) = 0;
    virtual void SetIcon(int iconKind, IconHandle icon) = 0;  // kIconBig or kIconSmall
    // Appends to the system menu; false when the window has none (nothing is added).
    virtual bool AppendSystemMenu(unsigned flags, unsigned id, const std::string& text) = 0;
    virtual void ShowWindow(int showCommand) = 0;
    virtual void SetWindowPos(WindowHandle insertAfter, int x, int y, int cx, int cy,
                              unsigned flags) = 0;
    virtual void SetForegroundWindow() = 0;
    virtual void EndDialog(int result) = 0;
    virtual std::unique_ptr<IPopupMenu> CreatePopupMenu() = 0;  // nullptr on failure

    // The minimised drawing.
    virtual bool IsIconic() const = 0;
    virtual Size GetClientSize() const = 0;
    // Opens a paint context, sends WM_ICONERASEBKGND with it and draws the icon at (x, y).
    virtual void PaintIconic(IconHandle icon, int x, int y) = 0;
};

// One choice of the file dialog's type list: the name shown and its patterns ("*.exe", or
// several separated by semicolons).
struct FileFilter {
    std::string name;
    std::string pattern;
};

struct FileDialogRequest {
    std::string defaultExtension;
    std::string initialFileName;
    unsigned flags = 0;               // OFN_* values
    std::vector<FileFilter> filters;  // in order, as offered; the first is the default choice
};

struct ShellExecuteRequest {
    WindowHandle owner = 0;
    std::string operation;
    std::string file;
    std::optional<std::string> parameters;
    std::optional<std::string> directory;
    int showCommand = 0;
};

// The message a notification-area icon sends its window on Win32 (Shell_NotifyIcon's callback
// message): wParam the icon's identifier, lParam the mouse message of the press. Other front ends
// report the user's presses through ITrayEvents instead.
constexpr win::UINT kWmTrayNotify = win::kWmUser + 100;

// A notification-area icon as the program shows it: whose it is (the window and an identifier
// of the window's own), its image and its tip. A front end that shows tips of limited length
// cuts the tip short.
struct TrayIcon {
    WindowHandle window = 0;
    unsigned id = 0;
    IconHandle image = 0;
    std::string tip;
};

// One item of the icon's menu.
struct TrayMenuItem {
    unsigned id = 0;
    std::string title;

    bool operator==(const TrayMenuItem& other) const {
        return id == other.id && title == other.title;
    }
};

// What the user does with an icon, in the program's terms, as a front end whose tray gives no
// window message of its own reports it (Win32's presses reach the window as kWmTrayNotify, and
// the window's handler makes these calls itself).
class ITrayEvents {
  public:
    virtual ~ITrayEvents() = default;
    // The menu's items as they are now, top first: for a desktop that shows the menu itself
    // and asks for its items before each showing.
    virtual std::vector<TrayMenuItem> TrayMenuItems() = 0;
    // The user asks for the window back.
    virtual void OnTrayRestore() = 0;
    // The user asks for the menu at a point of the screen: the program shows its own there.
    virtual void OnTrayMenuAt(Point point) = 0;
    // The user chose an item of a menu the desktop showed with TrayMenuItems.
    virtual void OnTrayItemChosen(unsigned id) = 0;
};

// The entry file's storage. Bytes go in and out exactly; line-end translation is the core's.
class IFileStore {
  public:
    virtual ~IFileStore() = default;
    // The whole content of the named file in the working directory; a missing file is created
    // empty first. nullopt when the file cannot be opened for reading.
    virtual std::optional<std::string> ReadFileCreating(const std::string& name) = 0;
    // Replaces the named file's content in one step. On any failure the old file stays as it
    // was, no temporary file is left behind, and false is returned.
    virtual bool ReplaceContent(const std::string& name, const std::string& bytes) = 0;
    // Keeps bytes that could not be saved under `name` where the user can find them: a new
    // file in the user's own state directory, named with the time and the working directory's
    // name. Returns the new file's path, or nullopt when the bytes could not be kept either.
    virtual std::optional<std::string> KeepRecoveryCopy(const std::string& name,
                                                        const std::string& bytes) = 0;
};

// The name a recovery copy of the file `fileName` (a last component) takes at its `attempt`-th
// try, from 1, given the local time as "YYYYMMDD-HHMMSS" and the working directory's last
// component: "brcot-20261208-134501-Documents.dat", then "...-Documents-2.dat". The root
// (an empty component) reads "root", and a leading dot becomes "_": no copy is hidden. Both
// file stores name their copies so.
std::string RecoveryCopyName(const std::string& fileName, const std::string& stamp,
                             std::string directoryName, int attempt);

// The name of a temporary file that is to replace the file `fileName` (a last component), made
// by the process `writer`: ".brcot.dat.4711.k3j5h2l4m6n8.tmp", with a random tag of
// kTemporaryTagLength letters and digits (RandomTemporaryTag). Both file stores name their
// temporaries so; the writer's process id tells a later run whether the temporary is litter
// of a run that was killed during its save, or another run's that is being written right now.
constexpr size_t kTemporaryTagLength = 12;
std::string TemporaryFileName(const std::string& fileName, std::uint32_t writer,
                              const std::string& tag);
// The writer's process id in a directory entry's name that TemporaryFileName made for
// `fileName`; 0 when the name is not one.
std::uint32_t TemporaryFileWriter(const std::string& entry, const std::string& fileName);
// A fresh random tag for TemporaryFileName.
std::string RandomTemporaryTag();

// The program's open dialogs and notification-area icons, kept once for every front end: the
// core's dialogs enter and leave it as their windows come and go, the core's icons through
// IPlatform::ShowTrayIcon and RemoveTrayIcon. A front end finds its own windows and icons here
// and keeps no list of them.
class Registry {
  public:
    struct Icon {
        TrayIcon icon;
        ITrayEvents* events = nullptr;
        // Not yet in the notification area: it waits for its window's first frame (or a box).
        bool waiting = false;
    };

    void DialogOpened(IDialogWindow& window, int templateId);
    void DialogClosed(const IDialogWindow& window);
    // The open dialogs, the oldest first.
    std::vector<IDialogWindow*> Dialogs() const;
    IDialogWindow* Dialog(WindowHandle handle) const;  // nullptr when none is open with it
    IDialogWindow* DialogOf(int templateId) const;     // the newest open one of the template
    // The program's active window: the newest open dialog, 0 when none is. It owns a box or a
    // dialog given no owner.
    WindowHandle ActiveWindow() const;
    // A dialog's first frame is complete on screen.
    void DialogDrawn(WindowHandle handle);
    // Whether `handle` is an open dialog that has not drawn its first frame yet.
    bool AwaitsFirstFrame(WindowHandle handle) const;

    // What showing an icon asks of the front end: one icon per window and identifier, so a
    // second request for the same one changes it, and only when it shows something else.
    enum class IconChange { None, Add, Modify };
    IconChange ShowIcon(const TrayIcon& icon, ITrayEvents& events);
    // The icon as it was, nullopt when there was no such icon.
    std::optional<Icon> RemoveIcon(WindowHandle window, unsigned id);
    const Icon* FindIcon(WindowHandle window, unsigned id) const;
    Icon* FindIcon(WindowHandle window, unsigned id);
    std::vector<TrayIcon> IconsOf(WindowHandle window) const;
    std::vector<TrayIcon> Icons() const;

  private:
    struct OpenDialog {
        IDialogWindow* window;
        int templateId;
        bool drawn;
    };
    std::vector<Icon>::const_iterator IconAt(WindowHandle window, unsigned id) const;

    std::vector<OpenDialog> m_dialogs;
    std::vector<Icon> m_icons;
};

// Process-wide services.
class IPlatform {
  public:
    virtual ~IPlatform() = default;

    // Sockets start-up: the platform's result code (0 for success) and the version it reports.
    // Platforms with no separate start-up report success with the requested version.
    virtual int WSAStartup(std::uint16_t requestedVersion, std::uint16_t& reportedVersion) = 0;
    virtual void WSACleanup() = 0;

    // Creates the invisible pop-up window that owns the main window, never shown; 0 when it
    // cannot be created. It lives until the platform object is destroyed.
    virtual WindowHandle CreateOwnerWindow() = 0;
    // Creates the dialog of a template and runs it modally, calling the handler with its
    // messages; returns the result given to EndDialog, or -1 when the dialog cannot be created.
    // `owner` 0 means an unowned dialog; the core has already chosen the owner.
    virtual int DoModal(int templateId, WindowHandle owner, IDialogHandler& handler) = 0;
    // The program's active window (the newest of its dialogs that is open), 0 when none is.
    WindowHandle ActiveWindow() const { return m_registry.ActiveWindow(); }
    Registry& Windows() { return m_registry; }
    const Registry& Windows() const { return m_registry; }
    // A modal message box owned by `owner` (0 for none), with exactly the caption and the
    // MB_* type given; returns the IDOK / IDYES / IDNO answer. Icons waiting for their
    // window's first frame are put in the notification area first: a box of the start-up (the
    // load's "Maximum Items Reached") shows with the icon beside it.
    int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                       unsigned type);
    // The program file's name without its directory, as the system reports it ("brindlecot",
    // "BRINDLECOT.EXE").
    virtual std::string ProgramFileName() = 0;

    virtual IconHandle LoadIconResource(int resourceId) = 0;
    virtual Size SystemIconSize() = 0;  // SM_CXICON, SM_CYICON
    // The program file's whole path, as the system reports it.
    virtual std::string ProgramFilePath() = 0;
    // Whether `path` names a file (not a directory) that exists.
    virtual bool IsFile(const std::string& path) = 0;

    virtual std::optional<std::string> ShowOpenFileDialog(const FileDialogRequest& request) = 0;
    virtual std::string CurrentDirectory() = 0;
    virtual void ChangeCurrentDirectory(const std::string& directory) = 0;

    virtual void ExecuteShellRequest(const ShellExecuteRequest& request) = 0;
    // Shows a notification-area icon, or changes the one of the same window and identifier;
    // `events` hears what the user does with it until it is removed. On a front end whose icons
    // wait for the first frame, an icon of a dialog that has not drawn it yet is held, as last
    // asked for, and put in the notification area after that frame, or before a box if one
    // comes first.
    void ShowTrayIcon(const TrayIcon& icon, ITrayEvents& events);
    void RemoveTrayIcon(WindowHandle window, unsigned id);
    // The items of the icon's menu (ITrayEvents::TrayMenuItems) are no longer what they were.
    void TrayMenuChanged(WindowHandle window, unsigned id);
    // The front end's word that a dialog's first frame is complete on screen: its waiting
    // icons go to the notification area now.
    void OnFirstFrame(WindowHandle window);
    // Puts the window's icons that are in the notification area there again, as last shown:
    // for a tray that was created anew and holds none.
    void AddTrayIconsAgain(WindowHandle window);
    virtual Point GetCursorPos() = 0;

    virtual IFileStore& FileStore() = 0;

    // One line for whoever watches the program's error output (standard error), for what the
    // program does without asking at a moment when no one may be there to ask. The default
    // writes to standard error.
    virtual void WriteErrorLine(const std::string& line);

    // Key comparison for the ordering: <0, 0 or >0. Byte-wise and unsigned by default, which
    // for UTF-8 text is code-point order; a platform with double-byte code pages overrides it
    // with its multibyte comparison.
    virtual int CompareText(const std::string& a, const std::string& b);

  protected:
    virtual int ShowNativeMessageBox(WindowHandle owner, const std::string& text,
                                     const std::string& caption, unsigned type) = 0;

    // Whether icons wait for their window's first frame. Putting an icon in the notification
    // area talks to the desktop's tray (a window of another process, or the session bus): a
    // cost paid before the window is on screen, for an icon nobody looks at yet. A platform
    // that draws nothing has no first frame to wait for.
    virtual bool TrayIconsWaitForFirstFrame() const { return false; }
    // The native side of the icons: a front end puts an icon in the notification area, changes
    // its image and tip, and takes it away. The registry has already been brought up to date.
    virtual void AddNativeTrayIcon(const TrayIcon& icon) = 0;
    virtual void ModifyNativeTrayIcon(const TrayIcon& icon) = 0;
    virtual void RemoveNativeTrayIcon(WindowHandle window, unsigned id) = 0;
    // The menu of an icon in the notification area has other items now. A desktop that keeps
    // its own copy of the menu (a StatusNotifierItem host) is given the new one; a front end
    // that builds the menu at each press has nothing to do, which is the default.
    virtual void NativeTrayMenuChanged(const TrayIcon&) {}

  private:
    // The waiting icons of `window`, or of every window (nullopt), go to the notification area.
    void MakeWaitingTrayIcons(std::optional<WindowHandle> window);

    Registry m_registry;
};

// Byte-wise, unsigned, case-sensitive; a prefix is smaller.
int CompareBytes(const std::string& a, const std::string& b);

}  // namespace brindlecot::platform
