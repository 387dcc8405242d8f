#include "platform/platform.h"

#include <cstdio>

namespace brindlecot::platform {

int CompareBytes(const std::string& a, const std::string& b) {
    // std::string::compare uses char_traits<char>, whose ordering is that of unsigned char.
    const int r = a.compare(b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

std::string RecoveryCopyName(const std::string& fileName, const std::string& stamp,
                             std::string directoryName, int attempt) {
    std::string stem = fileName;
    std::string extension;
    if (const size_t dot = stem.rfind('.'); dot != std::string::npos && dot > 0) {
        extension = stem.substr(dot);
        stem.erase(dot);
    }
    if (directoryName.empty())
        directoryName = "root";
    if (directoryName[0] == '.')
        directoryName[0] = '_';
    std::string name = stem + "-" + stamp + "-" + directoryName;
    if (attempt > 1)
        name += "-" + std::to_string(attempt);
    return name + extension;
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
