// The entry file's storage as every implementation must keep it: a missing file created empty
// on reading, bytes exact both ways, a replacement that happens whole or not at all and leaves
// no temporary file, and a read-only file refused.
//
// An implementation joins by giving a factory and instantiating the suite:
//   INSTANTIATE_TEST_SUITE_P(Mine, FileStoreContract, ::testing::Values(&myFactory),
//                            contract::FactoryName());
#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/contract/contract_factory.h"
#include "platform/platform.h"

namespace brindlecot::contract {

// One store made for one test, over an empty working directory of its own, and the ways another
// program would look at and change that directory.
class FileStoreSubject {
  public:
    virtual ~FileStoreSubject() = default;
    virtual platform::IFileStore& Store() = 0;

    // A file's bytes as another program reads them; nullopt when there is no such file.
    virtual std::optional<std::string> Peek(const std::string& name) = 0;
    // Writes a file as another program would.
    virtual void Put(const std::string& name, const std::string& bytes) = 0;
    // Marks an existing file read-only.
    virtual void MakeReadOnly(const std::string& name) = 0;
    // Puts something under the name that cannot be opened for reading as a file.
    virtual void MakeUnreadable(const std::string& name) = 0;
    // From now on (or no longer), every replacement fails after part of the new content has
    // been written, as on a full disk.
    virtual void FailReplacements(bool fail) = 0;
    // Every name in the working directory, sorted: a temporary left behind shows here.
    virtual std::vector<std::string> Names() = 0;
};

class FileStoreFactory : public Factory {
  public:
    virtual std::unique_ptr<FileStoreSubject> Make() const = 0;
};

// Test listings show the implementation's name rather than an address.
inline void PrintTo(const FileStoreFactory* factory, std::ostream* os) {
    *os << factory->Name();
}

class FileStoreContract : public ::testing::TestWithParam<const FileStoreFactory*> {
  protected:
    void SetUp() override;

    std::unique_ptr<FileStoreSubject> m_subject;
    platform::IFileStore* store = nullptr;
};

}  // namespace brindlecot::contract
