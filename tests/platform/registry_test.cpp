// The registry of open dialogs and icons that every front end looks its windows up in.
#include <gtest/gtest.h>

#include "app/framework.h"
#include "resources/resource.h"
#include "support/fake_platform.h"

namespace brindlecot {
namespace {

TEST(Registry, TheNewestOpenDialogIsActiveAndClosingAnyLeavesTheOthersInOrder) {
    fake::FakePlatform platform;
    CDialog main(platform, IDD_BRINDLECOT_DIALOG);
    CDialog about(platform, IDD_ABOUTBOX);
    CDialog second(platform, IDD_ABOUTBOX);
    EXPECT_EQ(platform.ActiveWindow(), 0u);

    fake::FakeDialogWindow& m = platform.Open(main, IDD_BRINDLECOT_DIALOG);
    fake::FakeDialogWindow& a = platform.Open(about, IDD_ABOUTBOX);
    fake::FakeDialogWindow& s = platform.Open(second, IDD_ABOUTBOX);
    const platform::Registry& r = platform.Windows();
    EXPECT_EQ(platform.ActiveWindow(), s.Handle());
    EXPECT_EQ(r.Dialogs(), (std::vector<platform::IDialogWindow*>{&m, &a, &s}));
    EXPECT_EQ(r.Dialog(a.Handle()), &a);
    EXPECT_EQ(r.Dialog(0), nullptr);
    EXPECT_EQ(r.DialogOf(IDD_ABOUTBOX), &s);  // the newest of the template
    EXPECT_EQ(r.DialogOf(IDD_BRINDLECOT_DIALOG), &m);

    const platform::WindowHandle aHandle = a.Handle();
    platform.Close(a);  // not the newest
    EXPECT_EQ(r.Dialog(aHandle), nullptr);
    EXPECT_EQ(platform.ActiveWindow(), s.Handle());
    platform.Close(s);
    EXPECT_EQ(platform.ActiveWindow(), m.Handle());
    EXPECT_EQ(r.DialogOf(IDD_ABOUTBOX), nullptr);
    platform.Close(m);
    EXPECT_EQ(platform.ActiveWindow(), 0u);
    EXPECT_TRUE(r.Dialogs().empty());
}

class NoEvents : public platform::ITrayEvents {
  public:
    std::vector<platform::TrayMenuItem> TrayMenuItems() override { return {}; }
    void OnTrayRestore() override {}
    void OnTrayMenuAt(platform::Point) override {}
    void OnTrayItemChosen(unsigned) override {}
};

// The front end hears only of real changes: one icon per window and identifier, a request
// that shows nothing new reaches no one, and an icon that is not there is not removed.
TEST(Registry, AnIconIsAddedOnceChangedOnlyWhenItShowsSomethingElseAndRemovedOnce) {
    fake::FakePlatform platform;
    NoEvents first;
    NoEvents second;
    platform::TrayIcon icon;
    icon.window = 0x100;
    icon.id = 128;
    icon.image = 7;
    icon.tip = "tip";
    platform.ShowTrayIcon(icon, first);
    platform.ShowTrayIcon(icon, second);  // the same again: only who hears it changes
    EXPECT_EQ(platform.TrayEvents(0x100, 128), &second);
    icon.tip = "other tip";
    platform.ShowTrayIcon(icon, second);
    icon.image = 8;
    platform.ShowTrayIcon(icon, second);

    platform::TrayIcon other = icon;
    other.id = 129;  // another icon of the same window
    platform.ShowTrayIcon(other, first);
    EXPECT_EQ(platform.Windows().IconsOf(0x100).size(), 2u);
    EXPECT_TRUE(platform.Windows().IconsOf(0x200).empty());

    platform.RemoveTrayIcon(0x100, 128);
    platform.RemoveTrayIcon(0x100, 128);
    platform.RemoveTrayIcon(0x200, 129);
    std::vector<std::string> what;
    for (const auto& request : platform.trayRequests)
        what.push_back(request.what + " " + std::to_string(request.icon.id));
    EXPECT_EQ(what, (std::vector<std::string>{"add 128", "modify 128", "modify 128", "add 129",
                                              "remove 128"}));
    EXPECT_EQ(platform.trayRequests[2].icon.image, 8u);
    EXPECT_EQ(platform.trayRequests[2].icon.tip, "other tip");
    EXPECT_EQ(platform.TrayEvents(0x100, 128), nullptr);
    EXPECT_EQ(platform.TrayEvents(0x100, 129), &first);
}

std::vector<std::string> Requests(const fake::FakePlatform& platform) {
    std::vector<std::string> what;
    for (const auto& request : platform.trayRequests) {
        what.push_back(request.what + " " + std::to_string(request.icon.id) +
                       (request.what == "remove" ? "" : " " + request.icon.tip));
    }
    return what;
}

// An icon of a dialog that has not drawn its first frame waits, held as last asked for: it
// reaches the notification area after that frame, or before a box if one comes first. A
// change or removal of a waiting icon reaches no one, and a tray created anew gets back only
// the icons it had.
TEST(Registry, IconsOfADialogWaitForItsFirstFrameOrABox) {
    fake::FakePlatform platform;
    platform.iconsWaitForFirstFrame = true;
    CDialog main(platform, IDD_BRINDLECOT_DIALOG);
    CDialog about(platform, IDD_ABOUTBOX);
    const platform::WindowHandle m = platform.Open(main, IDD_BRINDLECOT_DIALOG).Handle();
    const platform::WindowHandle a = platform.Open(about, IDD_ABOUTBOX).Handle();
    NoEvents events;
    const auto show = [&](platform::WindowHandle window, unsigned id, const std::string& tip) {
        platform::TrayIcon icon;
        icon.window = window;
        icon.id = id;
        icon.image = 7;
        icon.tip = tip;
        platform.ShowTrayIcon(icon, events);
    };
    show(m, 128, "first");
    platform.TrayMenuChanged(m, 128);  // waiting: its menu is asked for when it is made
    show(m, 128, "second");            // still waiting: the change is held
    show(m, 129, "gone");
    platform.RemoveTrayIcon(m, 129);  // never shown, so never removed
    show(0x999, 130, "no dialog's");  // not a dialog's icon: nothing to wait for
    show(a, 131, "about");
    platform.AddTrayIconsAgain(m);  // the waiting icon is not there to be added again
    EXPECT_EQ(Requests(platform), (std::vector<std::string>{"add 130 no dialog's"}));
    EXPECT_EQ(platform.TrayEvents(m, 128), &events);  // it hears the user as soon as it shows

    platform.TrayMenuChanged(m, 133);  // no such icon
    EXPECT_EQ(platform.trayMenuChanges, std::vector<unsigned>{});

    platform.OnFirstFrame(m);
    EXPECT_EQ(Requests(platform),
              (std::vector<std::string>{"add 130 no dialog's", "add 128 second"}));
    platform.TrayMenuChanged(m, 128);
    EXPECT_EQ(platform.trayMenuChanges, std::vector<unsigned>{128});
    show(m, 128, "third");  // drawn: at once
    show(m, 132, "new");
    platform.trayRequests.clear();
    platform.AddTrayIconsAgain(m);
    EXPECT_EQ(Requests(platform), (std::vector<std::string>{"add 128 third", "add 132 new"}));

    // The About box has not drawn: a box brings its icon out first, and its first frame then
    // adds nothing more.
    platform.trayRequests.clear();
    platform.whileBoxShows = [&](const fake::FakePlatform::Box&) {
        EXPECT_EQ(Requests(platform), (std::vector<std::string>{"add 131 about"}));
    };
    platform.ShowMessageBox(a, "text", "caption", win::kMbOk);
    platform.OnFirstFrame(a);
    EXPECT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(Requests(platform), (std::vector<std::string>{"add 131 about"}));
    platform.RemoveTrayIcon(a, 131);
    EXPECT_EQ(Requests(platform), (std::vector<std::string>{"add 131 about", "remove 131"}));
}

// A dialog that opens anew has not drawn its first frame, whatever window had its handle.
TEST(Registry, OnlyAnOpenDialogAwaitsItsFirstFrame) {
    fake::FakePlatform platform;
    CDialog main(platform, IDD_BRINDLECOT_DIALOG);
    fake::FakeDialogWindow& w = platform.Open(main, IDD_BRINDLECOT_DIALOG);
    platform::Registry& r = platform.Windows();
    EXPECT_TRUE(r.AwaitsFirstFrame(w.Handle()));
    EXPECT_FALSE(r.AwaitsFirstFrame(0));
    EXPECT_FALSE(r.AwaitsFirstFrame(0x999));
    r.DialogDrawn(w.Handle());
    EXPECT_FALSE(r.AwaitsFirstFrame(w.Handle()));
    r.DialogOpened(w, IDD_BRINDLECOT_DIALOG);  // opened again
    EXPECT_TRUE(r.AwaitsFirstFrame(w.Handle()));
    platform.Close(w);
}

TEST(Registry, TemplatesAreFoundByTheirIdentifiersOnly) {
    ASSERT_NE(resources::FindDialogTemplate(IDD_BRINDLECOT_DIALOG), nullptr);
    EXPECT_EQ(resources::FindDialogTemplate(IDD_BRINDLECOT_DIALOG)->id, IDD_BRINDLECOT_DIALOG);
    ASSERT_NE(resources::FindDialogTemplate(IDD_ABOUTBOX), nullptr);
    EXPECT_EQ(resources::FindDialogTemplate(IDD_ABOUTBOX)->id, IDD_ABOUTBOX);
    EXPECT_EQ(resources::FindDialogTemplate(0), nullptr);
    EXPECT_EQ(resources::FindDialogTemplate(101), nullptr);
}

}  // namespace
}  // namespace brindlecot
