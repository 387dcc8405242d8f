// The real main window under the dialog manager, driven as a user drives it.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "app/brindlecot_dlg.h"
#include "frontend/win32/dialog_template.h"
#include "platform/win32/win32_file_store.h"
#include "resources/dialog_layout.h"
#include "resources/resource.h"
#include "resources/strings.h"
#include "tests/frontend/win32/win32_harness.h"

// The common dialogs' control identifiers; after <windows.h>, which the harness includes.
#include <dlgs.h>

namespace brindlecot::win32::testing {
namespace {

const std::string kThreeEntries =
    "CREATOR=Brindlecot 1.0\r\n"
    "ST=Alpha\r\nURL=http://alpha.example/\r\nSORTORDER=01\r\n"
    "ST=Beta\r\nURL=beta.exe\r\nSORTORDER=02\r\n"
    "ST=Gamma\r\nURL=HTTP://gamma.example/\r\nSORTORDER=03\r\n";

std::string Cell(HWND list, int row, int column) {
    char text[256] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&item));
    return text;
}

std::vector<std::string> Titles(HWND list) {
    std::vector<std::string> titles;
    const int n = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i)
        titles.push_back(Cell(list, i, 0));
    return titles;
}

// A left click at a point of a control's client area, as the mouse gives it.
void ClickAt(Harness& h, HWND control, int x, int y) {
    const LPARAM at = MAKELPARAM(x, y);
    ::PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageA(control, WM_LBUTTONUP, 0, at);
    h.Key(0, nullptr);  // handles what was posted, up to the marker
}

// The system menu opened with Alt+Space on the keyboard, and the item of the access key `key`
// chosen as soon as the menu is up.
HHOOK g_systemMenuHook = nullptr;
WPARAM g_systemMenuKey = 0;
bool g_systemMenuSeen = false;

LRESULT CALLBACK SystemMenuHook(int code, WPARAM wParam, LPARAM lParam) {
    const auto* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && msg->message == WM_INITMENUPOPUP && HIWORD(msg->lParam) &&
        !g_systemMenuSeen) {
        g_systemMenuSeen = true;
        ::PostMessageA(msg->hwnd, WM_KEYDOWN, g_systemMenuKey, 1);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void OpenSystemMenuAndChoose(Harness& h, WPARAM key) {
    g_systemMenuKey = key;
    g_systemMenuSeen = false;
    g_systemMenuHook =
        ::SetWindowsHookExA(WH_CALLWNDPROC, &SystemMenuHook, nullptr, ::GetCurrentThreadId());
    h.RealKey(VK_SPACE, VK_MENU);
    ::UnhookWindowsHookEx(g_systemMenuHook);
    EXPECT_TRUE(g_systemMenuSeen);
}

// The style bits of a control, `mask` of them.
LONG StyleOf(HWND window, LONG mask) {
    return ::GetWindowLongA(window, GWL_STYLE) & mask;
}

TEST(Win32MainWindow, ControlsSitWhereTheLayoutTablePutsThemInTabOrder) {
    Harness h(kThreeEntries);
    h.Run([](Harness& h) {
        const HWND main = h.Main();
        EXPECT_EQ(::GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_APPWINDOW, WS_EX_APPWINDOW);
        EXPECT_TRUE(::IsWindowVisible(main));
        EXPECT_EQ(::GetWindow(main, GW_OWNER), h.Platform().OwnerWindow());
        char caption[64] = {};
        ::GetWindowTextA(main, caption, sizeof caption);
        EXPECT_STREQ(caption, "Brindlecot ");

        std::vector<HWND> tabStops;
        for (const auto& c : resources::MainDialogTemplate().controls) {
            if (c.id == -1)
                continue;
            const HWND control = h.Item(c.id);
            ASSERT_NE(control, nullptr) << c.id;
            // The dialog manager maps the position and the size each on its own.
            RECT expected{c.x, c.y, c.cx, c.cy};
            ::MapDialogRect(main, &expected);
            expected.right += expected.left;
            expected.bottom += expected.top;
            RECT actual{};
            ::GetWindowRect(control, &actual);
            ::MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&actual), 2);
            EXPECT_EQ(actual.left, expected.left) << c.id;
            EXPECT_EQ(actual.top, expected.top) << c.id;
            EXPECT_EQ(actual.right, expected.right) << c.id;
            if (c.kind != resources::ControlKind::ComboDropDown) {  // its height is the list's
                EXPECT_EQ(actual.bottom, expected.bottom) << c.id;
            }
            if (c.style & resources::kTabStop)
                tabStops.push_back(control);
        }
        // Tab walks the controls in template order and comes back round.
        ASSERT_FALSE(tabStops.empty());
        EXPECT_EQ(::GetFocus(), tabStops.front());
        for (size_t i = 0; i < tabStops.size(); ++i) {
            const HWND next = ::GetNextDlgTabItem(main, tabStops[i], FALSE);
            EXPECT_EQ(next, tabStops[(i + 1) % tabStops.size()]) << i;
        }
        // The whole window lies inside the screen's work area, centred on it.
        RECT window{};
        ::GetWindowRect(main, &window);
        RECT work{};
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        EXPECT_LE(std::abs((window.left - work.left) - (work.right - window.right)), 1);
    });
}

TEST(Win32MainWindow, TheWindowAndItsControlsCarryTheTemplatesStyles) {
    Harness h;
    h.Run([](Harness& h) {
        // Caption buttons and a frame that does not size; its own taskbar button.
        const HWND main = h.Main();
        const LONG frame = WS_MAXIMIZEBOX | WS_MINIMIZEBOX | DS_MODALFRAME | WS_SYSMENU;
        EXPECT_EQ(StyleOf(main, frame | WS_THICKFRAME), frame);
        const LONG ex = ::GetWindowLongA(main, GWL_EXSTYLE);
        EXPECT_EQ(ex & WS_EX_APPWINDOW, WS_EX_APPWINDOW);
        EXPECT_EQ(ex & WS_EX_DLGMODALFRAME, WS_EX_DLGMODALFRAME);

        // Only the count box is read-only.
        EXPECT_EQ(StyleOf(h.Item(IDC_COUNT), ES_READONLY), ES_READONLY);
        EXPECT_EQ(StyleOf(h.Item(IDC_TITLE), ES_READONLY), 0);
        EXPECT_EQ(StyleOf(h.Item(IDC_TARGET), ES_READONLY), 0);

        // An editable drop-down whose list keeps the order it is given, with a scroll bar: the
        // combo box hands its scroll-bar style on to the list that drops down.
        const HWND combo = h.Item(IDC_SORTORDER);
        EXPECT_EQ(StyleOf(combo, CBS_DROPDOWN | CBS_DROPDOWNLIST), CBS_DROPDOWN);
        EXPECT_EQ(StyleOf(combo, CBS_SORT), 0);
        COMBOBOXINFO parts{};
        parts.cbSize = sizeof parts;
        ASSERT_TRUE(::GetComboBoxInfo(combo, &parts));
        EXPECT_EQ(StyleOf(parts.hwndList, WS_VSCROLL), WS_VSCROLL);

        // Report view, one row selected at a time; the highlight goes with the focus, and the
        // headers are buttons that sort.
        const HWND list = h.Item(IDC_LIST);
        EXPECT_EQ(StyleOf(list, LVS_TYPEMASK), LVS_REPORT);
        EXPECT_EQ(StyleOf(list, LVS_SINGLESEL), LVS_SINGLESEL);
        EXPECT_EQ(StyleOf(list, LVS_SHOWSELALWAYS), 0);
        EXPECT_EQ(StyleOf(list, LVS_NOSORTHEADER), 0);
    });
}

TEST(Win32MainWindow, SystemMenuEndsWithAboutWhichOpensTheAboutBoxOverADisabledMainWindow) {
    Harness h;
    bool mainEnabled = true;
    std::string aboutCaption;
    h.onDialog = [&](HWND about) {
        mainEnabled = ::IsWindowEnabled(h.Main()) != 0;
        char text[64] = {};
        ::GetWindowTextA(about, text, sizeof text);
        aboutCaption = text;
    };
    h.Run([](Harness& h) {
        const HMENU menu = ::GetSystemMenu(h.Main(), FALSE);
        const int n = ::GetMenuItemCount(menu);
        ASSERT_GE(n, 2);
        char text[64] = {};
        ::GetMenuStringA(menu, static_cast<UINT>(n - 1), text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, "&About Brindlecot...");
        EXPECT_EQ(::GetMenuItemID(menu, n - 1), IDM_ABOUTBOX);
        EXPECT_EQ(::GetMenuState(menu, static_cast<UINT>(n - 2), MF_BYPOSITION) & MF_SEPARATOR,
                  static_cast<UINT>(MF_SEPARATOR));
        ::SendMessageA(h.Main(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        EXPECT_TRUE(::IsWindowEnabled(h.Main()));
        EXPECT_FALSE(h.Ended());
    });
    EXPECT_EQ(aboutCaption, "About Brindlecot");
    EXPECT_FALSE(mainEnabled);
}

TEST(Win32MainWindow, TheAboutBoxIsAPopupWithTheIconBothTextsAndOkAsItsDefaultButton) {
    Harness h;
    struct Seen {
        LONG style = 0;
        bool icon = false;
        std::string version, notice, ok;
        LONG versionStyle = 0;
        LRESULT defaultId = 0;
    } seen;
    h.onDialog = [&](HWND about) {
        seen.style = ::GetWindowLongA(about, GWL_STYLE);
        const HWND icon = ::GetDlgItem(about, IDC_ABOUT_ICON);
        seen.icon = icon && StyleOf(icon, SS_TYPEMASK) == SS_ICON &&
                    ::SendMessageA(icon, STM_GETICON, 0, 0) != 0;
        char text[256] = {};
        ::GetDlgItemTextA(about, IDC_ABOUT_VERSION, text, sizeof text);
        seen.version = text;
        seen.versionStyle = StyleOf(::GetDlgItem(about, IDC_ABOUT_VERSION), SS_NOPREFIX);
        ::GetDlgItemTextA(about, IDC_ABOUT_NOTICE, text, sizeof text);
        seen.notice = text;
        ::GetDlgItemTextA(about, IDOK, text, sizeof text);
        seen.ok = text;
        seen.defaultId = ::SendMessageA(about, DM_GETDEFID, 0, 0);
    };
    h.Run([](Harness& h) { ::SendMessageA(h.Main(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0); });
    EXPECT_EQ(seen.style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
              WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
    EXPECT_TRUE(seen.icon);
    EXPECT_EQ(seen.version, "Brindlecot Version 1.0");
    EXPECT_EQ(seen.versionStyle, SS_NOPREFIX);  // an ampersand there would be shown as typed
    EXPECT_EQ(seen.notice, std::string(resources::kMakerNotice));
    EXPECT_EQ(seen.ok, "OK");
    EXPECT_EQ(seen.defaultId, MAKELRESULT(IDOK, DC_HASDEFID));
}

TEST(Win32MainWindow, EnterInAFieldOrInTheListQuitsAndWritesTheTableAsTheEntryFile) {
    for (int field : {IDC_TITLE, IDC_TARGET, IDC_SORTORDER, IDC_LIST}) {
        Harness h;
        h.Run([field](Harness& h) {
            h.SetText(IDC_TITLE, "Docs");
            h.SetText(IDC_TARGET, "C:\\docs\\readme.txt ");
            h.SetText(IDC_SORTORDER, "07");
            h.Click(IDC_ADD);
            ::SetFocus(h.Item(field));
            // The sort-order field's list is closed: Enter is the dialog's, not the list's.
            ASSERT_FALSE(::SendMessageA(h.Item(IDC_SORTORDER), CB_GETDROPPEDSTATE, 0, 0));
            h.Key(VK_RETURN);
            EXPECT_TRUE(h.Ended()) << field;
        });
        EXPECT_EQ(h.EntryFile(),
                  "CREATOR=Brindlecot 1.0\r\nST=Docs\r\nURL=C:\\docs\\readme.txt \r\n"
                  "SORTORDER=07\r\n")
            << field;
    }
}

// What the platform's dialog handling turns into a Cancel: the system menu's Close and the
// close box (both WM_SYSCOMMAND with SC_CLOSE; Wine posts that for the frame's close box too),
// WM_CLOSE, and Alt+F4 typed on the keyboard.
TEST(Win32MainWindow, TheCloseBoxAltF4AndTheSystemMenusCloseEachEndTheRunAndWriteTheFile) {
    enum Way { kSysCommandClose, kCloseMessage, kAltF4, kSystemMenuKeys };
    for (Way way : {kSysCommandClose, kCloseMessage, kAltF4, kSystemMenuKeys}) {
        Harness h(kThreeEntries);
        h.Run([way](Harness& h) {
            h.SetText(IDC_TITLE, "Delta");
            h.SetText(IDC_TARGET, "delta.exe");
            h.SetText(IDC_SORTORDER, "04");
            h.Click(IDC_ADD);
            ::SetForegroundWindow(h.Main());
            ::SetFocus(h.Item(IDC_TITLE));
            switch (way) {
                case kSysCommandClose:
                    ::PostMessageA(h.Main(), WM_SYSCOMMAND, SC_CLOSE, 0);
                    break;
                case kCloseMessage:
                    ::PostMessageA(h.Main(), WM_CLOSE, 0, 0);
                    break;
                case kAltF4:
                    h.RealKey(VK_F4, VK_MENU);
                    break;
                case kSystemMenuKeys:
                    OpenSystemMenuAndChoose(h, 'C');  // "&Close"
                    break;
            }
            EXPECT_TRUE(h.PumpUntil([&] { return h.Ended(); })) << way;
        });
        EXPECT_NE(h.EntryFile().find("ST=Delta\r\nURL=delta.exe\r\nSORTORDER=04\r\n"),
                  std::string::npos)
            << way;
    }
}

TEST(Win32MainWindow, EscapeWithTheSortListDroppedOnlyClosesTheList) {
    Harness h(kThreeEntries);
    h.Run([](Harness& h) {
        const HWND combo = h.Item(IDC_SORTORDER);
        ::SetFocus(combo);
        ::SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
        ASSERT_TRUE(::SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
        h.Key(VK_ESCAPE);
        EXPECT_FALSE(::SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
        EXPECT_FALSE(h.Ended());
        h.Key(VK_ESCAPE);
        EXPECT_TRUE(h.Ended());
    });
    // Escape ends the run like Quit: the table is written.
    EXPECT_NE(h.EntryFile().find("ST=Gamma\r\n"), std::string::npos);
}

TEST(Win32MainWindow, BoxesCarryTheirCaptionTextButtonsAndIcon) {
    Harness h(kThreeEntries);
    h.AnswerBoxesWith(IDNO);
    h.Run([](Harness& h) {
        h.Click(IDC_ADD);  // blank fields
        h.SetText(IDC_TITLE, "Alpha");
        h.SetText(IDC_TARGET, "http://alpha.example/");
        h.Click(IDC_ADD);       // a duplicate, declined
        h.Click(IDC_CLEARALL);  // declined
        EXPECT_EQ(Titles(h.Item(IDC_LIST)).size(), 3u);
    });
    ASSERT_EQ(h.boxes.size(), 3u);
    EXPECT_EQ(h.boxes[0].caption, "Error");
    EXPECT_EQ(
        h.boxes[0].text,
        "URL or Title Blank.\r\nNo entry added.\r\nPlease add a title and url and try again.");
    EXPECT_EQ(h.boxes[0].buttons, std::vector<int>{IDOK});
    EXPECT_FALSE(h.boxes[0].hasIcon);
    EXPECT_FALSE(h.boxes[0].ownerEnabled);
    // The application's boxes: the program file's name as caption, the exclamation icon.
    for (int i : {1, 2}) {
        EXPECT_EQ(h.boxes[i].caption, "brindlecot_win32_tests");
        EXPECT_TRUE(h.boxes[i].hasIcon);
        EXPECT_EQ(h.boxes[i].buttons, (std::vector<int>{IDYES, IDNO}));
    }
    EXPECT_EQ(h.boxes[2].text, "Are you sure that you want to clear list?");
}

TEST(Win32MainWindow, TheFiftyFirstEntryIsRefusedWithTheLimitBox) {
    std::string file = "CREATOR=Brindlecot 1.0\r\n";
    for (int i = 1; i <= 50; ++i) {
        const std::string n = (i < 10 ? "0" : "") + std::to_string(i);
        file += "ST=T" + n + "\r\nURL=u" + n + "\r\nSORTORDER=" + n + "\r\n";
    }
    Harness h(file);
    h.Run([](Harness& h) {
        EXPECT_EQ(h.Text(IDC_COUNT), "50");
        h.SetText(IDC_TITLE, "One more");
        h.SetText(IDC_TARGET, "more.exe");
        h.Click(IDC_ADD);
        EXPECT_EQ(h.Text(IDC_COUNT), "50");
    });
    ASSERT_EQ(h.boxes.size(), 1u);
    EXPECT_EQ(h.boxes[0].text, "Maximum Items Reached");
    EXPECT_EQ(h.boxes[0].caption, "The maximum number of entries is 50.");
    EXPECT_FALSE(h.boxes[0].hasIcon);
}

// The WM_SETTEXT and CB_SETCURSEL messages each field of the main window has been sent, by
// control identifier.
std::map<int, int> g_textsSet;

LRESULT CALLBACK TextSetHook(int code, WPARAM wParam, LPARAM lParam) {
    const auto* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && (msg->message == WM_SETTEXT || msg->message == CB_SETCURSEL))
        ++g_textsSet[::GetDlgCtrlID(msg->hwnd)];
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(Win32MainWindow, AStartUpLoadSetsEachPlainFieldOnceAndKeepsEveryOtherTextExact) {
    // Plain texts are held back until the window shows; the others go through the field.
    std::string file = "CREATOR=Brindlecot 1.0\r\n";
    for (int i = 1; i <= 30; ++i) {
        const std::string n = (i < 10 ? "0" : "") + std::to_string(i);
        file += "ST=T" + n + "\r\nURL=u" + n + "\r\nSORTORDER=" + n + "\r\n";
    }
    file += "ST=Caf\xE9\rX\r\nURL=u\r\nSORTORDER=31\r\nST=Last\r\nURL=last.exe\r\n";
    g_textsSet.clear();
    const HHOOK hook =
        ::SetWindowsHookExA(WH_CALLWNDPROC, &TextSetHook, nullptr, ::GetCurrentThreadId());
    Harness h(file);
    std::map<int, int> atStart;
    h.Run([&](Harness& h) {
        atStart = g_textsSet;
        EXPECT_EQ(h.Text(IDC_COUNT), "32");
        EXPECT_EQ(h.Text(IDC_TITLE), "");
        EXPECT_EQ(h.Text(IDC_TARGET), "");
        EXPECT_EQ(h.Text(IDC_SORTORDER), "31");  // the last sort order read
        EXPECT_EQ(::SendMessageA(h.Item(IDC_SORTORDER), CB_GETCURSEL, 0, 0), 30);
        const HWND list = h.Item(IDC_LIST);
        EXPECT_EQ(Cell(list, 0, 0), "T01");
        EXPECT_EQ(Cell(list, 31, 0), "Caf\xE9\rX");
        ::SetFocus(h.Item(IDC_TITLE));
        h.Key(VK_ESCAPE);
    });
    ::UnhookWindowsHookEx(hook);
    // The count once; the title and the target once for the one entry that is not plain text
    // and once for the cleared fields.
    EXPECT_EQ(atStart[IDC_COUNT], 1);
    EXPECT_LE(atStart[IDC_TITLE], 2);
    EXPECT_LE(atStart[IDC_TARGET], 2);
    EXPECT_LE(atStart[IDC_SORTORDER], 2);  // an item selected; the last entry's own text
    // The last entry, which names no sort order, takes the one before it.
    std::string written =
        "CREATOR=Brindlecot 1.0\r\nST=Caf\xE9\rX\r\nURL=u\r\nSORTORDER=31\r\n\r\n"
        "ST=Last\r\nURL=last.exe\r\nSORTORDER=31\r\n";
    for (int i = 30; i >= 1; --i) {
        const std::string n = (i < 10 ? "0" : "") + std::to_string(i);
        written += "\r\nST=T" + n + "\r\nURL=u" + n + "\r\nSORTORDER=" + n + "\r\n";
    }
    EXPECT_EQ(h.EntryFile(), written);
}

TEST(Win32MainWindow, HeaderClicksSortAndToggleRowClicksLoadTheFields) {
    Harness h(kThreeEntries);
    h.Run([](Harness& h) {
        const HWND list = h.Item(IDC_LIST);
        const HWND header = reinterpret_cast<HWND>(::SendMessageA(list, LVM_GETHEADER, 0, 0));
        ASSERT_NE(header, nullptr);
        RECT column{};
        // The target column: "HTTP://" < "beta.exe" < "http://" byte-wise.
        ::SendMessageA(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&column));
        const int cx = (column.left + column.right) / 2, cy = (column.top + column.bottom) / 2;
        ClickAt(h, header, cx, cy);
        EXPECT_EQ(Titles(list), (std::vector<std::string>{"Gamma", "Beta", "Alpha"}));
        ClickAt(h, header, cx, cy);
        EXPECT_EQ(Titles(list), (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));

        RECT row{LVIR_BOUNDS, 0, 0, 0};
        ::SendMessageA(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row));
        ClickAt(h, list, row.left + 5, (row.top + row.bottom) / 2);
        EXPECT_EQ(h.Text(IDC_TITLE), "Beta");
        EXPECT_EQ(h.Text(IDC_TARGET), "beta.exe");
        EXPECT_EQ(h.Text(IDC_SORTORDER), "02");
        EXPECT_EQ(::SendMessageA(list, LVM_GETSELECTIONMARK, 0, 0), 1);

        // Empty space below the rows: the highlight goes, the mark and the fields stay.
        RECT client{};
        ::GetClientRect(list, &client);
        ClickAt(h, list, 10, client.bottom - 5);
        EXPECT_EQ(::SendMessageA(list, LVM_GETSELECTIONMARK, 0, 0), 1);
        EXPECT_EQ(h.Text(IDC_TITLE), "Beta");
        h.Click(IDC_REMOVE);
        EXPECT_EQ(Titles(list), (std::vector<std::string>{"Alpha", "Gamma"}));
    });
}

TEST(Win32MainWindow, UnderADoubleByteCodePageTheTableSortsByWholeCharacters) {
    // The runtime's multibyte code page as a Japanese system starts it: 932, where 0x81 0x40
    // is one character that sorts after the single byte 0xA1 (byte-wise it would be before).
    MultibyteCodePage japanese(932);
    ASSERT_TRUE(japanese.Set());
    Harness h(
        "CREATOR=Brindlecot 1.0\r\n"
        "ST=double\r\nURL=d\r\nSORTORDER=\x81\x40\r\n"
        "ST=single\r\nURL=s\r\nSORTORDER=\xA1\r\n");
    h.Run([](Harness& h) {
        const HWND list = h.Item(IDC_LIST);
        EXPECT_EQ(Titles(list), (std::vector<std::string>{"single", "double"}));
        EXPECT_EQ(Cell(list, 1, 2), "\x81\x40");
    });
}

int SelectedRow(HWND list) {
    return static_cast<int>(
        ::SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

TEST(Win32MainWindow, SpaceOnTheFocusedRowLoadsItAsAClickDoesAndEnterStillQuits) {
    Harness h(kThreeEntries);
    h.Run([](Harness& h) {
        const HWND list = h.Item(IDC_LIST);
        ::SetForegroundWindow(h.Main());
        ::SetFocus(list);
        h.RealKey(VK_SPACE);  // no row has the focus yet: nothing
        EXPECT_EQ(h.Text(IDC_TITLE), "");
        // The arrows move the focus and the highlight, and load nothing.
        h.RealKey(VK_DOWN);
        h.RealKey(VK_DOWN);
        ASSERT_EQ(::SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), 1);
        EXPECT_EQ(h.Text(IDC_TITLE), "");
        h.RealKey(VK_SPACE);
        EXPECT_EQ(h.Text(IDC_TITLE), "Beta");
        EXPECT_EQ(h.Text(IDC_TARGET), "beta.exe");
        EXPECT_EQ(h.Text(IDC_SORTORDER), "02");
        EXPECT_EQ(SelectedRow(list), 1);  // the space is no type-ahead search
        EXPECT_EQ(::SendMessageA(list, LVM_GETSELECTIONMARK, 0, 0), 1);
        EXPECT_EQ(::GetFocus(), list);
        // Remove clears the mark it used; Space on the row the focus moved to marks and loads
        // that one, so that the next Remove acts on it, as after a click.
        h.Click(IDC_REMOVE);
        EXPECT_EQ(Titles(list), (std::vector<std::string>{"Alpha", "Gamma"}));
        ::SetFocus(list);
        h.RealKey(VK_DOWN);
        const int focused = static_cast<int>(
            ::SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
        ASSERT_GE(focused, 0);
        h.RealKey(VK_SPACE);
        EXPECT_EQ(h.Text(IDC_TITLE), Cell(list, focused, 0));
        EXPECT_EQ(SelectedRow(list), focused);
        EXPECT_EQ(Titles(list).size(), 2u);
        EXPECT_FALSE(h.Ended());
        h.RealKey(VK_RETURN);  // the default button, Quit
        EXPECT_TRUE(h.Ended());
    });
    EXPECT_EQ(h.EntryFile().find("ST=Beta"), std::string::npos);
}

TEST(Win32MainWindow, TestAndHelpAskTheShellWithTheShowCommandOfTheTarget) {
    Harness h;
    h.Run([](Harness& h) {
        h.SetText(IDC_TARGET, "http://x.example/");
        h.Click(IDC_TEST);
        h.SetText(IDC_TARGET, "HTTP://x.example/");
        h.Click(IDC_TEST);
        h.Click(IDC_HELPBUTTON);
    });
    const auto& r = h.Platform().shellRequests;
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].file, "http://x.example/");
    EXPECT_EQ(r[0].showCommand, SW_HIDE);
    EXPECT_EQ(r[1].showCommand, SW_SHOW);
    EXPECT_EQ(r[2].file, std::string(resources::kHelpPageUrl));
    EXPECT_EQ(r[2].showCommand, SW_HIDE);
    for (const auto& request : r) {
        EXPECT_EQ(request.operation, "open");
        EXPECT_FALSE(request.parameters);
        EXPECT_FALSE(request.directory);
    }
}

}  // namespace
}  // namespace brindlecot::win32::testing

namespace brindlecot::win32::testing {
namespace {

TEST(Win32MainWindow, BrowseOffersTheProgramFiltersAndKeepsTheWorkingDirectory) {
    Harness h;
    std::vector<std::string> choices;
    h.onFileDialog = [&](HWND dialog) {
        // The type list, as the user sees it.
        const HWND types = ::GetDlgItem(dialog, cmb1);
        const int n = static_cast<int>(::SendMessageA(types, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            char text[128] = {};
            ::SendMessageA(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            choices.push_back(text);
        }
        // Somewhere else, and a file there chosen.
        char system[MAX_PATH] = {};
        ::GetSystemDirectoryA(system, MAX_PATH);
        ::SetCurrentDirectoryA(system);
        const HWND name =
            ::GetDlgItem(dialog, cmb13) ? ::GetDlgItem(dialog, cmb13) : ::GetDlgItem(dialog, edt1);
        // Typed without its extension: the dialog adds the default one, ".exe".
        ::SetWindowTextA(name, (std::string(system) + "\\notepad").c_str());
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    };
    h.Run([](Harness& h) {
        h.SetText(IDC_TITLE, "kept");
        h.Click(IDC_BROWSE);
        char system[MAX_PATH] = {};
        ::GetSystemDirectoryA(system, MAX_PATH);
        EXPECT_EQ(h.Text(IDC_TARGET), std::string(system) + "\\notepad.exe");
        EXPECT_EQ(h.Text(IDC_TITLE), "kept");
        char now[MAX_PATH] = {};
        ::GetCurrentDirectoryA(MAX_PATH, now);
        EXPECT_EQ(std::string(now), h.Directory());
    });
    EXPECT_EQ(choices, (std::vector<std::string>{"Executable Files (*.exe)", "Com Files (*.com)",
                                                 "All Files (*.*)"}));
}

TEST(Win32MainWindow, F1AloneOpensTheHelpFileBesideTheProgramWhenThereIsOne) {
    const std::string help =
        HelpFilePath(Win32Platform(::GetModuleHandleA(nullptr)).ProgramFilePath());
    Harness h;
    h.Run([&](Harness& h) {
        ::SetForegroundWindow(h.Main());
        ::SetFocus(h.Item(IDC_TITLE));
        h.RealKey(VK_F1);
        EXPECT_TRUE(h.Platform().shellRequests.empty());  // no help file: nothing
        { std::ofstream(help) << "help"; }
        h.RealKey(VK_F1);
        ::DeleteFileA(help.c_str());
    });
    const auto& r = h.Platform().shellRequests;
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].file, help);
    EXPECT_EQ(r[0].operation, "open");
}

TEST(Win32MainWindow, SessionEndSavesOnceAndTheDragIconIsTheProgramIcon) {
    Harness h("CREATOR=Brindlecot 1.0\r\nST=A\r\nURL=a\r\nSORTORDER=01\r\n");
    h.Run([](Harness& h) {
        EXPECT_NE(::SendMessageA(h.Main(), WM_QUERYDRAGICON, 0, 0), 0);
        h.SetText(IDC_TITLE, "B");
        h.SetText(IDC_TARGET, "b");
        h.Click(IDC_ADD);
        ::SendMessageA(h.Main(), WM_ENDSESSION, TRUE, 0);
        EXPECT_NE(h.EntryFile().find("ST=B\r\n"), std::string::npos);
        // Another program changes the file: the end of the window does not write it again.
        std::ofstream("brcot.dat", std::ios::binary) << "changed";
    });
    EXPECT_EQ(h.EntryFile(), "changed");
}

// ---- The entry file's bytes, and a save that fails at Quit ----

// A lone CR inside a stored value is a byte of that value: an untouched file goes back byte
// for byte through the real edit controls, the list view and the end of the run.
TEST(Win32MainWindow, ALoneCrOfTheFileIsKeptAndAnUntouchedFileGoesBackByteForByte) {
    const std::string file =
        "CREATOR=Brindlecot 1.0\r\nST=Caf\xE9\rX\r\nURL=u\r\nSORTORDER=02\r\n\r\n"
        "ST=a\rb\r\nURL=c\rd.exe\r\nSORTORDER=0\r1\r\n";
    Harness h(file);
    h.Run([](Harness& h) {
        const HWND list = h.Item(IDC_LIST);
        EXPECT_EQ(Cell(list, 0, 0), "a\rb");
        EXPECT_EQ(Cell(list, 0, 2), "0\r1");
        EXPECT_EQ(Cell(list, 1, 0), "Caf\xE9\rX");
        EXPECT_EQ(h.Text(IDC_SORTORDER), "0\r1");
        ::SetFocus(h.Item(IDC_TITLE));
        h.Key(VK_ESCAPE);
        EXPECT_TRUE(h.Ended());
    });
    EXPECT_TRUE(h.boxes.empty());
    EXPECT_EQ(h.EntryFile(), file);
}

TEST(Win32MainWindow, ATypedOrPastedLineEndStaysOutOfTheCell) {
    Harness h;
    h.Run([](Harness& h) {
        h.SetText(IDC_TITLE, "Two\r\nLines\x1a");
        h.SetText(IDC_TARGET, "t\r.exe");
        h.SetText(IDC_SORTORDER, "01");
        h.Click(IDC_ADD);
        EXPECT_EQ(Cell(h.Item(IDC_LIST), 0, 0), "TwoLines");
        EXPECT_EQ(Cell(h.Item(IDC_LIST), 0, 1), "t.exe");
    });
    EXPECT_EQ(h.EntryFile(),
              "CREATOR=Brindlecot 1.0\r\nST=TwoLines\r\nURL=t.exe\r\nSORTORDER=01\r\n");
}

// The user's local application data folder pointed at a folder of the test's own for the
// length of a test, so that the recovery copies are easy to find and leave nothing behind.
class LocalAppData {
  public:
    explicit LocalAppData(const std::string& folder) : m_folder(folder) {
        m_had = ::GetEnvironmentVariableA("LOCALAPPDATA", m_saved, sizeof m_saved) != 0;
        ::CreateDirectoryA(folder.c_str(), nullptr);
        ::SetEnvironmentVariableA("LOCALAPPDATA", folder.c_str());
    }
    ~LocalAppData() { ::SetEnvironmentVariableA("LOCALAPPDATA", m_had ? m_saved : nullptr); }
    LocalAppData(const LocalAppData&) = delete;
    LocalAppData& operator=(const LocalAppData&) = delete;

    // The copies in <folder>\Brindlecot, by name.
    std::vector<std::pair<std::string, std::string>> Copies() const {
        std::vector<std::pair<std::string, std::string>> copies;
        const std::string brindlecot = m_folder + "\\Brindlecot\\";
        WIN32_FIND_DATAA data{};
        const HANDLE find = ::FindFirstFileA((brindlecot + "*.dat").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE)
            return copies;
        do {
            std::ifstream in(brindlecot + data.cFileName, std::ios::binary);
            std::ostringstream bytes;
            bytes << in.rdbuf();
            copies.emplace_back(data.cFileName, bytes.str());
        } while (::FindNextFileA(find, &data));
        ::FindClose(find);
        return copies;
    }

  private:
    std::string m_folder;
    char m_saved[MAX_PATH + 1] = {};
    bool m_had = false;
};

const std::string kPaintOnly =
    "CREATOR=Brindlecot 1.0\r\nST=Paint\r\nURL=mspaint.exe\r\nSORTORDER=04\r\n";

// The user adds an entry and quits: the box shows, and the list is kept.
void AddPaintAndQuit(Harness& h) {
    h.Run([](Harness& h) {
        h.SetText(IDC_TITLE, "Paint");
        h.SetText(IDC_TARGET, "mspaint.exe");
        h.SetText(IDC_SORTORDER, "04");
        h.Click(IDC_ADD);
        ::SetFocus(h.Item(IDC_TITLE));
        h.Key(VK_ESCAPE);
        EXPECT_TRUE(h.Ended());
    });
    ASSERT_EQ(h.boxes.size(), 1u);
    EXPECT_EQ(h.boxes[0].caption, "Error Writing File");
    EXPECT_EQ(h.boxes[0].text, "Save to File");
}

TEST(Win32MainWindow, AQuitThatCannotWriteAReadOnlyFileShowsTheBoxAndKeepsTheWholeList) {
    Harness h(kThreeEntries);
    LocalAppData local(h.Directory() + "\\local");
    ASSERT_TRUE(::SetFileAttributesA("brcot.dat", FILE_ATTRIBUTE_READONLY));
    AddPaintAndQuit(h);
    ::SetFileAttributesA("brcot.dat", FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(h.EntryFile(), kThreeEntries);
    const auto copies = local.Copies();
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].first.rfind("brcot-", 0), 0u) << copies[0].first;
    EXPECT_EQ(copies[0].second,
              "CREATOR=Brindlecot 1.0\r\nST=Paint\r\nURL=mspaint.exe\r\nSORTORDER=04\r\n\r\n"
              "ST=Gamma\r\nURL=HTTP://gamma.example/\r\nSORTORDER=03\r\n\r\n"
              "ST=Beta\r\nURL=beta.exe\r\nSORTORDER=02\r\n\r\n"
              "ST=Alpha\r\nURL=http://alpha.example/\r\nSORTORDER=01\r\n");
}

TEST(Win32MainWindow, AQuitOnAFullDiskShowsTheBoxKeepsTheOldFileAndTheListElsewhere) {
    platform::Win32FileStore::Steps steps = platform::Win32FileStore::Steps::Real();
    const auto write = steps.writeAndFlush;
    steps.writeAndFlush = [write](void* file, const std::string& bytes) {
        write(file, bytes.substr(0, bytes.size() / 2));  // part of it, then the disk is full
        return false;
    };
    Harness h("CREATOR=Brindlecot 1.0\r\n",
              std::make_unique<platform::Win32FileStore>(std::move(steps)));
    LocalAppData local(h.Directory() + "\\local");
    AddPaintAndQuit(h);
    EXPECT_EQ(h.EntryFile(), "CREATOR=Brindlecot 1.0\r\n");
    // Nothing but the file and the folder of the copies: no temporary left behind.
    WIN32_FIND_DATAA data{};
    std::vector<std::string> names;
    const HANDLE find = ::FindFirstFileA("*", &data);
    do {
        if (data.cFileName[0] != '.' || std::string(data.cFileName).size() > 2)
            names.push_back(data.cFileName);
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"brcot.dat", "local"}));
    const auto copies = local.Copies();
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].second, kPaintOnly);
}

TEST(Win32MainWindow, AFileThatCouldNotBeReadIsLeftAloneAtQuitAndTheRunsEntriesAreKept) {
    // One over the size limit (sparse: no disk space taken), and a folder under the name.
    for (const bool folder : {false, true}) {
        SCOPED_TRACE(folder ? "a folder" : "a file over the size limit");
        Harness h;
        LocalAppData local(h.Directory() + "\\local");
        const long long size = platform::Win32FileStore::kMaxReadBytes + 1;
        if (folder) {
            ASSERT_TRUE(::CreateDirectoryA("brcot.dat", nullptr));
        } else {
            const HANDLE f = ::CreateFileA("brcot.dat", GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                           FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(f, INVALID_HANDLE_VALUE);
            LARGE_INTEGER end{};
            end.QuadPart = size;
            ::SetFilePointerEx(f, end, nullptr, FILE_BEGIN);
            ::SetEndOfFile(f);
            ::CloseHandle(f);
        }
        AddPaintAndQuit(h);
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ASSERT_TRUE(::GetFileAttributesExA("brcot.dat", GetFileExInfoStandard, &data));
        if (folder) {
            EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        } else {
            EXPECT_EQ(data.nFileSizeLow, static_cast<DWORD>(size));
        }
        const auto copies = local.Copies();
        ASSERT_EQ(copies.size(), 1u);
        EXPECT_EQ(copies[0].second, kPaintOnly);
    }
}

}  // namespace
}  // namespace brindlecot::win32::testing
