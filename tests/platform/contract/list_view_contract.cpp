// The list view's contract, run against every implementation that instantiates it.
#include "platform/contract/list_view_contract.h"

namespace brindlecot::contract {

using Strings = std::vector<std::string>;

namespace {
constexpr unsigned kBoth = win::kLvisSelected | win::kLvisFocused;
}  // namespace

void ListViewContract::SetUp() {
    m_subject = GetParam()->Make();
    ASSERT_TRUE(m_subject);
    list = &m_subject->View();
}

void ListViewContract::Fill(int rows) {
    list->InsertColumn(0, "Title");
    list->InsertColumn(1, "Target");
    list->InsertColumn(2, "Sort");
    for (int r = 0; r < rows; ++r) {
        const std::string n = std::to_string(r);
        list->InsertItem(r, "r" + n);
        list->SetItemText(r, 1, "t" + n);
        list->SetItemText(r, 2, "s" + n);
    }
}

Strings ListViewContract::Titles() const {
    Strings titles;
    for (int r = 0; r < list->GetItemCount(); ++r)
        titles.push_back(list->GetItemText(r, 0));
    return titles;
}

// ---- Rows and cells ----

TEST_P(ListViewContract, InsertedRowsTakeTheirPlaceAndPushTheRestDown) {
    Fill(0);
    EXPECT_EQ(list->GetItemCount(), 0);
    list->InsertItem(0, "b");
    list->InsertItem(0, "a");                         // at the top
    list->InsertItem(2, "d");                         // at the end
    list->InsertItem(2, "c");                         // between
    list->InsertItem(list->GetItemCount() + 5, "e");  // past the end: appended
    EXPECT_EQ(Titles(), (Strings{"a", "b", "c", "d", "e"}));
    // A new row's other cells are empty, and its neighbours keep theirs.
    list->SetItemText(1, 1, "target of b");
    list->InsertItem(1, "ab");
    EXPECT_EQ(list->GetItemText(1, 1), "");
    EXPECT_EQ(list->GetItemText(1, 2), "");
    EXPECT_EQ(list->GetItemText(2, 1), "target of b");
}

TEST_P(ListViewContract, DeletedRowsCloseTheGapAndRowsThatDoNotExistAreLeftAlone) {
    Fill(5);
    list->DeleteItem(2);
    EXPECT_EQ(Titles(), (Strings{"r0", "r1", "r3", "r4"}));
    EXPECT_EQ(list->GetItemText(2, 1), "t3");  // the whole row moved up
    list->DeleteItem(0);
    list->DeleteItem(list->GetItemCount() - 1);
    EXPECT_EQ(Titles(), (Strings{"r1", "r3"}));
    list->DeleteItem(-1);
    list->DeleteItem(2);
    EXPECT_EQ(Titles(), (Strings{"r1", "r3"}));
    list->DeleteAllItems();
    EXPECT_EQ(list->GetItemCount(), 0);
    EXPECT_EQ(list->GetItemText(0, 0), "");
    EXPECT_EQ(list->GetHeaderItemCount(), 3);  // the columns stay
}

TEST_P(ListViewContract, CellsThatDoNotExistReadEmptyAndIgnoreWrites) {
    Fill(2);
    EXPECT_EQ(list->GetItemText(-1, 0), "");
    EXPECT_EQ(list->GetItemText(2, 0), "");
    EXPECT_EQ(list->GetItemText(0, -1), "");
    EXPECT_EQ(list->GetItemText(0, 3), "");
    list->SetItemText(2, 0, "new");
    list->SetItemText(-1, 0, "new");
    list->SetItemText(0, 3, "new");
    list->SetItemText(0, -1, "new");
    EXPECT_EQ(list->GetItemCount(), 2);
    EXPECT_EQ(Titles(), (Strings{"r0", "r1"}));
    EXPECT_EQ(list->GetItemText(0, 1), "t0");
    EXPECT_EQ(list->GetItemText(0, 2), "s0");
    EXPECT_EQ(list->GetItemText(0, 3), "");
}

TEST_P(ListViewContract, CellTextsComeBackByteForByte) {
    Fill(0);
    const Strings texts = {
        "",
        "trailing blanks  ",
        "a&b\tc",
        "Gr\xC3\xBC\xC3\x9F"
        "e \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\xB5",  // UTF-8, 2 to 4 bytes
        "caf\xE9 \x80\x9F\xFF",                         // a Windows code page's bytes, not UTF-8
        "\xC0\xAF \xED\xA0\x80 \xE2\x82",               // overlong, surrogate, cut short
        std::string(5000, 'x') + "\xE9",                // long
    };
    for (size_t i = 0; i < texts.size(); ++i) {
        list->InsertItem(static_cast<int>(i), texts[i]);
        list->SetItemText(static_cast<int>(i), 1, texts[i]);
        list->SetItemText(static_cast<int>(i), 2, texts[i]);
    }
    for (size_t i = 0; i < texts.size(); ++i) {
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(list->GetItemText(static_cast<int>(i), c), texts[i]) << "row " << i;
    }
}

// ---- The selection mark ----

TEST_P(ListViewContract, TheMarkIsNoneUntilSetAndNoneAgainWhenCleared) {
    Fill(3);
    EXPECT_EQ(list->GetSelectionMark(), -1);
    list->SetSelectionMark(1);
    EXPECT_EQ(list->GetSelectionMark(), 1);
    list->SetSelectionMark(-1);
    EXPECT_EQ(list->GetSelectionMark(), -1);
    list->InsertItem(0, "top");  // no mark, none made
    list->DeleteItem(0);
    EXPECT_EQ(list->GetSelectionMark(), -1);
}

TEST_P(ListViewContract, TheMarkMovesDownWithItsRowWhenARowIsInsertedAtOrAboveIt) {
    Fill(3);
    list->SetSelectionMark(1);
    list->InsertItem(2, "below");
    EXPECT_EQ(list->GetSelectionMark(), 1);
    list->InsertItem(1, "at");
    EXPECT_EQ(list->GetSelectionMark(), 2);
    list->InsertItem(0, "above");
    EXPECT_EQ(list->GetSelectionMark(), 3);
    EXPECT_EQ(list->GetItemText(list->GetSelectionMark(), 0), "r1");
}

TEST_P(ListViewContract, TheMarkMovesUpWithItsRowWhenARowAboveIsDeleted) {
    Fill(5);
    list->SetSelectionMark(3);
    list->DeleteItem(4);  // below: stays
    EXPECT_EQ(list->GetSelectionMark(), 3);
    list->DeleteItem(0);
    EXPECT_EQ(list->GetSelectionMark(), 2);
    EXPECT_EQ(list->GetItemText(list->GetSelectionMark(), 0), "r3");
    list->DeleteItem(7);  // no such row: nothing moves
    EXPECT_EQ(list->GetSelectionMark(), 2);
}

TEST_P(ListViewContract, DeletingTheMarkedRowLeavesTheMarkOnItsPosition) {
    Fill(4);
    list->SetSelectionMark(1);
    list->DeleteItem(1);
    // Not cleared: it now names the row that moved up into the place.
    EXPECT_EQ(list->GetSelectionMark(), 1);
    EXPECT_EQ(list->GetItemText(1, 0), "r2");
}

TEST_P(ListViewContract, DeletingTheMarkedLastRowMovesTheMarkToTheNewLastRow) {
    Fill(3);
    list->SetSelectionMark(2);
    list->DeleteItem(2);
    EXPECT_EQ(list->GetSelectionMark(), 1);
    list->DeleteItem(1);
    EXPECT_EQ(list->GetSelectionMark(), 0);
    // Never a row that does not exist: with the last row gone, there is no mark.
    list->DeleteItem(0);
    EXPECT_EQ(list->GetItemCount(), 0);
    EXPECT_EQ(list->GetSelectionMark(), -1);
}

TEST_P(ListViewContract, DeletingAllRowsRemovesTheMark) {
    Fill(3);
    list->SetSelectionMark(0);
    list->DeleteAllItems();
    EXPECT_EQ(list->GetSelectionMark(), -1);
    list->InsertItem(0, "new");
    EXPECT_EQ(list->GetSelectionMark(), -1);
}

// ---- Item state ----

TEST_P(ListViewContract, SelectedAndFocusedBitsMoveWithTheirRow) {
    Fill(3);
    list->SetItemState(1, kBoth, kBoth);
    ASSERT_EQ(list->GetItemState(1, kBoth), kBoth);
    list->InsertItem(0, "above");
    EXPECT_EQ(list->GetItemState(1, kBoth), 0u);
    EXPECT_EQ(list->GetItemState(2, kBoth), kBoth);
    list->InsertItem(3, "below");
    EXPECT_EQ(list->GetItemState(2, kBoth), kBoth);
    EXPECT_EQ(list->GetItemState(3, kBoth), 0u);
    list->DeleteItem(0);
    list->DeleteItem(0);
    EXPECT_EQ(list->GetItemState(0, kBoth), kBoth);
    EXPECT_EQ(list->GetItemText(0, 0), "r1");
    for (int r = 1; r < list->GetItemCount(); ++r)
        EXPECT_EQ(list->GetItemState(r, kBoth), 0u) << "row " << r;
}

TEST_P(ListViewContract, ItemStateGivesOnlyTheAskedBitsAndSetsOnlyTheMaskedOnes) {
    Fill(3);
    list->SetItemState(2, kBoth, kBoth);
    EXPECT_EQ(list->GetItemState(2, win::kLvisSelected), win::kLvisSelected);
    EXPECT_EQ(list->GetItemState(2, win::kLvisFocused), win::kLvisFocused);
    EXPECT_EQ(list->GetItemState(2, 0), 0u);
    // A mask of one bit leaves the other as it was.
    list->SetItemState(2, 0, win::kLvisSelected);
    EXPECT_EQ(list->GetItemState(2, kBoth), win::kLvisFocused);
    list->SetItemState(2, win::kLvisSelected, win::kLvisSelected);
    list->SetItemState(2, 0, win::kLvisFocused);
    EXPECT_EQ(list->GetItemState(2, kBoth), win::kLvisSelected);
    list->SetItemState(2, 0, kBoth);
    EXPECT_EQ(list->GetItemState(2, kBoth), 0u);
}

TEST_P(ListViewContract, OneRowIsSelectedAndFocusedAtATime) {
    Fill(3);
    list->SetItemState(0, kBoth, kBoth);
    list->SetItemState(2, kBoth, kBoth);
    EXPECT_EQ(list->GetItemState(0, kBoth), 0u);
    EXPECT_EQ(list->GetItemState(2, kBoth), kBoth);
}

TEST_P(ListViewContract, RowsThatDoNotExistHaveNoStateAndTakeNone) {
    Fill(2);
    list->SetItemState(0, kBoth, kBoth);
    list->SetItemState(2, kBoth, kBoth);
    EXPECT_EQ(list->GetItemState(2, kBoth), 0u);
    EXPECT_EQ(list->GetItemState(-1, kBoth), 0u);
    EXPECT_EQ(list->GetItemState(0, kBoth), kBoth);  // still the selected row
    EXPECT_EQ(list->GetItemCount(), 2);
}

// ---- Columns and their widths ----

TEST_P(ListViewContract, TheHeaderCountsTheColumnsAndAPixelWidthIsKeptExactly) {
    Fill(2);
    EXPECT_TRUE(list->HasHeader());
    EXPECT_EQ(list->GetHeaderItemCount(), 3);
    list->SetColumnWidth(0, 77);
    list->SetColumnWidth(1, 1);
    list->SetColumnWidth(2, 0);
    EXPECT_EQ(list->GetColumnWidth(0), 77);
    EXPECT_EQ(list->GetColumnWidth(1), 1);
    EXPECT_EQ(list->GetColumnWidth(2), 0);
}

TEST_P(ListViewContract, ColumnsThatDoNotExistHaveNoWidthAndTakeNone) {
    Fill(2);
    list->SetColumnWidth(0, 50);
    list->SetColumnWidth(3, 90);
    list->SetColumnWidth(-1, 90);
    list->SetColumnWidth(3, win::kLvscwAutosize);
    list->SetColumnWidth(3, win::kLvscwAutosizeUseHeader);
    EXPECT_EQ(list->GetColumnWidth(3), 0);
    EXPECT_EQ(list->GetColumnWidth(-1), 0);
    EXPECT_EQ(list->GetColumnWidth(0), 50);
    EXPECT_EQ(list->GetHeaderItemCount(), 3);
}

TEST_P(ListViewContract, AutosizeFitsTheWidestCellAndIgnoresTheHeader) {
    list->InsertColumn(0, "A header far wider than any of the cells below it");
    list->InsertColumn(1, "T");
    list->InsertColumn(2, "S");
    list->InsertItem(0, "mm");
    list->InsertItem(1, "mmmmmmmmmm");
    list->InsertItem(2, "m");
    list->SetColumnWidth(0, win::kLvscwAutosize);
    const int fitted = list->GetColumnWidth(0);
    EXPECT_GE(fitted, m_subject->TextWidth("mmmmmmmmmm"));
    EXPECT_LT(fitted, m_subject->TextWidth("A header far wider than any of the cells below it"));

    // A wider cell widens the column; with it gone the column narrows again.
    list->SetItemText(2, 0, "mmmmmmmmmmmmmmmmmmmm");
    list->SetColumnWidth(0, win::kLvscwAutosize);
    EXPECT_GE(list->GetColumnWidth(0), m_subject->TextWidth("mmmmmmmmmmmmmmmmmmmm"));
    EXPECT_GT(list->GetColumnWidth(0), fitted);
    list->DeleteItem(2);
    list->SetColumnWidth(0, win::kLvscwAutosize);
    EXPECT_EQ(list->GetColumnWidth(0), fitted);
}

TEST_P(ListViewContract, AutosizeUseHeaderFitsTheHeaderText) {
    list->InsertColumn(0, "A rather long header text");
    list->InsertColumn(1, "T");
    list->InsertColumn(2, "S");
    list->InsertItem(0, "x");
    list->SetColumnWidth(0, win::kLvscwAutosizeUseHeader);
    EXPECT_GE(list->GetColumnWidth(0), m_subject->TextWidth("A rather long header text"));
    EXPECT_LT(list->GetColumnWidth(0), m_subject->ClientWidth());
}

TEST_P(ListViewContract, AutosizeUseHeaderMakesTheLastColumnFillTheRest) {
    Fill(2);
    list->SetColumnWidth(0, 100);
    list->SetColumnWidth(1, 80);
    list->SetColumnWidth(2, win::kLvscwAutosizeUseHeader);
    EXPECT_EQ(100 + 80 + list->GetColumnWidth(2), m_subject->ClientWidth());

    // More rows than the list shows at once: the rest is what the scroll bar leaves.
    for (int r = 2; r < 40; ++r)
        list->InsertItem(r, "more");
    list->SetColumnWidth(2, win::kLvscwAutosizeUseHeader);
    EXPECT_EQ(100 + 80 + list->GetColumnWidth(2), m_subject->ClientWidth());

    // When the others leave less than its header needs, it still fits its header.
    list->SetColumnWidth(0, m_subject->ClientWidth());
    list->SetColumnWidth(2, win::kLvscwAutosizeUseHeader);
    EXPECT_GE(list->GetColumnWidth(2), m_subject->TextWidth("Sort"));
}

}  // namespace brindlecot::contract
