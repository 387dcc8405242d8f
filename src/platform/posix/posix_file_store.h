// The entry file's storage on POSIX systems: whole-file reads, and replacement through a
// temporary file in the same directory, flushed to disk and renamed over the old file.
#pragma once

#include "platform/platform.h"

namespace brindlecot::platform {

class PosixFileStore : public IFileStore {
  public:
    std::optional<std::string> ReadFileCreating(const std::string& name) override;
    bool ReplaceFile(const std::string& name, const std::string& bytes) override;
};

}  // namespace brindlecot::platform
