#include "platform/posix/posix_file_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <random>
#include <vector>

namespace brindlecot::platform {

namespace {

constexpr int kMaxLinkHops = 40;  // as the kernel's own limit (ELOOP)
constexpr int kMaxTemporaryAttempts = 100;

// "." for a bare name, "/" for a name in the root.
std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Join(const std::string& directory, const std::string& name) {
    if (directory == ".")
        return name;
    if (!directory.empty() && directory.back() == '/')
        return directory + name;
    return directory + "/" + name;
}

// The file a chain of symbolic links ends at (the name itself when it is no link, also when
// it does not exist). nullopt for a loop or a link that cannot be read.
std::optional<std::string> FollowLinks(std::string path) {
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::vector<char> buffer(256);
        ssize_t n = 0;
        for (;;) {
            n = ::readlink(path.c_str(), buffer.data(), buffer.size());
            if (n < 0)
                return std::nullopt;
            if (static_cast<size_t>(n) < buffer.size())
                break;
            buffer.resize(buffer.size() * 2);
        }
        std::string link(buffer.data(), static_cast<size_t>(n));
        path = (!link.empty() && link[0] == '/') ? link : Join(DirectoryOf(path), link);
    }
    errno = ELOOP;
    return std::nullopt;
}

// A rename would slip past a read-only mode (and the superuser past every mode bit), so a
// file that no one may write, or that this process may not write, is not replaced.
bool MayReplace(const std::string& path, const struct stat& st) {
    if (!S_ISREG(st.st_mode))
        return false;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return false;
    return ::access(path.c_str(), W_OK) == 0;
}

std::string RandomSuffix() {
    static std::mt19937_64 generator{std::random_device{}() ^
                                     (static_cast<std::uint64_t>(::getpid()) << 32)};
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::uniform_int_distribution<int> pick(0, 35);
    std::string suffix(12, '0');
    for (char& c : suffix)
        c = kDigits[pick(generator)];
    return suffix;
}

}  // namespace

PosixFileStore::SystemCalls PosixFileStore::SystemCalls::Real() {
    SystemCalls calls;
    calls.open = [](const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); };
    calls.write = [](int fd, const void* data, size_t size) { return ::write(fd, data, size); };
    calls.fsync = [](int fd) { return ::fsync(fd); };
    calls.close = [](int fd) { return ::close(fd); };
    calls.fchmod = [](int fd, mode_t mode) { return ::fchmod(fd, mode); };
    calls.rename = [](const char* from, const char* to) { return ::rename(from, to); };
    calls.unlink = [](const char* path) { return ::unlink(path); };
    return calls;
}

PosixFileStore::PosixFileStore(SystemCalls calls, size_t writeChunk)
    : m_calls(std::move(calls)), m_writeChunk(std::max<size_t>(writeChunk, 1)) {}

std::optional<std::string> PosixFileStore::ReadFileCreating(const std::string& name) {
    const int fd = m_calls.open(name.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return std::nullopt;
    std::string content;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > 0)
        content.reserve(static_cast<size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;  // end of input or a read error: what was read stands
        content.append(buffer, static_cast<size_t>(n));
    }
    m_calls.close(fd);
    return content;
}

int PosixFileStore::CreateTemporary(const std::string& directory, const std::string& base,
                                    std::string& path) {
    for (int attempt = 0; attempt < kMaxTemporaryAttempts; ++attempt) {
        path = Join(directory, "." + base + "." + RandomSuffix() + ".tmp");
        const int fd = m_calls.open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool PosixFileStore::WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const size_t chunk = std::min(m_writeChunk, bytes.size() - done);
        const ssize_t n = m_calls.write(fd, bytes.data() + done, chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;  // 0 would repeat for ever: the disk is full
        done += static_cast<size_t>(n);
    }
    return true;
}

void PosixFileStore::SyncDirectory(const std::string& directory) {
    // Makes the rename itself durable. The new content is in place already, so a failure
    // here (some file systems cannot flush a directory) is not a failed save.
    const int fd = m_calls.open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0)
        return;
    m_calls.fsync(fd);
    m_calls.close(fd);
}

bool PosixFileStore::ReplaceContent(const std::string& name, const std::string& bytes) {
    const std::optional<std::string> target = FollowLinks(name);
    if (!target)
        return false;
    struct stat st {};
    const bool exists = ::stat(target->c_str(), &st) == 0;
    if (!exists && errno != ENOENT)
        return false;
    if (exists && !MayReplace(*target, st))
        return false;

    const std::string directory = DirectoryOf(*target);
    std::string temporary;
    const int fd = CreateTemporary(directory, BaseNameOf(*target), temporary);
    if (fd < 0)
        return false;

    bool ok = true;
    if (exists) {
        // The new file takes the old one's permissions, and its owner where that is allowed.
        ok = m_calls.fchmod(fd, st.st_mode & 07777) == 0;
        if (ok && (st.st_uid != ::geteuid() || st.st_gid != ::getegid())) {
            [[maybe_unused]] const int ignored = ::fchown(fd, st.st_uid, st.st_gid);
        }
    }
    ok = ok && WriteAll(fd, bytes) && m_calls.fsync(fd) == 0;
    ok = m_calls.close(fd) == 0 && ok;
    ok = ok && m_calls.rename(temporary.c_str(), target->c_str()) == 0;
    if (!ok) {
        m_calls.unlink(temporary.c_str());
        return false;
    }
    SyncDirectory(directory);
    return true;
}

}  // namespace brindlecot::platform
