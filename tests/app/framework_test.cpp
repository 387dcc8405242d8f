// The framework's own rules, which every front end relies on the core for: the application box,
// the owner of a dialog given none, Cancel ending a dialog, and the file dialog's filter text.
#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "app/about_dlg.h"
#include "app/framework.h"
#include "resources/resource.h"
#include "support/dialog_fixture.h"

namespace brindlecot {
namespace {

TEST(ApplicationTitle, IsTheProgramFileNameWithoutItsLastExtension) {
    EXPECT_EQ(ApplicationTitle("Brindlecot.exe"), "Brindlecot");
    EXPECT_EQ(ApplicationTitle("BRINDLECOT.EXE"), "BRINDLECOT");
    EXPECT_EQ(ApplicationTitle("brindlecot"), "brindlecot");
    EXPECT_EQ(ApplicationTitle("brindle.cot.exe"), "brindle.cot");
    EXPECT_EQ(ApplicationTitle("trailing."), "trailing");
    // A name that is all extension would leave an empty caption: it is kept whole.
    EXPECT_EQ(ApplicationTitle(".brindlecot"), ".brindlecot");
    EXPECT_EQ(ApplicationTitle(""), "");
}

// The help file is named like the program file, in its directory: only the last component's
// extension is replaced, whichever separators the system's paths use.
TEST(HelpFilePath, ReplacesOnlyTheProgramFilesOwnExtension) {
    EXPECT_EQ(HelpFilePath("C:\\Programs\\Brindlecot.EXE"), "C:\\Programs\\Brindlecot.HLP");
    EXPECT_EQ(HelpFilePath("/usr/bin/brindlecot"), "/usr/bin/brindlecot.HLP");
    EXPECT_EQ(HelpFilePath("/opt/app.d/brindlecot"), "/opt/app.d/brindlecot.HLP");
    EXPECT_EQ(HelpFilePath("C:\\a.b\\tool"), "C:\\a.b\\tool.HLP");
    EXPECT_EQ(HelpFilePath("/opt/tray.tool.exe"), "/opt/tray.tool.HLP");
    EXPECT_EQ(HelpFilePath("D:tool.exe"), "D:tool.HLP");
}

TEST(AfxMessageBox, CaptionsWithTheTitleAndAddsTheExclamationOnlyWhenNoIconIsAsked) {
    fake::FakePlatform platform;
    platform.programFileName = "tray.tool.exe";
    platform.boxAnswers = {win::kIdYes, win::kIdOk, win::kIdNo};
    EXPECT_EQ(AfxMessageBox(platform, "q", win::kMbYesNo), win::kIdYes);
    EXPECT_EQ(AfxMessageBox(platform, "s", win::kMbOk | win::kMbIconHand), win::kIdOk);
    EXPECT_EQ(AfxMessageBox(platform, "a", win::kMbYesNo | win::kMbIconAsterisk), win::kIdNo);
    ASSERT_EQ(platform.boxes.size(), 3u);
    EXPECT_EQ(platform.boxes[0].type, win::kMbYesNo | win::kMbIconExclamation);
    EXPECT_EQ(platform.boxes[1].type, win::kMbOk | win::kMbIconHand);
    EXPECT_EQ(platform.boxes[2].type, win::kMbYesNo | win::kMbIconAsterisk);
    for (const auto& box : platform.boxes) {
        EXPECT_EQ(box.caption, "tray.tool");
        EXPECT_EQ(box.owner, 0u);  // no window is open
    }
    EXPECT_EQ(platform.boxes[0].text, "q");
}

using FrameworkDialogTest = DialogTest;

TEST_F(FrameworkDialogTest, TheApplicationBoxAndAnUnownedDialogBelongToTheActiveWindow) {
    // The main window is the active one: the About box given no owner is owned by it, and an
    // application box raised while the About box is open is owned by the About box.
    platform::WindowHandle aboutHandle = 0;
    platform.modalScripts[IDD_ABOUTBOX] = [&](fake::FakeDialogWindow& about) {
        aboutHandle = about.Handle();
        AfxMessageBox(platform, "over the About box", win::kMbOk);
    };
    CAboutDlg about(platform);
    about.DoModal();
    EXPECT_TRUE(platform.Logged("DoModal 100 " + std::to_string(w->Handle())));
    ASSERT_EQ(platform.boxes.size(), 1u);
    ASSERT_NE(aboutHandle, 0u);
    EXPECT_EQ(platform.boxes[0].owner, aboutHandle);
    EXPECT_EQ(platform.boxes[0].caption, "Brindlecot");

    // An owner given is used as it is, whichever window is active.
    platform.modalScripts.clear();
    CDialog owned(platform, IDD_ABOUTBOX, 0x4242);
    owned.DoModal();
    EXPECT_TRUE(platform.Logged("DoModal 100 " + std::to_string(0x4242)));

    // The dialog's own box is owned by its window and keeps its caption and type as given.
    dlg.ShowMessageBox("text", "caption", win::kMbOk);
    ASSERT_EQ(platform.boxes.size(), 2u);
    EXPECT_EQ(platform.boxes[1].owner, w->Handle());
    EXPECT_EQ(platform.boxes[1].caption, "caption");
    EXPECT_EQ(platform.boxes[1].type, win::kMbOk);
}

TEST_F(FrameworkDialogTest, CancelEndsTheDialogWhateverItsNotificationCodeOtherCommandsDoNot) {
    // The front end only turns Escape, the close box and Alt+F4 into the Cancel command; the
    // core ends the dialog, also for a code other than a button click.
    for (win::UINT code : {win::kBnClicked, win::UINT{1}}) {
        CAboutDlg about(platform);
        platform.modalScripts[IDD_ABOUTBOX] = [&](fake::FakeDialogWindow& box) {
            win::LRESULT result = 0;
            EXPECT_FALSE(about.OnMessage(win::kWmCommand, win::MakeWParam(4242, 0), 0, result));
            EXPECT_FALSE(box.ended);
            EXPECT_TRUE(
                about.OnMessage(win::kWmCommand, win::MakeWParam(win::kIdCancel, code), 0, result));
            EXPECT_TRUE(box.ended);
        };
        EXPECT_EQ(about.DoModal(), win::kIdCancel);
    }
}

TEST(StartsWithIgnoringCase, FoldsAsciiLettersOnly) {
    EXPECT_TRUE(StartsWithIgnoringCase("Sort", "sO"));
    EXPECT_TRUE(StartsWithIgnoringCase("sort", "SORT"));
    EXPECT_TRUE(StartsWithIgnoringCase("anything", ""));
    EXPECT_FALSE(StartsWithIgnoringCase("so", "sort"));  // longer than the text
    EXPECT_FALSE(StartsWithIgnoringCase("xsort", "sort"));
    EXPECT_FALSE(StartsWithIgnoringCase("\xC9t\xE9", "\xE9"));  // Latin-1 "É" is not "é"
    EXPECT_FALSE(StartsWithIgnoringCase("[", "{"));             // 0x5B and 0x7B are no letters
}

// The sort-order field shows a value by selecting the first of its items "01" to "50", from the
// top, that begins with the value; only a value that begins none is shown as it stands.
TEST_F(FrameworkDialogTest, TheSortOrderFieldSelectsTheFirstItemBeginningWithTheValue) {
    const std::pair<const char*, const char*> cases[] = {
        {"5", "50"},    {"3", "30"},  {"1", "10"},    {"0", "01"},  {"", "01"},
        {"07", "07"},   {"50", "50"}, {"xyz", "xyz"}, {"3", "30"},  {"51", "51"},
        {"500", "500"}, {"49", "49"}, {"5", "50"},    {"0 ", "0 "},
    };
    for (const auto& [value, shown] : cases) {
        dlg.m_strSortOrder = value;
        dlg.UpdateData(false);
        EXPECT_EQ(Field(IDC_SORTORDER), shown) << "value \"" << value << "\"";
        dlg.UpdateData(true);  // what is shown is what is read back
        EXPECT_EQ(dlg.m_strSortOrder, shown) << "value \"" << value << "\"";
    }

    // The next run's window is filled and searched afresh.
    CloseWindow();
    CBrindlecotDlg next(platform);
    fake::FakeDialogWindow& window = platform.Open(next, IDD_BRINDLECOT_DIALOG);
    for (const auto& [value, shown] : {std::pair{"4", "40"}, {"2", "20"}, {"z", "z"}}) {
        next.m_strSortOrder = value;
        next.UpdateData(false);
        EXPECT_EQ(window.ControlText(IDC_SORTORDER), shown) << "value \"" << value << "\"";
    }
    platform.Close(window);
}

// While the dialog initialises, the exchange shows the fields after every line of the entry
// file; only the last text of each reaches the window. Whatever a control would not give back
// exactly is set at once, after what was held before it. The rows, the fields and the file
// written must be the same whichever texts the controls give back.
TEST_F(FrameworkDialogTest, StartUpSetsEachFieldOnceAndEndsAsIfNothingWereHeld) {
    CloseWindow();
    std::string file = "CREATOR=Brindlecot 1.0\r\n";
    for (int i = 50; i >= 1; --i) {
        const std::string n = (i < 10 ? "0" : "") + std::to_string(i);
        // Every seventh entry has a byte a control may change, in a field or its sort order.
        const std::string odd = i % 7 == 0 ? "\xE9" : "";
        file += "ST=Entry " + n + odd + "\r\nURL=http://example.org/" + n +
                "\r\nSORTORDER=" + (i % 14 == 0 ? odd : n) + "\r\n\r\n";
    }
    struct Run {
        std::vector<std::array<std::string, 3>> rows;
        std::vector<std::string> fields;
        std::string saved;
        int textsSet;
        int selectionsMade;
    };
    const auto run = [&](std::function<bool(const std::string&)> changed) {
        fake::FakePlatform p;
        p.files.files["brcot.dat"] = file;
        p.changedByControls = std::move(changed);
        CBrindlecotDlg next(p);
        fake::FakeDialogWindow& window = p.Open(next, IDD_BRINDLECOT_DIALOG);
        Run r{window.list.Rows(), {}, {}, p.textsSet, p.selectionsMade};
        for (const int id : {IDC_TITLE, IDC_TARGET, IDC_SORTORDER, IDC_COUNT})
            r.fields.push_back(window.ControlText(id));
        p.Close(window);
        r.saved = p.files.files["brcot.dat"];
        return r;
    };
    const Run held = run(nullptr);
    const Run mixed = run([](const std::string& t) { return t.find('\xE9') != t.npos; });
    const Run none = run([](const std::string&) { return true; });
    EXPECT_EQ(held.rows.size(), 50u);
    for (const Run* r : {&mixed, &none}) {
        EXPECT_EQ(r->rows, held.rows);
        EXPECT_EQ(r->fields, held.fields);
        EXPECT_EQ(r->saved, held.saved);
    }
    EXPECT_LE(held.textsSet, 4);
    EXPECT_LE(held.selectionsMade, 1);
    EXPECT_GT(none.textsSet, 100);
    // The seven titles and three sort orders with the odd byte are set as they come (and a
    // selection held before each such sort order); the rest once.
    EXPECT_LE(mixed.textsSet, 4 + 7 + 3);
    EXPECT_LE(mixed.selectionsMade, 1 + 3);
}

// Every exchange shows every member; a control that already holds its text is not given it
// again (an edit field would lose its caret place, and under Wine each setting is a round trip).
TEST_F(FrameworkDialogTest, AnExchangeSetsOnlyTheControlsWhoseTextChanged) {
    dlg.m_strTitle = "Title";
    dlg.m_strTarget = "t.exe";
    dlg.m_strSortOrder = "xyz";  // no item begins with it: the edit text is set
    dlg.UpdateData(false);
    platform.textsSet = 0;
    dlg.UpdateData(false);
    dlg.UpdateData(true);
    dlg.UpdateData(false);
    EXPECT_EQ(platform.textsSet, 0);

    dlg.m_strTarget = "u.exe";
    dlg.m_nCount = 7;
    dlg.UpdateData(false);
    EXPECT_EQ(platform.textsSet, 2);
    EXPECT_EQ(Field(IDC_TARGET), "u.exe");
    EXPECT_EQ(Field(IDC_COUNT), "7");
    EXPECT_EQ(Field(IDC_TITLE), "Title");
}

TEST(ParseFileFilter, ReadsNamePatternPairsUpToTheClosingBars) {
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    auto parse = [](const std::string& text) {
        Pairs out;
        for (const auto& f : ParseFileFilter(text))
            out.emplace_back(f.name, f.pattern);
        return out;
    };
    EXPECT_EQ(parse("Executable Files (*.exe)|*.exe|All Files (*.*)|*.*||"),
              (Pairs{{"Executable Files (*.exe)", "*.exe"}, {"All Files (*.*)", "*.*"}}));
    // Without the closing bars, or with one only, the pairs are the same.
    EXPECT_EQ(parse("Text|*.txt|Any|*"), (Pairs{{"Text", "*.txt"}, {"Any", "*"}}));
    EXPECT_EQ(parse("Text|*.txt|"), (Pairs{{"Text", "*.txt"}}));
    // Several patterns in one choice, and bytes that are not UTF-8, pass unchanged.
    EXPECT_EQ(parse("Pics \xe9|*.png;*.jpg||"), (Pairs{{"Pics \xe9", "*.png;*.jpg"}}));
    // An empty piece ends the list; a name without a pattern is no choice.
    EXPECT_EQ(parse("A|*.a||B|*.b||"), (Pairs{{"A", "*.a"}}));
    EXPECT_EQ(parse("A|*.a|B"), (Pairs{{"A", "*.a"}}));
    EXPECT_EQ(parse("A||"), Pairs{});
    EXPECT_EQ(parse("||"), Pairs{});
    EXPECT_EQ(parse(""), Pairs{});
}

TEST(SingleLineText, KeepsTheBytesTheProgramShowedAndDropsLineEndsTheUserTypedOrPasted) {
    // Untouched: a lone CR read from the file is a byte of the value.
    EXPECT_EQ(SingleLineText("a\rb", "a\rb"), "a\rb");
    // Typed or pasted, nothing of CR, LF and Ctrl-Z passes.
    EXPECT_EQ(SingleLineText("Two\r\nLines\r", ""), "TwoLines");
    EXPECT_EQ(SingleLineText("c:\\x\ny.exe\x1a", "old"), "c:\\xy.exe");
    // Edited around a kept CR: what the user left keeps its bytes, what came in loses its own.
    EXPECT_EQ(SingleLineText("a\rb!", "a\rb"), "a\rb!");
    EXPECT_EQ(SingleLineText("> a\rb", "a\rb"), "> a\rb");
    // "x\r\ny\r" pasted after the kept CR, or "\rx\r\ny" before it: one CR is the file's.
    EXPECT_EQ(SingleLineText("a\rx\r\ny\rb", "a\rb"), "a\rxyb");
    EXPECT_EQ(SingleLineText("a\r\r", "a\r"), "a\r");
    EXPECT_EQ(SingleLineText("\ra", "a"), "a");
    EXPECT_EQ(SingleLineText("a\rb", "ab"), "ab");  // pasted between the two
    EXPECT_EQ(SingleLineText("", "a\rb"), "");
    // LF and Ctrl-Z never pass, even where the program showed them.
    EXPECT_EQ(SingleLineText("a\nb\x1a", "a\nb\x1a"), "ab");
    // Bytes that are not UTF-8 pass as they are.
    EXPECT_EQ(SingleLineText("caf\xe9\r\xff", "caf\xe9\r\xff"), "caf\xe9\r\xff");
}

}  // namespace
}  // namespace brindlecot
