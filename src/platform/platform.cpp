#include "platform/platform.h"

#include <chrono>
#include <cstdio>
#include <random>
#include <string_view>

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

namespace {
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr size_t kMaxWriterDigits = 10;  // 4294967295
}  // namespace

std::string TemporaryFileName(const std::string& fileName, std::uint32_t writer,
                              const std::string& tag) {
    return "." + fileName + "." + std::to_string(writer) + "." + tag +
           std::string(kTemporarySuffix);
}

std::uint32_t TemporaryFileWriter(const std::string& entry, const std::string& fileName) {
    const std::string prefix = "." + fileName + ".";
    if (entry.size() < prefix.size() + 2 + kTemporaryTagLength + kTemporarySuffix.size() ||
        entry.compare(0, prefix.size(), prefix) != 0 ||
        entry.compare(entry.size() - kTemporarySuffix.size(), kTemporarySuffix.size(),
                      kTemporarySuffix) != 0)
        return 0;
    // "<writer>.<tag>" between the prefix and the suffix.
    const std::string middle =
        entry.substr(prefix.size(), entry.size() - prefix.size() - kTemporarySuffix.size());
    const size_t dot = middle.find('.');
    if (dot == std::string::npos || dot == 0 || dot > kMaxWriterDigits ||
        middle.size() - dot - 1 != kTemporaryTagLength)
        return 0;
    std::uint64_t writer = 0;
    for (size_t i = 0; i < dot; ++i) {
        if (middle[i] < '0' || middle[i] > '9')
            return 0;
        writer = writer * 10 + static_cast<std::uint64_t>(middle[i] - '0');
    }
    for (size_t i = dot + 1; i < middle.size(); ++i) {
        const char c = middle[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z')))
            return 0;
    }
    return writer > 0xFFFFFFFFu ? 0 : static_cast<std::uint32_t>(writer);
}

std::string RandomTemporaryTag() {
    static std::mt19937_64 generator{
        std::random_device{}() ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())};
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::uniform_int_distribution<int> pick(0, 35);
    std::string tag(kTemporaryTagLength, '0');
    for (char& c : tag)
        c = kDigits[pick(generator)];
    return tag;
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
