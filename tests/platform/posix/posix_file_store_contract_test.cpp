// The POSIX entry-file store held to the store's contract, in a fresh temporary directory that
// is the working directory for the length of each test.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/contract/file_store_contract.h"
#include "platform/posix/posix_file_store.h"

namespace brindlecot::contract {
namespace {

namespace fs = std::filesystem;
using platform::PosixFileStore;

class PosixStore : public FileStoreSubject {
  public:
    PosixStore() : m_store(Calls(), 4096) {
        m_oldCwd = fs::current_path();
        std::string pattern = (fs::temp_directory_path() / "brindlecot-contract-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("no temporary directory");
        m_dir = pattern;
        fs::current_path(m_dir);
        // Recovery copies go beside the working directory, never into the user's own.
        m_store.SetRecoveryDirectory(m_dir.string() + "-state");
    }
    ~PosixStore() override {
        std::error_code ignored;
        fs::current_path(m_oldCwd, ignored);
        fs::remove_all(m_dir, ignored);
        fs::remove_all(m_dir.string() + "-state", ignored);
    }

    platform::IFileStore& Store() override { return m_store; }
    std::optional<std::string> Peek(const std::string& name) override {
        if (!fs::is_regular_file(name))
            return std::nullopt;
        std::ifstream in(name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void Put(const std::string& name, const std::string& bytes) override {
        std::ofstream(name, std::ios::binary | std::ios::trunc) << bytes;
    }
    void MakeReadOnly(const std::string& name) override { ::chmod(name.c_str(), 0444); }
    // A directory cannot be read as a file, whoever runs the test (also the superuser).
    void MakeUnreadable(const std::string& name) override { fs::create_directory(name); }
    void FailReplacements(bool fail) override { m_fail = fail; }
    std::vector<std::string> Names() override {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator("."))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    // The real calls, except that while failing is asked for, the second write of each new
    // file puts half of its bytes on the disk and then finds the disk full.
    PosixFileStore::SystemCalls Calls() {
        PosixFileStore::SystemCalls calls = PosixFileStore::SystemCalls::Real();
        const auto realOpen = calls.open;
        calls.open = [this, realOpen](const char* path, int flags, mode_t mode) {
            if (flags & O_EXCL)
                m_writes = 0;
            return realOpen(path, flags, mode);
        };
        const auto realWrite = calls.write;
        calls.write = [this, realWrite](int fd, const void* data, size_t size) -> ssize_t {
            if (m_fail && m_writes++ == 1) {
                [[maybe_unused]] const ssize_t n = realWrite(fd, data, size / 2);
                errno = ENOSPC;
                return -1;
            }
            return realWrite(fd, data, size);
        };
        return calls;
    }

    bool m_fail = false;
    int m_writes = 0;
    PosixFileStore m_store;
    fs::path m_oldCwd;
    fs::path m_dir;
};

class PosixStoreFactory : public FileStoreFactory {
  public:
    std::string Name() const override { return "Posix"; }
    std::unique_ptr<FileStoreSubject> Make() const override {
        return std::make_unique<PosixStore>();
    }
};

const PosixStoreFactory kPosixStores;

INSTANTIATE_TEST_SUITE_P(Posix, FileStoreContract, ::testing::Values(&kPosixStores), FactoryName());

}  // namespace
}  // namespace brindlecot::contract
