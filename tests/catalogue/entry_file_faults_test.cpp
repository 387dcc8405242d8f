// The entry file when things go wrong around it: a save that fails while the session ends or
// at Quit, a file that is not ours, and a file far beyond the table's limit.
#include "entry_file_fixture.h"

namespace brindlecot {
namespace {

std::string Group(const std::string& title, const std::string& target, const std::string& sort) {
    return "ST=" + title + "\r\nURL=" + target + "\r\nSORTORDER=" + sort + "\r\n";
}

std::string Entries(int count, const std::string& sortOrder = "07") {
    std::string file = "CREATOR=Brindlecot 1.0\r\n";
    for (int i = 0; i < count; ++i)
        file += Group("t" + std::to_string(i), "u" + std::to_string(i), sortOrder) + "\r\n";
    return file;
}

// ---- A failed save at the session's end asks nothing and keeps the list ----

TEST_F(EntryFileTest, AFailedSaveAtTheSessionsEndKeepsTheListAndSaysWhereWithoutABox) {
    Start(kWorkedExample);
    Add("New", "new.exe", "03");
    platform.files.writable = false;
    w->Send(win::kWmEndSession, 1, 0);
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(File(), kWorkedExample);
    ASSERT_EQ(platform.files.recoveries.size(), 1u);
    const auto& [path, bytes] = *platform.files.recoveries.begin();
    EXPECT_EQ(bytes, kWorkedExample.substr(0, 24) + Group("New", "new.exe", "03") + "\r\n" +
                         kWorkedExample.substr(24));
    ASSERT_EQ(platform.errorLines.size(), 1u);
    EXPECT_NE(platform.errorLines[0].find(path), std::string::npos) << platform.errorLines[0];
    // The window's destruction after it neither saves again nor asks.
    End();
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(platform.files.recoveries.size(), 1u);
}

TEST_F(EntryFileTest, AFileThatCouldNotBeReadIsNotOverwrittenAtTheSessionsEndButTheListIsKept) {
    platform.files.readable = false;
    Start(kWorkedExample);
    Add("New", "new.exe", "01");
    platform.files.readable = true;
    w->Send(win::kWmEndSession, 1, 0);
    EXPECT_EQ(platform.files.writes, 0);
    EXPECT_EQ(File(), kWorkedExample);
    EXPECT_TRUE(platform.boxes.empty());
    ASSERT_EQ(platform.files.recoveries.size(), 1u);
    EXPECT_EQ(platform.files.recoveries.begin()->second,
              "CREATOR=Brindlecot 1.0\r\n" + Group("New", "new.exe", "01"));
}

TEST_F(EntryFileTest, WhenNothingCanBeKeptTheLineSaysSoAndNoBoxWaits) {
    Start(kWorkedExample);
    platform.files.writable = false;
    platform.files.recoverable = false;
    w->Send(win::kWmEndSession, 1, 0);
    EXPECT_TRUE(platform.boxes.empty());
    ASSERT_EQ(platform.errorLines.size(), 1u);
    EXPECT_NE(platform.errorLines[0].find("2 entries lost"), std::string::npos)
        << platform.errorLines[0];

    // An empty list has nothing to keep: no copy is asked for, and the line says the file
    // stayed as it was.
    platform.errorLines.clear();
    platform.log.clear();
    CBrindlecotDlg next(platform);
    fake::FakeDialogWindow& window = platform.Open(next, IDD_BRINDLECOT_DIALOG);
    platform.boxAnswers.push_back(win::kIdYes);
    window.Click(IDC_CLEARALL);
    platform.boxes.clear();
    window.Send(win::kWmEndSession, 1, 0);
    EXPECT_FALSE(platform.Logged("KeepRecoveryCopy"));
    ASSERT_EQ(platform.errorLines.size(), 1u);
    EXPECT_NE(platform.errorLines[0].find("as it was"), std::string::npos);
    EXPECT_TRUE(platform.boxes.empty());
    platform.Close(window);
}

// ---- A failed save at Quit shows the box and keeps the list too ----

TEST_F(EntryFileTest, AFailedSaveAtTheOrdinaryEndShowsTheBoxAndKeepsTheListFirst) {
    Start(kWorkedExample);
    Add("New", "new.exe", "03");
    platform.files.writable = false;
    // By the time the box asks, the copy is there: a user who kills the program rather than
    // answer loses nothing.
    size_t copiesWhileTheBoxShows = 0;
    platform.whileBoxShows = [&](const fake::FakePlatform::Box&) {
        copiesWhileTheBoxShows = platform.files.recoveries.size();
    };
    End();
    EXPECT_EQ(SaveBoxes(), 1);
    EXPECT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(copiesWhileTheBoxShows, 1u);
    EXPECT_EQ(File(), kWorkedExample);
    ASSERT_EQ(platform.files.recoveries.size(), 1u);
    const auto& [path, bytes] = *platform.files.recoveries.begin();
    EXPECT_EQ(bytes, kWorkedExample.substr(0, 24) + Group("New", "new.exe", "03") + "\r\n" +
                         kWorkedExample.substr(24));
    ASSERT_EQ(platform.errorLines.size(), 1u);
    EXPECT_NE(platform.errorLines[0].find("(3 entries) is kept in " + path), std::string::npos)
        << platform.errorLines[0];
}

TEST_F(EntryFileTest, AFileThatCouldNotBeReadIsNotOverwrittenAtQuitButTheListIsKept) {
    platform.files.readable = false;
    Start(kWorkedExample);
    Add("New", "new.exe", "01");
    platform.files.readable = true;
    End();
    EXPECT_EQ(platform.files.writes, 0);
    EXPECT_EQ(File(), kWorkedExample);
    EXPECT_EQ(SaveBoxes(), 1);
    ASSERT_EQ(platform.files.recoveries.size(), 1u);
    EXPECT_EQ(platform.files.recoveries.begin()->second,
              "CREATOR=Brindlecot 1.0\r\n" + Group("New", "new.exe", "01"));
    ASSERT_EQ(platform.errorLines.size(), 1u);
}

TEST_F(EntryFileTest, AtQuitWithNothingToKeepOnlyTheBoxShows) {
    // Unread, and nothing added: no copy, no line, the box as before.
    platform.files.readable = false;
    Start(kWorkedExample);
    platform.files.readable = true;
    End();
    EXPECT_EQ(SaveBoxes(), 1);
    EXPECT_FALSE(platform.Logged("KeepRecoveryCopy"));
    EXPECT_TRUE(platform.errorLines.empty());
}

TEST_F(EntryFileTest, AtQuitWhenNothingCanBeKeptTheLineSaysSoAndTheBoxStillShows) {
    Start(kWorkedExample);
    platform.files.writable = false;
    platform.files.recoverable = false;
    End();
    EXPECT_EQ(SaveBoxes(), 1);
    ASSERT_EQ(platform.errorLines.size(), 1u);
    EXPECT_NE(platform.errorLines[0].find("2 entries lost"), std::string::npos)
        << platform.errorLines[0];
}

TEST_F(EntryFileTest, ASuccessfulSaveKeepsNoCopy) {
    Start(kWorkedExample);
    Add("New", "new.exe", "03");
    End();
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_FALSE(platform.Logged("KeepRecoveryCopy"));
    EXPECT_TRUE(platform.errorLines.empty());
}

// ---- A file that is not ours ----

TEST_F(EntryFileTest, AFileWithoutOneOfOurKeysIsLeftAsItWasWhenTheTableStaysEmpty) {
    std::string foreign;
    while (foreign.size() < 10 * 1024 * 1024)
        foreign += "[section]\r\nname = value; st=a; Url=b\r\n\x01\x02\xff binary\n";
    Start(foreign);
    EXPECT_TRUE(Table().empty());
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(End(), foreign);
    EXPECT_EQ(platform.files.writes, 0);
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(EntryFileTest, AForeignFileIsReplacedOnceTheRunGivesTheTableAnEntry) {
    Start("just some text\r\n");
    Add("Calc", "calc.exe", "01");
    EXPECT_EQ(End(), "CREATOR=Brindlecot 1.0\r\n" + Group("Calc", "calc.exe", "01"));
}

TEST_F(EntryFileTest, OurFileWhoseEntriesAllDropStillEndsAsAnEmptyFile) {
    // One of our keys is enough to make the file ours: a group without a target loads nothing
    // and the empty table is written as before.
    Start("CREATOR=Brindlecot 1.0\r\nST=a\r\nURL=\r\nSORTORDER=01\r\n");
    EXPECT_TRUE(Table().empty());
    EXPECT_EQ(End(), "");
    EXPECT_EQ(platform.files.writes, 1);
}

// ---- A file far beyond the limit ----

TEST_F(EntryFileTest, ASurplusOfAFewEntriesGivesOneBoxEachAndNoLine) {
    for (const int surplus : {1, 2, kLimitBoxesAtLoad}) {
        SCOPED_TRACE(surplus);
        platform.boxes.clear();
        NextRun(Entries(50 + surplus));
        EXPECT_EQ(LimitBoxes(), surplus);
        EXPECT_TRUE(platform.errorLines.empty());
    }
}

TEST_F(EntryFileTest, AHundredThousandEntriesGiveAFewBoxesOneLineAndTheSameFiftyRows) {
    const Rows fifty = NextRun(Entries(50));
    ASSERT_EQ(fifty.size(), 50u);
    platform.boxes.clear();

    Start(Entries(100000));
    EXPECT_EQ(Table(), fifty);
    EXPECT_EQ(LimitBoxes(), kLimitBoxesAtLoad);
    EXPECT_EQ(platform.boxes.size(), static_cast<size_t>(kLimitBoxesAtLoad));
    ASSERT_EQ(platform.errorLines.size(), 1u);
    EXPECT_NE(platform.errorLines[0].find(" " + std::to_string(100000 - 50 - kLimitBoxesAtLoad) +
                                          " more were dropped"),
              std::string::npos)
        << platform.errorLines[0];
    EXPECT_EQ(Field(IDC_COUNT), "50");
}

TEST_F(EntryFileTest, ASessionEndingDuringALimitBoxSavesTheFullTableAndStopsTheLoad) {
    bool ended = false;
    platform.whileBoxShows = [&](const fake::FakePlatform::Box&) {
        fake::FakeDialogWindow* main = platform.Window(IDD_BRINDLECOT_DIALOG);
        if (main && !ended) {
            ended = true;
            main->Send(win::kWmEndSession, 1, 0);
        }
    };
    Start(Entries(1000));
    EXPECT_TRUE(ended);
    EXPECT_EQ(LimitBoxes(), 1);
    std::string fifty = Entries(50);
    fifty.resize(fifty.size() - 2);  // no empty line after the last group
    EXPECT_EQ(File(), fifty);
    EXPECT_EQ(platform.files.writes, 1);
    EXPECT_TRUE(platform.errorLines.empty());
    End();
    EXPECT_EQ(platform.files.writes, 1);
}

}  // namespace
}  // namespace brindlecot
