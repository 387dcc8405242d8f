// The Win32 platform's pieces that need no window: the notification records, the text
// comparison, the string table and the dialog templates.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>

#include "app/framework.h"
#include "frontend/win32/dialog_template.h"
#include "frontend/win32/notify.h"
#include "frontend/win32/win32_platform.h"
#include "resources/resource.h"
#include "resources/strings.h"
#include "tests/frontend/win32/win32_harness.h"

namespace brindlecot::win32 {
namespace {

TEST(Win32Notify, ListViewRecordsAreCopiedFieldByFieldOthersOnlyTheirHeader) {
    // The real records are laid out differently from the core's: on x64 NMHDR is 24 bytes, and
    // NMLVKEYDOWN is packed.
    static_assert(offsetof(NMHDR, idFrom) == 8 && offsetof(NMHDR, code) == 16);
    static_assert(offsetof(NMLISTVIEW, iSubItem) == 28);
    static_assert(offsetof(NMLVKEYDOWN, wVKey) == 24 && offsetof(NMLVKEYDOWN, flags) == 26);
    NMLISTVIEW lv{};
    lv.hdr.hwndFrom = reinterpret_cast<HWND>(0x1234);
    lv.hdr.idFrom = IDC_LIST;
    lv.hdr.code = LVN_COLUMNCLICK;
    lv.iItem = -1;
    lv.iSubItem = 2;
    win::NmListView out = std::get<win::NmListView>(TranslateNotify(lv.hdr, true));
    EXPECT_EQ(out.hdr.idFrom, static_cast<win::UINT>(IDC_LIST));
    EXPECT_EQ(out.hdr.code, win::kLvnColumnClick);
    EXPECT_EQ(out.iItem, -1);
    EXPECT_EQ(out.iSubItem, 2);

    lv.hdr.code = NM_CLICK;
    lv.iItem = 4;
    lv.iSubItem = 1;
    out = std::get<win::NmListView>(TranslateNotify(lv.hdr, true));
    EXPECT_EQ(out.hdr.code, win::kNmClick);
    EXPECT_EQ(out.iItem, 4);
    EXPECT_EQ(out.iSubItem, 1);

    NMLVKEYDOWN key{};
    key.hdr = {reinterpret_cast<HWND>(0x1234), IDC_LIST, static_cast<UINT>(LVN_KEYDOWN)};
    key.wVKey = VK_SPACE;
    key.flags = 0x00390001;  // copied as the list view gives it
    NotifyRecord record = TranslateNotify(key.hdr, true);
    const auto& keyOut = std::get<win::NmLvKeyDown>(record);
    EXPECT_EQ(keyOut.hdr.idFrom, static_cast<win::UINT>(IDC_LIST));
    EXPECT_EQ(keyOut.hdr.code, win::kLvnKeyDown);
    EXPECT_EQ(keyOut.wVKey, win::kVkSpace);
    EXPECT_EQ(keyOut.flags, 0x00390001u);
    EXPECT_EQ(static_cast<void*>(&HeaderOf(record)), static_cast<const void*>(&keyOut));

    // From some other control only the header is read: its record may be a bare NMHDR.
    for (const UINT code : {static_cast<UINT>(NM_CLICK), static_cast<UINT>(LVN_KEYDOWN)}) {
        NMHDR bare{reinterpret_cast<HWND>(0x99), 77, code};
        out = std::get<win::NmListView>(TranslateNotify(bare, false));
        EXPECT_EQ(out.hdr.idFrom, 77u);
        EXPECT_EQ(out.hdr.code, static_cast<win::UINT>(code));
        EXPECT_EQ(out.iItem, -1);
        EXPECT_EQ(out.iSubItem, 0);
    }
}

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
