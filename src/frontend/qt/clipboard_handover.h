// What the user copied from the program's fields stays on the clipboard after the program
// ends, if the desktop runs a clipboard manager: on X11 the program hands it over as it ends.
// Qt does that itself, but waits up to five seconds for a manager that does not answer, with
// the window already gone, and does so even when the program only holds text selected in a
// field. Here the hand-over waits at most `limit`; then the program lets go of the clipboard
// and the selection (managers that keep a history still hold what was copied) and ends.
#pragma once

#include <chrono>

namespace brindlecot::qt {

// Returns whether a clipboard manager confirmed that it took the clipboard's contents. Off
// X11 it does nothing; when the program does not own the clipboard, or no clipboard manager
// runs, it only lets go of the selection; both return false.
bool HandClipboardOver(std::chrono::milliseconds limit);

}  // namespace brindlecot::qt
