// The entry file's storage on Windows: whole-file reads that share read, write and delete
// access, and replacement through a temporary file in the same directory, flushed to disk and
// then moved over the old file in one step. A read-only file is refused, not replaced.
//
// Only a file on disk is read, and only up to kMaxReadBytes: a directory, device or pipe under
// the name, or a larger file, is a file that cannot be opened for reading, so start-up neither
// blocks on it nor runs out of memory. Where the directory takes no new file but the file
// itself may be written, the content is written in place (not in one step, but the run's
// edits are not lost).
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace brindlecot::platform {

class Win32FileStore : public IFileStore {
  public:
    // The steps through which the store changes the disk. Tests replace one of them to make
    // that step fail; the default is the system's own. Each returns success.
    struct Steps {
        // Writes all of `bytes` to the open file (a HANDLE) and flushes it to disk.
        std::function<bool(void* file, const std::string& bytes)> writeAndFlush;
        // Creates a new, empty file beside `target` and returns its name; nullopt when the
        // directory takes no new file.
        std::function<std::optional<std::string>(const std::string& target)> makeTemporary;
        // Puts the temporary file in place of `target`.
        std::function<bool(const std::string& temporary, const std::string& target)> replace;
        static Steps Real();
    };

    // A file the program wrote holds at most 50 entries; anything near this size is not one.
    static constexpr long long kMaxReadBytes = 64LL * 1024 * 1024;

    Win32FileStore() : Win32FileStore(Steps::Real()) {}
    explicit Win32FileStore(Steps steps) : m_steps(std::move(steps)) {}

    std::optional<std::string> ReadFileCreating(const std::string& name) override;
    bool ReplaceContent(const std::string& name, const std::string& bytes) override;
    // A new file in %LOCALAPPDATA%\Brindlecot, named after `name`, the local time and the
    // working directory's name.
    std::optional<std::string> KeepRecoveryCopy(const std::string& name,
                                                const std::string& bytes) override;

  private:
    bool WriteInPlace(const std::string& name, const std::string& bytes);

    Steps m_steps;
};

}  // namespace brindlecot::platform
