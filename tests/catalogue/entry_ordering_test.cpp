// Reordering the rows: the byte-wise comparison, the stable sort, the toggle of a header click
// and the reversal, with each entry's selection moving along with it.
#include "support/dialog_fixture.h"

namespace brindlecot {
namespace {

using OrderingTest = DialogTest;

TEST_F(OrderingTest, SortOrdersCompareAsTextNotAsNumbers) {
    SetRows({{"a", "1", "5"}, {"b", "2", "10"}, {"c", "3", ""}, {"d", "4", "01"}});
    dlg.SortByColumn(COL_SORTORDER);
    EXPECT_EQ(SortOrders(), (Strings{"", "01", "10", "5"}));
    EXPECT_EQ(Field(IDC_COUNT), "4");
}

TEST_F(OrderingTest, BytesCompareUnsignedWithCaseCountingAndPrefixesFirst) {
    // "\xc3\xa9" (e acute in UTF-8) must sort after every ASCII letter, which a signed char
    // comparison would get wrong.
    SetRows({{"\xc3\xa9t\xc3\xa9", "", ""},
             {"zoo", "", ""},
             {"Zoo", "", ""},
             {"zo", "", ""},
             {"1", "", ""}});
    dlg.SortByColumn(COL_TITLE);
    EXPECT_EQ(Titles(), (Strings{"1", "Zoo", "zo", "zoo", "\xc3\xa9t\xc3\xa9"}));
}

TEST_F(OrderingTest, HeaderClicksToggleBetweenAscendingAndDescending) {
    SetRows({{"apple", "", ""}, {"Banana", "", ""}, {"cherry", "", ""}});
    w->ClickHeader(COL_TITLE);
    EXPECT_EQ(Titles(), (Strings{"Banana", "apple", "cherry"}));
    w->ClickHeader(COL_TITLE);
    EXPECT_EQ(Titles(), (Strings{"cherry", "apple", "Banana"}));
    w->ClickHeader(COL_TITLE);
    EXPECT_EQ(Titles(), (Strings{"Banana", "apple", "cherry"}));
}

TEST_F(OrderingTest, AFirstClickOnAnAlreadyAscendingColumnGivesDescending) {
    SetRows({{"x", "a.exe", ""}, {"y", "b.exe", ""}, {"z", "c.exe", ""}});
    w->ClickHeader(COL_TARGET);
    EXPECT_EQ(Targets(), (Strings{"c.exe", "b.exe", "a.exe"}));
}

TEST_F(OrderingTest, EqualKeysReverseOnEveryClick) {
    SetRows({{"A", "", "05"}, {"B", "", "05"}, {"C", "", "05"}});
    w->ClickHeader(COL_SORTORDER);
    EXPECT_EQ(Titles(), (Strings{"C", "B", "A"}));
    w->ClickHeader(COL_SORTORDER);
    EXPECT_EQ(Titles(), (Strings{"A", "B", "C"}));
}

TEST_F(OrderingTest, OneRowOrNoneStaysAsItIs) {
    w->ClickHeader(COL_TITLE);
    EXPECT_TRUE(Titles().empty());
    SetRows({{"only", "o.exe", "01"}});
    w->ClickHeader(COL_TITLE);
    EXPECT_EQ(w->list.Rows()[0], (std::array<std::string, 3>{"only", "o.exe", "01"}));
}

TEST_F(OrderingTest, AnAddAfterADescendingClickKeepsThatOrderAmongEqualSortOrders) {
    SetRows({{"c", "3", "05"}, {"a", "1", "05"}, {"z", "0", "01"}, {"b", "2", "05"}});
    w->ClickHeader(COL_TITLE);  // ascending: a b c z
    w->ClickHeader(COL_TITLE);  // descending: z c b a
    ASSERT_EQ(Titles(), (Strings{"z", "c", "b", "a"}));
    Add("new", "n", "05");
    EXPECT_EQ(Titles(), (Strings{"z", "new", "c", "b", "a"}));
}

TEST_F(OrderingTest, ReversingFiveRowsLeavesTheMiddleOneAndTwiceRestoresTheOrder) {
    SetRows({{"0", "", ""}, {"1", "", ""}, {"2", "", ""}, {"3", "", ""}, {"4", "", ""}});
    dlg.ReverseRows();
    EXPECT_EQ(Titles(), (Strings{"4", "3", "2", "1", "0"}));
    dlg.ReverseRows();
    EXPECT_EQ(Titles(), (Strings{"0", "1", "2", "3", "4"}));
}

TEST_F(OrderingTest, TheSelectionAndTheMarkTravelWithTheirEntry) {
    SetRows({{"d", "", ""}, {"c", "", ""}, {"b", "", ""}, {"a", "", ""}});
    w->ClickRow(1);  // c
    dlg.SortByColumn(COL_TITLE);
    EXPECT_EQ(Titles(), (Strings{"a", "b", "c", "d"}));
    EXPECT_EQ(w->list.selected, 2);
    EXPECT_EQ(Mark(), 2);
    dlg.ReverseRows();
    EXPECT_EQ(Titles(), (Strings{"d", "c", "b", "a"}));
    EXPECT_EQ(w->list.selected, 1);
    EXPECT_EQ(Mark(), 1);

    // A mark without a highlight (after a click below the rows) travels too.
    w->ClickBelowRows();
    dlg.SortByColumn(COL_TITLE);
    EXPECT_EQ(Titles(), (Strings{"a", "b", "c", "d"}));
    EXPECT_EQ(w->list.selected, -1);
    EXPECT_EQ(Mark(), 2);
}

TEST_F(OrderingTest, AHighlightWithoutAMarkLeavesTheTableUnmarked) {
    // Remove clears the mark; a row may still be highlighted then. Moving that highlight in a
    // sort must not mark it, or the next Remove would delete an entry the user never chose.
    SetRows({{"d", "", ""}, {"c", "", ""}, {"b", "", ""}, {"a", "", ""}});
    constexpr unsigned kBoth = win::kLvisSelected | win::kLvisFocused;
    dlg.m_listEntries.SetItemState(1, kBoth, kBoth);  // c
    dlg.m_listEntries.SetSelectionMark(-1);
    w->ClickHeader(COL_TITLE);
    EXPECT_EQ(Titles(), (Strings{"a", "b", "c", "d"}));
    EXPECT_EQ(w->list.selected, 2);
    EXPECT_EQ(Mark(), -1);
    w->Click(IDC_REMOVE);
    EXPECT_EQ(Titles(), (Strings{"a", "b", "c", "d"}));
}

// Compares as a double-byte code page does (932's lead bytes): a lead byte and the byte after
// it are one character, lead * 256 + trail, so 0x81 0x40 comes after the single byte 0xA1,
// where a byte-wise comparison puts it before.
struct DoubleBytePlatform : fake::FakePlatform {
    int CompareText(const std::string& a, const std::string& b) override {
        size_t i = 0, j = 0;
        auto next = [](const std::string& s, size_t& k) {
            const unsigned lead = static_cast<unsigned char>(s[k++]);
            const bool isLead = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
            if (!isLead || k == s.size())
                return lead;
            return lead * 256 + static_cast<unsigned char>(s[k++]);
        };
        while (i < a.size() && j < b.size()) {
            const unsigned x = next(a, i), y = next(b, j);
            if (x != y)
                return x < y ? -1 : 1;
        }
        return i < a.size() ? 1 : (j < b.size() ? -1 : 0);
    }
};

TEST_F(OrderingTest, TheSortTheHeaderClickAndTheLoadAllUseThePlatformsComparison) {
    const std::string dbcs = "\x81\x40", single = "\xA1";
    ASSERT_LT(platform::CompareBytes(dbcs, single), 0);  // the other way round byte-wise
    DoubleBytePlatform p;
    std::string file = "CREATOR=Brindlecot 1.0\r\n";
    file += "ST=d\r\nURL=d\r\nSORTORDER=" + dbcs + "\r\n";
    file += "ST=s\r\nURL=s\r\nSORTORDER=" + single + "\r\n";
    p.files.files["brcot.dat"] = file;
    CBrindlecotDlg other(p);
    auto& w2 = p.Open(other, IDD_BRINDLECOT_DIALOG);
    EXPECT_EQ(w2.list.Column(COL_SORTORDER), (Strings{single, dbcs}));

    SetListRows(other.m_listEntries, {{dbcs, "", ""}, {single, "", ""}, {"z", "", ""}});
    other.SortByColumn(COL_TITLE);
    other.FlushControls();
    EXPECT_EQ(w2.list.Column(COL_TITLE), (Strings{"z", single, dbcs}));
    // Already ascending by the platform's order: the click turns it round.
    w2.ClickHeader(COL_TITLE);
    EXPECT_EQ(w2.list.Column(COL_TITLE), (Strings{dbcs, single, "z"}));
    p.Close(w2);
}

}  // namespace
}  // namespace brindlecot
