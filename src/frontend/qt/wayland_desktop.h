// What a Wayland desktop needs from the front end that an X11 one does not. A Wayland client
// can neither place its own windows nor take the focus: the compositor does both. Two gestures
// of the tray rely on them:
//
// - The window brought back by the icon: a compositor gives the focus to a window that asks
//   with an activation token, which Qt only gets from an input event in the program (the
//   click on the icon happened in the bar). A compositor focuses a window that is mapped
//   anew, on the workspace the user looks at: the window is hidden and shown again
//   (`NeedsRemapToFront`, used by the dialog window).
// - The popup menu that the program shows itself (a bar that asks the item for its menu, such
//   as swaybar): without a window of the program under the pointer it becomes a window of its
//   own, which a tiling compositor tiles, full-screen on an empty workspace. It is given a
//   fixed size, which tiling compositors float, and on sway a rule that floats it without a
//   frame at the pointer, where the icon was pressed; then it is moved off the icon, to the
//   edge of the bar (`PrepareMenuWindow`).
#pragma once

#include <functional>
#include <optional>
#include <string>

class QMenu;
class QObject;
class QWidget;

namespace brindlecot::qt {

// True when the program is a client of a Wayland compositor.
bool OnWayland();

// The title of the window of a popup menu on Wayland, by which the compositor's rule finds it.
extern const char* const kMenuWindowTitle;

// Readies `menu`, about to be shown with no window of the program under it, for a Wayland
// compositor. Nothing elsewhere.
void PrepareMenuWindow(QMenu& menu);

// Whether `window`, already shown, must be mapped anew to come to the front: on Wayland, when
// it is not the active window.
bool NeedsRemapToFront(const QWidget& window);

// sway's command for a popup menu window of process `pid`: floating, without a frame, at the
// pointer.
std::string SwayMenuRule(long pid);

// Where a menu that sway has placed at the pointer goes next, so that it no longer covers the
// pointer, which rests on the icon (a second press there would choose the item under it):
// beside the bar, as a menu hangs from a bar's icon. From sway's window tree, the command that
// moves the menu window of process `pid`; nothing while that window is not there or not yet
// placed by the rule.
std::optional<std::string> SwayMenuMove(const std::string& tree, long pid);

// One message to sway over its IPC socket (the i3 protocol: "i3-ipc", the payload's length and
// the message type as native 32-bit integers, the payload): a command (type 0) or a question
// such as the window tree (type 4). The exchange runs on the event loop and never waits on the
// compositor: the message goes out as far as the socket takes it at once, the rest when it can
// take more, and the reply is read as it arrives. `done` gets the reply's payload, or nothing
// when the socket cannot be reached, answers wrongly or goes a second without a byte either
// way. It runs once, from the event loop, never within this call; never, if `context` is
// deleted first.
constexpr unsigned kSwayRunCommand = 0;
constexpr unsigned kSwayGetTree = 4;
using SwayReply = std::function<void(std::optional<std::string> reply)>;
void AskSway(const std::string& socketPath, const std::string& command, unsigned type,
             QObject& context, SwayReply done);

// Whether sway's reply to a command says that every command in it succeeded.
bool SwayReplySucceeded(const std::string& reply);

}  // namespace brindlecot::qt
