// The entry table's commands as the user gives them: Add, Update, Remove, Clear, Clear All,
// clicks in the table, Browse, and the field exchange they all go through.
#include "support/dialog_fixture.h"

namespace brindlecot {
namespace {

using EntryTableTest = DialogTest;

TEST_F(EntryTableTest, AddStoresTheFieldsAsANewRowAndKeepsTheFields) {
    Add("Calc", "calc.exe", "01");
    ASSERT_EQ(w->list.Rows().size(), 1u);
    EXPECT_EQ(w->list.Rows()[0], (std::array<std::string, 3>{"Calc", "calc.exe", "01"}));
    EXPECT_EQ(Field(IDC_COUNT), "1");
    EXPECT_EQ(Field(IDC_TITLE), "Calc");
    EXPECT_EQ(Field(IDC_TARGET), "calc.exe");
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(EntryTableTest, TheFiftiethEntryIsAddedAndTheFiftyFirstRefusedWithoutReordering) {
    for (int i = 0; i < 49; ++i)
        Add("t" + std::to_string(i), "x" + std::to_string(i), "07");
    EXPECT_EQ(Field(IDC_COUNT), "49");
    Add("last", "last.exe", "07");
    EXPECT_EQ(Field(IDC_COUNT), "50");
    EXPECT_TRUE(platform.boxes.empty());

    w->ClickHeader(COL_TITLE);  // an order the sort by sort order would undo
    const Strings before = Titles();
    Add("extra", "extra.exe", "01");
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].owner, w->Handle());
    EXPECT_EQ(platform.boxes[0].text, "Maximum Items Reached");
    EXPECT_EQ(platform.boxes[0].caption, "The maximum number of entries is 50.");
    EXPECT_EQ(platform.boxes[0].type, win::kMbOk);
    EXPECT_EQ(Titles(), before);
    EXPECT_EQ(Field(IDC_COUNT), "50");
}

TEST_F(EntryTableTest, BlankTitleOrTargetIsRefusedButTheTableIsStillSorted) {
    for (const auto& [title, target] :
         {std::pair<std::string, std::string>{"", "x.exe"}, {"x", ""}, {"", ""}}) {
        platform.boxes.clear();
        SetRows({{"b", "b.exe", "02"}, {"a", "a.exe", "01"}});
        Add(title, target, "03");
        ASSERT_EQ(platform.boxes.size(), 1u);
        EXPECT_EQ(platform.boxes[0].caption, "Error");
        EXPECT_EQ(platform.boxes[0].text,
                  "URL or Title Blank.\r\nNo entry added.\r\nPlease add a title and url and "
                  "try again.");
        EXPECT_EQ(Titles(), (Strings{"a", "b"}));
    }
    // Blanks are text: only the exactly empty title is blank.
    platform.boxes.clear();
    Add("   ", "x.exe", "03");
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(Titles(), (Strings{"a", "b", "   "}));
}

TEST_F(EntryTableTest, AnEqualTitleAndTargetAsksBeforeAddingAndOnlyYesAdds) {
    Add("Calc", "calc.exe", "01");
    Add("Calc", "calc.exe", "02");  // unanswered: No
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].caption, "Brindlecot");  // the application's box
    EXPECT_EQ(platform.boxes[0].owner, w->Handle());
    EXPECT_EQ(platform.boxes[0].text,
              "This entry is already in the list.\r\nDo you really want to add this item?");
    EXPECT_EQ(platform.boxes[0].type, win::kMbYesNo | win::kMbIconExclamation);
    EXPECT_EQ(Titles().size(), 1u);

    platform.boxAnswers.push_back(win::kIdYes);
    Add("Calc", "calc.exe", "02");
    EXPECT_EQ(SortOrders(), (Strings{"01", "02"}));

    // The target is compared with letter case: this one is new.
    platform.boxes.clear();
    Add("Calc", "CALC.EXE", "03");
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(Titles().size(), 3u);
}

TEST_F(EntryTableTest, ANewEntryLandsAboveRowsOfEqualSortOrder) {
    Add("first", "1", "05");
    Add("second", "2", "05");
    Add("low", "0", "01");
    Add("third", "3", "05");
    EXPECT_EQ(Titles(), (Strings{"low", "third", "second", "first"}));
}

TEST_F(EntryTableTest, ATypedSortOrderIsStoredAsTypedButShownAsTheListItemItBegins) {
    Add("Five", "five.exe", "5");
    EXPECT_EQ(SortOrders(), (Strings{"5"}));
    EXPECT_EQ(Field(IDC_SORTORDER), "50");
    w->ClickRow(0);  // loads "5", shown as "50"
    EXPECT_EQ(Field(IDC_SORTORDER), "50");
    w->Click(IDC_UPDATE);
    EXPECT_EQ(SortOrders(), (Strings{"50"}));

    // A value that begins no item is shown as it stands; the list is searched ignoring case.
    w->Type(IDC_SORTORDER, "7x");
    w->Click(IDC_CLEAR);
    EXPECT_EQ(Field(IDC_SORTORDER), "7x");
}

TEST_F(EntryTableTest, UpdateOverwritesTheMarkedRowAndResorts) {
    Add("a", "a.exe", "01");
    Add("b", "b.exe", "02");
    w->ClickRow(0);
    Fill("a2", "a2.exe", "03");
    w->Click(IDC_UPDATE);
    EXPECT_EQ(Titles(), (Strings{"b", "a2"}));
    EXPECT_EQ(Targets(), (Strings{"b.exe", "a2.exe"}));
}

TEST_F(EntryTableTest, UpdateWithAnEmptyTitleOrTargetChangesNoRowButResorts) {
    Add("a", "a.exe", "01");
    Add("b", "b.exe", "02");
    w->ClickRow(0);
    w->ClickHeader(COL_SORTORDER);  // descending: b, a
    ASSERT_EQ(Titles(), (Strings{"b", "a"}));
    Fill("", "new.exe", "09");
    w->Click(IDC_UPDATE);
    EXPECT_EQ(Titles(), (Strings{"a", "b"}));
    EXPECT_EQ(Targets(), (Strings{"a.exe", "b.exe"}));

    // An entry without a target would be dropped at the next start: it is not written.
    w->ClickRow(0);
    Fill("a", "", "01");
    w->Click(IDC_UPDATE);
    EXPECT_EQ(Targets(), (Strings{"a.exe", "b.exe"}));
}

TEST_F(EntryTableTest, UpdateAndRemoveWithNoMarkedRowChangeNothing) {
    Add("a", "a.exe", "01");
    Fill("z", "z.exe", "02");
    w->Click(IDC_UPDATE);
    w->Click(IDC_REMOVE);
    EXPECT_EQ(Titles(), (Strings{"a"}));
    EXPECT_EQ(Targets(), (Strings{"a.exe"}));
}

TEST_F(EntryTableTest, UpdateAndRemoveAfterReorderingActOnTheEntryTheUserSelected) {
    Add("apple", "apple.exe", "01");
    Add("Banana", "banana.exe", "02");
    Add("cherry", "cherry.exe", "03");
    w->ClickRow(0);  // apple
    w->ClickHeader(COL_TITLE);
    ASSERT_EQ(Titles(), (Strings{"Banana", "apple", "cherry"}));
    EXPECT_EQ(w->list.selected, 1);
    EXPECT_EQ(Mark(), 1);

    Fill("apple", "apple2.exe", "01");
    w->Click(IDC_UPDATE);
    EXPECT_EQ(Targets(), (Strings{"apple2.exe", "banana.exe", "cherry.exe"}));

    w->ClickRow(2);                 // cherry
    Add("date", "date.exe", "00");  // inserted above and sorted: cherry moves
    w->Click(IDC_REMOVE);
    EXPECT_EQ(Titles(), (Strings{"date", "apple", "Banana"}));
}

TEST_F(EntryTableTest, RemoveDeletesTheMarkedRowOnceAndASecondRemoveNeedsANewSelection) {
    Add("a", "a.exe", "01");
    Add("b", "b.exe", "02");
    Add("c", "c.exe", "03");
    w->ClickRow(1);
    w->Click(IDC_REMOVE);
    EXPECT_EQ(Titles(), (Strings{"a", "c"}));
    EXPECT_EQ(Field(IDC_COUNT), "2");
    EXPECT_EQ(Field(IDC_TITLE), "b");  // the fields keep their contents
    w->Click(IDC_REMOVE);
    EXPECT_EQ(Titles(), (Strings{"a", "c"}));
    EXPECT_TRUE(platform.boxes.empty());  // without asking
}

TEST_F(EntryTableTest, ClearEmptiesTitleAndTargetOnly) {
    Add("a", "a.exe", "04");
    w->Click(IDC_CLEAR);
    EXPECT_EQ(Field(IDC_TITLE), "");
    EXPECT_EQ(Field(IDC_TARGET), "");
    EXPECT_EQ(Field(IDC_SORTORDER), "04");
    EXPECT_EQ(Titles(), (Strings{"a"}));
    EXPECT_EQ(Field(IDC_COUNT), "1");
}

TEST_F(EntryTableTest, ClearAllAsksAndOnlyYesEmptiesTheTableKeepingTheFields) {
    w->Click(IDC_CLEARALL);  // asked also on an empty table
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, "Are you sure that you want to clear list?");
    EXPECT_EQ(platform.boxes[0].type, win::kMbYesNo | win::kMbIconExclamation);

    Add("a", "a.exe", "01");
    Add("b", "b.exe", "02");
    platform.boxAnswers.push_back(win::kIdNo);
    w->Click(IDC_CLEARALL);
    EXPECT_EQ(Titles().size(), 2u);
    platform.boxAnswers.push_back(win::kIdYes);
    w->Click(IDC_CLEARALL);
    EXPECT_TRUE(Titles().empty());
    EXPECT_EQ(Field(IDC_COUNT), "0");
    EXPECT_EQ(Field(IDC_TITLE), "b");
    EXPECT_EQ(Field(IDC_TARGET), "b.exe");
}

TEST_F(EntryTableTest, AClickLoadsTheMarkedRowAndAKeyboardMoveLoadsNothing) {
    Add("a", "a.exe", "01");
    Add("b", "b.exe", "02");
    w->Click(IDC_CLEAR);
    w->ClickBelowRows();  // nothing was ever selected: a row that does not exist
    EXPECT_EQ(Field(IDC_TITLE), "");
    EXPECT_EQ(Field(IDC_TARGET), "");

    w->ClickRow(1);
    EXPECT_EQ(Field(IDC_TITLE), "b");
    EXPECT_EQ(Field(IDC_TARGET), "b.exe");
    EXPECT_EQ(Field(IDC_SORTORDER), "02");

    w->KeyMoveTo(0);
    EXPECT_EQ(Field(IDC_TITLE), "b");

    w->Click(IDC_CLEAR);
    w->ClickBelowRows();  // the highlight goes, the mark stays: row 0 loads again
    EXPECT_EQ(Field(IDC_TITLE), "a");
    EXPECT_EQ(w->list.selected, -1);
}

TEST_F(EntryTableTest, SpaceLoadsTheFocusedRowAsAClickOnItAndOtherKeysDoNothing) {
    Add("a", "a.exe", "01");
    Add("b", "b.exe", "02");
    Add("c", "c.exe", "03");
    w->Click(IDC_CLEAR);
    const auto rows = w->list.Rows();

    w->KeyDownInList(win::kVkSpace);  // no row has the focus yet
    EXPECT_EQ(Field(IDC_TITLE), "");

    w->KeyMoveTo(2);
    for (const std::uint16_t key : {0x0D /* Enter */, 0x41 /* A */, 0x28 /* Down */})
        w->KeyDownInList(key);
    EXPECT_EQ(Field(IDC_TITLE), "");
    w->KeyDownInList(win::kVkSpace);
    EXPECT_EQ(Field(IDC_TITLE), "c");
    EXPECT_EQ(Field(IDC_TARGET), "c.exe");
    EXPECT_EQ(Field(IDC_SORTORDER), "03");
    EXPECT_EQ(w->list.Rows(), rows);
    EXPECT_EQ(Field(IDC_COUNT), "3");
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_TRUE(dlg.HasWindow());  // the dialog goes on: only Enter's default button ends it

    // The focus on a row the mark is not on (a Remove cleared it, or the focus moved without
    // selecting): Space loads the focused row, selects it alone and marks it, so that Update
    // and Remove then act on the row the user sees loaded.
    w->ClickRow(0);
    w->list.UserFocuses(1);
    w->KeyDownInList(win::kVkSpace);
    EXPECT_EQ(Field(IDC_TITLE), "b");
    EXPECT_EQ(Mark(), 1);
    EXPECT_EQ(w->list.selected, 1);
    EXPECT_EQ(dlg.m_listEntries.GetItemState(0, win::kLvisSelected | win::kLvisFocused), 0u);
    w->Click(IDC_REMOVE);
    EXPECT_EQ(Titles(), (Strings{"a", "c"}));
}

TEST_F(EntryTableTest, BrowseFillsTheTargetAndRestoresTheWorkingDirectoryEitherWay) {
    w->Type(IDC_TARGET, "old");
    platform.fileDialogBrowsesTo = "/usr/bin";
    platform.fileDialogResult = std::nullopt;
    w->Click(IDC_BROWSE);
    EXPECT_EQ(Field(IDC_TARGET), "old");
    EXPECT_EQ(platform.currentDirectory, "/home/user/work");

    platform.fileDialogResult = "/usr/bin/gimp";
    w->Click(IDC_BROWSE);
    EXPECT_EQ(Field(IDC_TARGET), "/usr/bin/gimp");
    EXPECT_EQ(platform.currentDirectory, "/home/user/work");
    EXPECT_TRUE(Titles().empty());

    ASSERT_EQ(platform.fileDialogs.size(), 2u);
    const auto& req = platform.fileDialogs[0];
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Executable Files (*.exe)", "*.exe"},
        {"Com Files (*.com)", "*.com"},
        {"All Files (*.*)", "*.*"}};
    ASSERT_EQ(req.filters.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(req.filters[i].name, expected[i].first);
        EXPECT_EQ(req.filters[i].pattern, expected[i].second);
    }
    EXPECT_EQ(req.defaultExtension, "*.exe");
    EXPECT_EQ(req.flags, win::kOfnHideReadOnly | win::kOfnOverwritePrompt);
    EXPECT_EQ(req.initialFileName, "");
}

TEST_F(EntryTableTest, ReadingTheFieldsDropsLineEndsSoEveryCellStaysOneLine) {
    Add("two\r\nlines", "a\rb\nc", "0\n1");
    EXPECT_EQ(w->list.Rows()[0], (std::array<std::string, 3>{"twolines", "abc", "01"}));
}

TEST_F(EntryTableTest, EveryCommandThatChangesTheRowsHasEachColumnFittedOnceAfterThem) {
    w->list.fitted.clear();
    Add("a very long title indeed", "x", "01");
    EXPECT_EQ(w->list.fitted, (std::vector<int>{0, 1, 2}));
    for (const int command : {IDC_UPDATE, IDC_REMOVE}) {
        w->ClickRow(0);
        w->Type(IDC_TITLE, "short");
        w->list.fitted.clear();
        w->Click(command);
        EXPECT_EQ(w->list.fitted, (std::vector<int>{0, 1, 2})) << command;
    }
}

}  // namespace
}  // namespace brindlecot
