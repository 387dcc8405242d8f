// The entry file's storage on POSIX systems: whole-file reads, and replacement through a
// temporary file in the same directory, flushed to disk, renamed over the old file, and the
// directory flushed after it. A read-only file is refused rather than renamed over, and a
// symbolic link is followed, so that its target is replaced and the link stays.
//
// Only a regular file is read, and only up to kMaxReadBytes: a FIFO, device, socket or
// directory under the name, or a larger file, is a file that cannot be opened for reading, so
// start-up neither blocks on it nor runs out of memory, and the end of the run leaves it alone.
// Where the directory takes no new file but the file itself may be written, the content is
// written in place (not atomic, but the run's edits are not lost). Temporaries carry the
// writer's process id; reading at start-up removes those that a killed run left behind.
#pragma once

#include <sys/types.h>

#include <ctime>

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
    // A file the program wrote holds at most 50 entries; anything near this size is not one.
    static constexpr size_t kMaxReadBytes = 64 * 1024 * 1024;

    PosixFileStore() : PosixFileStore(SystemCalls::Real()) {}
    // `writeChunk` bounds the bytes one write call is given (at least 1).
    explicit PosixFileStore(SystemCalls calls, size_t writeChunk = kDefaultWriteChunk);

    std::optional<std::string> ReadFileCreating(const std::string& name) override;
    bool ReplaceContent(const std::string& name, const std::string& bytes) override;
    std::optional<std::string> KeepRecoveryCopy(const std::string& name,
                                                const std::string& bytes) override;

    // Where recovery copies go: $XDG_STATE_HOME/brindlecot, or ~/.local/state/brindlecot.
    static std::string DefaultRecoveryDirectory();
    void SetRecoveryDirectory(std::string directory) { m_recoveryDirectory = std::move(directory); }
    // The moment the run started: only temporaries older than it are taken for litter.
    void SetRunStart(const struct timespec& start) { m_runStart = start; }

  private:
    int CreateTemporary(const std::string& directory, const std::string& base, std::string& path);
    bool WriteAll(int fd, const std::string& bytes);
    bool WriteInPlace(const std::string& path, const std::string& bytes);
    void SyncDirectory(const std::string& directory);
    void RemoveStaleTemporaries(const std::string& directory, const std::string& base);

    SystemCalls m_calls;
    size_t m_writeChunk;
    std::string m_recoveryDirectory;
    struct timespec m_runStart {};
};

}  // namespace brindlecot::platform
