// The in-memory platform with the real POSIX entry-file store, for tests and benchmarks that
// run the main window against files on disk. Header only: its users link brindlecot_posix.
#pragma once

#include <cstddef>
#include <utility>

#include "platform/posix/posix_file_store.h"
#include "support/fake_platform.h"

namespace brindlecot::fake {

class FakePlatformOnDisk : public FakePlatform {
  public:
    FakePlatformOnDisk() = default;
    explicit FakePlatformOnDisk(platform::PosixFileStore::SystemCalls calls,
                                size_t writeChunk = platform::PosixFileStore::kDefaultWriteChunk)
        : store(std::move(calls), writeChunk) {}
    platform::IFileStore& FileStore() override { return store; }

    platform::PosixFileStore store;
};

}  // namespace brindlecot::fake
