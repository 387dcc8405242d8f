// A property of the entry file: every table the program can hold is written in the file's
// layout and comes back from the next run whole, sorted by sort order with rows of equal sort
// order in their saved order. Random tables of 0 to 50 rows whose cells hold no line end and
// end in no white space, with equals signs, tabs, control bytes and UTF-8 text.
#include <algorithm>
#include <random>

#include "entry_file_fixture.h"
#include "resources/strings.h"
#include "support/entry_file_model.h"

namespace brindlecot {
namespace {

class TableGenerator {
  public:
    explicit TableGenerator(unsigned seed) : m_random(seed) {}

    int Size() { return Pick(0, 50); }

    Rows Table(int rows) {
        Rows table;
        for (int i = 0; i < rows; ++i)
            table.push_back({Cell(), Cell(), SortOrder()});
        return table;
    }

  private:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }

    // One character: mostly printable ASCII, often an equals sign, sometimes UTF-8 of two to
    // four bytes, a tab, VT or FF, or a control byte other than CR, LF and Ctrl-Z.
    std::string Character() {
        static const char* const kUtf8[] = {"\xC3\xA9",     "\xC3\x9F",         "\xE2\x82\xAC",
                                            "\xE6\x97\xA5", "\xF0\x9F\x98\x80", "\xD0\x96"};
        const int kind = Pick(0, 19);
        if (kind < 12)
            return std::string(1, static_cast<char>(Pick(0x20, 0x7E)));
        if (kind < 14)
            return "=";
        if (kind < 17)
            return kUtf8[Pick(0, 5)];
        if (kind < 18)
            return std::string(1, "\t\v\f"[Pick(0, 2)]);
        char c = 0;
        do {
            c = static_cast<char>(Pick(0x01, 0x1F));
        } while (c == '\r' || c == '\n' || c == '\x1A' || (c >= '\t' && c <= '\r'));
        return std::string(1, c);
    }

    // Non-empty, and not ending in white space (which the reader trims).
    std::string Cell() {
        std::string text;
        const int length = Pick(1, 24);
        for (int i = 0; i < length; ++i)
            text += Character();
        while (!text.empty() &&
               (text.back() == ' ' || (text.back() >= '\t' && text.back() <= '\r')))
            text.pop_back();
        return text.empty() ? "x" : text;
    }

    // A list item, or a text that no list item begins with: the sort-order field turns a
    // proper prefix of an item ("5", "0", "") into that item.
    std::string SortOrder() {
        const auto& items = resources::SortOrderItems();
        if (Pick(0, 1) == 0)
            return items[static_cast<size_t>(Pick(0, 49))];
        for (;;) {
            const std::string text = Cell();
            if (model::ThroughSortOrderField(text) == text)
                return text;
        }
    }

    std::mt19937 m_random;
};

// One run that ends with `rows` in the table, and the next run that loads its file.
void CheckRoundTrip(const Rows& rows) {
    fake::FakePlatform platform;
    {
        CBrindlecotDlg dlg(platform);
        fake::FakeDialogWindow& window = platform.Open(dlg, IDD_BRINDLECOT_DIALOG);
        SetListRows(dlg.m_listEntries, rows);
        platform.Close(window);
    }
    ASSERT_EQ(platform.files.files["brcot.dat"], model::Layout(rows));
    CBrindlecotDlg next(platform);
    fake::FakeDialogWindow& window = platform.Open(next, IDD_BRINDLECOT_DIALOG);
    EXPECT_EQ(window.list.Rows(), model::NextRunOf(rows));
    EXPECT_TRUE(platform.boxes.empty());
    platform.Close(window);
}

TEST(EntryFileRoundTrip, RandomTablesComeBackWholeSortedBySortOrder) {
    constexpr unsigned kCases = 300;
    constexpr int kEdgeSizes[] = {0, 1, 50};
    for (unsigned seed = 1; seed <= kCases; ++seed) {
        TableGenerator generator(seed);
        const int size = seed <= 3 ? kEdgeSizes[seed - 1] : generator.Size();
        SCOPED_TRACE("seed " + std::to_string(seed) + ", " + std::to_string(size) + " rows");
        CheckRoundTrip(generator.Table(size));
        if (::testing::Test::HasFailure())
            return;
    }
}

TEST(EntryFileRoundTrip, ATableInSortOrderComesBackUnchanged) {
    for (unsigned seed = 1000; seed < 1050; ++seed) {
        TableGenerator generator(seed);
        const Rows table = model::NextRunOf(generator.Table(static_cast<int>(seed % 51)));
        SCOPED_TRACE("seed " + std::to_string(seed));
        CheckRoundTrip(table);
        if (::testing::Test::HasFailure())
            return;
    }
}

}  // namespace
}  // namespace brindlecot
