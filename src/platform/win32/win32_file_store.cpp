#include "platform/win32/win32_file_store.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

namespace brindlecot::platform {

namespace {

struct HandleCloser {
    void operator()(void* h) const {
        if (h && h != INVALID_HANDLE_VALUE)
            ::CloseHandle(h);
    }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

UniqueHandle Adopt(HANDLE h) {
    return UniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

struct FindCloser {
    void operator()(void* h) const { ::FindClose(h); }
};
// A directory search, closed with FindClose; empty when nothing matched.
using UniqueFind = std::unique_ptr<void, FindCloser>;

// The directory part of a name, with its separator; empty for a bare name.
std::string DirectoryOf(const std::string& path) {
    const size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

bool WriteAndFlush(void* file, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return ::FlushFileBuffers(file) != 0;
}

// The last component of a path; empty for a drive's root.
std::string BaseNameOf(const std::string& path) {
    std::string trimmed = path;
    while (!trimmed.empty() && (trimmed.back() == '\\' || trimmed.back() == '/'))
        trimmed.pop_back();
    const size_t cut = trimmed.find_last_of("\\/:");
    return cut == std::string::npos ? trimmed : trimmed.substr(cut + 1);
}

constexpr int kMaxTemporaryAttempts = 100;

std::optional<std::string> MakeTemporary(const std::string& target, unsigned long& error) {
    // Beside the target, so that the move stays on one volume; named for this process, so
    // that a later run can tell whose it is. CREATE_NEW: a name some other file has is never
    // taken over, and another is tried.
    const std::string directory = DirectoryOf(target);
    const std::string base = BaseNameOf(target);
    const auto self = static_cast<std::uint32_t>(::GetCurrentProcessId());
    for (int attempt = 0; attempt < kMaxTemporaryAttempts; ++attempt) {
        const std::string path = directory + TemporaryFileName(base, self, RandomTemporaryTag());
        if (Adopt(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr)))
            return path;
        error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return std::nullopt;
    }
    return std::nullopt;
}

// The file a name ends at, through symbolic links (a chain of them too, relative or absolute):
// the name itself when it is no link or does not exist; nullopt for a link whose end cannot be
// found (a loop, a link to a missing file), which is not to be replaced by a file of our own.
std::optional<std::string> FollowLinks(const std::string& name) {
    const DWORD attributes = ::GetFileAttributesA(name.c_str());
    const bool link =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    // Read no access, only the name: works for a file that others hold open, or that this
    // user may not read. Backup semantics let a directory open too (it is refused later).
    UniqueHandle file =
        Adopt(::CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) {
        if (link)
            return std::nullopt;
        return name;
    }
    std::vector<char> buffer(MAX_PATH + 1);
    for (;;) {
        const DWORD n = ::GetFinalPathNameByHandleA(file.get(), buffer.data(),
                                                    static_cast<DWORD>(buffer.size()),
                                                    FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0)
            return link ? std::nullopt : std::optional<std::string>(name);
        if (n < buffer.size()) {
            buffer.resize(n);
            break;
        }
        buffer.resize(n + 1);
    }
    std::string path(buffer.begin(), buffer.end());
    // "\\?\C:\dir\file" and "\\?\UNC\server\share\file": the plain forms, which every
    // call takes as long as the path is short enough for one.
    if (path.size() < MAX_PATH) {
        if (path.rfind("\\\\?\\UNC\\", 0) == 0) {
            path = "\\\\" + path.substr(8);
        } else if (path.rfind("\\\\?\\", 0) == 0 && path.size() > 6 && path[5] == ':') {
            path = path.substr(4);
        }
    }
    return path;
}

bool ProcessRuns(std::uint32_t pid) {
    const UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, pid));
    if (!process) {
        // No such process; any other refusal (another user's process) means it is there.
        return ::GetLastError() != ERROR_INVALID_PARAMETER;
    }
    return ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

unsigned long long Ticks(const FILETIME& t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

std::string WorkingDirectoryName() {
    const DWORD needed = ::GetCurrentDirectoryA(0, nullptr);
    if (needed == 0)
        return "unknown";
    std::vector<char> buffer(needed + 1);
    const DWORD got = ::GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (got == 0 || got >= buffer.size())
        return "unknown";
    return BaseNameOf(std::string(buffer.data(), got));
}

// The user's own state folder for the program, created when missing.
std::optional<std::string> RecoveryDirectory() {
    const DWORD needed = ::GetEnvironmentVariableA("LOCALAPPDATA", nullptr, 0);
    if (needed == 0)
        return std::nullopt;
    std::vector<char> buffer(needed + 1);
    const DWORD got =
        ::GetEnvironmentVariableA("LOCALAPPDATA", buffer.data(), static_cast<DWORD>(buffer.size()));
    if (got == 0 || got >= buffer.size())
        return std::nullopt;
    std::string directory(buffer.data(), got);
    if (!directory.empty() && directory.back() != '\\' && directory.back() != '/')
        directory += '\\';
    directory += "Brindlecot";
    if (!::CreateDirectoryA(directory.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        return std::nullopt;
    return directory;
}

bool Replace(const std::string& temporary, const std::string& target) {
    return ::MoveFileExA(temporary.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace

Win32FileStore::Steps Win32FileStore::Steps::Real() {
    return Steps{WriteAndFlush, MakeTemporary, Replace};
}

Win32FileStore::Win32FileStore(Steps steps) : m_steps(std::move(steps)) {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    m_runStart = Ticks(now);
}

void Win32FileStore::RemoveStaleTemporaries(const std::string& target) {
    const std::string directory = DirectoryOf(target);
    const std::string base = BaseNameOf(target);
    WIN32_FIND_DATAA entry{};
    const HANDLE first = ::FindFirstFileA((directory + "." + base + ".*.tmp").c_str(), &entry);
    if (first == INVALID_HANDLE_VALUE)
        return;
    const UniqueFind find(first);
    const auto self = static_cast<std::uint32_t>(::GetCurrentProcessId());
    do {
        const std::uint32_t writer = TemporaryFileWriter(entry.cFileName, base);
        if (writer == 0 || writer == self ||
            (entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
            Ticks(entry.ftLastWriteTime) >= m_runStart || ProcessRuns(writer))
            continue;
        ::DeleteFileA((directory + entry.cFileName).c_str());
    } while (::FindNextFileA(find.get(), &entry));
}

std::optional<std::string> Win32FileStore::ReadFileCreating(const std::string& name) {
    if (const std::optional<std::string> target = FollowLinks(name))
        RemoveStaleTemporaries(*target);
    // Other programs may read, write, rename or delete the file while it is open here.
    UniqueHandle file = Adopt(::CreateFileA(name.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return std::nullopt;
    if (::GetFileType(file.get()) != FILE_TYPE_DISK)
        return std::nullopt;  // a device or a pipe under that name is no entry file
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxReadBytes)
        return std::nullopt;
    std::string content;
    content.reserve(static_cast<size_t>(size.QuadPart));
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) || got == 0)
            break;  // end of input or a read error: what was read stands
        content.append(buffer, got);
        if (static_cast<long long>(content.size()) > kMaxReadBytes)
            return std::nullopt;  // it grew while being read
    }
    return content;
}

bool Win32FileStore::ReplaceContent(const std::string& name, const std::string& bytes) {
    // A link's target is replaced and the link stays, as on POSIX systems.
    const std::optional<std::string> target = FollowLinks(name);
    if (!target)
        return false;
    const DWORD attributes = ::GetFileAttributesA(target->c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        // A move would replace a read-only file as well; and Wine, run as the superuser, opens
        // one for writing whatever its mode: the attribute is what decides.
        if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))
            return false;
    } else if (::GetLastError() != ERROR_FILE_NOT_FOUND) {
        return false;
    }

    unsigned long error = 0;
    const std::optional<std::string> temporary = m_steps.makeTemporary(*target, error);
    if (!temporary) {
        // A directory that refuses a new file, holding a file the user may write: written in
        // place rather than losing the run's edits. Not after any other failure: on a full
        // disk, emptying the old file to write it again would lose it too.
        return error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
               WriteInPlace(*target, bytes);
    }
    bool ok = false;
    {
        UniqueHandle file = Adopt(::CreateFileA(temporary->c_str(), GENERIC_WRITE, 0, nullptr,
                                                TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ok = file && m_steps.writeAndFlush(file.get(), bytes);
    }
    ok = ok && m_steps.replace(*temporary, *target);
    if (!ok)
        ::DeleteFileA(temporary->c_str());
    return ok;
}

bool Win32FileStore::WriteInPlace(const std::string& name, const std::string& bytes) {
    UniqueHandle file = Adopt(::CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || ::GetFileType(file.get()) != FILE_TYPE_DISK)
        return false;
    return m_steps.writeAndFlush(file.get(), bytes) && ::SetEndOfFile(file.get()) &&
           ::FlushFileBuffers(file.get());
}

std::optional<std::string> Win32FileStore::KeepRecoveryCopy(const std::string& name,
                                                            const std::string& bytes) {
    const std::optional<std::string> directory = RecoveryDirectory();
    if (!directory)
        return std::nullopt;
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    char stamp[32] = {};
    std::snprintf(stamp, sizeof stamp, "%04u%02u%02u-%02u%02u%02u", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond);
    const std::string fileName = BaseNameOf(name);
    const std::string directoryName = WorkingDirectoryName();
    for (int n = 1; n <= 100; ++n) {
        const std::string path =
            *directory + "\\" + RecoveryCopyName(fileName, stamp, directoryName, n);
        UniqueHandle file = Adopt(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
                continue;
            return std::nullopt;
        }
        const bool ok = WriteAndFlush(file.get(), bytes);
        file.reset();
        if (!ok) {
            ::DeleteFileA(path.c_str());
            return std::nullopt;
        }
        return path;
    }
    return std::nullopt;
}

}  // namespace brindlecot::platform
