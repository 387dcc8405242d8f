#include "platform/posix/posix_directory.h"

#include <unistd.h>

#include <cerrno>

namespace brindlecot::platform {

std::string CurrentDirectory() {
    // A name longer than the buffer is ERANGE: the buffer grows until it fits, up to a bound
    // no real name reaches.
    constexpr size_t kLongest = size_t{1} << 20;
    std::string buffer(4096, '\0');
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE || buffer.size() >= kLongest)
            return {};
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(std::char_traits<char>::length(buffer.c_str()));
    return buffer;
}

}  // namespace brindlecot::platform
