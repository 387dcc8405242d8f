// The POSIX entry-file store on a real temporary directory: exact bytes in and out, the
// atomic and checked replacement, the read-only file, symbolic links, and a failure
// injected at every step of the save, seen through the main window as the user sees it.
#include "platform/posix/posix_file_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "catalogue/entry_file_fixture.h"
#include "support/fake_platform_on_disk.h"

namespace brindlecot {
namespace {

namespace fs = std::filesystem;
using platform::PosixFileStore;

// The real system calls, logged, with one step made to fail. Calls on the files under `spared`
// (the recovery copies' directory) pass straight through, unlogged and never failed.
class StepCalls {
  public:
    enum class Step { None, Create, Fchmod, Write, FileSync, Close, Rename, DirectorySync };

    explicit StepCalls(Step fail = Step::None, int failIndex = 0)
        : m_fail(fail), m_failIndex(failIndex) {}

    PosixFileStore::SystemCalls Calls() {
        const PosixFileStore::SystemCalls real = PosixFileStore::SystemCalls::Real();
        PosixFileStore::SystemCalls calls = real;
        calls.open = [this, real](const char* path, int flags, mode_t mode) {
            if (!spared.empty() && std::string(path).rfind(spared, 0) == 0) {
                const int fd = real.open(path, flags, mode);
                m_sparedFds.insert(fd);
                return fd;
            }
            const bool create = (flags & O_EXCL) != 0;
            const bool directory = (flags & O_DIRECTORY) != 0;
            log.push_back(std::string(create      ? "create "
                                      : directory ? "open-dir "
                                                  : "open ") +
                          path);
            if (create) {
                temporaries.push_back(path);
                if (Fails(Step::Create))
                    return -1;
                if (collisions > 0) {
                    --collisions;
                    errno = EEXIST;
                    return -1;
                }
            }
            const int fd = real.open(path, flags, mode);
            if (create)
                m_tempFd = fd;
            if (directory)
                m_dirFd = fd;
            return fd;
        };
        calls.fchmod = [this, real](int fd, mode_t mode) {
            log.push_back("fchmod");
            return Fails(Step::Fchmod) ? -1 : real.fchmod(fd, mode);
        };
        calls.write = [this, real](int fd, const void* data, size_t size) -> ssize_t {
            if (m_sparedFds.count(fd))
                return real.write(fd, data, size);
            log.push_back("write " + std::to_string(size));
            const int index = writes++;
            if (m_fail == Step::Write && index == m_failIndex) {
                // Part of the chunk reaches the disk, then the disk is full.
                [[maybe_unused]] const ssize_t n = real.write(fd, data, size / 2);
                Fails(Step::Write);
                return -1;
            }
            if (interrupts > 0) {
                --interrupts;
                errno = EINTR;
                return -1;
            }
            if (shortWrites && size > 1)
                return real.write(fd, data, size / 2);
            return real.write(fd, data, size);
        };
        calls.fsync = [this, real](int fd) {
            if (m_sparedFds.count(fd))
                return real.fsync(fd);
            const bool directory = fd == m_dirFd;
            log.push_back(directory ? "fsync-dir" : "fsync");
            return Fails(directory ? Step::DirectorySync : Step::FileSync) ? -1 : real.fsync(fd);
        };
        calls.close = [this, real](int fd) {
            if (m_sparedFds.erase(fd))
                return real.close(fd);
            const bool temp = fd == m_tempFd;
            const bool directory = fd == m_dirFd;
            if (temp)
                m_tempFd = -1;
            if (directory)
                m_dirFd = -1;
            log.push_back(temp ? "close" : directory ? "close-dir" : "close-read");
            const int rc = real.close(fd);  // closed even when it reports a failure
            return temp && Fails(Step::Close) ? -1 : rc;
        };
        calls.rename = [this, real](const char* from, const char* to) {
            log.push_back(std::string("rename ") + from + " " + to);
            return Fails(Step::Rename) ? -1 : real.rename(from, to);
        };
        calls.unlink = [this, real](const char* path) {
            log.push_back(std::string("unlink ") + path);
            return real.unlink(path);
        };
        return calls;
    }

    std::vector<std::string> log;
    std::vector<std::string> temporaries;  // every name a temporary was created under
    int writes = 0;                        // write calls made
    bool failed = false;                   // the step made to fail was reached
    int collisions = 0;                    // creations that find the name taken first
    int interrupts = 0;  // writes interrupted by a signal before any byte is written
    bool shortWrites = false;
    int createErrno = ENOSPC;  // a temporary cannot be created: the disk is full
    std::string spared;

  private:
    bool Fails(Step step) {
        if (step != m_fail)
            return false;
        failed = true;
        errno = step == Step::Rename ? EXDEV : step == Step::Create ? createErrno : ENOSPC;
        return true;
    }

    Step m_fail;
    int m_failIndex;
    int m_tempFd = -1;
    int m_dirFd = -1;
    std::set<int> m_sparedFds;
};

class PosixFileStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_oldCwd = fs::current_path();
        std::string pattern = (fs::temp_directory_path() / "brindlecot-store-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        fs::current_path(m_dir);
        m_umask = ::umask(0);
        ::umask(m_umask);
    }
    void TearDown() override {
        fs::current_path(m_oldCwd);
        fs::remove_all(m_dir);
        fs::remove_all(StateDirectory());
    }

    // Where the runs of a test keep their recovery copies: beside the working directory, so
    // that a copy never shows among its names, and never in the user's own state directory.
    std::string StateDirectory() const { return m_dir.string() + "-state"; }
    // The recovery copies kept so far, by name.
    std::map<std::string, std::string> Copies() const {
        std::map<std::string, std::string> copies;
        if (!fs::is_directory(StateDirectory()))
            return copies;
        for (const auto& e : fs::directory_iterator(StateDirectory()))
            copies[e.path().filename().string()] = Get(e.path().string());
        return copies;
    }

    static void Put(const std::string& path, const std::string& bytes, mode_t mode = 0644) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        ::chmod(path.c_str(), mode);
    }
    static std::string Get(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static mode_t Mode(const std::string& path) {
        struct stat st {};
        return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
    }
    // The names in a directory, sorted: a temporary left behind shows here.
    static Strings Names(const std::string& directory = ".") {
        Strings names;
        for (const auto& e : fs::directory_iterator(directory)) {
            names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::string LinkText(const std::string& path) { return fs::read_symlink(path).string(); }

    mode_t m_umask = 022;

  private:
    fs::path m_oldCwd;
    fs::path m_dir;
};

// ---- Reading ----

TEST_F(PosixFileStoreTest, ReadingAMissingFileCreatesItEmptyAsAnOrdinaryReadWriteFile) {
    PosixFileStore store;
    EXPECT_EQ(store.ReadFileCreating("brcot.dat"), std::optional<std::string>(""));
    EXPECT_EQ(Names(), Strings{"brcot.dat"});
    EXPECT_EQ(Mode("brcot.dat"), 0666 & ~m_umask);
}

TEST_F(PosixFileStoreTest, ReadingGivesEveryByteUnchanged) {
    std::string bytes = std::string("a\r\nb\rc\n\x1A\0d", 11);
    for (int i = 0; i < 200000; ++i)
        bytes += static_cast<char>(i * 7);
    Put("brcot.dat", bytes);
    PosixFileStore store;
    EXPECT_EQ(store.ReadFileCreating("brcot.dat"), bytes);
}

TEST_F(PosixFileStoreTest, AFileThatCannotBeOpenedForReadingGivesNothing) {
    fs::create_directory("brcot.dat");
    PosixFileStore store;
    EXPECT_EQ(store.ReadFileCreating("brcot.dat"), std::nullopt);

    PosixFileStore::SystemCalls calls = PosixFileStore::SystemCalls::Real();
    calls.open = [](const char*, int, mode_t) {
        errno = EACCES;
        return -1;
    };
    PosixFileStore refusing(calls);
    EXPECT_EQ(refusing.ReadFileCreating("other.dat"), std::nullopt);
    EXPECT_EQ(Names(), Strings{"brcot.dat"});
}

// ---- Replacing ----

TEST_F(PosixFileStoreTest, ANewFileGetsExactlyTheBytesAndNoTemporaryStays) {
    PosixFileStore store;
    ASSERT_TRUE(store.ReplaceContent("brcot.dat", kWorkedExample));
    EXPECT_EQ(Get("brcot.dat"), kWorkedExample);
    EXPECT_EQ(Names(), Strings{"brcot.dat"});
    EXPECT_EQ(Mode("brcot.dat"), 0666 & ~m_umask);
}

TEST_F(PosixFileStoreTest, TheOldFileIsReplacedInOneStepAndKeepsItsPermissions) {
    Put("brcot.dat", "old content\r\n", 0640);
    // A reader that has the old file open still reads the old bytes: the new content went to
    // another file, which took the old one's name in one step.
    const int reader = ::open("brcot.dat", O_RDONLY);
    ASSERT_GE(reader, 0);
    PosixFileStore store;
    ASSERT_TRUE(store.ReplaceContent("brcot.dat", kWorkedExample));
    char buffer[64] = {};
    const ssize_t n = ::read(reader, buffer, sizeof buffer);
    ::close(reader);
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(std::max<ssize_t>(n, 0))), "old content\r\n");
    EXPECT_EQ(Get("brcot.dat"), kWorkedExample);
    EXPECT_EQ(Mode("brcot.dat"), 0640u);
    EXPECT_EQ(Names(), Strings{"brcot.dat"});
}

TEST_F(PosixFileStoreTest, TheTemporaryIsFlushedBeforeTheRenameAndTheDirectoryAfterIt) {
    Put("brcot.dat", "old");
    StepCalls steps;
    PosixFileStore store(steps.Calls(), 40);
    ASSERT_TRUE(store.ReplaceContent("brcot.dat", kWorkedExample));
    ASSERT_EQ(steps.temporaries.size(), 1u);
    const std::string temp = steps.temporaries[0];
    EXPECT_EQ(temp.rfind(".brcot.dat.", 0), 0u) << temp;  // hidden, in the same directory
    EXPECT_EQ(steps.log, (Strings{"create " + temp, "fchmod", "write 40", "write 40", "write 24",
                                  "fsync", "close", "rename " + temp + " brcot.dat", "open-dir .",
                                  "fsync-dir", "close-dir"}));
}

TEST_F(PosixFileStoreTest, ShortAndInterruptedWritesAreContinued) {
    StepCalls steps;
    steps.shortWrites = true;
    steps.interrupts = 2;
    PosixFileStore store(steps.Calls(), 16);
    ASSERT_TRUE(store.ReplaceContent("brcot.dat", kWorkedExample));
    EXPECT_EQ(Get("brcot.dat"), kWorkedExample);
    EXPECT_GT(steps.writes, 7 + 2);  // more than the 7 full chunks and the 2 interruptions
}

TEST_F(PosixFileStoreTest, ATakenTemporaryNameIsTriedAgainUnderAnother) {
    StepCalls steps;
    steps.collisions = 2;
    PosixFileStore store(steps.Calls());
    ASSERT_TRUE(store.ReplaceContent("brcot.dat", "x"));
    ASSERT_EQ(steps.temporaries.size(), 3u);
    EXPECT_NE(steps.temporaries[0], steps.temporaries[1]);
    EXPECT_NE(steps.temporaries[1], steps.temporaries[2]);
    EXPECT_EQ(Names(), Strings{"brcot.dat"});
}

TEST_F(PosixFileStoreTest, ZeroBytesEmptyTheFileWithoutAWrite) {
    Put("brcot.dat", kWorkedExample);
    StepCalls steps;
    PosixFileStore store(steps.Calls());
    ASSERT_TRUE(store.ReplaceContent("brcot.dat", ""));
    EXPECT_EQ(Get("brcot.dat"), "");
    EXPECT_EQ(std::count_if(steps.log.begin(), steps.log.end(),
                            [](const std::string& s) { return s.rfind("write", 0) == 0; }),
              0);
}

TEST_F(PosixFileStoreTest, AReadOnlyFileIsNotReplaced) {
    Put("brcot.dat", kWorkedExample, 0444);
    PosixFileStore store;
    EXPECT_FALSE(store.ReplaceContent("brcot.dat", "new"));
    EXPECT_EQ(Get("brcot.dat"), kWorkedExample);
    EXPECT_EQ(Mode("brcot.dat"), 0444u);
    EXPECT_EQ(Names(), Strings{"brcot.dat"});
}

TEST_F(PosixFileStoreTest, SomethingOtherThanAFileIsNotReplaced) {
    fs::create_directory("brcot.dat");
    PosixFileStore store;
    EXPECT_FALSE(store.ReplaceContent("brcot.dat", "new"));
    EXPECT_TRUE(fs::is_directory("brcot.dat"));
    EXPECT_EQ(Names(), Strings{"brcot.dat"});
}

TEST_F(PosixFileStoreTest, ALinkedFileIsReplacedInItsOwnDirectoryAndTheLinkStays) {
    fs::create_directory("store");
    Put("store/real.dat", "old", 0600);
    fs::create_symlink("store/real.dat", "brcot.dat");
    StepCalls steps;
    PosixFileStore store(steps.Calls());
    ASSERT_TRUE(store.ReplaceContent("brcot.dat", kWorkedExample));
    EXPECT_TRUE(fs::is_symlink("brcot.dat"));
    EXPECT_EQ(LinkText("brcot.dat"), "store/real.dat");
    EXPECT_EQ(Get("store/real.dat"), kWorkedExample);
    EXPECT_EQ(Mode("store/real.dat"), 0600u);
    ASSERT_EQ(steps.temporaries.size(), 1u);
    EXPECT_EQ(steps.temporaries[0].rfind("store/.real.dat.", 0), 0u);
    EXPECT_EQ(Names(), (Strings{"brcot.dat", "store"}));
    EXPECT_EQ(Names("store"), Strings{"real.dat"});
    // And the read goes through the link to the same file.
    EXPECT_EQ(store.ReadFileCreating("brcot.dat"), kWorkedExample);
}

TEST_F(PosixFileStoreTest, AChainOfLinksAbsoluteAndRelativeIsFollowedToItsEnd) {
    fs::create_directory("store");
    Put("store/real.dat", "old");
    fs::create_symlink("real.dat", "store/middle");  // relative to the link's own directory
    fs::create_symlink(fs::absolute("store/middle"), "brcot.dat");
    PosixFileStore store;
    ASSERT_TRUE(store.ReplaceContent("brcot.dat", "new"));
    EXPECT_EQ(Get("store/real.dat"), "new");
    EXPECT_TRUE(fs::is_symlink("brcot.dat"));
    EXPECT_TRUE(fs::is_symlink("store/middle"));
    EXPECT_EQ(Names("store"), (Strings{"middle", "real.dat"}));
}

TEST_F(PosixFileStoreTest, ALinkToAMissingFileCreatesThatFile) {
    fs::create_directory("store");
    fs::create_symlink("store/new.dat", "brcot.dat");
    PosixFileStore store;
    ASSERT_TRUE(store.ReplaceContent("brcot.dat", "new"));
    EXPECT_EQ(Get("store/new.dat"), "new");
    EXPECT_TRUE(fs::is_symlink("brcot.dat"));
}

TEST_F(PosixFileStoreTest, ALinkLoopOrALinkToAReadOnlyFileIsRefused) {
    fs::create_symlink("loop.b", "brcot.dat");
    fs::create_symlink("brcot.dat", "loop.b");
    PosixFileStore store;
    EXPECT_FALSE(store.ReplaceContent("brcot.dat", "new"));
    EXPECT_EQ(Names(), (Strings{"brcot.dat", "loop.b"}));

    Put("locked.dat", "old", 0444);
    fs::create_symlink("locked.dat", "other.dat");
    EXPECT_FALSE(store.ReplaceContent("other.dat", "new"));
    EXPECT_EQ(Get("locked.dat"), "old");
    EXPECT_TRUE(fs::is_symlink("other.dat"));
}

TEST_F(PosixFileStoreTest, ADirectoryThatCannotBeFlushedDoesNotFailTheSave) {
    StepCalls steps(StepCalls::Step::DirectorySync);
    PosixFileStore store(steps.Calls());
    EXPECT_TRUE(store.ReplaceContent("brcot.dat", "new"));
    EXPECT_TRUE(steps.failed);
    EXPECT_EQ(Get("brcot.dat"), "new");
}

// ---- What is not a file of ours ----

TEST_F(PosixFileStoreTest, OnlyARegularFileIsReadAndNothingElseBlocksOrChanges) {
    // A FIFO would hold a plain open until a writer comes: the test would hang here.
    ASSERT_EQ(::mkfifo("brcot.dat", 0644), 0);
    PosixFileStore store;
    EXPECT_EQ(store.ReadFileCreating("brcot.dat"), std::nullopt);
    struct stat st {};
    ASSERT_EQ(::lstat("brcot.dat", &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_FALSE(store.ReplaceContent("brcot.dat", "new"));
    ASSERT_EQ(::lstat("brcot.dat", &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    fs::remove("brcot.dat");

    // A device behind a link is not opened at all.
    fs::create_symlink("/dev/zero", "brcot.dat");
    EXPECT_EQ(store.ReadFileCreating("brcot.dat"), std::nullopt);
    EXPECT_EQ(LinkText("brcot.dat"), "/dev/zero");
    EXPECT_EQ(Names(), Strings{"brcot.dat"});
}

TEST_F(PosixFileStoreTest, AFileBeyondTheBoundIsRefusedWithoutReadingIt) {
    const auto sized = [](off_t size) {
        const int fd = ::open("brcot.dat", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, size), 0);  // sparse: no disk space taken
        ::close(fd);
    };
    PosixFileStore store;
    sized(static_cast<off_t>(PosixFileStore::kMaxReadBytes) + 1);
    EXPECT_EQ(store.ReadFileCreating("brcot.dat"), std::nullopt);
    sized(static_cast<off_t>(PosixFileStore::kMaxReadBytes));
    const std::optional<std::string> atBound = store.ReadFileCreating("brcot.dat");
    ASSERT_TRUE(atBound.has_value());
    EXPECT_EQ(atBound->size(), PosixFileStore::kMaxReadBytes);
}

// ---- A directory that takes no new file ----

TEST_F(PosixFileStoreTest, WithoutRoomForATemporaryAWritableFileIsWrittenInPlace) {
    Put("brcot.dat", "old content that is longer than the new one\r\n", 0640);
    StepCalls steps(StepCalls::Step::Create);
    steps.createErrno = EACCES;  // the directory is not writable; the file is
    PosixFileStore store(steps.Calls(), 40);
    ASSERT_TRUE(store.ReplaceContent("brcot.dat", kWorkedExample));
    EXPECT_EQ(Get("brcot.dat"), kWorkedExample);
    EXPECT_EQ(Mode("brcot.dat"), 0640u);
    EXPECT_EQ(Names(), Strings{"brcot.dat"});
    const std::string temp = steps.temporaries.at(0);
    EXPECT_EQ(steps.log, (Strings{"create " + temp, "open brcot.dat", "write 40", "write 40",
                                  "write 24", "fsync", "close-read"}));
}

TEST_F(PosixFileStoreTest, InPlaceIsNotTriedForAReadOnlyFileOrAFullDisk) {
    Put("brcot.dat", kWorkedExample, 0444);
    StepCalls denied(StepCalls::Step::Create);
    denied.createErrno = EACCES;
    PosixFileStore store(denied.Calls());
    EXPECT_FALSE(store.ReplaceContent("brcot.dat", "new"));
    EXPECT_EQ(Get("brcot.dat"), kWorkedExample);

    ::chmod("brcot.dat", 0644);
    StepCalls full(StepCalls::Step::Create);  // ENOSPC: truncating would lose the old file too
    PosixFileStore fullStore(full.Calls());
    EXPECT_FALSE(fullStore.ReplaceContent("brcot.dat", "new"));
    EXPECT_TRUE(full.failed);
    EXPECT_EQ(Get("brcot.dat"), kWorkedExample);
    EXPECT_EQ(std::count(full.log.begin(), full.log.end(), "open brcot.dat"), 0);
}

// ---- Temporaries of a killed run ----

TEST_F(PosixFileStoreTest, StartUpRemovesOnlyOldTemporariesOfRunsThatAreGone) {
    // A process id that is certainly gone: a child that has been waited for.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const std::string gone = std::to_string(child);
    const std::string stale = ".brcot.dat." + gone + ".abcdefghijkl.tmp";
    const std::string running = ".brcot.dat.1.abcdefghijkl.tmp";  // pid 1 always runs
    const std::string recent = ".brcot.dat." + gone + ".mnopqrstuvwx.tmp";
    const std::string otherFile = ".other.dat." + gone + ".abcdefghijkl.tmp";
    const std::string oddName = ".brcot.dat." + gone + ".short.tmp";
    for (const std::string& name : {stale, running, recent, otherFile, oddName})
        Put(name, "partial");
    Put("brcot.dat", kWorkedExample);

    PosixFileStore store;
    const time_t start = ::time(nullptr);
    store.SetRunStart({start, 0});
    for (const std::string& name : {stale, running, recent, otherFile, oddName}) {
        // The recent one was written in the second this run started: it may be another run's.
        const time_t when = name == recent ? start : start - 60;
        const struct timespec times[2] = {{when, 0}, {when, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, name.c_str(), times, 0), 0);
    }
    EXPECT_EQ(store.ReadFileCreating("brcot.dat"), kWorkedExample);
    Strings expected = {running, recent, otherFile, oddName, "brcot.dat"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Names(), expected);
}

TEST_F(PosixFileStoreTest, ASaveLeavesNoTemporaryThatTheNextStartWouldNotRecognise) {
    StepCalls steps;
    PosixFileStore store(steps.Calls());
    ASSERT_TRUE(store.ReplaceContent("brcot.dat", "x"));
    const std::string name = steps.temporaries.at(0);
    EXPECT_EQ(name.rfind(".brcot.dat." + std::to_string(::getpid()) + ".", 0), 0u) << name;
}

// ---- Recovery copies ----

TEST_F(PosixFileStoreTest, ARecoveryCopyIsAPrivateNewFileNamedWithTheTimeAndTheDirectory) {
    fs::create_directory("work dir");
    fs::current_path("work dir");
    PosixFileStore store;
    const std::string recovery = (fs::current_path().parent_path() / "state/deep").string();
    store.SetRecoveryDirectory(recovery);
    const std::optional<std::string> first = store.KeepRecoveryCopy("brcot.dat", kWorkedExample);
    const std::optional<std::string> second = store.KeepRecoveryCopy("brcot.dat", "second");
    fs::current_path("..");
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    EXPECT_EQ(Get(*first), kWorkedExample);
    EXPECT_EQ(Get(*second), "second");
    EXPECT_EQ(Mode(*first), 0600u);
    EXPECT_EQ(Mode(recovery), 0700u);
    const std::string name = fs::path(*first).filename().string();
    // brcot-YYYYMMDD-HHMMSS-work dir.dat
    ASSERT_EQ(name.size(), std::string("brcot-YYYYMMDD-HHMMSS-work dir.dat").size()) << name;
    EXPECT_EQ(name.substr(0, 6), "brcot-");
    EXPECT_TRUE(std::all_of(name.begin() + 6, name.begin() + 14, ::isdigit)) << name;
    EXPECT_EQ(name.substr(21), "-work dir.dat");
    EXPECT_EQ(Names(), (Strings{"state", "work dir"}));
}

// Both file stores name their copies by this rule.
TEST(RecoveryCopyNameTest, NamesCarryTheTimeAndTheDirectoryAndNoDirectoryHidesTheCopy) {
    using brindlecot::platform::RecoveryCopyName;
    const std::string t = "20261208-134501";
    EXPECT_EQ(RecoveryCopyName("brcot.dat", t, "Documents", 1), "brcot-" + t + "-Documents.dat");
    EXPECT_EQ(RecoveryCopyName("brcot.dat", t, "Documents", 2), "brcot-" + t + "-Documents-2.dat");
    EXPECT_EQ(RecoveryCopyName("brcot.dat", t, "", 1), "brcot-" + t + "-root.dat");
    EXPECT_EQ(RecoveryCopyName("brcot.dat", t, ".config", 1), "brcot-" + t + "-_config.dat");
    EXPECT_EQ(RecoveryCopyName("list", t, "a.b", 3), "list-" + t + "-a.b-3");
}

TEST_F(PosixFileStoreTest, NoRecoveryCopyWhereTheStateDirectoryCannotBeMade) {
    Put("state", "a file in the way");
    PosixFileStore store;
    store.SetRecoveryDirectory((fs::current_path() / "state/brindlecot").string());
    EXPECT_EQ(store.KeepRecoveryCopy("brcot.dat", "x"), std::nullopt);
    store.SetRecoveryDirectory("");
    EXPECT_EQ(store.KeepRecoveryCopy("brcot.dat", "x"), std::nullopt);
}

// ---- A failure at every step, through the main window ----

class SaveFaultTest : public PosixFileStoreTest {
  protected:
    // One run on disk: start-up loads the worked example, the user adds an entry, the run
    // ends and saves through `calls`. Returns the boxes the run showed.
    std::vector<fake::FakePlatform::Box> Run(PosixFileStore::SystemCalls calls) {
        Put("brcot.dat", kWorkedExample, 0644);
        fake::FakePlatformOnDisk platform(std::move(calls), kChunk);
        platform.store.SetRecoveryDirectory(StateDirectory());
        CBrindlecotDlg dlg(platform);
        fake::FakeDialogWindow& w = platform.Open(dlg, IDD_BRINDLECOT_DIALOG);
        EXPECT_EQ(static_cast<int>(w.list.rows.size()), 2);
        w.Type(IDC_TITLE, "Paint");
        w.Type(IDC_TARGET, "mspaint.exe");
        w.Type(IDC_SORTORDER, "03");
        w.Click(IDC_ADD);
        platform.Close(w);
        return platform.boxes;
    }

    static constexpr size_t kChunk = 16;
};

TEST_F(SaveFaultTest, AFailureAtAnyStepShowsOneBoxAndLeavesTheOldFileAsItWas) {
    // Without a fault: the new content and how many writes it takes.
    StepCalls clean;
    ASSERT_TRUE(Run(clean.Calls()).empty());
    const std::string saved = Get("brcot.dat");
    ASSERT_EQ(saved, kWorkedExample.substr(0, 24) +
                         "ST=Paint\r\nURL=mspaint.exe\r\nSORTORDER=03\r\n\r\n" +
                         kWorkedExample.substr(24));
    const int writes = clean.writes;
    ASSERT_EQ(writes, static_cast<int>((saved.size() + kChunk - 1) / kChunk));
    ASSERT_GE(writes, 9);

    using Step = StepCalls::Step;
    std::vector<std::pair<Step, int>> faults = {{Step::Create, 0},
                                                {Step::Fchmod, 0},
                                                {Step::FileSync, 0},
                                                {Step::Close, 0},
                                                {Step::Rename, 0}};
    for (int i = 0; i < writes; ++i)
        faults.emplace_back(Step::Write, i);

    for (const auto& [step, index] : faults) {
        SCOPED_TRACE("step " + std::to_string(static_cast<int>(step)) + ", write " +
                     std::to_string(index));
        fs::remove_all(StateDirectory());
        StepCalls faulty(step, index);
        faulty.spared = StateDirectory() + "/";
        const auto boxes = Run(faulty.Calls());
        EXPECT_TRUE(faulty.failed);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "Save to File");
        EXPECT_EQ(boxes[0].caption, "Error Writing File");
        EXPECT_EQ(boxes[0].type, win::kMbOk);
        EXPECT_NE(boxes[0].owner, 0u);  // the main window's own box
        EXPECT_EQ(Get("brcot.dat"), kWorkedExample);
        EXPECT_EQ(Mode("brcot.dat"), 0644u);
        EXPECT_EQ(Names(), Strings{"brcot.dat"});
        // Nothing is renamed after a failure, and a temporary that was created is removed.
        const bool renamed =
            std::any_of(faulty.log.begin(), faulty.log.end(),
                        [](const std::string& s) { return s.rfind("rename", 0) == 0; });
        EXPECT_EQ(renamed, step == Step::Rename);
        // And the list the run could not save is kept, whole, in the recovery directory.
        const auto copies = Copies();
        ASSERT_EQ(copies.size(), 1u);
        EXPECT_EQ(copies.begin()->second, saved);
    }
}

TEST_F(SaveFaultTest, AReadOnlyFileShowsTheBoxAndStaysAsItWas) {
    Put("brcot.dat", kWorkedExample, 0444);
    fake::FakePlatformOnDisk platform;
    platform.store.SetRecoveryDirectory(StateDirectory());
    CBrindlecotDlg dlg(platform);
    fake::FakeDialogWindow& w = platform.Open(dlg, IDD_BRINDLECOT_DIALOG);
    EXPECT_EQ(static_cast<int>(w.list.rows.size()), 2);  // a read-only file is read all the same
    platform.boxAnswers.push_back(win::kIdYes);
    w.Click(IDC_CLEARALL);
    platform.Close(w);
    ASSERT_EQ(platform.boxes.size(), 2u);  // the Clear All question, then the save's box
    EXPECT_EQ(platform.boxes[1].text, "Save to File");
    EXPECT_EQ(platform.boxes[1].caption, "Error Writing File");
    EXPECT_EQ(Get("brcot.dat"), kWorkedExample);
    EXPECT_EQ(Mode("brcot.dat"), 0444u);
    EXPECT_EQ(Names(), Strings{"brcot.dat"});
    EXPECT_TRUE(Copies().empty());  // an empty list: nothing to keep
}

// ---- Quit where the file cannot be written: the box, and the list kept all the same ----

class QuitFaultTest : public SaveFaultTest {
  protected:
    // A run on disk whose user adds one entry and quits; returns the save boxes it showed.
    int QuitAfterAdding(PosixFileStore::SystemCalls calls = PosixFileStore::SystemCalls::Real()) {
        fake::FakePlatformOnDisk platform(std::move(calls));
        platform.store.SetRecoveryDirectory(StateDirectory());
        CBrindlecotDlg dlg(platform);
        fake::FakeDialogWindow& w = platform.Open(dlg, IDD_BRINDLECOT_DIALOG);
        loaded = static_cast<int>(w.list.rows.size());
        w.Type(IDC_TITLE, "Paint");
        w.Type(IDC_TARGET, "mspaint.exe");
        w.Type(IDC_SORTORDER, "03");
        w.Click(IDC_ADD);
        platform.Close(w);
        errorLines = platform.errorLines;
        int boxes = 0;
        for (const auto& b : platform.boxes)
            boxes += b.text == "Save to File" && b.caption == "Error Writing File";
        EXPECT_EQ(boxes, static_cast<int>(platform.boxes.size()));
        return boxes;
    }
    // The one copy kept, checked against the line that named it.
    std::string TheCopy() const {
        const auto copies = Copies();
        EXPECT_EQ(copies.size(), 1u);
        if (copies.empty())
            return "";
        const std::string path = StateDirectory() + "/" + copies.begin()->first;
        EXPECT_EQ(errorLines.size(), 1u);
        if (!errorLines.empty()) {
            EXPECT_NE(errorLines[0].find("is kept in " + path), std::string::npos) << errorLines[0];
        }
        return copies.begin()->second;
    }

    static inline const std::string kPaintOnly =
        "CREATOR=Brindlecot 1.0\r\nST=Paint\r\nURL=mspaint.exe\r\nSORTORDER=03\r\n";
    static inline const std::string kWorkedExampleAndPaint =
        kWorkedExample.substr(0, 24) + "ST=Paint\r\nURL=mspaint.exe\r\nSORTORDER=03\r\n\r\n" +
        kWorkedExample.substr(24);
    int loaded = -1;
    Strings errorLines;
};

TEST_F(QuitFaultTest, AFifoIsLeftAloneAndTheRunsEntriesAreKept) {
    ASSERT_EQ(::mkfifo("brcot.dat", 0644), 0);
    EXPECT_EQ(QuitAfterAdding(), 1);
    EXPECT_EQ(loaded, 0);
    struct stat st {};
    ASSERT_EQ(::lstat("brcot.dat", &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(TheCopy(), kPaintOnly);
}

TEST_F(QuitFaultTest, AFileOverTheSizeLimitIsLeftAloneAndTheRunsEntriesAreKept) {
    const int fd = ::open("brcot.dat", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(PosixFileStore::kMaxReadBytes) + 1), 0);
    ::close(fd);
    EXPECT_EQ(QuitAfterAdding(), 1);
    EXPECT_EQ(loaded, 0);
    EXPECT_EQ(fs::file_size("brcot.dat"), PosixFileStore::kMaxReadBytes + 1);
    EXPECT_EQ(TheCopy(), kPaintOnly);
    EXPECT_EQ(Names(), Strings{"brcot.dat"});
}

TEST_F(QuitFaultTest, AFileTheUserMayNotReadIsLeftAloneAndTheRunsEntriesAreKept) {
    Put("brcot.dat", kWorkedExample, 0200);
    PosixFileStore::SystemCalls calls = PosixFileStore::SystemCalls::Real();
    if (::geteuid() == 0) {
        // The superuser reads any file: the refusal an ordinary user meets, at the open.
        const auto real = calls.open;
        calls.open = [real](const char* path, int flags, mode_t mode) {
            if ((flags & O_ACCMODE) == O_RDONLY && std::string(path) == "brcot.dat") {
                errno = EACCES;
                return -1;
            }
            return real(path, flags, mode);
        };
    }
    EXPECT_EQ(QuitAfterAdding(calls), 1);
    EXPECT_EQ(loaded, 0);
    ::chmod("brcot.dat", 0644);
    EXPECT_EQ(Get("brcot.dat"), kWorkedExample);
    EXPECT_EQ(TheCopy(), kPaintOnly);
    EXPECT_EQ(Names(), Strings{"brcot.dat"});
}

TEST_F(QuitFaultTest, AReadOnlyFileStaysAndTheWholeListIsKept) {
    Put("brcot.dat", kWorkedExample, 0444);
    EXPECT_EQ(QuitAfterAdding(), 1);
    EXPECT_EQ(loaded, 2);
    EXPECT_EQ(Get("brcot.dat"), kWorkedExample);
    EXPECT_EQ(TheCopy(), kWorkedExampleAndPaint);
}

TEST_F(QuitFaultTest, AFullDiskKeepsTheOldFileAndTheWholeListElsewhere) {
    Put("brcot.dat", kWorkedExample, 0644);
    StepCalls full(StepCalls::Step::Write, 0);  // ENOSPC at the temporary's first write
    full.spared = StateDirectory() + "/";
    EXPECT_EQ(QuitAfterAdding(full.Calls()), 1);
    EXPECT_TRUE(full.failed);
    EXPECT_EQ(Get("brcot.dat"), kWorkedExample);
    EXPECT_EQ(Names(), Strings{"brcot.dat"});
    EXPECT_EQ(TheCopy(), kWorkedExampleAndPaint);
}

TEST_F(SaveFaultTest, ARunOnDiskWritesWhatTheNextRunReadsBack) {
    StepCalls clean;
    ASSERT_TRUE(Run(clean.Calls()).empty());
    fake::FakePlatformOnDisk platform;
    CBrindlecotDlg dlg(platform);
    fake::FakeDialogWindow& w = platform.Open(dlg, IDD_BRINDLECOT_DIALOG);
    EXPECT_EQ(w.list.Rows(), (Rows{{"Calc", "calc.exe", "01"},
                                   {"Notes", "notepad.exe", "02"},
                                   {"Paint", "mspaint.exe", "03"}}));
    platform.Close(w);
}

}  // namespace
}  // namespace brindlecot
