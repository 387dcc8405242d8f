// The entry file's storage on POSIX systems: whole-file reads, and replacement through a
// temporary file in the same directory, flushed to disk, renamed over the old file, and the
// directory flushed after it. A read-only file is refused rather than renamed over, and a
// symbolic link is followed, so that its target is replaced and the link stays.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace brindlecot::platform {

class PosixFileStore : public IFileStore {
  public:
    // The system calls through which the store touches the disk. Tests replace some of them
    // to make any one step fail; Real() gives the system's own.
    struct SystemCalls {
        std::function<int(const char* path, int flags, mode_t mode)> open;
        std::function<ssize_t(int fd, const void* data, size_t size)> write;
        std::function<int(int fd)> fsync;
        std::function<int(int fd)> close;
        std::function<int(int fd, mode_t mode)> fchmod;
        std::function<int(const char* from, const char* to)> rename;
        std::function<int(const char* path)> unlink;
        static SystemCalls Real();
    };

    static constexpr size_t kDefaultWriteChunk = 64 * 1024;

    PosixFileStore() : PosixFileStore(SystemCalls::Real()) {}
    // `writeChunk` bounds the bytes one write call is given (at least 1).
    explicit PosixFileStore(SystemCalls calls, size_t writeChunk = kDefaultWriteChunk);

    std::optional<std::string> ReadFileCreating(const std::string& name) override;
    bool ReplaceContent(const std::string& name, const std::string& bytes) override;

  private:
    int CreateTemporary(const std::string& directory, const std::string& base, std::string& path);
    bool WriteAll(int fd, const std::string& bytes);
    void SyncDirectory(const std::string& directory);

    SystemCalls m_calls;
    size_t m_writeChunk;
};

}  // namespace brindlecot::platform
