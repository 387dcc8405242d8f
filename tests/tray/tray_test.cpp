// The tray icon, what the user does with it, the tray menu, and launching targets through the
// shell.
#include <utility>

#include "support/dialog_fixture.h"

namespace brindlecot {
namespace {

using TrayTest = DialogTest;

TEST_F(TrayTest, TheIconIsShownAtStartWithItsTipAndRemovedAtTheEnd) {
    ASSERT_EQ(platform.trayRequests.size(), 1u);
    const auto& added = platform.trayRequests[0];
    EXPECT_EQ(added.what, "add");
    EXPECT_EQ(added.icon.window, w->Handle());
    EXPECT_EQ(added.icon.id, TRAY_ICON_ID);
    EXPECT_EQ(added.icon.image, static_cast<platform::IconHandle>(0x10000 + 128));
    EXPECT_EQ(added.icon.tip, "Brindlecot");
    EXPECT_EQ(platform.TrayEvents(w->Handle(), TRAY_ICON_ID), &dlg);
    const auto owner = w->Handle();
    CloseWindow();
    ASSERT_EQ(platform.trayRequests.size(), 2u);
    EXPECT_EQ(platform.trayRequests[1].what, "remove");
    EXPECT_EQ(platform.trayRequests[1].icon.window, owner);
    EXPECT_EQ(platform.trayRequests[1].icon.id, TRAY_ICON_ID);
    // Nothing hears the icon's events once the window is gone.
    EXPECT_EQ(platform.TrayEvents(owner, TRAY_ICON_ID), nullptr);
}

TEST_F(TrayTest, ADoubleClickRestoresRaisesAndFocusesTheWindow) {
    w->iconic = true;
    platform.log.clear();
    EXPECT_EQ(w->TrayNotify(TRAY_ICON_ID, win::kWmLButtonDblClk), 1);
    EXPECT_EQ(platform.log, (Strings{"GetCursorPos", "ShowWindow 9", "SetWindowPos 0 0 0 0 0 67",
                                     "SetForegroundWindow"}));
    EXPECT_FALSE(w->iconic);
}

TEST_F(TrayTest, OtherMouseMessagesAndOtherIconsDoNothingButReadThePointer) {
    Add("a", "a.exe", "01");
    const win::LPARAM ignored[] = {win::kWmMouseMove, win::kWmLButtonDown,   win::kWmLButtonUp,
                                   win::kWmRButtonUp, win::kWmRButtonDblClk, win::kWmMButtonDown,
                                   win::kWmMButtonUp, win::kWmMButtonDblClk};
    for (const win::LPARAM m : ignored) {
        platform.log.clear();
        EXPECT_EQ(w->TrayNotify(TRAY_ICON_ID, m), 1);
        EXPECT_EQ(platform.log, (Strings{"GetCursorPos"})) << m;
    }
    for (const win::LPARAM m : {win::kWmLButtonDblClk, win::kWmRButtonDown}) {
        platform.log.clear();
        EXPECT_EQ(w->TrayNotify(127, m), 1);
        EXPECT_EQ(platform.log, (Strings{"GetCursorPos"}));
    }
    EXPECT_TRUE(platform.trackedMenus.empty());
}

TEST_F(TrayTest, TheRightButtonTracksAMenuOfTitlesRowZeroAtTheBottom) {
    Add("A", "a.exe", "01");
    Add("B", "b.exe", "02");
    Add("C", "c.exe", "03");
    platform.cursor = {1000, 740};
    w->TrayNotify(TRAY_ICON_ID, win::kWmRButtonDown);
    ASSERT_EQ(platform.trackedMenus.size(), 1u);
    const auto& menu = platform.trackedMenus[0];
    ASSERT_EQ(menu.items.size(), 3u);
    EXPECT_EQ(menu.items[0].text, "C");
    EXPECT_EQ(menu.items[0].id, 5003u);
    EXPECT_EQ(menu.items[2].text, "A");
    EXPECT_EQ(menu.items[2].id, 5001u);
    EXPECT_EQ(menu.flags, win::kTpmRightButton);
    EXPECT_EQ(menu.x, 950);
    EXPECT_EQ(menu.y, 740);
    EXPECT_EQ(menu.owner, w->Handle());
    EXPECT_EQ(platform.liveMenus, 0);
    EXPECT_LT(platform.LogIndex("TrackPopupMenu"), platform.LogIndex("DestroyMenu"));
    EXPECT_TRUE(platform.shellRequests.empty());  // closed without a choice
    EXPECT_EQ(Field(IDC_TITLE), "C");             // and no field changed
}

TEST_F(TrayTest, AnEmptyMenuIsTrackedAndDestroyedAndAFailedMenuIsNotTracked) {
    w->TrayNotify(TRAY_ICON_ID, win::kWmRButtonDown);
    ASSERT_EQ(platform.trackedMenus.size(), 1u);
    EXPECT_TRUE(platform.trackedMenus[0].items.empty());
    EXPECT_EQ(platform.liveMenus, 0);

    platform.popupMenusFail = true;
    w->TrayNotify(TRAY_ICON_ID, win::kWmRButtonDown);
    EXPECT_EQ(platform.trackedMenus.size(), 1u);
}

TEST_F(TrayTest, WithFiftyEntriesEveryItemOpensItsOwnRow) {
    for (int i = 0; i < 50; ++i) {
        const std::string n = (i < 9 ? "0" : "") + std::to_string(i + 1);
        Add("title" + n, "target" + n, n);
    }
    w->TrayNotify(TRAY_ICON_ID, win::kWmRButtonDown);
    const auto items = platform.trackedMenus.at(0).items;
    ASSERT_EQ(items.size(), 50u);
    EXPECT_EQ(items.front().id, ID_TRAYMENU_LAST);
    EXPECT_EQ(items.back().id, ID_TRAYMENU_FIRST);
    for (const auto& item : items) {
        platform.shellRequests.clear();
        platform.menuChoice = [&](const auto&) { return item.id; };
        w->TrayNotify(TRAY_ICON_ID, win::kWmRButtonDown);
        ASSERT_EQ(platform.shellRequests.size(), 1u);
        const int row = static_cast<int>(item.id - ID_TRAYMENU_FIRST);
        EXPECT_EQ(platform.shellRequests[0].file, dlg.m_listEntries.GetItemText(row, COL_TARGET));
        EXPECT_EQ(Field(IDC_TITLE), item.text);
    }
}

TEST_F(TrayTest, EqualTitlesOpenTheirOwnTargets) {
    Add("Same", "first.exe", "01");
    Add("Same", "second.exe", "02");
    for (unsigned id : {5001u, 5002u}) {
        platform.shellRequests.clear();
        platform.menuChoice = [id](const auto&) { return id; };
        w->TrayNotify(TRAY_ICON_ID, win::kWmRButtonDown);
        ASSERT_EQ(platform.shellRequests.size(), 1u);
        EXPECT_EQ(platform.shellRequests[0].file, id == 5001u ? "first.exe" : "second.exe");
        EXPECT_EQ(Field(IDC_TARGET), platform.shellRequests[0].file);
        EXPECT_EQ(Field(IDC_SORTORDER), id == 5001u ? "01" : "02");
    }
    EXPECT_FALSE(platform.Logged("ShowWindow"));  // the window is neither shown nor hidden
}

// A desktop that shows the menu itself asks for its items and reports the choice; one that
// only reports presses gets the same restore and the same menu as the callback message gives.
TEST_F(TrayTest, ADesktopGetsTheItemsLastRowOnTopAndItsChoiceOpensThatRow) {
    Add("A", "a.exe", "01");
    Add("B", "b.exe", "02");
    Add("C", "c.exe", "03");
    platform::ITrayEvents* events = platform.TrayEvents(w->Handle(), TRAY_ICON_ID);
    ASSERT_NE(events, nullptr);
    EXPECT_EQ(events->TrayMenuItems(),
              (std::vector<platform::TrayMenuItem>{{5003, "C"}, {5002, "B"}, {5001, "A"}}));
    events->OnTrayItemChosen(5002);
    ASSERT_EQ(platform.shellRequests.size(), 1u);
    EXPECT_EQ(platform.shellRequests[0].file, "b.exe");
    EXPECT_EQ(Field(IDC_TITLE), "B");

    // A choice from a menu shown before the table shrank: its row is gone, nothing opens.
    w->ClickRow(0);
    w->Click(IDC_REMOVE);
    ASSERT_EQ(events->TrayMenuItems().size(), 2u);
    platform.shellRequests.clear();
    events->OnTrayItemChosen(5003);
    events->OnTrayItemChosen(5000);
    events->OnTrayItemChosen(0);
    EXPECT_TRUE(platform.shellRequests.empty());
}

// A desktop that keeps its own copy of the menu hears of every change of the table's rows,
// once per message, and of nothing else: a selection, a reload of the same fields, a refused
// entry that leaves the order as it was.
TEST_F(TrayTest, TheDesktopHearsThatTheMenuChangedWhenTheRowsChangeAndOnlyThen) {
    const auto changes = [&] { return std::exchange(platform.trayMenuChanges, {}); };
    const std::vector<unsigned> once{TRAY_ICON_ID};
    Add("B", "b.exe", "02");
    EXPECT_EQ(changes(), once);
    Add("A", "a.exe", "01");  // inserted and the table sorted, in one message
    EXPECT_EQ(changes(), once);
    w->ClickRow(1);
    w->ClickRow(1);
    EXPECT_EQ(changes(), std::vector<unsigned>{});
    Fill("B2", "b.exe", "02");
    w->Click(IDC_UPDATE);
    EXPECT_EQ(changes(), once);
    Add("", "", "");  // refused: a box, and the table sorted by sort order as it was
    EXPECT_EQ(changes(), std::vector<unsigned>{});
    w->ClickHeader(COL_TARGET);
    EXPECT_EQ(changes(), once);
    w->ClickRow(0);
    w->Click(IDC_REMOVE);
    EXPECT_EQ(changes(), once);
    CloseWindow();  // the icon goes with the window: nobody is told of its menu
    EXPECT_EQ(changes(), std::vector<unsigned>{});
}

TEST_F(TrayTest, ReportedRestoreAndMenuDoWhatTheCallbackMessagesDo) {
    Add("A", "a.exe", "01");
    platform::ITrayEvents* events = platform.TrayEvents(w->Handle(), TRAY_ICON_ID);
    ASSERT_NE(events, nullptr);
    w->iconic = true;
    platform.log.clear();
    events->OnTrayRestore();
    EXPECT_EQ(platform.log,
              (Strings{"ShowWindow 9", "SetWindowPos 0 0 0 0 0 67", "SetForegroundWindow"}));
    events->OnTrayMenuAt({300, 20});
    ASSERT_EQ(platform.trackedMenus.size(), 1u);
    EXPECT_EQ(platform.trackedMenus[0].x, 250);
    EXPECT_EQ(platform.trackedMenus[0].y, 20);
    ASSERT_EQ(platform.trackedMenus[0].items.size(), 1u);
    EXPECT_EQ(platform.trackedMenus[0].items[0].text, "A");
}

TEST_F(TrayTest, TheShowCommandIsHiddenOnlyForALeadingLowerCaseHttpScheme) {
    const std::pair<std::string, int> cases[] = {
        {"http://example.org/", win::kSwHide},
        {"http://", win::kSwHide},
        {"HTTP://example.org/", win::kSwShow},
        {"Http://x", win::kSwShow},
        {"https://example.org/", win::kSwShow},
        {"example.org", win::kSwShow},
        {" http://example.org/", win::kSwShow},
        {"/usr/bin/gimp", win::kSwShow},
        {"", win::kSwShow},
        {"http:/", win::kSwShow},
    };
    for (const auto& [target, show] : cases) {
        platform.shellRequests.clear();
        dlg.LaunchTarget(target);
        ASSERT_EQ(platform.shellRequests.size(), 1u);
        EXPECT_EQ(platform.shellRequests[0].showCommand, show) << target;
        EXPECT_EQ(platform.shellRequests[0].file, target);
    }
}

TEST_F(TrayTest, TestOpensTheEditedTargetFieldNotTheMarkedRow) {
    Add("a", "a.exe", "01");
    w->ClickRow(0);
    w->Type(IDC_TARGET, "edited.exe --flag");
    w->Type(IDC_SORTORDER, "4");
    w->Click(IDC_TEST);
    ASSERT_EQ(platform.shellRequests.size(), 1u);
    EXPECT_EQ(platform.shellRequests[0].file, "edited.exe --flag");
    EXPECT_EQ(Targets(), (Strings{"a.exe"}));
    EXPECT_EQ(Field(IDC_SORTORDER), "40");  // the members were shown again
}

// A target is one string for the shell: never split into a program and arguments, quoted,
// expanded or given to a command interpreter. Each front end's launcher is held to these.
TEST_F(TrayTest, TargetsReachTheShellUnchangedAsOneString) {
    const std::string hostile[] = {
        "notes.txt; rm -rf ~",
        "a && b",
        "a | tee /tmp/x",
        "$(touch /tmp/pwned)",
        "`id`",
        "\"quoted\" 'single'",
        "-rf",
        "--help",
        "  leading and trailing  ",
        "C:\\Program Files\\App\\app.exe /arg",
        "%PATH% ${HOME} ~",
        "http://example.org/?a=1&b=2;c",
    };
    for (const auto& target : hostile) {
        platform.shellRequests.clear();
        w->Type(IDC_TARGET, target);
        w->Click(IDC_TEST);
        ASSERT_EQ(platform.shellRequests.size(), 1u);
        const auto& r = platform.shellRequests[0];
        EXPECT_EQ(r.operation, "open");
        EXPECT_EQ(r.file, target);
        EXPECT_FALSE(r.parameters.has_value());
        EXPECT_FALSE(r.directory.has_value());
        EXPECT_EQ(r.owner, 0u);
    }
}

}  // namespace
}  // namespace brindlecot
