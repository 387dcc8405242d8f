#include "platform/platform.h"

#include <cstdio>

namespace brindlecot::platform {

int CompareBytes(const std::string& a, const std::string& b) {
    // std::string::compare uses char_traits<char>, whose ordering is that of unsigned char.
    const int r = a.compare(b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int IPlatform::CompareText(const std::string& a, const std::string& b) {
    return CompareBytes(a, b);
}

void IPlatform::WriteErrorLine(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

}  // namespace brindlecot::platform
