// The notification-area icon and its menu, through the real shell calls' records.
#include <gtest/gtest.h>

#include <cstring>

#include "app/brindlecot_dlg.h"
#include "resources/resource.h"
#include "tests/frontend/win32/win32_harness.h"

namespace brindlecot::win32::testing {
namespace {

const std::string kThreeEntries =
    "CREATOR=Brindlecot 1.0\r\n"
    "ST=Alpha\r\nURL=http://alpha.example/\r\nSORTORDER=01\r\n"
    "ST=B&eta\r\nURL=beta.exe\r\nSORTORDER=02\r\n"
    "ST=Gamma\r\nURL=HTTP://gamma.example/\r\nSORTORDER=03\r\n";

struct MenuItem {
    std::string text;
    UINT id;
    UINT state;
};

// Reads the tray menu as it opens and picks the item `pick` positions from the top (or
// closes it when `pick` is negative), with the keys a user would press.
HHOOK g_menuHook = nullptr;
std::vector<MenuItem>* g_items = nullptr;
int g_pick = -1;
HWND g_foregroundWhenTracked = nullptr;

LRESULT CALLBACK MenuHook(int code, WPARAM wParam, LPARAM lParam) {
    const auto* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && msg->message == WM_INITMENUPOPUP && g_items) {
        const HMENU menu = reinterpret_cast<HMENU>(msg->wParam);
        g_foregroundWhenTracked = ::GetForegroundWindow();
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
            char text[128] = {};
            ::GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
            g_items->push_back({text, ::GetMenuItemID(menu, i),
                                ::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION)});
        }
        if (g_pick < 0) {
            ::PostMessageA(msg->hwnd, WM_KEYDOWN, VK_ESCAPE, 1);
        } else {
            for (int i = 0; i <= g_pick; ++i)
                ::PostMessageA(msg->hwnd, WM_KEYDOWN, VK_DOWN, 1);
            ::PostMessageA(msg->hwnd, WM_KEYDOWN, VK_RETURN, 1);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

std::vector<MenuItem> OpenTrayMenu(Harness& h, int pick) {
    std::vector<MenuItem> items;
    g_items = &items;
    g_pick = pick;
    g_menuHook = ::SetWindowsHookExA(WH_CALLWNDPROC, &MenuHook, nullptr, ::GetCurrentThreadId());
    ::SendMessageA(h.Main(), WM_TRAYNOTIFY, TRAY_ICON_ID, WM_RBUTTONDOWN);
    ::UnhookWindowsHookEx(g_menuHook);
    g_items = nullptr;
    h.Key(0);  // the command the menu posted, if any
    return items;
}

TEST(Win32Tray, TheIconIsAddedInTheFirstFormAndRemovedAtTheEnd) {
    Harness h;
    h.Run([](Harness& h) {
        const auto& r = h.Platform().trayRequests;
        ASSERT_EQ(r.size(), 1u);
        EXPECT_EQ(r[0].first, static_cast<DWORD>(NIM_ADD));
        const NOTIFYICONDATAA& d = r[0].second;
        EXPECT_EQ(d.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
        EXPECT_EQ(d.cbSize, 104u);  // x64: what the shell reads as the first form
        EXPECT_EQ(d.hWnd, h.Main());
        EXPECT_EQ(d.uID, 128u);
        EXPECT_EQ(d.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
        EXPECT_EQ(d.uCallbackMessage, static_cast<UINT>(WM_USER + 100));
        EXPECT_NE(d.hIcon, nullptr);
        EXPECT_STREQ(d.szTip, "Brindlecot");
    });
    const auto& r = h.Platform().trayRequests;
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[1].first, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(r[1].second.uID, 128u);
}

TEST(Win32Tray, ANewTaskbarGetsTheIconAgain) {
    Harness h;
    h.Run([](Harness& h) {
        ::SendMessageA(h.Main(), h.Platform().TaskbarCreatedMessage(), 0, 0);
        const auto& r = h.Platform().trayRequests;
        ASSERT_EQ(r.size(), 2u);
        EXPECT_EQ(r[1].first, static_cast<DWORD>(NIM_ADD));
        EXPECT_EQ(std::memcmp(&r[0].second, &r[1].second, sizeof r[0].second), 0);
    });
}

TEST(Win32Tray, TheMenuListsTheRowsBottomUpAndAChoiceLaunchesItsOwnRow) {
    Harness h(kThreeEntries);
    h.Run([](Harness& h) {
        const std::vector<MenuItem> items = OpenTrayMenu(h, 2);  // the bottom item: row 0
        ASSERT_EQ(items.size(), 3u);
        EXPECT_EQ(items[0].text, "Gamma");
        EXPECT_EQ(items[0].id, 5003u);
        EXPECT_EQ(items[1].text, "B&eta");
        EXPECT_EQ(items[1].id, 5002u);
        EXPECT_EQ(items[2].text, "Alpha");
        EXPECT_EQ(items[2].id, 5001u);
        for (const MenuItem& item : items)
            EXPECT_EQ(item.state & (MF_GRAYED | MF_CHECKED | MF_SEPARATOR), 0u);
        // Tracked with the main window in front, or a click elsewhere would not close it.
        EXPECT_EQ(g_foregroundWhenTracked, h.Main());
        const auto& r = h.Platform().shellRequests;
        ASSERT_EQ(r.size(), 1u);
        EXPECT_EQ(r[0].file, "http://alpha.example/");
        EXPECT_EQ(r[0].showCommand, SW_HIDE);
        EXPECT_EQ(h.Text(IDC_TITLE), "Alpha");

        OpenTrayMenu(h, 0);  // the top item: row 2
        ASSERT_EQ(r.size(), 2u);
        EXPECT_EQ(r[1].file, "HTTP://gamma.example/");
        EXPECT_EQ(r[1].showCommand, SW_SHOW);

        h.SetText(IDC_TITLE, "typed");
        OpenTrayMenu(h, -1);  // closed without a choice
        EXPECT_EQ(r.size(), 2u);
        EXPECT_EQ(h.Text(IDC_TITLE), "typed");
    });
}

}  // namespace
}  // namespace brindlecot::win32::testing

namespace brindlecot::win32::testing {
namespace {

// The tray menu's window as it stands on the screen once the menu is up; the menu is then
// closed with Escape.
HHOOK g_placementHook = nullptr;
RECT g_menuRect{};
bool g_menuUp = false;

LRESULT CALLBACK PlacementHook(int code, WPARAM wParam, LPARAM lParam) {
    const auto* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
    // Sent to the owner when the menu, on screen, waits for input.
    if (code == HC_ACTION && msg->message == WM_ENTERIDLE && msg->wParam == MSGF_MENU &&
        !g_menuUp) {
        HWND window = reinterpret_cast<HWND>(msg->lParam);
        if (!window)
            window = ::FindWindowA("#32768", nullptr);  // the popup menus' window class
        g_menuUp = window && ::IsWindowVisible(window) && ::GetWindowRect(window, &g_menuRect);
        ::PostMessageA(msg->hwnd, WM_KEYDOWN, VK_ESCAPE, 1);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(Win32Tray, TheMenuHangsFromThePointerWithItsLeftEdgeFiftyPixelsToTheLeft) {
    Harness h(kThreeEntries);
    h.Run([](Harness& h) {
        for (const POINT at : {POINT{400, 300}, POINT{700, 450}}) {
            ASSERT_TRUE(::SetCursorPos(at.x, at.y));
            g_menuUp = false;
            g_placementHook = ::SetWindowsHookExA(WH_CALLWNDPROC, &PlacementHook, nullptr,
                                                  ::GetCurrentThreadId());
            ::SendMessageA(h.Main(), WM_TRAYNOTIFY, TRAY_ICON_ID, WM_RBUTTONDOWN);
            ::UnhookWindowsHookEx(g_placementHook);
            ASSERT_TRUE(g_menuUp) << at.x;
            EXPECT_EQ(g_menuRect.left, at.x - 50);
            EXPECT_EQ(g_menuRect.top, at.y);
            EXPECT_GT(g_menuRect.bottom - g_menuRect.top, 20);  // three items
        }
        EXPECT_TRUE(h.Platform().shellRequests.empty());
    });
}

TEST(Win32Tray, ADoubleClickBringsTheMinimisedWindowBackToTheFront) {
    Harness h;
    h.Run([](Harness& h) {
        ::ShowWindow(h.Main(), SW_MINIMIZE);
        ASSERT_TRUE(h.PumpUntil([&] { return ::IsIconic(h.Main()) != 0; }));
        ::SendMessageA(h.Main(), WM_TRAYNOTIFY, TRAY_ICON_ID, WM_LBUTTONDBLCLK);
        EXPECT_TRUE(h.PumpUntil([&] { return !::IsIconic(h.Main()); }));
        EXPECT_TRUE(::IsWindowVisible(h.Main()));
        // Another identifier, or another gesture, does nothing.
        ::ShowWindow(h.Main(), SW_MINIMIZE);
        ::SendMessageA(h.Main(), WM_TRAYNOTIFY, TRAY_ICON_ID + 1, WM_LBUTTONDBLCLK);
        ::SendMessageA(h.Main(), WM_TRAYNOTIFY, TRAY_ICON_ID, WM_LBUTTONDOWN);
        EXPECT_TRUE(::IsIconic(h.Main()));
        EXPECT_TRUE(h.Platform().shellRequests.empty());
    });
}

}  // namespace
}  // namespace brindlecot::win32::testing
