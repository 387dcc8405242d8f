// The session manager's request for the user's data while the session may go on
// (platform::kWmSaveNow, sent by the Linux front end for X11's SaveYourself): the entry file is
// written without a box, and the run goes on as if nothing had happened.
#include "catalogue/entry_file_fixture.h"

namespace brindlecot {
namespace {

std::string Group(const std::string& title, const std::string& target, const std::string& sort) {
    return "ST=" + title + "\r\nURL=" + target + "\r\nSORTORDER=" + sort + "\r\n";
}

const std::string kWithNew = kWorkedExample.substr(0, 24) + Group("New", "new.exe", "03") + "\r\n" +
                             kWorkedExample.substr(24);

TEST_F(EntryFileTest, SaveNowWritesTheFileAndTheRunGoesOnAsItWas) {
    Start(kWorkedExample);
    Add("New", "new.exe", "03");
    // The user has chosen a row and is half-way through typing something else.
    w->ClickRow(1);
    Fill("half typ", "ed \xE9", "");
    const Rows rows = Table();
    constexpr unsigned kBoth = win::kLvisSelected | win::kLvisFocused;
    std::vector<unsigned> states;
    for (int row = 0; row < dlg.m_listEntries.GetItemCount(); ++row)
        states.push_back(dlg.m_listEntries.GetItemState(row, kBoth));
    const int mark = Mark();
    ASSERT_EQ(mark, 1);
    platform.log.clear();
    platform.textsSet = 0;
    platform.selectionsMade = 0;

    EXPECT_EQ(w->Send(platform::kWmSaveNow, 0, 0), 1);
    // The rows went through the fields on their way without reaching the window: the user's
    // caret, selection and undo history in them are untouched.
    EXPECT_EQ(platform.textsSet, 0);
    EXPECT_EQ(platform.selectionsMade, 0);
    EXPECT_EQ(platform.files.writes, 1);
    EXPECT_EQ(File(), kWithNew);
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_TRUE(platform.errorLines.empty());
    // The tray icon stays, the window stays open, and the fields, the rows and the selection
    // are as they were.
    EXPECT_FALSE(platform.Logged("TrayIcon"));
    EXPECT_TRUE(dlg.HasWindow());
    EXPECT_EQ(Field(IDC_TITLE), "half typ");
    EXPECT_EQ(Field(IDC_TARGET), "ed \xE9");
    EXPECT_EQ(Field(IDC_SORTORDER), "");
    EXPECT_EQ(Field(IDC_COUNT), "3");
    EXPECT_EQ(Table(), rows);
    for (size_t i = 0; i < states.size(); ++i)
        EXPECT_EQ(dlg.m_listEntries.GetItemState(static_cast<int>(i), kBoth), states[i]) << i;
    EXPECT_EQ(Mark(), mark);
    EXPECT_EQ(w->list.selected, 1);

    // A second request, and the end of the run, write again with what changed since.
    Add("Later", "later.exe", "04");
    w->Send(platform::kWmSaveNow, 0, 0);
    EXPECT_EQ(platform.files.writes, 2);
    const std::string withLater = kWorkedExample.substr(0, 24) + Group("Later", "later.exe", "04") +
                                  "\r\n" + kWithNew.substr(24);
    EXPECT_EQ(File(), withLater);
    EXPECT_EQ(End(), withLater);
    EXPECT_EQ(platform.files.writes, 3);
    EXPECT_TRUE(platform.Logged("TrayIcon remove"));
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(EntryFileTest, AFailedSaveNowAsksNothingKeepsTheListAndQuitStillAsks) {
    Start(kWorkedExample);
    Add("New", "new.exe", "03");
    platform.files.writable = false;
    w->Send(platform::kWmSaveNow, 0, 0);
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(File(), kWorkedExample);
    ASSERT_EQ(platform.files.recoveries.size(), 1u);
    EXPECT_EQ(platform.files.recoveries.begin()->second, kWithNew);
    ASSERT_EQ(platform.errorLines.size(), 1u);
    EXPECT_TRUE(dlg.HasWindow());
    // The run went on as ever: its own end still shows the box when the save fails.
    End();
    EXPECT_EQ(SaveBoxes(), 1);
}

TEST_F(EntryFileTest, SaveNowWhileTheLoadShowsABoxLeavesTheFileWhole) {
    std::string file = "CREATOR=Brindlecot 1.0\r\n";
    for (int i = 0; i < 52; ++i)
        file += Group("t" + std::to_string(i), "u" + std::to_string(i), "07") + "\r\n";
    int requests = 0;
    platform.whileBoxShows = [&](const fake::FakePlatform::Box&) {
        if (fake::FakeDialogWindow* main = platform.Window(IDD_BRINDLECOT_DIALOG)) {
            ++requests;
            EXPECT_EQ(main->Send(platform::kWmSaveNow, 0, 0), 0);
        }
    };
    Start(file);
    EXPECT_EQ(requests, 2);
    EXPECT_EQ(platform.files.writes, 0);
    EXPECT_EQ(File(), file);
    EXPECT_TRUE(platform.files.recoveries.empty());
    platform.whileBoxShows = nullptr;
    // Once loaded, the table is saved on request.
    w->Send(platform::kWmSaveNow, 0, 0);
    EXPECT_EQ(platform.files.writes, 1);
    EXPECT_EQ(Table().size(), 50u);
}

TEST_F(EntryFileTest, SaveNowAfterTheSessionsEndDoesNothing) {
    Start(kWorkedExample);
    w->Send(win::kWmEndSession, 1, 0);
    EXPECT_EQ(platform.files.writes, 1);
    EXPECT_EQ(w->Send(platform::kWmSaveNow, 0, 0), 0);
    EXPECT_EQ(platform.files.writes, 1);
}

TEST_F(EntryFileTest, SaveNowKeepsALoneCrOfTheRowShownInTheFields) {
    // The save shows every row in the fields on its way; the row the user had loaded, with a
    // CR of its own, must still count as the program's text afterwards, not as a typed one,
    // so that an Update then changes nothing.
    const std::string file = "CREATOR=Brindlecot 1.0\r\n" + Group("last", "c.exe", "03") + "\r\n" +
                             Group("cr\rtitle", "b.exe", "02") + "\r\n" +
                             Group("first", "a.exe", "01");
    Start(file);
    const Rows rows = Table();
    const auto row =
        std::find_if(rows.begin(), rows.end(), [](const auto& r) { return r[0] == "cr\rtitle"; });
    ASSERT_NE(row, rows.end());
    w->ClickRow(static_cast<int>(row - rows.begin()));
    ASSERT_EQ(Field(IDC_TITLE), "cr\rtitle");
    w->Send(platform::kWmSaveNow, 0, 0);
    EXPECT_EQ(File(), file);
    w->Click(IDC_UPDATE);
    EXPECT_EQ(Table(), rows);
    EXPECT_EQ(End(), file);
}

}  // namespace
}  // namespace brindlecot
