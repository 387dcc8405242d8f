// Starting a program that outlives the request on POSIX systems: the arguments go to it as
// the bytes they are, as separate argv entries, and no command interpreter sees them.
#pragma once

#include <string>
#include <vector>

namespace brindlecot::platform {

// Starts `file` with `args` (argv[1] on) and returns without waiting for it. With `searchPath`
// a name without a slash is looked up on PATH, otherwise `file` is the path itself. The
// started program is not our child: it is never left behind as a zombie, and the program may
// end before it. False when the start could not even be attempted (no process could be made);
// whether the program itself ran is not known, as a shell request's caller does not ask.
bool StartDetached(const std::string& file, const std::vector<std::string>& args, bool searchPath);

}  // namespace brindlecot::platform
