// The entry file's storage on Windows: whole-file reads that share read, write and delete
// access, and replacement through a temporary file in the same directory, flushed to disk and
// then moved over the old file in one step. A read-only file is refused, not replaced, and a
// symbolic link is followed, so that its target is replaced and the link stays.
//
// Only a file on disk is read, and only up to kMaxReadBytes: a directory, device or pipe under
// the name, or a larger file, is a file that cannot be opened for reading, so start-up neither
// blocks on it nor runs out of memory. Where the directory refuses a new file (access denied)
// but the file itself may be written, the content is written in place (not in one step, but the
// run's edits are not lost); after any other failure, a full disk among them, the old file is
// left as it was. Temporaries carry the writer's process id; reading at start-up removes those
// that a killed run left behind.
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
        // Creates a new, empty file beside `target` and returns its name; nullopt with the
        // system's error code in `error` when no file can be made there.
        std::function<std::optional<std::string>(const std::string& target, unsigned long& error)>
            makeTemporary;
        // Puts the temporary file in place of `target`.
        std::function<bool(const std::string& temporary, const std::string& target)> replace;
        static Steps Real();
    };

    // A file the program wrote holds at most 50 entries; anything near this size is not one.
    static constexpr long long kMaxReadBytes = 64LL * 1024 * 1024;

    Win32FileStore() : Win32FileStore(Steps::Real()) {}
    explicit Win32FileStore(Steps steps);

    std::optional<std::string> ReadFileCreating(const std::string& name) override;
    bool ReplaceContent(const std::string& name, const std::string& bytes) override;
    // A new file in %LOCALAPPDATA%\Brindlecot, named after `name`, the local time and the
    // working directory's name.
    std::optional<std::string> KeepRecoveryCopy(const std::string& name,
                                                const std::string& bytes) override;

    // The moment the run started, as a FILETIME's 100-nanosecond count: only temporaries last
    // written before it are taken for litter.
    void SetRunStart(unsigned long long fileTime) { m_runStart = fileTime; }

  private:
    bool WriteInPlace(const std::string& name, const std::string& bytes);
    void RemoveStaleTemporaries(const std::string& target);

    Steps m_steps;
    unsigned long long m_runStart = 0;
};

}  // namespace brindlecot::platform
