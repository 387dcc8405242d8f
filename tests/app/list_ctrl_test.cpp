// The entry table's list control: its rows, their selection and the mark, with the rules the
// program relies on, and what it sends a display to keep it in step.
#include "app/framework.h"
#include "support/dialog_fixture.h"

namespace brindlecot {
namespace {

constexpr unsigned kBoth = win::kLvisSelected | win::kLvisFocused;

class ListCtrlTest : public ::testing::Test {
  protected:
    // Three columns and `rows` rows "r0".."rN" whose other cells are "t0".., "s0"..
    void Fill(int rows) {
        for (const char* header : {"Title", "Target", "Sort"})
            list.InsertColumn(0, header);
        for (int r = 0; r < rows; ++r) {
            const std::string n = std::to_string(r);
            list.InsertItem(r, "r" + n);
            list.SetItemText(r, 1, "t" + n);
            list.SetItemText(r, 2, "s" + n);
        }
    }
    Strings Titles() const {
        Strings titles;
        for (int r = 0; r < list.GetItemCount(); ++r)
            titles.push_back(list.GetItemText(r, 0));
        return titles;
    }
    int Selected() const {
        for (int r = 0; r < list.GetItemCount(); ++r) {
            if (list.GetItemState(r, win::kLvisSelected))
                return r;
        }
        return -1;
    }

    CListCtrl list;
};

TEST_F(ListCtrlTest, InsertedRowsTakeTheirPlaceAndPushTheRestDownWithTheMark) {
    Fill(0);
    EXPECT_EQ(list.InsertItem(0, "b"), 0);
    EXPECT_EQ(list.InsertItem(0, "a"), 0);
    EXPECT_EQ(list.InsertItem(2, "d"), 2);
    EXPECT_EQ(list.InsertItem(2, "c"), 2);
    EXPECT_EQ(list.InsertItem(99, "e"), 4);  // past the end: appended
    EXPECT_EQ(list.InsertItem(-3, "0"), 0);  // before the start: at the top
    EXPECT_EQ(Titles(), (Strings{"0", "a", "b", "c", "d", "e"}));
    EXPECT_EQ(list.GetItemText(1, 1), "");  // a new row's other cells are empty

    list.SetSelectionMark(2);  // b
    list.InsertItem(3, "below");
    EXPECT_EQ(list.GetSelectionMark(), 2);
    list.InsertItem(2, "at");
    EXPECT_EQ(list.GetSelectionMark(), 3);
    EXPECT_EQ(list.GetItemText(list.GetSelectionMark(), 0), "b");
    list.SetSelectionMark(-1);
    list.InsertItem(0, "no mark, none made");
    EXPECT_EQ(list.GetSelectionMark(), -1);
}

TEST_F(ListCtrlTest, CellsThatDoNotExistReadEmptyAndIgnoreWrites) {
    Fill(2);
    for (const auto& [row, column] : {std::pair{-1, 0}, {2, 0}, {0, -1}, {0, 3}}) {
        list.SetItemText(row, column, "new");
        EXPECT_EQ(list.GetItemText(row, column), "") << row << "," << column;
    }
    EXPECT_EQ(Titles(), (Strings{"r0", "r1"}));
    EXPECT_EQ(list.GetItemText(0, 2), "s0");
}

TEST_F(ListCtrlTest, DeletionMovesTheMarkUpWithItsRowAndClampsItToTheLastRow) {
    Fill(5);
    list.SetSelectionMark(3);
    list.DeleteItem(4);  // below: stays
    EXPECT_EQ(list.GetSelectionMark(), 3);
    list.DeleteItem(0);  // above: moves up with its row
    EXPECT_EQ(list.GetSelectionMark(), 2);
    EXPECT_EQ(list.GetItemText(2, 0), "r3");
    list.DeleteItem(7);
    list.DeleteItem(-1);
    EXPECT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(list.GetSelectionMark(), 2);

    // On the deleted row it stays on its position, naming the row that moved up...
    list.SetSelectionMark(1);
    list.DeleteItem(1);
    EXPECT_EQ(list.GetSelectionMark(), 1);
    EXPECT_EQ(Titles(), (Strings{"r1", "r3"}));
    // ...and past the new last row it goes to that row, and to none when none is left.
    list.DeleteItem(1);
    EXPECT_EQ(list.GetSelectionMark(), 0);
    list.DeleteItem(0);
    EXPECT_EQ(list.GetSelectionMark(), -1);

    Fill(3);
    list.SetSelectionMark(1);
    list.DeleteAllItems();
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(list.GetSelectionMark(), -1);
}

TEST_F(ListCtrlTest, OneRowIsSelectedAndOneFocusedAndTheirStateTravelsWithTheRow) {
    Fill(4);
    list.SetItemState(0, kBoth, kBoth);
    list.SetItemState(2, win::kLvisSelected, win::kLvisSelected);
    EXPECT_EQ(list.GetItemState(0, kBoth), win::kLvisFocused);  // the highlight moved
    EXPECT_EQ(list.GetItemState(2, kBoth), win::kLvisSelected);
    list.SetItemState(3, win::kLvisFocused, kBoth);  // a mask of both: unselects it too
    EXPECT_EQ(list.GetItemState(0, kBoth), 0u);
    EXPECT_EQ(list.GetItemState(3, kBoth), win::kLvisFocused);
    EXPECT_EQ(list.GetItemState(2, win::kLvisFocused), 0u);  // only the bits asked for
    list.SetItemState(9, kBoth, kBoth);                      // no such row: nothing changes
    EXPECT_EQ(list.GetItemState(9, kBoth), 0u);
    EXPECT_EQ(Selected(), 2);
    // Selecting a row never marks it: only the user's selection and the program do.
    EXPECT_EQ(list.GetSelectionMark(), -1);

    list.InsertItem(0, "above");
    EXPECT_EQ(Selected(), 3);
    EXPECT_EQ(list.GetItemText(3, 0), "r2");
    list.DeleteItem(1);
    EXPECT_EQ(Selected(), 2);
    EXPECT_EQ(list.GetItemState(3, kBoth), win::kLvisFocused);
}

TEST_F(ListCtrlTest, ExchangingRowsMovesTheirCellsStateAndMarkTogether) {
    Fill(3);
    list.SetItemState(0, kBoth, kBoth);
    list.SetSelectionMark(0);
    list.ExchangeRows(0, 2);
    EXPECT_EQ(Titles(), (Strings{"r2", "r1", "r0"}));
    EXPECT_EQ(list.GetItemText(2, 1), "t0");
    EXPECT_EQ(list.GetItemState(2, kBoth), kBoth);
    EXPECT_EQ(list.GetItemState(0, kBoth), 0u);
    EXPECT_EQ(list.GetSelectionMark(), 2);
    list.ExchangeRows(1, 2);
    EXPECT_EQ(list.GetSelectionMark(), 1);
    list.ExchangeRows(0, 2);  // neither marked: the mark stays
    EXPECT_EQ(list.GetSelectionMark(), 1);
    list.ExchangeRows(1, 3);  // no such row: nothing moves
    EXPECT_EQ(Titles(), (Strings{"r1", "r0", "r2"}));
}

TEST_F(ListCtrlTest, TheFocusOfADeletedRowPassesToTheRowInItsPlaceAndTheHighlightGoes) {
    Fill(4);
    list.SetItemState(1, kBoth, kBoth);
    list.DeleteItem(1);
    EXPECT_EQ(Selected(), -1);
    EXPECT_EQ(list.GetItemState(1, kBoth), win::kLvisFocused);  // "r2", now at row 1
    list.SetItemState(2, win::kLvisFocused, win::kLvisFocused);
    list.DeleteItem(2);  // the last row: the focus goes to the new last one
    EXPECT_EQ(list.GetItemState(1, kBoth), win::kLvisFocused);
    list.DeleteItem(0);  // a row without the focus: the focus stays with its row
    EXPECT_EQ(Titles(), (Strings{"r2"}));
    EXPECT_EQ(list.GetItemState(0, kBoth), win::kLvisFocused);
    list.DeleteItem(0);
    EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(ListCtrlTest, TheUsersSelectionSetsTheStateAndMarksASelectedRowOnly) {
    Fill(4);
    list.OnUserSelection(2, 2);
    EXPECT_EQ(Selected(), 2);
    EXPECT_EQ(list.GetItemState(2, kBoth), kBoth);
    EXPECT_EQ(list.GetSelectionMark(), 2);
    // A click on the empty space below the rows: the highlight goes, the mark stays.
    list.OnUserSelection(-1, 2);
    EXPECT_EQ(Selected(), -1);
    EXPECT_EQ(list.GetItemState(2, kBoth), win::kLvisFocused);
    EXPECT_EQ(list.GetSelectionMark(), 2);
    // The focus moved alone.
    list.OnUserSelection(-1, 0);
    EXPECT_EQ(list.GetItemState(0, kBoth), win::kLvisFocused);
    EXPECT_EQ(list.GetItemState(2, kBoth), 0u);
    EXPECT_EQ(list.GetSelectionMark(), 2);
    // A report of rows that are not there selects none.
    list.OnUserSelection(7, 7);
    EXPECT_EQ(Selected(), -1);
    EXPECT_EQ(list.GetSelectionMark(), 2);
}

// What the display is sent, with the main window's commands.
class ListDisplayTest : public DialogTest {
  protected:
    void SetUp() override {}  // each test opens the window itself

    // A start-up that loads `entries` entries, sort orders from the last to the first.
    void Start(int entries) {
        std::string file = "CREATOR=Brindlecot 1.0\r\n";
        for (int i = entries; i >= 1; --i) {
            const std::string n = (i < 10 ? "0" : "") + std::to_string(i);
            file += "ST=Entry " + n + "\r\nURL=u" + n + "\r\nSORTORDER=" + n + "\r\n\r\n";
        }
        platform.files.files["brcot.dat"] = file;
        Open();
    }
    fake::FakeListView& Shown() { return w->list; }
    void Forget() { w->list.calls = {}; }
};

TEST_F(ListDisplayTest, AStartUpWithFiftyEntriesShowsEachRowOnceWithNoCellRewritten) {
    // Each line shown in the fields sends the window a message while it starts up: the list is
    // shown once, as the start-up leaves it, not as each of those messages finds it.
    platform.fieldsNotifyChanges = true;
    Start(50);
    ASSERT_EQ(Titles().size(), 50u);
    EXPECT_EQ(Titles().front(), "Entry 01");
    EXPECT_EQ(Titles().back(), "Entry 50");
    const auto& calls = Shown().calls;
    EXPECT_EQ(calls.insertRow, 50);
    EXPECT_EQ(calls.setCellText, 0);
    EXPECT_EQ(calls.deleteRow + calls.deleteAllRows, 0);
    EXPECT_LE(calls.showSelection, 1);
    EXPECT_EQ(Shown().fitted, (std::vector<int>{0, 1, 2}));
}

TEST_F(ListDisplayTest, AddInsertsOneRowAtItsSortedPlaceAndRemoveDeletesOne) {
    Start(5);
    Forget();
    Add("Between", "b", "03");
    EXPECT_EQ(Shown().calls.insertRow, 1);
    EXPECT_EQ(Shown().calls.setCellText, 0);
    // Added at the top, it sinks to the first row of its sort order.
    EXPECT_EQ(Shown().Rows(), (std::vector<std::array<std::string, 3>>{
                                  {"Entry 01", "u01", "01"},
                                  {"Entry 02", "u02", "02"},
                                  {"Between", "b", "03"},
                                  {"Entry 03", "u03", "03"},
                                  {"Entry 04", "u04", "04"},
                                  {"Entry 05", "u05", "05"},
                              }));

    w->ClickRow(1);
    Forget();
    w->Click(IDC_REMOVE);
    EXPECT_EQ(Shown().calls.deleteRow, 1);
    EXPECT_EQ(Shown().calls.insertRow + Shown().calls.setCellText, 0);
    EXPECT_EQ(Titles(), (Strings{"Entry 01", "Between", "Entry 03", "Entry 04", "Entry 05"}));
    EXPECT_EQ(Shown().selected, -1);
}

TEST_F(ListDisplayTest, AHeaderClickRewritesOnlyTheCellsThatChangedAndMovesTheHighlight) {
    Open();
    SetRows({{"a", "same", "2"}, {"b", "same", "1"}, {"c", "same", "3"}});
    w->ClickRow(0);  // a
    Forget();
    w->ClickHeader(COL_SORTORDER);  // b a c
    EXPECT_EQ(Titles(), (Strings{"b", "a", "c"}));
    EXPECT_EQ(SortOrders(), (Strings{"1", "2", "3"}));
    // Two rows changed places: their first and third cells, not the equal second ones.
    EXPECT_EQ(Shown().calls.setCellText, 4);
    EXPECT_EQ(Shown().calls.insertRow + Shown().calls.deleteRow, 0);
    EXPECT_EQ(Shown().selected, 1);
    EXPECT_EQ(Shown().focused, 1);
    EXPECT_EQ(Mark(), 1);

    // Clicked again, already in order: it turns round.
    w->ClickHeader(COL_SORTORDER);
    EXPECT_EQ(Titles(), (Strings{"c", "a", "b"}));
    EXPECT_EQ(Shown().selected, 1);
}

TEST_F(ListDisplayTest, ARowInsertedAboveTheHighlightKeepsItOnItsEntry) {
    Open();
    // A display keeps its highlight where it was told; the entry under it moved down.
    SetRows({{"b", "b", "02"}, {"c", "c", "03"}});
    w->ClickRow(1);  // c
    Add("a", "a", "01");
    EXPECT_EQ(Titles(), (Strings{"a", "b", "c"}));
    EXPECT_EQ(Shown().selected, 2);
    EXPECT_EQ(Mark(), 2);
    w->Click(IDC_UPDATE);  // the fields hold "a" now: c becomes a second "a", sorted first
    EXPECT_EQ(Titles(), (Strings{"a", "a", "b"}));
    EXPECT_EQ(Targets(), (Strings{"a", "a", "b"}));
}

TEST_F(ListCtrlTest, TheHighlightIsShownOnItsEntryOnDisplaysThatMoveItWithTheirRowsAndOnOthers) {
    for (const bool moves : {false, true}) {
        std::vector<std::string> log;
        fake::FakeListView shown(log);
        shown.movesHighlightWithRows = moves;
        CListCtrl model;
        model.InsertColumn(0, "Title");
        for (const char* title : {"a", "b", "c"})
            model.InsertItem(model.GetItemCount(), title);
        model.Attach(&shown);
        shown.UserSelects(1);  // b
        // A row goes in above it, and it comes back to its place: the display moved the
        // highlight down with the row it had, or kept it, and is shown it again either way.
        model.InsertItem(0, "x");
        model.ExchangeRows(1, 2);
        model.Flush();
        EXPECT_EQ(shown.Column(0), (Strings{"x", "b", "a", "c"})) << moves;
        EXPECT_EQ(shown.selected, 1) << moves;
        EXPECT_EQ(shown.focused, 1) << moves;
        // The highlighted row deleted above nothing else: no highlight, wherever it was.
        model.DeleteItem(1);
        model.Flush();
        EXPECT_EQ(shown.selected, -1) << moves;
        EXPECT_EQ(shown.Column(0), (Strings{"x", "a", "c"})) << moves;
        model.Detach();
    }
}

TEST_F(ListDisplayTest, NothingIsSentWhenNothingChangedAndAnotherDisplayGetsEverything) {
    Open();
    SetRows({{"a", "ta", "1"}, {"b", "tb", "2"}});
    w->ClickRow(1);
    Forget();
    w->Click(IDC_CLEAR);  // the fields only
    dlg.FlushControls();
    const auto& calls = Shown().calls;
    EXPECT_EQ(calls.insertRow + calls.deleteRow + calls.deleteAllRows + calls.setCellText +
                  calls.showSelection + calls.fitColumn,
              0);

    // A display bound later is shown the whole control.
    std::vector<std::string> log;
    fake::FakeListView other(log);
    CListCtrl copy;
    copy.InsertColumn(0, "One");
    copy.SetExtendedStyle(win::kLvsExFullRowSelect);
    copy.InsertItem(0, "x");
    copy.InsertItem(1, "y");
    copy.SetItemState(1, kBoth, kBoth);
    copy.Attach(&other);
    EXPECT_EQ(other.headers, (Strings{"One"}));
    EXPECT_EQ(other.extendedStyle, win::kLvsExFullRowSelect);
    EXPECT_EQ(other.Column(0), (Strings{"x", "y"}));
    EXPECT_EQ(other.selected, 1);
    EXPECT_TRUE(other.HasEvents());
    other.UserSelects(0);
    EXPECT_EQ(copy.GetSelectionMark(), 0);
    copy.Detach();
    EXPECT_FALSE(other.HasEvents());
    EXPECT_EQ(copy.GetItemCount(), 0);  // the rows went with the window
}

TEST_F(ListDisplayTest, ABoxShowsTheListAsTheCommandLeftItBehindIt) {
    Open();
    // The duplicate question comes before the entry is added; the limit box after a load.
    SetRows({{"a", "a.exe", "01"}});
    platform.whileBoxShows = [this](const fake::FakePlatform::Box&) {
        EXPECT_EQ(w->list.Column(COL_TITLE), (Strings{"a"}));
    };
    Add("a", "a.exe", "01");
    ASSERT_EQ(platform.boxes.size(), 1u);

    dlg.m_listEntries.DeleteItem(0);
    platform.whileBoxShows = [this](const fake::FakePlatform::Box&) {
        EXPECT_TRUE(w->list.rows.empty());
    };
    dlg.ShowMessageBox("text", "caption", win::kMbOk);
    EXPECT_EQ(platform.boxes.size(), 2u);
}

}  // namespace
}  // namespace brindlecot
