// The entry file's storage, run against every implementation that instantiates the suite.
#include "platform/contract/file_store_contract.h"

namespace brindlecot::contract {

using Strings = std::vector<std::string>;

namespace {

const std::string kName = "brcot.dat";

// Every byte value, the line ends of both kinds, the end-of-file character, trailing blanks,
// and enough of it to take more than one read or write.
std::string BytesOfEveryKind() {
    std::string bytes = std::string("CREATOR=x \r\nST=a\rb\nc\r\n\x1A\0tail  ", 30);
    for (int i = 0; i < 300000; ++i)
        bytes += static_cast<char>((i * 131) & 0xFF);
    return bytes;
}

}  // namespace

void FileStoreContract::SetUp() {
    m_subject = GetParam()->Make();
    ASSERT_TRUE(m_subject);
    store = &m_subject->Store();
    ASSERT_EQ(m_subject->Names(), Strings{});
}

// ---- Reading ----

TEST_P(FileStoreContract, ReadingAMissingFileCreatesItEmpty) {
    EXPECT_EQ(store->ReadFileCreating(kName), std::optional<std::string>(""));
    EXPECT_EQ(m_subject->Peek(kName), std::optional<std::string>(""));
    EXPECT_EQ(m_subject->Names(), Strings{kName});
    // And it is an ordinary file that can be replaced.
    EXPECT_TRUE(store->ReplaceContent(kName, "x"));
    EXPECT_EQ(m_subject->Peek(kName), std::optional<std::string>("x"));
}

TEST_P(FileStoreContract, ReadingGivesEveryByteAndChangesNothing) {
    const std::string bytes = BytesOfEveryKind();
    m_subject->Put(kName, bytes);
    EXPECT_EQ(store->ReadFileCreating(kName), bytes);
    EXPECT_EQ(store->ReadFileCreating(kName), bytes);
    EXPECT_EQ(m_subject->Peek(kName), bytes);
    EXPECT_EQ(m_subject->Names(), Strings{kName});
}

TEST_P(FileStoreContract, SomethingThatCannotBeReadGivesNothing) {
    m_subject->MakeUnreadable(kName);
    EXPECT_EQ(store->ReadFileCreating(kName), std::nullopt);
}

// ---- Keeping what could not be saved ----

TEST_P(FileStoreContract, ARecoveryCopyIsANewFileEachTimeAndLeavesTheWorkingDirectoryAlone) {
    m_subject->Put(kName, "old");
    const std::vector<std::string> before = m_subject->Names();
    const std::optional<std::string> first = store->KeepRecoveryCopy(kName, "list one");
    const std::optional<std::string> second = store->KeepRecoveryCopy(kName, "list two");
    ASSERT_TRUE(first.has_value());
    ASSERT_TRUE(second.has_value());
    EXPECT_NE(*first, *second);
    EXPECT_EQ(m_subject->Names(), before);
    EXPECT_EQ(m_subject->Peek(kName), std::optional<std::string>("old"));
}

// ---- Replacing ----

TEST_P(FileStoreContract, ReplacingWritesExactlyTheBytesAndNothingElse) {
    const std::string bytes = BytesOfEveryKind();
    m_subject->Put("other.dat", "other");
    ASSERT_TRUE(store->ReplaceContent(kName, bytes));  // a new file
    EXPECT_EQ(m_subject->Peek(kName), bytes);
    ASSERT_TRUE(store->ReplaceContent(kName, "short\r\n"));  // no tail of the longer one stays
    EXPECT_EQ(m_subject->Peek(kName), std::optional<std::string>("short\r\n"));
    EXPECT_EQ(store->ReadFileCreating(kName), std::optional<std::string>("short\r\n"));
    ASSERT_TRUE(store->ReplaceContent(kName, ""));  // emptied, not removed
    EXPECT_EQ(m_subject->Peek(kName), std::optional<std::string>(""));
    EXPECT_EQ(m_subject->Peek("other.dat"), std::optional<std::string>("other"));
    EXPECT_EQ(m_subject->Names(), (Strings{kName, "other.dat"}));
}

TEST_P(FileStoreContract, AFailedReplacementKeepsTheOldFileWholeAndLeavesNoTemporary) {
    const std::string old = "CREATOR=old\r\n\r\nST=a\r\nURL=b\r\nSORTORDER=1\r\n";
    m_subject->Put(kName, old);
    m_subject->FailReplacements(true);
    EXPECT_FALSE(store->ReplaceContent(kName, BytesOfEveryKind()));
    EXPECT_EQ(m_subject->Peek(kName), old);
    EXPECT_EQ(m_subject->Names(), Strings{kName});
    // Nor does a failure leave a new file where there was none.
    EXPECT_FALSE(store->ReplaceContent("new.dat", BytesOfEveryKind()));
    EXPECT_EQ(m_subject->Names(), Strings{kName});
    // Once writes succeed again, so does the next replacement.
    m_subject->FailReplacements(false);
    EXPECT_TRUE(store->ReplaceContent(kName, "new"));
    EXPECT_EQ(m_subject->Peek(kName), std::optional<std::string>("new"));
    EXPECT_EQ(m_subject->Names(), Strings{kName});
}

TEST_P(FileStoreContract, AReadOnlyFileIsRefusedAndStaysAsItWas) {
    const std::string old = "CREATOR=old\r\n";
    m_subject->Put(kName, old);
    m_subject->MakeReadOnly(kName);
    EXPECT_FALSE(store->ReplaceContent(kName, "new"));
    EXPECT_EQ(m_subject->Peek(kName), old);
    EXPECT_EQ(m_subject->Names(), Strings{kName});
    // It can still be read.
    EXPECT_EQ(store->ReadFileCreating(kName), old);
}

}  // namespace brindlecot::contract
