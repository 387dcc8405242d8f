// The entry file as the main window reads it at start-up and writes it at the end of the run
// on the in-memory platform; and two safeguards the core adds to it: saving when
// the session ends, and no line end inside a cell.
#include "entry_file_fixture.h"

namespace brindlecot {
namespace {

std::string LfOnly(std::string text) {
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;)
        text.erase(at, 1);
    return text;
}

std::string Group(const std::string& title, const std::string& target, const std::string& sort) {
    return "ST=" + title + "\r\nURL=" + target + "\r\nSORTORDER=" + sort + "\r\n";
}

// ---- Writing ----

TEST_F(EntryFileTest, TheWorkedExampleIsWrittenAsExactlyItsHundredAndFourBytes) {
    Start(std::nullopt);
    SetRows({{"Calc", "calc.exe", "01"}, {"Notes", "notepad.exe", "02"}});
    const std::string file = End();
    EXPECT_EQ(file.size(), 104u);
    EXPECT_EQ(file, kWorkedExample);
}

TEST_F(EntryFileTest, AnEmptyTableIsWrittenAsAZeroByteFile) {
    Start(kWorkedExample);
    platform.boxAnswers.push_back(win::kIdYes);
    w->Click(IDC_CLEARALL);
    ASSERT_TRUE(Table().empty());
    EXPECT_EQ(End(), "");
    EXPECT_TRUE(FileExists());
    EXPECT_TRUE(NextRun().empty());
}

TEST_F(EntryFileTest, TheSaveWritesTheBottomRowFirstAndTheListNeverShowsThemReversed) {
    Start(std::nullopt);
    SetRows({{"b", "b.exe", "02"}, {"a", "a.exe", "01"}, {"c", "c.exe", "03"}});
    w->ClickRow(1);
    const auto calls = w->list.calls;
    dlg.SaveEntryFile();
    EXPECT_EQ(File(), kWorkedExample.substr(0, 24) + Group("c", "c.exe", "03") + "\r\n" +
                          Group("a", "a.exe", "01") + "\r\n" + Group("b", "b.exe", "02"));
    // The fields show the top row, as the save passed it last.
    EXPECT_EQ(Field(IDC_TITLE), "b");
    EXPECT_EQ(Titles(), (Strings{"b", "a", "c"}));
    EXPECT_EQ(w->list.calls.setCellText, calls.setCellText);
    EXPECT_EQ(w->list.selected, 1);
    EXPECT_EQ(Mark(), 1);
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(EntryFileTest, AFailedSaveShowsOneBoxAndLeavesTheFileAndTheRowsAsTheyWere) {
    Start(kWorkedExample);
    Add("New", "new.exe", "03");
    w->ClickHeader(COL_TITLE);
    const Rows before = Table();
    platform.files.writable = false;
    dlg.SaveEntryFile();
    EXPECT_EQ(SaveBoxes(), 1);
    EXPECT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(File(), kWorkedExample);
    EXPECT_EQ(Table(), before);
}

TEST_F(EntryFileTest, TheFileIsReadOnceAtStartAndWrittenOnceAtTheEnd) {
    Start(kWorkedExample);
    EXPECT_EQ(platform.files.reads, 1);
    EXPECT_EQ(platform.files.writes, 0);
    Add("New", "new.exe", "03");
    w->Click(IDC_REMOVE);
    EXPECT_EQ(platform.files.writes, 0);  // edits change the table alone
    End();
    EXPECT_EQ(platform.files.reads, 1);
    EXPECT_EQ(platform.files.writes, 1);
}

// ---- Reading ----

TEST_F(EntryFileTest, TheWorkedExampleLoadsBackItsTwoRowsAndSetsTheCaption) {
    Start(kWorkedExample);
    EXPECT_EQ(Table(), (Rows{{"Calc", "calc.exe", "01"}, {"Notes", "notepad.exe", "02"}}));
    EXPECT_EQ(w->caption, "Brindlecot ");
    EXPECT_EQ(Field(IDC_COUNT), "2");
    // The title and target fields are cleared; the sort-order field keeps the last one read.
    EXPECT_EQ(Field(IDC_TITLE), "");
    EXPECT_EQ(Field(IDC_TARGET), "");
    EXPECT_EQ(Field(IDC_SORTORDER), "01");
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(End(), kWorkedExample);  // and it is written back byte for byte
}

TEST_F(EntryFileTest, AMissingFileIsCreatedEmptyAndGivesAnEmptyTable) {
    Start(std::nullopt);
    EXPECT_TRUE(FileExists());
    EXPECT_EQ(File(), "");
    EXPECT_TRUE(Table().empty());
    EXPECT_EQ(w->caption, "Brindlecot ");
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(EntryFileTest, AZeroByteFileGivesAnEmptyTable) {
    Start("");
    EXPECT_TRUE(Table().empty());
    EXPECT_EQ(Field(IDC_COUNT), "0");
}

TEST_F(EntryFileTest, AFileThatCannotBeReadGivesAnEmptyTableWithoutAMessage) {
    platform.files.readable = false;
    Start(kWorkedExample);
    EXPECT_TRUE(Table().empty());
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(w->caption, "Brindlecot ");
    EXPECT_EQ(Field(IDC_COUNT), "0");

    // Its entries never reached the table: the end of the run must not write the table over
    // them. The user is told the list was not saved, and the file stays as it was.
    Add("New", "new.exe", "01");
    platform.files.readable = true;
    End();
    EXPECT_EQ(File(), kWorkedExample);
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, "Save to File");
    EXPECT_EQ(platform.boxes[0].caption, "Error Writing File");
}

TEST_F(EntryFileTest, LfLineEndsLoadTheSameAsCrLf) {
    Start(LfOnly(kWorkedExample));
    EXPECT_EQ(Table(), (Rows{{"Calc", "calc.exe", "01"}, {"Notes", "notepad.exe", "02"}}));
    EXPECT_EQ(End(), kWorkedExample);  // written back with CR LF
}

TEST_F(EntryFileTest, TheHeaderIsNeitherCheckedNorRequired) {
    const Rows expected{{"Calc", "calc.exe", "01"}, {"Notes", "notepad.exe", "02"}};
    const std::string groups = kWorkedExample.substr(24);
    for (const std::string& header : {std::string(), std::string("CREATOR=Someone else 9.9\r\n"),
                                      std::string("just a line\r\n")}) {
        EXPECT_EQ(NextRun(header + groups), expected) << header;
    }
}

TEST_F(EntryFileTest, KeysAreCaseSensitiveAndWholeAndValuesKeepLaterEqualsSigns) {
    Start(
        "ST=a=b\r\nURL=x=1&y=2\r\nSORTORDER=01\r\n"
        "st=lower\r\n ST=blank\r\nST =blank\r\nUrl=other\r\nSortOrder=02\r\n");
    EXPECT_EQ(Table(), (Rows{{"a=b", "x=1&y=2", "01"}}));
}

TEST_F(EntryFileTest, TrailingBlanksOfACellAreLostAndLeadingBlanksKept) {
    Start(std::nullopt);
    SetRows({{"  lead  ", " t\t ", "01"}});
    EXPECT_EQ(End(), "CREATOR=Brindlecot 1.0\r\n" + Group("  lead  ", " t\t ", "01"));
    EXPECT_EQ(NextRun(), (Rows{{"  lead", " t", "01"}}));
}

TEST_F(EntryFileTest, ALastSortOrderLineWithoutALineEndIsIgnored) {
    Start(Group("A", "a", "03") + "\r\nST=B\r\nURL=b\r\nSORTORDER=07");
    // B is still added, with the sort order that the field held before.
    EXPECT_EQ(Table(), (Rows{{"B", "b", "03"}, {"A", "a", "03"}}));
    EXPECT_EQ(Field(IDC_SORTORDER), "03");
}

TEST_F(EntryFileTest, FiftyTwoCompleteEntriesGiveFiftyRowsAndTwoLimitBoxes) {
    std::string file = "CREATOR=Brindlecot 1.0\r\n";
    for (int i = 0; i < 52; ++i) {
        file += Group("t" + std::to_string(i), "u" + std::to_string(i), "07") + "\r\n";
    }
    Start(file);
    EXPECT_EQ(Table().size(), 50u);
    EXPECT_EQ(LimitBoxes(), 2);
    EXPECT_EQ(platform.boxes.size(), 2u);
    // The first fifty in file order; rows of equal sort order end in the reverse of file order.
    EXPECT_EQ(Titles().front(), "t49");
    EXPECT_EQ(Titles().back(), "t0");
    EXPECT_EQ(Field(IDC_COUNT), "50");
    // A full table is written whole and loads whole, without a box.
    End();
    platform.boxes.clear();
    EXPECT_EQ(NextRun().size(), 50u);
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(EntryFileTest, TwoIdenticalGroupsGiveTwoRowsWithoutAQuestion) {
    Start(Group("Calc", "calc.exe", "01") + "\r\n" + Group("Calc", "calc.exe", "01"));
    EXPECT_EQ(Table(), (Rows{{"Calc", "calc.exe", "01"}, {"Calc", "calc.exe", "01"}}));
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(EntryFileTest, AUrlLineBeforeItsGroupsStLineChangesTheEntryBefore) {
    Start("ST=A\r\nURL=a\r\nSORTORDER=01\r\nURL=b\r\nST=B\r\nSORTORDER=02\r\n");
    EXPECT_EQ(Table(), (Rows{{"A", "b", "01"}, {"B", "b", "02"}}));
}

TEST_F(EntryFileTest, AnEntryWithoutUrlOrSortOrderLinesInheritsThemFromTheEntryBefore) {
    Start("ST=A\nURL=a\nSORTORDER=04\nST=B\nST=C\nSORTORDER=02\n");
    EXPECT_EQ(Table(), (Rows{{"C", "a", "02"}, {"B", "a", "04"}, {"A", "a", "04"}}));
}

TEST_F(EntryFileTest, AnEntryWithAnEmptyTitleOrTargetIsDroppedButItsLinesStillCount) {
    Start("ST=\nURL=x\nSORTORDER=05\nST=B\nST=C\nURL=\nST=D\nURL=d\n");
    // The empty title's target and sort order reach B; C has no target and is dropped.
    EXPECT_EQ(Table(), (Rows{{"D", "d", "05"}, {"B", "x", "05"}}));
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(EntryFileTest, AnEntryWithAnEmptyTargetIsWrittenButNotLoadedBack) {
    Start(std::nullopt);
    SetRows({{"T", "", "01"}, {"U", "u", "02"}});
    EXPECT_EQ(End(),
              "CREATOR=Brindlecot 1.0\r\n" + Group("U", "u", "02") + "\r\n" + Group("T", "", "01"));
    EXPECT_EQ(NextRun(), (Rows{{"U", "u", "02"}}));
}

TEST_F(EntryFileTest, AStoredSortOrderComesBackThroughTheSortOrderField) {
    Start(std::nullopt);
    SetRows({{"Five", "5.exe", "5"}, {"Word", "w.exe", "zz"}});
    End();
    EXPECT_NE(File().find("SORTORDER=5\r\n"), std::string::npos);  // written as the cell holds it
    EXPECT_EQ(NextRun(), (Rows{{"Five", "5.exe", "50"}, {"Word", "w.exe", "zz"}}));
}

TEST_F(EntryFileTest, ACtrlZByteEndsTheLoadWhereItStands) {
    EXPECT_EQ(NextRun(Group("A", "a", "01") + "\x1A" + Group("B", "b", "02")),
              (Rows{{"A", "a", "01"}}));
    // Inside a line: that line has no line end any more and is dropped, so C has no target.
    EXPECT_TRUE(NextRun("ST=C\r\nURL=c\x1A\r\nSORTORDER=01\r\n").empty());
}

TEST_F(EntryFileTest, AFileThatBeginsWithAnStLineLoadsThatEntry) {
    Start("ST=Only\r\nURL=only.exe\r\nSORTORDER=09\r\n");
    EXPECT_EQ(Table(), (Rows{{"Only", "only.exe", "09"}}));
}

TEST_F(EntryFileTest, OnlyAnStLineAfterTheFirstLineCompletesATitleTheFieldAlreadyHeld) {
    // Loading with text already in the fields, which start-up never does: an ST line as the
    // very first line replaces the held title, later ones complete it as an entry.
    Start(std::nullopt);
    Fill("Held", "held.exe", "03");
    PutFile("ST=A\nURL=a\nSORTORDER=01\n");
    dlg.LoadEntryFile();
    EXPECT_EQ(Table(), (Rows{{"A", "a", "01"}}));
    Fill("Held", "held.exe", "03");
    PutFile("header\nST=B\nURL=b\nSORTORDER=02\n");
    dlg.LoadEntryFile();
    EXPECT_EQ(Table(), (Rows{{"A", "a", "01"}, {"B", "b", "02"}, {"Held", "held.exe", "03"}}));
}

TEST_F(EntryFileTest, ALineIsUnlimitedInLength) {
    const std::string title(1 << 20, 'x');
    Start("ST=" + title + "\nURL=t\nSORTORDER=01\n");
    ASSERT_EQ(Table().size(), 1u);
    EXPECT_EQ(Table()[0][COL_TITLE], title);
}

TEST_F(EntryFileTest, AColumnClickOrderIsWrittenBottomUpAndComesBackSortedStably) {
    Start(std::nullopt);
    Add("X", "x", "02");
    Add("Y", "y", "01");
    Add("P", "p", "03");
    Add("Q", "q", "01");
    w->ClickHeader(COL_TARGET);  // p q x y
    w->ClickHeader(COL_TARGET);  // reversed: y x q p
    ASSERT_EQ(Titles(), (Strings{"Y", "X", "Q", "P"}));
    EXPECT_EQ(End(), "CREATOR=Brindlecot 1.0\r\n" + Group("P", "p", "03") + "\r\n" +
                         Group("Q", "q", "01") + "\r\n" + Group("X", "x", "02") + "\r\n" +
                         Group("Y", "y", "01"));
    // Sorted by sort order; Y and Q, both 01, keep the order they had when saved.
    EXPECT_EQ(NextRun(),
              (Rows{{"Y", "y", "01"}, {"Q", "q", "01"}, {"X", "x", "02"}, {"P", "p", "03"}}));
}

// ---- The session's end saves, once ----

TEST_F(EntryFileTest, TheSessionsEndWritesTheFileOnceAndTheDestructionDoesNotAgain) {
    Start(std::nullopt);
    Add("Calc", "calc.exe", "01");
    w->Send(win::kWmEndSession, 0, 0);  // the session goes on: nothing is written
    EXPECT_EQ(platform.files.writes, 0);
    w->Send(win::kWmEndSession, 1, 0);
    EXPECT_EQ(platform.files.writes, 1);
    const std::string atSessionEnd = "CREATOR=Brindlecot 1.0\r\n" + Group("Calc", "calc.exe", "01");
    EXPECT_EQ(File(), atSessionEnd);
    EXPECT_TRUE(platform.Logged("TrayIcon remove"));
    w->Send(win::kWmEndSession, 1, 0);
    End();
    EXPECT_EQ(platform.files.writes, 1);
    EXPECT_EQ(File(), atSessionEnd);
}

// ---- No line end in a cell ----

TEST_F(EntryFileTest, APastedLineEndNeverReachesACellSoTheEntryStaysOneGroup) {
    Start(std::nullopt);
    Add("Two\r\nLines", "c:\\x\ny.exe\r", "01");
    EXPECT_EQ(Table(), (Rows{{"TwoLines", "c:\\xy.exe", "01"}}));
    EXPECT_EQ(End(), "CREATOR=Brindlecot 1.0\r\n" + Group("TwoLines", "c:\\xy.exe", "01"));
    EXPECT_EQ(NextRun(), (Rows{{"TwoLines", "c:\\xy.exe", "01"}}));
}

TEST_F(EntryFileTest, APastedCtrlZNeverReachesACellSoLaterEntriesStillLoad) {
    Start(std::nullopt);
    Add("Later", "later.exe", "02");
    Add("Cut\x1aoff", "a\x1a.exe", "01");
    EXPECT_EQ(Table(), (Rows{{"Cutoff", "a.exe", "01"}, {"Later", "later.exe", "02"}}));
    End();
    EXPECT_EQ(NextRun(), (Rows{{"Cutoff", "a.exe", "01"}, {"Later", "later.exe", "02"}}));
}

TEST_F(EntryFileTest, ALoneCrInTheFileIsKeptByTheReaderAndTheFieldsSoTheFileGoesBackAsItWas) {
    const std::string file = "CREATOR=Brindlecot 1.0\r\nST=a\rb\r\nURL=c\rd\r\nSORTORDER=0\r1\r\n";
    Start(file);
    EXPECT_EQ(Table(), (Rows{{"a\rb", "c\rd", "0\r1"}}));
    EXPECT_EQ(End(), file);
    EXPECT_EQ(NextRun(), (Rows{{"a\rb", "c\rd", "0\r1"}}));
}

TEST_F(EntryFileTest, AnEntryWithALoneCrEditedByTheUserKeepsItAndLosesOnlyWhatWasPasted) {
    Start("CREATOR=Brindlecot 1.0\r\nST=a\rb\r\nURL=c\rd\r\nSORTORDER=01\r\n");
    w->ClickRow(0);
    EXPECT_EQ(Field(IDC_TITLE), "a\rb");
    w->Type(IDC_TITLE, "a\rb and\r\nmore");
    w->Click(IDC_UPDATE);
    EXPECT_EQ(Table(), (Rows{{"a\rb andmore", "c\rd", "01"}}));
}

}  // namespace
}  // namespace brindlecot
