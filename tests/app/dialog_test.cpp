// The main window's own behaviour: initialisation and destruction order, ending the run, the
// system menu and About box, the minimised drawing, Help, and the message map's dispatch.
#include <map>

#include "resources/dialog_layout.h"
#include "resources/strings.h"
#include "support/dialog_fixture.h"

namespace brindlecot {
namespace {

class InitDialogTest : public DialogTest {
  protected:
    void SetUp() override {}  // each test opens the window itself
};

TEST_F(InitDialogTest, StepsRunInOrderAndShowTheEmptyFields) {
    Open();
    const int menuSep = platform.LogIndex("AppendSystemMenu 2048 0");
    const int menuItem = platform.LogIndex("AppendSystemMenu 0 16 &About Brindlecot...");
    const int bigIcon = platform.LogIndex("SetIcon 1");
    const int smallIcon = platform.LogIndex("SetIcon 0");
    const int trayAdd = platform.LogIndex("TrayIcon add");
    const int columns = platform.LogIndex("InsertColumn 0 Site Title");
    const int load = platform.LogIndex("ReadFile brcot.dat");
    ASSERT_GE(menuSep, 0);
    EXPECT_LT(menuSep, menuItem);
    EXPECT_LT(menuItem, bigIcon);
    EXPECT_LT(bigIcon, smallIcon);
    EXPECT_LT(smallIcon, trayAdd);
    EXPECT_LT(trayAdd, columns);
    ASSERT_GE(load, 0);
    EXPECT_LT(columns, load);
    EXPECT_EQ(w->icons[win::kIconBig], dlg.m_hIcon);
    EXPECT_EQ(w->icons[win::kIconSmall], dlg.m_hIcon);

    // The framework filled the sort-order list and showed the empty members.
    ASSERT_EQ(w->ComboGetCount(IDC_SORTORDER), 50);
    EXPECT_EQ(w->ItemText(IDC_SORTORDER, 0), "01");
    EXPECT_EQ(w->ItemText(IDC_SORTORDER, 9), "10");
    EXPECT_EQ(w->ItemText(IDC_SORTORDER, 49), "50");
    EXPECT_EQ(Field(IDC_COUNT), "0");
    EXPECT_EQ(Field(IDC_TITLE), "");
    EXPECT_EQ(Field(IDC_TARGET), "");
    EXPECT_EQ(w->list.headers, (Strings{"Site Title", "Program/Site URL", "Sort Order"}));
    EXPECT_EQ(w->list.extendedStyle, win::kLvsExFullRowSelect);
}

TEST_F(InitDialogTest, InitialisationReturnsTrueSoThePlatformFocusesTheTitleField) {
    fake::FakePlatform other;
    CBrindlecotDlg dlg2(other);
    struct Probe : platform::IDialogHandler {
        CBrindlecotDlg& inner;
        win::LRESULT initResult = -1;
        explicit Probe(CBrindlecotDlg& d) : inner(d) {}
        void Attach(platform::IDialogWindow& wnd) override { inner.Attach(wnd); }
        void Detach() override { inner.Detach(); }
        bool OnMessage(win::UINT m, win::WPARAM wp, win::LPARAM lp, win::LRESULT& r) override {
            const bool handled = inner.OnMessage(m, wp, lp, r);
            if (m == win::kWmInitDialog)
                initResult = r;
            return handled;
        }
    } probe(dlg2);
    auto& w2 = other.Open(probe, IDD_BRINDLECOT_DIALOG);
    EXPECT_EQ(probe.initResult, 1);
    other.Close(w2);
}

TEST_F(InitDialogTest, WithoutASystemMenuNoAboutItemIsAddedAndStartUpGoesOn) {
    // The fake lets a test take the system menu away before the dialog initialises.
    struct NoMenu : platform::IDialogHandler {
        CBrindlecotDlg& inner;
        explicit NoMenu(CBrindlecotDlg& d) : inner(d) {}
        void Attach(platform::IDialogWindow& wnd) override {
            static_cast<fake::FakeDialogWindow&>(wnd).hasSystemMenu = false;
            inner.Attach(wnd);
        }
        void Detach() override { inner.Detach(); }
        bool OnMessage(win::UINT m, win::WPARAM wp, win::LPARAM lp, win::LRESULT& r) override {
            return inner.OnMessage(m, wp, lp, r);
        }
    } handler(dlg);
    w = &platform.Open(handler, IDD_BRINDLECOT_DIALOG);
    EXPECT_TRUE(w->systemMenu.empty());
    EXPECT_TRUE(platform.Logged("TrayIcon add"));
    EXPECT_TRUE(platform.Logged("InsertColumn 2 Sort Order"));
    platform.Close(*w);
}

TEST_F(DialogTest, DestructionReadsTheFieldsThenSavesThenRemovesTheTrayIcon) {
    platform.log.clear();
    w->Type(IDC_TITLE, "typed");
    CloseWindow();
    const int trayDelete = platform.LogIndex("TrayIcon remove");
    ASSERT_GE(trayDelete, 0);
    EXPECT_EQ(trayDelete, static_cast<int>(platform.log.size()) - 1);
    const int save = platform.LogIndex("ReplaceContent");
    ASSERT_GE(save, 0);
    EXPECT_LT(save, trayDelete);
    // The fields were read. (The save shows the members again, which turns a typed sort order
    // such as 5 into its list item, so the title is the field to look at.)
    EXPECT_EQ(dlg.m_strTitle, "typed");
}

TEST_F(DialogTest, SessionEndDoesTheEndOfRunWorkOnceAndOnlyWhenTheSessionEnds) {
    w->Send(win::kWmEndSession, 0, 0);  // the session goes on after all
    EXPECT_FALSE(platform.Logged("TrayIcon remove"));
    w->Type(IDC_TITLE, "typed late");
    w->Send(win::kWmEndSession, 1, 0);
    EXPECT_EQ(dlg.m_strTitle, "typed late");
    EXPECT_TRUE(platform.Logged("TrayIcon remove"));
    w->Send(win::kWmEndSession, 1, 0);
    CloseWindow();
    int deletes = 0;
    for (const auto& r : platform.trayRequests)
        deletes += r.what == "remove";
    EXPECT_EQ(deletes, 1);
}

TEST_F(DialogTest, QuitReadsTheFieldsAndEndsWithOneEscapeEndsWithTwo) {
    w->Type(IDC_TITLE, "x");
    w->Click(win::kIdOk);
    EXPECT_TRUE(w->ended);
    EXPECT_EQ(w->endResult, win::kIdOk);
    EXPECT_EQ(dlg.m_strTitle, "x");

    CBrindlecotDlg other(platform);
    auto& w2 = platform.Open(other, IDD_BRINDLECOT_DIALOG);
    w2.Type(IDC_TITLE, "not read");
    w2.Click(win::kIdCancel);
    EXPECT_EQ(w2.endResult, win::kIdCancel);
    EXPECT_EQ(other.m_strTitle, "");
    platform.Close(w2);
}

TEST_F(DialogTest, SystemMenuAboutItemRunsTheAboutBoxOtherCommandsGetDefaultHandling) {
    bool aboutSeen = false;
    platform.modalScripts[IDD_ABOUTBOX] = [&](fake::FakeDialogWindow& about) {
        aboutSeen = true;
        about.Click(win::kIdOk);
        EXPECT_TRUE(about.ended);
    };
    // The low four bits are the system's own and are ignored.
    w->Send(win::kWmSysCommand, IDM_ABOUTBOX | 0x3, 0);
    EXPECT_TRUE(aboutSeen);
    // No owner was given: the framework makes the active window, the main window, its owner.
    EXPECT_TRUE(platform.Logged("DoModal 100 " + std::to_string(w->Handle())));
    EXPECT_FALSE(platform.Logged("DefaultProcessing 274 "));  // WM_SYSCOMMAND was handled

    // Every other command is left to the platform's default processing, untouched.
    aboutSeen = false;
    platform.log.clear();
    win::LRESULT result = 0;
    EXPECT_FALSE(dlg.OnMessage(win::kWmSysCommand, win::kScMinimize, 0, result));
    EXPECT_FALSE(dlg.OnMessage(win::kWmSysCommand, win::kScClose | 0x2, 0, result));
    EXPECT_FALSE(aboutSeen);
    EXPECT_FALSE(w->ended);
    EXPECT_TRUE(platform.log.empty());
}

TEST_F(DialogTest, MinimisedPaintCentresTheIconTruncatingTowardZero) {
    w->iconic = true;
    w->clientSize = {160, 39};
    w->Send(win::kWmPaint);
    EXPECT_TRUE(platform.Logged("PaintIconic " + std::to_string(dlg.m_hIcon) + " 64 4"));
    platform.log.clear();
    w->clientSize = {20, 20};  // smaller than the icon: (20 - 32 + 1) / 2 is -5, not -6
    w->Send(win::kWmPaint);
    EXPECT_TRUE(platform.Logged("PaintIconic " + std::to_string(dlg.m_hIcon) + " -5 -5"));
    w->iconic = false;
    platform.log.clear();
    win::LRESULT result = 0;
    EXPECT_FALSE(dlg.OnMessage(win::kWmPaint, 0, 0, result));  // the ordinary painting
    EXPECT_TRUE(platform.log.empty());
    EXPECT_EQ(w->Send(win::kWmQueryDragIcon), static_cast<win::LRESULT>(dlg.m_hIcon));
}

TEST_F(DialogTest, HelpOpensTheHelpPageHiddenAndReappliesTheSortOrderRule) {
    w->Type(IDC_SORTORDER, "3");
    w->Click(IDC_HELPBUTTON);
    ASSERT_EQ(platform.shellRequests.size(), 1u);
    const auto& r = platform.shellRequests[0];
    EXPECT_EQ(r.operation, "open");
    EXPECT_EQ(r.file, BRINDLECOT_CONFIGURED_HELP_URL);  // whatever address the build was given
    EXPECT_FALSE(r.parameters);
    EXPECT_FALSE(r.directory);
    EXPECT_EQ(r.showCommand, win::kSwHide);
    EXPECT_EQ(Field(IDC_SORTORDER), "30");
}

TEST_F(DialogTest, F1OpensTheHelpFileOnlyWhenThereIsOneAndUnknownMessagesAreLeftToThePlatform) {
    // No help file beside the program: nothing is opened.
    w->Send(win::kWmCommand, win::MakeWParam(win::kIdHelp, 0), 0);
    EXPECT_TRUE(platform.Logged("IsFile /opt/brindlecot/Brindlecot.HLP"));
    EXPECT_TRUE(platform.shellRequests.empty());
    platform.existingFiles.insert("/opt/brindlecot/Brindlecot.HLP");
    w->Send(win::kWmCommand, win::MakeWParam(win::kIdHelp, 0), 0);
    ASSERT_EQ(platform.shellRequests.size(), 1u);
    EXPECT_EQ(platform.shellRequests[0].operation, "open");
    EXPECT_EQ(platform.shellRequests[0].file, "/opt/brindlecot/Brindlecot.HLP");
    EXPECT_EQ(platform.shellRequests[0].showCommand, win::kSwShowNormal);
    EXPECT_EQ(platform.shellRequests[0].owner, w->Handle());
    win::LRESULT result = 0;
    EXPECT_FALSE(dlg.OnMessage(0x7777, 0, 0, result));
    EXPECT_FALSE(dlg.OnMessage(win::kWmCommand, win::MakeWParam(4242, 0), 0, result));
    // A notification from another control does not reach the list's handlers.
    win::NmHdr other{IDC_TITLE, win::kNmClick};
    EXPECT_FALSE(
        dlg.OnMessage(win::kWmNotify, IDC_TITLE, reinterpret_cast<win::LPARAM>(&other), result));
}

TEST_F(DialogTest, CommandRangeCoversExactlyTheTrayMenuIdentifiers) {
    win::LRESULT result = 0;
    EXPECT_TRUE(dlg.OnMessage(win::kWmCommand, ID_TRAYMENU_FIRST, 0, result));
    EXPECT_TRUE(dlg.OnMessage(win::kWmCommand, ID_TRAYMENU_LAST, 0, result));
    EXPECT_FALSE(dlg.OnMessage(win::kWmCommand, ID_TRAYMENU_FIRST - 1, 0, result));
    EXPECT_FALSE(dlg.OnMessage(win::kWmCommand, ID_TRAYMENU_LAST + 1, 0, result));
}

// Screen readers name a field by its label: Windows takes the static text just before the field
// in template order, the Qt front end makes that static the field's buddy. The labels are no tab
// stops, so the fields keep the tab order they always had.
TEST(MainWindowLayout, EveryFieldFollowsItsLabelAndTheTabOrderIsTheFieldsOwn) {
    using K = resources::ControlKind;
    const std::map<int, std::string> labels = {{IDC_TITLE, "Title:"},
                                               {IDC_TARGET, "Program/URL:"},
                                               {IDC_SORTORDER, "Sort"},
                                               {IDC_LIST, "Entries"},
                                               {IDC_COUNT, "Number of entries"}};
    const auto& controls = resources::MainDialogTemplate().controls;
    std::vector<int> tabOrder;
    for (size_t i = 0; i < controls.size(); ++i) {
        const auto& c = controls[i];
        if (c.style & resources::kTabStop)
            tabOrder.push_back(c.id);
        if (c.kind == K::Static) {
            EXPECT_FALSE(c.style & resources::kTabStop) << c.text;
        }
        if (c.kind != K::Edit && c.kind != K::ComboDropDown && c.kind != K::ListView)
            continue;
        ASSERT_GT(i, 0u);
        const auto& label = controls[i - 1];
        EXPECT_EQ(label.kind, K::Static) << c.id;
        EXPECT_EQ(label.text, labels.at(c.id)) << c.id;
        // A label that was never on screen adds nothing to it.
        const bool invisible = c.id == IDC_LIST || c.id == IDC_COUNT;
        EXPECT_EQ(label.cx * label.cy == 0, invisible) << c.id;
    }
    EXPECT_EQ(tabOrder, (std::vector<int>{IDC_TITLE, IDC_TARGET, IDC_SORTORDER, IDC_BROWSE, 1,
                                          IDC_TEST, IDC_ADD, IDC_REMOVE, IDC_UPDATE, IDC_CLEAR,
                                          IDC_CLEARALL, IDC_HELPBUTTON, IDC_LIST, IDC_COUNT}));
}

}  // namespace
}  // namespace brindlecot
