// The Win32 platform's pieces that need no window: the notification records, the entry file's
// storage, the text comparison, the string table and the dialog templates.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <sstream>

#include "app/framework.h"
#include "frontend/win32/dialog_template.h"
#include "frontend/win32/notify.h"
#include "frontend/win32/win32_platform.h"
#include "platform/win32/win32_file_store.h"
#include "resources/resource.h"
#include "resources/strings.h"
#include "tests/frontend/win32/win32_harness.h"

namespace brindlecot::win32 {
namespace {

TEST(Win32Notify, ListViewRecordsAreCopiedFieldByFieldOthersOnlyTheirHeader) {
    // The real records are laid out differently from the core's: on x64 NMHDR is 24 bytes, and
    // NMLVKEYDOWN is packed.
    static_assert(offsetof(NMHDR, idFrom) == 8 && offsetof(NMHDR, code) == 16);
    static_assert(offsetof(NMLISTVIEW, iSubItem) == 28);
    static_assert(offsetof(NMLVKEYDOWN, wVKey) == 24 && offsetof(NMLVKEYDOWN, flags) == 26);
    NMLISTVIEW lv{};
    lv.hdr.hwndFrom = reinterpret_cast<HWND>(0x1234);
    lv.hdr.idFrom = IDC_LIST;
    lv.hdr.code = LVN_COLUMNCLICK;
    lv.iItem = -1;
    lv.iSubItem = 2;
    win::NmListView out = std::get<win::NmListView>(TranslateNotify(lv.hdr, true));
    EXPECT_EQ(out.hdr.idFrom, static_cast<win::UINT>(IDC_LIST));
    EXPECT_EQ(out.hdr.code, win::kLvnColumnClick);
    EXPECT_EQ(out.iItem, -1);
    EXPECT_EQ(out.iSubItem, 2);

    lv.hdr.code = NM_CLICK;
    lv.iItem = 4;
    lv.iSubItem = 1;
    out = std::get<win::NmListView>(TranslateNotify(lv.hdr, true));
    EXPECT_EQ(out.hdr.code, win::kNmClick);
    EXPECT_EQ(out.iItem, 4);
    EXPECT_EQ(out.iSubItem, 1);

    NMLVKEYDOWN key{};
    key.hdr = {reinterpret_cast<HWND>(0x1234), IDC_LIST, static_cast<UINT>(LVN_KEYDOWN)};
    key.wVKey = VK_SPACE;
    key.flags = 0x00390001;  // copied as the list view gives it
    NotifyRecord record = TranslateNotify(key.hdr, true);
    const auto& keyOut = std::get<win::NmLvKeyDown>(record);
    EXPECT_EQ(keyOut.hdr.idFrom, static_cast<win::UINT>(IDC_LIST));
    EXPECT_EQ(keyOut.hdr.code, win::kLvnKeyDown);
    EXPECT_EQ(keyOut.wVKey, win::kVkSpace);
    EXPECT_EQ(keyOut.flags, 0x00390001u);
    EXPECT_EQ(static_cast<void*>(&HeaderOf(record)), static_cast<const void*>(&keyOut));

    // From some other control only the header is read: its record may be a bare NMHDR.
    for (const UINT code : {static_cast<UINT>(NM_CLICK), static_cast<UINT>(LVN_KEYDOWN)}) {
        NMHDR bare{reinterpret_cast<HWND>(0x99), 77, code};
        out = std::get<win::NmListView>(TranslateNotify(bare, false));
        EXPECT_EQ(out.hdr.idFrom, 77u);
        EXPECT_EQ(out.hdr.code, static_cast<win::UINT>(code));
        EXPECT_EQ(out.iItem, -1);
        EXPECT_EQ(out.iSubItem, 0);
    }
}

TEST(Win32Platform, StringTableAndSeamAgree) {
    for (int id : {IDS_ABOUTBOX, IDP_SOCKETS_INIT_FAILED}) {
        char text[256] = {};
        ASSERT_GT(
            ::LoadStringA(::GetModuleHandleA(nullptr), static_cast<UINT>(id), text, sizeof text),
            0);
        EXPECT_EQ(text, resources::LoadStringResource(id)) << id;
    }
    EXPECT_NE(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME)), nullptr);
}

TEST(Win32Platform, CompareTextOrdersBytesUnsignedAndReportsOnlyTheSign) {
    Win32Platform p(::GetModuleHandleA(nullptr));
    EXPECT_EQ(p.CompareText("abc", "abc"), 0);
    EXPECT_EQ(p.CompareText("ab", "abc"), -1);
    EXPECT_EQ(p.CompareText("B", "a"), -1);    // case-sensitive
    EXPECT_EQ(p.CompareText("\xe9", "z"), 1);  // a high byte sorts after ASCII
}

TEST(Win32Platform, UnderADoubleByteCodePageALeadAndItsTrailByteCompareAsOneCharacter) {
    // The runtime takes its multibyte code page from the system's ANSI code page: on a
    // Japanese system it is 932, where 0x81 0x40 is one character (0x8140) and 0xA1 another.
    Win32Platform p(::GetModuleHandleA(nullptr));
    {
        testing::MultibyteCodePage japanese(932);
        ASSERT_TRUE(japanese.Set());
        EXPECT_EQ(p.CompareText("\x81\x40", "\xA1"), 1);
        EXPECT_EQ(p.CompareText("\xA1", "\x81\x40"), -1);
        EXPECT_EQ(p.CompareText("\x81\x40", "\x81\x41"), -1);  // the trail byte counts
        EXPECT_EQ(p.CompareText("\x81\x40z", "\x81\x40"), 1);
    }
    // Byte by byte under a single-byte code page.
    testing::MultibyteCodePage western(1252);
    ASSERT_TRUE(western.Set());
    EXPECT_EQ(p.CompareText("\x81\x40", "\xA1"), -1);
}

TEST(Win32Platform, TheProgramFileAndItsHelpFileAreNamedAfterTheExecutable) {
    Win32Platform p(::GetModuleHandleA(nullptr));
    EXPECT_EQ(p.ProgramFileName(), "brindlecot_win32_tests.exe");
    const std::string help = HelpFilePath(p.ProgramFilePath());
    EXPECT_EQ(help.substr(help.size() - 27), "\\brindlecot_win32_tests.HLP");
}

TEST(Win32Platform, TheCurrentDirectoryComesBackAfterAChange) {
    Win32Platform p(::GetModuleHandleA(nullptr));
    const std::string before = p.CurrentDirectory();
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    p.ChangeCurrentDirectory(temp);
    EXPECT_NE(p.CurrentDirectory(), before);
    p.ChangeCurrentDirectory(before);
    EXPECT_EQ(p.CurrentDirectory(), before);
}

TEST(Win32DialogTemplate, TemplatesCarryTheTableStylesAndEveryControl) {
    const auto& main = resources::MainDialogTemplate();
    const DialogStyles s = StylesOf(main);
    EXPECT_EQ(s.exStyle, static_cast<std::uint32_t>(WS_EX_APPWINDOW));
    EXPECT_TRUE(s.style & WS_VISIBLE);
    EXPECT_TRUE(s.style & WS_MINIMIZEBOX);
    EXPECT_FALSE(s.style & WS_THICKFRAME);
    const auto& about = resources::AboutDialogTemplate();
    EXPECT_FALSE(StylesOf(about).style & WS_VISIBLE);
    const std::vector<std::uint16_t> words = BuildDialogTemplate(main);
    const auto* header = reinterpret_cast<const DLGTEMPLATE*>(words.data());
    EXPECT_EQ(header->cdit, main.controls.size());
    EXPECT_EQ(header->cx, main.cx);
    EXPECT_EQ(header->cy, main.cy);
    for (const auto& c : main.controls) {
        const std::uint32_t style = StylesOf(c).style;
        EXPECT_EQ((style & WS_TABSTOP) != 0, (c.style & resources::kTabStop) != 0) << c.id;
    }
}

// ---- The entry file on Win32 ----------------------------------------------------------------

// The names in a folder, as the directory lists them.
std::vector<std::string> FileNames(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data{};
    const HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (std::string(data.cFileName) != "." && std::string(data.cFileName) != "..")
            names.push_back(data.cFileName);
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    return names;
}

class Win32FileStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char base[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, base);
        char name[MAX_PATH] = {};
        ::GetTempFileNameA(base, "bfs", 0, name);
        ::DeleteFileA(name);
        ::CreateDirectoryA(name, nullptr);
        dir = name;
        path = dir + "\\brcot.dat";
    }
    void TearDown() override {
        for (const std::string& f : Files()) {
            ::SetFileAttributesA((dir + "\\" + f).c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileA((dir + "\\" + f).c_str());
        }
        ::RemoveDirectoryA(dir.c_str());
    }
    std::vector<std::string> Files() const { return FileNames(dir); }
    std::string Content() const {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void Put(const std::string& bytes) const { std::ofstream(path, std::ios::binary) << bytes; }

    std::string dir;
    std::string path;
};

const std::string kAwkwardBytes = "CREATOR=x\r\nST=a \r\n\x1a\nURL=\xe9\r\r\n";

TEST_F(Win32FileStoreTest, AMissingFileIsCreatedEmptyAndBytesRoundTripExactly) {
    platform::Win32FileStore store;
    EXPECT_EQ(store.ReadFileCreating(path), std::string());
    EXPECT_EQ(Files(), std::vector<std::string>{"brcot.dat"});
    ASSERT_TRUE(store.ReplaceContent(path, kAwkwardBytes));
    EXPECT_EQ(Content(), kAwkwardBytes);
    EXPECT_EQ(store.ReadFileCreating(path), kAwkwardBytes);
    ASSERT_TRUE(store.ReplaceContent(path, "short"));
    EXPECT_EQ(Content(), "short");
    EXPECT_EQ(Files(), std::vector<std::string>{"brcot.dat"});
}

TEST_F(Win32FileStoreTest, ReadingSharesTheFileWithWritersAndDeleters) {
    Put("old");
    // Another program holds it open for writing, and allows others everything.
    const HANDLE other = ::CreateFileA(path.c_str(), GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    platform::Win32FileStore store;
    EXPECT_EQ(store.ReadFileCreating(path), std::string("old"));
    ::CloseHandle(other);
}

TEST_F(Win32FileStoreTest, AReadOnlyFileOrADirectoryIsRefusedAndLeftAsItWas) {
    Put("kept");
    ASSERT_TRUE(::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    platform::Win32FileStore store;
    EXPECT_FALSE(store.ReplaceContent(path, "new"));
    EXPECT_EQ(Content(), "kept");
    EXPECT_EQ(Files(), std::vector<std::string>{"brcot.dat"});
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);

    const std::string sub = dir + "\\sub";
    ::CreateDirectoryA(sub.c_str(), nullptr);
    EXPECT_FALSE(store.ReplaceContent(sub, "new"));
    EXPECT_EQ(store.ReadFileCreating(sub), std::nullopt);
    ::RemoveDirectoryA(sub.c_str());
}

TEST_F(Win32FileStoreTest, AFailedWriteOrMoveLeavesTheOldFileAndNoTemporary) {
    Put("kept");
    platform::Win32FileStore::Steps failWrite = platform::Win32FileStore::Steps::Real();
    failWrite.writeAndFlush = [](void*, const std::string&) { return false; };
    EXPECT_FALSE(platform::Win32FileStore(failWrite).ReplaceContent(path, "new"));
    EXPECT_EQ(Content(), "kept");
    EXPECT_EQ(Files(), std::vector<std::string>{"brcot.dat"});

    platform::Win32FileStore::Steps failMove = platform::Win32FileStore::Steps::Real();
    std::string seenTemporary;
    failMove.replace = [&](const std::string& temporary, const std::string&) {
        seenTemporary = temporary;
        return false;
    };
    EXPECT_FALSE(platform::Win32FileStore(failMove).ReplaceContent(path, "new"));
    EXPECT_EQ(Content(), "kept");
    EXPECT_EQ(Files(), std::vector<std::string>{"brcot.dat"});
    // The temporary was made beside the file, so that the move stays on one volume.
    EXPECT_EQ(seenTemporary.rfind(dir, 0), 0u);
}

TEST_F(Win32FileStoreTest, AFileFarLargerThanAnyEntryFileIsNotRead) {
    {
        const HANDLE f = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        LARGE_INTEGER end{};
        end.QuadPart = platform::Win32FileStore::kMaxReadBytes + 1;
        ::SetFilePointerEx(f, end, nullptr, FILE_BEGIN);
        ::SetEndOfFile(f);
        ::CloseHandle(f);
    }
    platform::Win32FileStore store;
    EXPECT_EQ(store.ReadFileCreating(path), std::nullopt);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, static_cast<DWORD>(platform::Win32FileStore::kMaxReadBytes + 1));
}

TEST_F(Win32FileStoreTest, WhereTheDirectoryRefusesATemporaryAnExistingFileIsWrittenInPlace) {
    platform::Win32FileStore::Steps steps = platform::Win32FileStore::Steps::Real();
    steps.makeTemporary = [](const std::string&, unsigned long& error) {
        error = ERROR_ACCESS_DENIED;
        return std::optional<std::string>();
    };
    platform::Win32FileStore store(steps);
    EXPECT_FALSE(store.ReplaceContent(path, "new"));  // nothing there to write into
    EXPECT_TRUE(Files().empty());
    Put("a longer old content");
    ASSERT_TRUE(store.ReplaceContent(path, kAwkwardBytes));
    EXPECT_EQ(Content(), kAwkwardBytes);
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(store.ReplaceContent(path, "new"));
    EXPECT_EQ(Content(), kAwkwardBytes);
}

TEST_F(Win32FileStoreTest, AfterAnyOtherFailureToMakeATemporaryTheOldFileStaysAsItWas) {
    // A full disk above all: emptying the old file to write it again would lose it too.
    for (const DWORD failure : {ERROR_DISK_FULL, ERROR_HANDLE_DISK_FULL, ERROR_WRITE_PROTECT,
                                ERROR_PATH_NOT_FOUND, ERROR_SHARING_VIOLATION}) {
        SCOPED_TRACE(failure);
        platform::Win32FileStore::Steps steps = platform::Win32FileStore::Steps::Real();
        steps.makeTemporary = [failure](const std::string&, unsigned long& error) {
            error = failure;
            return std::optional<std::string>();
        };
        Put("the old content");
        EXPECT_FALSE(platform::Win32FileStore(steps).ReplaceContent(path, "new"));
        EXPECT_EQ(Content(), "the old content");
        EXPECT_EQ(Files(), std::vector<std::string>{"brcot.dat"});
    }
}

TEST_F(Win32FileStoreTest, ATemporaryIsNamedForTheFileAndThisProcessBesideTheFile) {
    platform::Win32FileStore::Steps steps = platform::Win32FileStore::Steps::Real();
    std::string seen;
    const auto move = steps.replace;
    steps.replace = [&](const std::string& temporary, const std::string& target) {
        seen = temporary;
        return move(temporary, target);
    };
    ASSERT_TRUE(platform::Win32FileStore(steps).ReplaceContent(path, "x"));
    EXPECT_EQ(Content(), "x");
    EXPECT_EQ(Files(), std::vector<std::string>{"brcot.dat"});
    const std::string prefix =
        dir + "\\.brcot.dat." + std::to_string(::GetCurrentProcessId()) + ".";
    EXPECT_EQ(seen.rfind(prefix, 0), 0u) << seen;
    EXPECT_EQ(platform::TemporaryFileWriter(seen.substr(dir.size() + 1), "brcot.dat"),
              ::GetCurrentProcessId());
}

// A process that has ended (its id no longer names one), and one that runs until the test
// ends it.
DWORD EndedProcessId() {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    char command[] = "cmd.exe /c exit 0";
    if (!::CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                          nullptr, &startup, &info))
        return 0;
    ::WaitForSingleObject(info.hProcess, 30000);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return info.dwProcessId;
}

struct RunningProcess {
    RunningProcess() {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        char command[] = "cmd.exe /c exit 0";
        ::CreateProcessA(nullptr, command, nullptr, nullptr, FALSE,
                         CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info);
    }
    ~RunningProcess() {
        if (info.hProcess) {
            ::TerminateProcess(info.hProcess, 0);
            ::CloseHandle(info.hThread);
            ::CloseHandle(info.hProcess);
        }
    }
    PROCESS_INFORMATION info{};
};

TEST_F(Win32FileStoreTest, StartUpRemovesOnlyOldTemporariesOfRunsThatAreGone) {
    const DWORD gone = EndedProcessId();
    ASSERT_NE(gone, 0u);
    RunningProcess running;
    ASSERT_NE(running.info.dwProcessId, 0u);
    const std::string goneId = std::to_string(gone);
    const std::string stale = ".brcot.dat." + goneId + ".abcdefghijkl.tmp";
    const std::string alive =
        ".brcot.dat." + std::to_string(running.info.dwProcessId) + ".abcdefghijkl.tmp";
    const std::string recent = ".brcot.dat." + goneId + ".mnopqrstuvwx.tmp";
    const std::string otherFile = ".other.dat." + goneId + ".abcdefghijkl.tmp";
    const std::string oddName = ".brcot.dat." + goneId + ".short.tmp";
    const std::string olderKind = "brc1A2B.tmp";  // GetTempFileName's, of earlier versions
    Put("CREATOR=Brindlecot 1.0\r\n");

    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const unsigned long long start =
        (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    for (const std::string& name : {stale, alive, recent, otherFile, oddName, olderKind}) {
        const HANDLE f = ::CreateFileA((dir + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                       CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE) << name;
        ::WriteFile(f, "partial", 7, nullptr, nullptr);
        // The recent one was written as this run started: it may be another run's.
        const unsigned long long when = name == recent ? start : start - 600000000ULL;
        FILETIME t{static_cast<DWORD>(when), static_cast<DWORD>(when >> 32)};
        ::SetFileTime(f, nullptr, nullptr, &t);
        ::CloseHandle(f);
    }
    platform::Win32FileStore store;
    store.SetRunStart(start);
    EXPECT_EQ(store.ReadFileCreating(path), std::string("CREATOR=Brindlecot 1.0\r\n"));
    std::vector<std::string> expected = {alive, recent, otherFile, oddName, olderKind, "brcot.dat"};
    std::vector<std::string> names = Files();
    std::sort(expected.begin(), expected.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, expected);
}

// A symbolic link named brcot.dat is followed, as on POSIX systems: its target is read and
// replaced, in the target's own directory, and the link stays. Wine does not make Windows
// links (CreateSymbolicLink does nothing there), so win32.store_links runs these on Unix
// links that it makes around them, which Wine's calls follow as Windows follows its own; it
// names the folder in BRINDLECOT_LINK_DIR.
class Win32FileStoreLinks : public ::testing::Test {
  protected:
    void SetUp() override {
        char value[MAX_PATH] = {};
        if (!::GetEnvironmentVariableA("BRINDLECOT_LINK_DIR", value, sizeof value))
            GTEST_SKIP() << "run by win32.store_links, which makes the links";
        dir = value;
    }
    static std::string Get(const std::string& name) {
        std::ifstream in(name, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::vector<std::string> Names(const std::string& folder) const {
        std::vector<std::string> names = FileNames(folder);
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string dir;
};

TEST_F(Win32FileStoreLinks, ALinkedFileIsReadAndReplacedInItsOwnFolderAndTheLinkStays) {
    // relative\brcot.dat -> ../targets/list.dat; a stale temporary beside the target.
    platform::Win32FileStore store;
    const std::string link = dir + "\\relative\\brcot.dat";
    EXPECT_EQ(store.ReadFileCreating(link), std::string("old list\r\n"));
    EXPECT_EQ(Names(dir + "\\targets"), (std::vector<std::string>{"list.dat", "other.dat"}))
        << "the stale temporary beside the target was not removed";
    std::string seen;
    platform::Win32FileStore::Steps steps = platform::Win32FileStore::Steps::Real();
    const auto move = steps.replace;
    steps.replace = [&](const std::string& temporary, const std::string& target) {
        seen = temporary;
        return move(temporary, target);
    };
    ASSERT_TRUE(platform::Win32FileStore(steps).ReplaceContent(link, kAwkwardBytes));
    EXPECT_NE(seen.find("\\targets\\.list.dat."), std::string::npos) << seen;
    EXPECT_EQ(Get(link), kAwkwardBytes);
    EXPECT_EQ(Get(dir + "\\targets\\list.dat"), kAwkwardBytes);
    EXPECT_EQ(Names(dir + "\\relative"), std::vector<std::string>{"brcot.dat"});
    EXPECT_EQ(Names(dir + "\\targets"), (std::vector<std::string>{"list.dat", "other.dat"}));
}

TEST_F(Win32FileStoreLinks, AChainOfLinksIsFollowedToItsEnd) {
    // chain\brcot.dat -> middle.dat -> <absolute>/targets/other.dat
    platform::Win32FileStore store;
    const std::string link = dir + "\\chain\\brcot.dat";
    ASSERT_TRUE(store.ReplaceContent(link, "through two links\r\n"));
    EXPECT_EQ(Get(dir + "\\targets\\other.dat"), "through two links\r\n");
    EXPECT_EQ(Names(dir + "\\chain"), (std::vector<std::string>{"brcot.dat", "middle.dat"}));
}

TEST_F(Win32FileStoreLinks, ALinkToAReadOnlyFileOrALoopIsRefused) {
    platform::Win32FileStore store;
    EXPECT_FALSE(store.ReplaceContent(dir + "\\readonly\\brcot.dat", "new"));
    EXPECT_EQ(Get(dir + "\\readonly\\kept.dat"), "kept\r\n");
    EXPECT_FALSE(store.ReplaceContent(dir + "\\loop\\brcot.dat", "new"));
    // (Wine lists no name for a link it cannot follow: win32.store_links checks from outside
    // that the loop is still there.)
    EXPECT_EQ(Names(dir + "\\readonly"), (std::vector<std::string>{"brcot.dat", "kept.dat"}));
}

TEST_F(Win32FileStoreTest, ARecoveryCopyKeepsTheExactBytesInTheUsersOwnFolder) {
    // Point the user's local data folder at the test folder, so the copy is easy to find.
    char saved[MAX_PATH + 1] = {};
    const DWORD had = ::GetEnvironmentVariableA("LOCALAPPDATA", saved, sizeof saved);
    ::SetEnvironmentVariableA("LOCALAPPDATA", dir.c_str());
    platform::Win32FileStore store;
    const std::optional<std::string> copy = store.KeepRecoveryCopy("brcot.dat", kAwkwardBytes);
    ::SetEnvironmentVariableA("LOCALAPPDATA", had ? saved : nullptr);
    ASSERT_TRUE(copy.has_value());
    const std::string folder = dir + "\\Brindlecot\\";
    ASSERT_EQ(copy->rfind(folder, 0), 0u) << *copy;
    const std::string file = copy->substr(folder.size());
    EXPECT_EQ(file.rfind("brcot-", 0), 0u) << file;
    EXPECT_EQ(file.substr(file.size() - 4), ".dat") << file;
    std::ifstream in(*copy, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    in.close();
    EXPECT_EQ(bytes.str(), kAwkwardBytes);
    ::DeleteFileA(copy->c_str());
    ::RemoveDirectoryA((dir + "\\Brindlecot").c_str());
}

}  // namespace
}  // namespace brindlecot::win32
