// The Win32 platform's pieces that need no window: the text comparison, the string table and
// the dialog templates.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>

#include "app/framework.h"
#include "frontend/win32/dialog_template.h"
#include "frontend/win32/win32_platform.h"
#include "resources/resource.h"
#include "resources/strings.h"
#include "tests/frontend/win32/win32_harness.h"

namespace brindlecot::win32 {
namespace {

TEST(Win32Platform, StringTableAndSeamAgree) {
    for (int id : {IDS_ABOUTBOX, IDP_SOCKETS_INIT_FAILED}) {
        char text[256] = {};
        ASSERT_GT(
            ::LoadStringA(::GetModuleHandleA(nullptr), static_cast<UINT>(id), text, sizeof text),
            0);
        EXPECT_EQ(text, resources::LoadStringResource(id)) << id;
    }
    EXPECT_NE(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME)), nullptr);
}

TEST(Win32Platform, CompareTextOrdersBytesUnsignedAndReportsOnlyTheSign) {
    Win32Platform p(::GetModuleHandleA(nullptr));
    EXPECT_EQ(p.CompareText("abc", "abc"), 0);
    EXPECT_EQ(p.CompareText("ab", "abc"), -1);
    EXPECT_EQ(p.CompareText("B", "a"), -1);    // case-sensitive
    EXPECT_EQ(p.CompareText("\xe9", "z"), 1);  // a high byte sorts after ASCII
}

TEST(Win32Platform, UnderADoubleByteCodePageALeadAndItsTrailByteCompareAsOneCharacter) {
    // The runtime takes its multibyte code page from the system's ANSI code page: on a
    // Japanese system it is 932, where 0x81 0x40 is one character (0x8140) and 0xA1 another.
    Win32Platform p(::GetModuleHandleA(nullptr));
    {
        testing::MultibyteCodePage japanese(932);
        ASSERT_TRUE(japanese.Set());
        EXPECT_EQ(p.CompareText("\x81\x40", "\xA1"), 1);
        EXPECT_EQ(p.CompareText("\xA1", "\x81\x40"), -1);
        EXPECT_EQ(p.CompareText("\x81\x40", "\x81\x41"), -1);  // the trail byte counts
        EXPECT_EQ(p.CompareText("\x81\x40z", "\x81\x40"), 1);
    }
    // Byte by byte under a single-byte code page.
    testing::MultibyteCodePage western(1252);
    ASSERT_TRUE(western.Set());
    EXPECT_EQ(p.CompareText("\x81\x40", "\xA1"), -1);
}

TEST(Win32Platform, TheProgramFileAndItsHelpFileAreNamedAfterTheExecutable) {
    Win32Platform p(::GetModuleHandleA(nullptr));
    EXPECT_EQ(p.ProgramFileName(), "brindlecot_win32_tests.exe");
    const std::string help = HelpFilePath(p.ProgramFilePath());
    EXPECT_EQ(help.substr(help.size() - 27), "\\brindlecot_win32_tests.HLP");
}

TEST(Win32Platform, TheCurrentDirectoryComesBackAfterAChange) {
    Win32Platform p(::GetModuleHandleA(nullptr));
    const std::string before = p.CurrentDirectory();
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    p.ChangeCurrentDirectory(temp);
    EXPECT_NE(p.CurrentDirectory(), before);
    p.ChangeCurrentDirectory(before);
    EXPECT_EQ(p.CurrentDirectory(), before);
}

TEST(Win32DialogTemplate, TemplatesCarryTheTableStylesAndEveryControl) {
    const auto& main = resources::MainDialogTemplate();
    const DialogStyles s = StylesOf(main);
    EXPECT_EQ(s.exStyle, static_cast<std::uint32_t>(WS_EX_APPWINDOW));
    EXPECT_TRUE(s.style & WS_VISIBLE);
    EXPECT_TRUE(s.style & WS_MINIMIZEBOX);
    EXPECT_FALSE(s.style & WS_THICKFRAME);
    const auto& about = resources::AboutDialogTemplate();
    EXPECT_FALSE(StylesOf(about).style & WS_VISIBLE);
    const std::vector<std::uint16_t> words = BuildDialogTemplate(main);
    const auto* header = reinterpret_cast<const DLGTEMPLATE*>(words.data());
    EXPECT_EQ(header->cdit, main.controls.size());
    EXPECT_EQ(header->cx, main.cx);
    EXPECT_EQ(header->cy, main.cy);
    for (const auto& c : main.controls) {
        const std::uint32_t style = StylesOf(c).style;
        EXPECT_EQ((style & WS_TABSTOP) != 0, (c.style & resources::kTabStop) != 0) << c.id;
    }
}

}  // namespace
}  // namespace brindlecot::win32
