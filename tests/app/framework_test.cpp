// The framework's own rules, which every front end relies on the core for: the application box,
// the owner of a dialog given none, Cancel ending a dialog, and the file dialog's filter text.
#include <gtest/gtest.h>

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
