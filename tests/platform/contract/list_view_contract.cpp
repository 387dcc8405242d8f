// The display's contract, run against every implementation that instantiates it.
#include "platform/contract/list_view_contract.h"

namespace brindlecot::contract {

using Strings = std::vector<std::string>;

void ListViewContract::SetUp() {
    m_subject = GetParam()->Make();
    ASSERT_TRUE(m_subject);
    list = &m_subject->View();
    list->SetEvents(&events);
}

void ListViewContract::TearDown() {
    if (list)
        list->SetEvents(nullptr);
}

void ListViewContract::Fill(int rows) {
    list->InsertColumn(0, "Title");
    list->InsertColumn(1, "Target");
    list->InsertColumn(2, "Sort");
    for (int r = 0; r < rows; ++r) {
        const std::string n = std::to_string(r);
        list->InsertRow(r, {"r" + n, "t" + n, "s" + n});
    }
}

Strings ListViewContract::Titles() {
    Strings titles;
    for (int r = 0; r < m_subject->ShownRowCount(); ++r)
        titles.push_back(m_subject->ShownCell(r, 0));
    return titles;
}

TEST_P(ListViewContract, InsertedRowsShowTheirCellsWhereTheyAreInserted) {
    Fill(0);
    EXPECT_EQ(m_subject->ShownRowCount(), 0);
    list->InsertRow(0, {"b", "tb", "sb"});
    list->InsertRow(0, {"a", "ta", "sa"});  // at the top
    list->InsertRow(2, {"d", "td", "sd"});  // at the end
    list->InsertRow(2, {"c", "tc", "sc"});  // between
    EXPECT_EQ(Titles(), (Strings{"a", "b", "c", "d"}));
    EXPECT_EQ(m_subject->ShownCell(2, 1), "tc");
    EXPECT_EQ(m_subject->ShownCell(3, 2), "sd");
    // Fewer cells than columns leave the rest empty.
    list->InsertRow(1, {"ab"});
    EXPECT_EQ(m_subject->ShownCell(1, 0), "ab");
    EXPECT_EQ(m_subject->ShownCell(1, 1), "");
    EXPECT_EQ(m_subject->ShownCell(1, 2), "");
    EXPECT_EQ(m_subject->ShownCell(2, 1), "tb");
}

TEST_P(ListViewContract, DeletedRowsCloseTheGapAndACellChangesAlone) {
    Fill(5);
    list->DeleteRow(2);
    EXPECT_EQ(Titles(), (Strings{"r0", "r1", "r3", "r4"}));
    EXPECT_EQ(m_subject->ShownCell(2, 1), "t3");  // the whole row moved up
    list->DeleteRow(0);
    list->DeleteRow(2);
    EXPECT_EQ(Titles(), (Strings{"r1", "r3"}));
    list->SetCellText(1, 2, "changed");
    EXPECT_EQ(m_subject->ShownCell(1, 2), "changed");
    EXPECT_EQ(m_subject->ShownCell(1, 1), "t3");
    EXPECT_EQ(m_subject->ShownCell(0, 2), "s1");
    list->DeleteAllRows();
    EXPECT_EQ(m_subject->ShownRowCount(), 0);
    list->InsertRow(0, {"again", "t", "s"});  // the columns stay
    EXPECT_EQ(m_subject->ShownCell(0, 2), "s");
}

TEST_P(ListViewContract, CellTextsAreShownWhole) {
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
    for (size_t i = 0; i < texts.size(); ++i)
        list->InsertRow(static_cast<int>(i), {texts[i], texts[i], "x"});
    for (size_t i = 0; i < texts.size(); ++i) {
        list->SetCellText(static_cast<int>(i), 2, texts[i]);
        for (int c = 0; c < 3; ++c)
            EXPECT_TRUE(m_subject->ShowsCell(static_cast<int>(i), c, texts[i])) << "row " << i;
    }
}

TEST_P(ListViewContract, OneRowIsHighlightedAndOneFocusedAsTold) {
    Fill(4);
    EXPECT_EQ(m_subject->ShownSelected(), -1);
    list->ShowSelection(1, 1);
    EXPECT_EQ(m_subject->ShownSelected(), 1);
    EXPECT_EQ(m_subject->ShownFocused(), 1);
    list->ShowSelection(3, 2);
    EXPECT_EQ(m_subject->ShownSelected(), 3);
    EXPECT_EQ(m_subject->ShownFocused(), 2);
    // The highlight removed, the focus kept, as after a click below the rows.
    list->ShowSelection(-1, 2);
    EXPECT_EQ(m_subject->ShownSelected(), -1);
    EXPECT_EQ(m_subject->ShownFocused(), 2);
    list->ShowSelection(-1, -1);
    EXPECT_EQ(m_subject->ShownSelected(), -1);
    EXPECT_EQ(m_subject->ShownFocused(), -1);
}

TEST_P(ListViewContract, TheUsersSelectionIsReportedAndNothingItWasToldToDo) {
    Fill(4);
    list->ShowSelection(2, 2);
    list->InsertRow(0, {"top"});
    list->DeleteRow(3);  // the highlighted row
    list->SetCellText(1, 0, "changed");
    list->ShowSelection(0, 1);
    list->FitColumn(0);
    list->DeleteAllRows();
    list->InsertRow(0, {"a"});
    list->InsertRow(1, {"b"});
    list->ShowSelection(1, 1);
    EXPECT_TRUE(events.reports.empty()) << events.reports.size() << " reports";

    m_subject->UserSelects(0);
    ASSERT_FALSE(events.reports.empty());
    EXPECT_EQ(events.reports.back().selected, 0);
    EXPECT_EQ(events.reports.back().focused, 0);
    EXPECT_EQ(m_subject->ShownSelected(), 0);

    // Without events set, nothing is reported and nothing breaks.
    list->SetEvents(nullptr);
    const size_t before = events.reports.size();
    m_subject->UserSelects(1);
    EXPECT_EQ(events.reports.size(), before);
}

// The dialog hears of a click, a key and a header click only through these reports, each after
// the selection it made.
TEST_P(ListViewContract, ClicksTheSpaceKeyAndHeaderClicksAreReportedInOrder) {
    Fill(3);
    m_subject->UserClicksRow(1);
    m_subject->UserPressesSpace();
    m_subject->UserClicksHeader(2);
    EXPECT_EQ(events.all, (Strings{"select 1 1", "click", "key 32", "column 2"}));
    list->SetEvents(nullptr);
    m_subject->UserClicksRow(2);
    m_subject->UserPressesSpace();
    m_subject->UserClicksHeader(0);
    EXPECT_EQ(events.all.size(), 4u);
}

TEST_P(ListViewContract, FittingAColumnOfAnEmptyListIsHarmless) {
    Fill(0);
    for (int c = 0; c < 3; ++c)
        list->FitColumn(c);
    list->FitColumn(0);
    (void)m_subject->FittedWidth(2);  // let it draw
    list->InsertRow(0, {"after", "the", "fit"});
    EXPECT_EQ(Titles(), (Strings{"after"}));
    EXPECT_EQ(m_subject->ShownCell(0, 2), "fit");
}

TEST_P(ListViewContract, AFittedColumnIsTheWiderOfItsCellsAndItsHeaderAndTheLastFillsTheRest) {
    list->InsertColumn(0, "A header wider than its cells");
    list->InsertColumn(1, "T");
    list->InsertColumn(2, "S");
    list->InsertRow(0, {"mm", "mmmmmmmmmmmm", "m"});
    // More rows than the list shows at once: the last column fills what the scroll bar leaves.
    for (int r = 1; r < 40; ++r)
        list->InsertRow(r, {"m", "mm", "m"});
    for (int c = 0; c < 3; ++c)
        list->FitColumn(c);
    const std::optional<int> first = m_subject->FittedWidth(0);
    if (!first)
        GTEST_SKIP() << "this display measures no text";
    const int second = *m_subject->FittedWidth(1);
    const int last = *m_subject->FittedWidth(2);
    EXPECT_GE(*first, m_subject->TextWidth("A header wider than its cells"));
    EXPECT_GE(second, m_subject->TextWidth("mmmmmmmmmmmm"));
    EXPECT_LT(second, m_subject->TextWidth("mmmmmmmmmmmm") * 2);
    EXPECT_EQ(*first + second + last, m_subject->ClientWidth());

    // Refitted after its widest cell went, the column narrows again.
    list->SetCellText(0, 1, "m");
    list->FitColumn(1);
    list->FitColumn(2);
    EXPECT_LT(*m_subject->FittedWidth(1), second);
    EXPECT_EQ(*m_subject->FittedWidth(0) + *m_subject->FittedWidth(1) + *m_subject->FittedWidth(2),
              m_subject->ClientWidth());
}

}  // namespace brindlecot::contract
