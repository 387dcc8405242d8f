// The dialog window's fields and combo box, run against every implementation that instantiates
// the suite.
#include "platform/contract/dialog_window_contract.h"

#include <vector>

#include "resources/resource.h"

namespace brindlecot::contract {

using Strings = std::vector<std::string>;

namespace {

constexpr int kFields[] = {IDC_TITLE, IDC_TARGET, IDC_SORTORDER};
constexpr int kNoSuchControl = 4321;

// Texts a field must give back unchanged.
Strings TextsOfEveryKind() {
    return {
        "plain",
        "",
        "  leading and trailing blanks  ",
        "C:\\Program Files\\a&b.exe /x \"quoted\"",
        "Gr\xC3\xBC\xC3\x9F"
        "e \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\xB5",  // UTF-8, 2 to 4 bytes
        "caf\xE9 na\xEFve \x80\x9F\xA0\xFF",            // a Windows code page's bytes, not UTF-8
        "\xC0\xAF|\xED\xA0\x80|\xE2\x82",               // overlong, surrogate, cut short
        "\xC3",                                         // a lead byte at the very end
    };
}

// The sort-order list's first `count` items, as selecting each in turn shows them.
Strings ItemsShown(platform::IDialogWindow& w, int count) {
    Strings items;
    for (int i = 0; i < count; ++i) {
        w.ComboSetCurSel(IDC_SORTORDER, i);
        items.push_back(w.ControlText(IDC_SORTORDER));
    }
    return items;
}

}  // namespace

void DialogWindowContract::SetUp() {
    m_subject = GetParam()->Make();
    ASSERT_TRUE(m_subject);
    window = &m_subject->Window();
}

// ---- Field texts ----

TEST_P(DialogWindowContract, FieldTextsComeBackByteForByte) {
    for (const int id : kFields) {
        for (const std::string& text : TextsOfEveryKind()) {
            window->SetControlText(id, text);
            EXPECT_EQ(window->ControlText(id), text) << "control " << id;
        }
    }
}

TEST_P(DialogWindowContract, LongFieldTextsComeBackWhole) {
    std::string text;
    while (text.size() < 100000)
        text += "abc \xE9\xF0\x9F\x8E\xB5 \x80" + std::to_string(text.size());
    window->SetControlText(IDC_TITLE, text);
    window->SetControlText(IDC_TARGET, text + "!");
    EXPECT_EQ(window->ControlText(IDC_TITLE), text);
    EXPECT_EQ(window->ControlText(IDC_TARGET), text + "!");
}

// The core holds a text back, and answers for the field, only when the window says the field
// gives it back exactly; plain text must qualify, or nothing is ever held.
TEST_P(DialogWindowContract, ATextSaidToComeBackExactlyDoes) {
    Strings texts = TextsOfEveryKind();
    for (const std::string& odd :
         {std::string("a\0b", 3), std::string("a\r\nb"), std::string("a\rb"), std::string("a\x1A"),
          std::string("\t\x7F"), std::string(400, 'W')})  // far wider than any field
        texts.push_back(odd);
    for (const int id : kFields) {
        EXPECT_TRUE(window->GivesBackExactly(id, "Entry 07: http://example.org/a?b=c&d ~"));
        for (const std::string& text : texts) {
            if (!window->GivesBackExactly(id, text))
                continue;
            window->SetControlText(id, text);
            EXPECT_EQ(window->ControlText(id), text) << "control " << id;
        }
    }
}

TEST_P(DialogWindowContract, EachFieldKeepsItsOwnText) {
    window->SetControlText(IDC_TITLE, "title");
    window->SetControlText(IDC_TARGET, "target");
    window->SetControlText(IDC_SORTORDER, "07");
    EXPECT_EQ(window->ControlText(IDC_TITLE), "title");
    EXPECT_EQ(window->ControlText(IDC_TARGET), "target");
    EXPECT_EQ(window->ControlText(IDC_SORTORDER), "07");
}

TEST_P(DialogWindowContract, AControlThatDoesNotExistHasNoTextAndNoList) {
    window->SetControlText(kNoSuchControl, "text");
    window->ComboAddString(kNoSuchControl, "item");
    window->ComboSetCurSel(kNoSuchControl, 0);
    EXPECT_EQ(window->ControlText(kNoSuchControl), "");
    EXPECT_EQ(window->ListView(kNoSuchControl), nullptr);
    // A field is no combo box: it has no list to add to or select from.
    window->SetControlText(IDC_TITLE, "title");
    window->ComboAddString(IDC_TITLE, "item");
    window->ComboSetCurSel(IDC_TITLE, 0);
    EXPECT_EQ(window->ControlText(IDC_TITLE), "title");
    EXPECT_NE(window->ListView(IDC_LIST), nullptr);
}

// ---- The combo box ----

TEST_P(DialogWindowContract, TheComboListKeepsItsItemsExactAndInOrder) {
    const Strings items = {"01", "02", "caf\xE9",
                           "Gr\xC3\xBC\xC3\x9F"
                           "e",
                           "02"};
    for (const auto& item : items)
        window->ComboAddString(IDC_SORTORDER, item);
    EXPECT_EQ(ItemsShown(*window, 5), items);  // unsorted, duplicates kept
}

TEST_P(DialogWindowContract, SelectingAnItemPutsItsWholeTextInTheEditPart) {
    for (const auto& item : {"01", "02", "1\xE9 x"})
        window->ComboAddString(IDC_SORTORDER, item);
    window->ComboSetCurSel(IDC_SORTORDER, 1);
    EXPECT_EQ(window->ControlText(IDC_SORTORDER), "02");
    window->ComboSetCurSel(IDC_SORTORDER, 2);
    EXPECT_EQ(window->ControlText(IDC_SORTORDER), "1\xE9 x");
    // Typed over, then the same item selected again: the item's text comes back.
    window->SetControlText(IDC_SORTORDER, "0");
    window->ComboSetCurSel(IDC_SORTORDER, 2);
    EXPECT_EQ(window->ControlText(IDC_SORTORDER), "1\xE9 x");
    EXPECT_EQ(ItemsShown(*window, 3), (Strings{"01", "02", "1\xE9 x"}));
}

TEST_P(DialogWindowContract, SelectingNoItemEmptiesTheEditPart) {
    window->ComboAddString(IDC_SORTORDER, "01");
    window->ComboSetCurSel(IDC_SORTORDER, 0);
    window->ComboSetCurSel(IDC_SORTORDER, -1);
    EXPECT_EQ(window->ControlText(IDC_SORTORDER), "");
    EXPECT_EQ(ItemsShown(*window, 1), Strings{"01"});
}

TEST_P(DialogWindowContract, SettingTheEditTextLeavesTheListAsItWas) {
    for (const auto& item : {"01", "02", "03"})
        window->ComboAddString(IDC_SORTORDER, item);
    for (const std::string text : {"99", "0", "02", "", "caf\xE9"}) {
        window->ComboSetCurSel(IDC_SORTORDER, 0);
        window->SetControlText(IDC_SORTORDER, text);
        // Exactly as given, not completed to an item; the items stay as they were.
        EXPECT_EQ(window->ControlText(IDC_SORTORDER), text);
        EXPECT_EQ(ItemsShown(*window, 3), (Strings{"01", "02", "03"}));
    }
}

}  // namespace brindlecot::contract
