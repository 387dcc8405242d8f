// Start-up: the sockets check, the owner window and the one modal run of the main window.
#include <gtest/gtest.h>

#include "app/brindlecot_app.h"
#include "resources/resource.h"
#include "support/fake_platform.h"

namespace brindlecot {
namespace {

TEST(InitInstance, SocketsFailureShowsOneBoxAndEndsWithoutAWindow) {
    struct Case {
        int result;
        std::uint16_t reported;
        int cleanups;  // the library is released only when it started in the wrong version
    };
    for (const Case c :
         {Case{10091, 0x0101, 0}, Case{0, 0x0202, 1}, Case{0, 0x0001, 1}, Case{0, 0x0100, 1}}) {
        fake::FakePlatform platform;
        platform.wsaResult = c.result;
        platform.wsaReportedVersion = c.reported;
        CBrindlecotApp app(platform);
        EXPECT_FALSE(app.InitInstance());
        ASSERT_EQ(platform.boxes.size(), 1u);
        // The application's box, with no window to own it yet.
        EXPECT_EQ(platform.boxes[0].caption, "Brindlecot");
        EXPECT_EQ(platform.boxes[0].owner, 0u);
        EXPECT_EQ(platform.boxes[0].text, "Windows sockets initialization failed.");
        EXPECT_EQ(platform.boxes[0].type, win::kMbOk | win::kMbIconExclamation);
        EXPECT_EQ(platform.wsaCleanups, c.cleanups);
        EXPECT_FALSE(platform.Logged("CreateOwnerWindow"));
        EXPECT_FALSE(platform.Logged("DoModal"));
        EXPECT_FALSE(platform.Logged("TrayIcon"));
        EXPECT_FALSE(platform.Logged("ReadFile"));
        EXPECT_FALSE(platform.Logged("ReplaceContent"));
    }
}

TEST(InitInstance, RunsTheMainWindowOnceOwnedByTheInvisibleWindow) {
    fake::FakePlatform platform;
    CBrindlecotApp app(platform);
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(platform.log.front(), "WSAStartup 257");
    ASSERT_NE(platform.ownerWindow, 0u);
    EXPECT_EQ(app.m_wndOwner, platform.ownerWindow);
    EXPECT_TRUE(platform.Logged("DoModal 102 " + std::to_string(platform.ownerWindow)));
    EXPECT_LT(platform.LogIndex("CreateOwnerWindow"), platform.LogIndex("DoModal"));
    EXPECT_EQ(platform.wsaCleanups, 0);
    EXPECT_TRUE(platform.boxes.empty());
    // The run ended (the fake user pressed Escape) and the window was destroyed.
    EXPECT_TRUE(platform.Logged("EndDialog 2"));
    EXPECT_TRUE(platform.Logged("TrayIcon remove"));
}

TEST(InitInstance, WithoutAnOwnerWindowTheMainWindowRunsUnowned) {
    fake::FakePlatform platform;
    platform.ownerWindowFails = true;
    CBrindlecotApp app(platform);
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(app.m_wndOwner, 0u);
    EXPECT_TRUE(platform.Logged("DoModal 102 0"));
    EXPECT_TRUE(platform.boxes.empty());
}

TEST(InitInstance, QuitEndsTheRunWithResultOneAfterReadingTheFields) {
    fake::FakePlatform platform;
    platform.modalScripts[IDD_BRINDLECOT_DIALOG] = [](fake::FakeDialogWindow& w) {
        w.Type(IDC_TITLE, "typed");
        w.Click(win::kIdOk);
    };
    CBrindlecotApp app(platform);
    app.InitInstance();
    EXPECT_TRUE(platform.Logged("EndDialog 1"));
    EXPECT_FALSE(platform.Logged("EndDialog 2"));
}

}  // namespace
}  // namespace brindlecot
