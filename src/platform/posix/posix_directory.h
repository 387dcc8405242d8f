// The process's working directory on POSIX systems.
#pragma once

#include <string>

namespace brindlecot::platform {

// The working directory's absolute name, its bytes as the system gives them whatever their
// encoding, however long it is; empty when the system cannot give it (the directory was
// removed, or a directory above it may not be searched).
std::string CurrentDirectory();

}  // namespace brindlecot::platform
