// The notification-area icon and its menu, and every way the program opens something: the
// tray menu, Test, Help and F1, through a stand-in for the desktop's opener.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>
#include <algorithm>

#include "app/brindlecot_dlg.h"
#include "frontend/qt/qt_tray.h"
#include "qt_test_support.h"
#include "qt_tests.h"
#include "resources/resource.h"

namespace brindlecot::qt::test {
namespace {

class TrayAndLaunchTest : public QObject {
    Q_OBJECT

    // The icon is added once the window's first frame is drawn.
    static QSystemTrayIcon* Tray(QtPlatform& platform, QtDialogWindow& w) {
        const bool added =
            QTest::qWaitFor([&] { return platform.TrayIcon(w.Handle(), TRAY_ICON_ID) != nullptr; });
        return added ? platform.TrayIcon(w.Handle(), TRAY_ICON_ID) : nullptr;
    }
    // Presses the right button on the icon; `choose` picks from the menu's texts, top to
    // bottom, an item by its index (or -1 to close the menu).
    static void RightClickTray(QSystemTrayIcon* tray, int choose,
                               QStringList* shownTexts = nullptr) {
        QStringList texts;
        PopupWatcher popup([&](QMenu* menu) {
            const QList<QAction*> actions = menu->actions();
            for (QAction* a : actions)
                texts << a->text();
            if (choose < 0) {
                QTest::keyClick(menu, Qt::Key_Escape);
            } else {
                QTest::mouseClick(menu, Qt::LeftButton, {},
                                  menu->actionGeometry(actions[choose]).center());
            }
        });
        emit tray->activated(QSystemTrayIcon::Context);
        QTRY_VERIFY(popup.Seen());
        QTRY_VERIFY(!QApplication::activePopupWidget());
        DeliverPostedMessages();  // the chosen item's command is posted as the menu closes
        if (shownTexts)
            *shownTexts = texts;
    }

  private slots:
    void theIconLastsForTheRunWithItsTip() {
        ScratchDirectory dir;
        QtPlatform platform;
        platform::WindowHandle handle = 0;
        RunProgram(platform, [&](QtDialogWindow& w) {
            handle = w.Handle();
            QSystemTrayIcon* tray = Tray(platform, w);
            QVERIFY(tray);
            QCOMPARE(tray->toolTip(), QStringLiteral("Brindlecot"));
            QVERIFY(!tray->icon().isNull());
        });
        QVERIFY(platform.TrayIcon(handle, TRAY_ICON_ID) == nullptr);
    }

    void theTrayMenuListsRowsBottomUpAndAChoiceOpensItsTarget() {
        ScratchDirectory dir;
        FakeOpener opener;
        QtPlatform platform;
        RunProgram(platform, [&](QtDialogWindow& w) {
            AddEntry(w, "A", "http://a.example/", "01");
            AddEntry(w, "B", "b.example", "02");
            AddEntry(w, "C", "some text with $(x) ; and `y`", "03");
            Click(w.Control(IDC_CLEAR));
            QSystemTrayIcon* tray = Tray(platform, w);

            QStringList texts;
            RightClickTray(tray, -1, &texts);
            QCOMPARE(texts, QStringList({"C", "B", "A"}));
            // Closed without a choice: nothing opens (the exact count of calls below
            // would show an opener started now and logged late).
            QVERIFY(opener.Calls().empty());
            QCOMPARE(FieldText(w, IDC_TITLE), QString());

            RightClickTray(tray, 2);  // the bottom item is row 0
            QCOMPARE(FieldText(w, IDC_TITLE), QStringLiteral("A"));
            QCOMPARE(FieldText(w, IDC_TARGET), QStringLiteral("http://a.example/"));
            QCOMPARE(FieldText(w, IDC_SORTORDER), QStringLiteral("01"));
            auto calls = opener.WaitForCalls(1);
            QCOMPARE(calls.size(), size_t(1));
            QCOMPARE(calls[0], QStringList({"http://a.example/"}));

            RightClickTray(tray, 0);
            calls = opener.WaitForCalls(2);
            QCOMPARE(calls.size(), size_t(2));
            QCOMPARE(calls[1], QStringList({"some text with $(x) ; and `y`"}));
        });
    }

    void anEmptyMenuIsShownAndOpensNothing() {
        ScratchDirectory dir;
        FakeOpener opener;
        QtPlatform platform;
        RunProgram(platform, [&](QtDialogWindow& w) {
            QStringList texts{"not shown"};
            RightClickTray(Tray(platform, w), -1, &texts);
            QCOMPARE(texts, QStringList());
            // Anything the menu opened was started before this, so it reaches the log first.
            TypeInto(w.Control(IDC_TARGET), "http://after.example/");
            Click(w.Control(IDC_TEST));
        });
        QCOMPARE(opener.WaitForCalls(1), std::vector<QStringList>({{"http://after.example/"}}));
    }

    // The program's icon is on its own windows, not on every popup: Qt would send all its
    // sizes to the X server at each opening of the tray menu.
    void theIconIsOnTheWindowsAndNotOnTheTrayMenu() {
        ScratchDirectory dir;
        QtPlatform platform;
        RunProgram(platform, [&](QtDialogWindow& w) {
            QVERIFY(!w.windowHandle()->icon().isNull());
            bool menuIcon = true;
            PopupWatcher popup([&](QMenu* menu) {
                menuIcon = !menu->windowHandle()->icon().isNull();
                QTest::keyClick(menu, Qt::Key_Escape);
            });
            emit Tray(platform, w)->activated(QSystemTrayIcon::Context);
            QTRY_VERIFY(popup.Seen());
            QVERIFY(!menuIcon);
        });
    }

    void aPressWhileTheMenuIsOpenClosesItAndOpensNoOther() {
        // A bar on Wayland passes the press on while the menu is open (no grab takes it).
        ScratchDirectory dir;
        QtPlatform platform;
        RunProgram(platform, [&](QtDialogWindow& w) {
            QSystemTrayIcon* tray = Tray(platform, w);
            QPointer<QMenu> first;
            bool secondShown = false;
            QTimer otherMenus;  // closes any menu besides the first, so that nothing hangs
            otherMenus.setInterval(10);
            connect(&otherMenus, &QTimer::timeout, [&] {
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                if (menu && first && menu != first) {
                    secondShown = true;
                    QTest::keyClick(menu, Qt::Key_Escape);
                    first->close();
                }
            });
            otherMenus.start();
            PopupWatcher popup([&](QMenu* menu) {
                first = menu;
                emit tray->activated(QSystemTrayIcon::Context);
                DeliverPostedMessages();
            });
            emit tray->activated(QSystemTrayIcon::Context);
            QTRY_VERIFY(popup.Seen());
            QTRY_VERIFY(!QApplication::activePopupWidget());
            QVERIFY(!secondShown);
            otherMenus.stop();
            RightClickTray(tray, -1);  // the next press opens a menu again
        });
    }

    void aDoubleClickRestoresTheMinimisedWindow() {
        ScratchDirectory dir;
        QtPlatform platform;
        RunProgram(platform, [&](QtDialogWindow& w) {
            w.showMinimized();
            QTRY_VERIFY(w.isMinimized());
            emit Tray(platform, w)->activated(QSystemTrayIcon::DoubleClick);
            QTRY_VERIFY(!w.isMinimized());
            QVERIFY(w.isVisible());
            // A single click opens no menu: a menu would come from the message it posts.
            PopupWatcher popup([](QMenu* menu) { menu->close(); });
            emit Tray(platform, w)->activated(QSystemTrayIcon::Trigger);
            DeliverPostedMessages();
            QVERIFY(!popup.Seen());
        });
    }

    // The kind of icon when a tray comes after the program. Qt fixes the kind at the first
    // icon for the whole run, so the tray must not guess: a panel that offers both kinds
    // gets a StatusNotifierItem, whichever of its two trays shows up first.
    void aTrayThatComesLaterGetsTheRightKindOfIcon() {
        using Host = QtTray::Host;
        Host now = Host::None;
        bool bus = true;
        const auto make = [&] {
            return std::make_unique<QtTray>(
                QIcon(), QStringLiteral("tip"), [](QSystemTrayIcon::ActivationReason, bool) {},
                [](QMenu&) {}, [](const QAction&) {},
                QtTray::Probe{[&] { return now; }, [&] { return bus; }, 50});
        };

        // The XEmbed tray first, the StatusNotifierItem host a moment later.
        auto tray = make();
        QVERIFY(!tray->Shown());
        now = Host::XEmbed;
        tray->TrayMayHaveAppeared();
        QVERIFY(!tray->Shown());
        now = Host::StatusNotifier;
        tray->TrayMayHaveAppeared();
        QVERIFY(tray->Shown());
        QVERIFY(tray->StatusNotifier());
        QCOMPARE(tray->Icon()->contextMenu(), &tray->ExportedMenu());
        // Once shown, the icon stays what it is (Qt follows a restarted tray itself).
        QSystemTrayIcon* const shown = tray->Icon();
        now = Host::XEmbed;
        tray->TrayMayHaveAppeared();
        QCOMPARE(tray->Icon(), shown);
        QVERIFY(tray->StatusNotifier());

        // Only an XEmbed tray: the icon comes once the moment is over. Qt's own menu stays
        // unset there, as the program shows its own on the right press: one menu, not two.
        now = Host::None;
        tray = make();
        now = Host::XEmbed;
        tray->TrayMayHaveAppeared();
        tray->TrayMayHaveAppeared();  // the tray announced twice: still one wait
        QVERIFY(!tray->Shown());
        QTRY_VERIFY(tray->Shown());
        QVERIFY(!tray->StatusNotifier());
        QCOMPARE(tray->Icon()->contextMenu(), nullptr);

        // Without a session bus no StatusNotifierItem host can come: no wait.
        now = Host::None;
        bus = false;
        tray = make();
        now = Host::XEmbed;
        tray->TrayMayHaveAppeared();
        QVERIFY(tray->Shown());
        QVERIFY(!tray->StatusNotifier());

        // A tray already there: the icon at once, of its kind.
        bus = true;
        now = Host::StatusNotifier;
        tray = make();
        QVERIFY(tray->StatusNotifier());
        now = Host::XEmbed;
        tray = make();
        QVERIFY(tray->Shown());
        QVERIFY(!tray->StatusNotifier());
        QCOMPARE(tray->Icon()->contextMenu(), nullptr);
    }

    // A StatusNotifierItem host asks for the exported menu before each showing: it gets the
    // entries as they are then, also when they changed a moment ago, and a menu that nothing
    // changed is not filled again (each fill goes out to the host).
    void aHostGetsTheEntriesAsTheyAreWhenItAsksForTheMenu() {
        QStringList entries{"A", "B"};
        int fills = 0;
        QtTray tray(
            QIcon(), QStringLiteral("tip"), [](QSystemTrayIcon::ActivationReason, bool) {},
            [&](QMenu& menu) {
                ++fills;
                menu.clear();
                for (const QString& entry : entries)
                    menu.addAction(entry);
            },
            [](const QAction&) {},
            QtTray::Probe{[] { return QtTray::Host::StatusNotifier; }, [] { return true; }, 50});
        QMenu& menu = tray.ExportedMenu();
        const auto shown = [&] {
            QStringList texts;
            for (const QAction* action : menu.actions())
                texts << action->text();
            return texts;
        };
        QTRY_COMPARE(shown(), entries);  // filled as the icon appears, before any host asks
        QCOMPARE(fills, 1);
        emit menu.aboutToShow();
        emit menu.aboutToShow();
        QCOMPARE(fills, 1);

        // A change, and the host asks before the fill it asked for has run.
        entries << "C";
        tray.RefreshMenuSoon();
        emit menu.aboutToShow();
        QCOMPARE(shown(), entries);
        QCoreApplication::sendPostedEvents();
        QCOMPARE(fills, 2);  // the change is in: the waiting fill has nothing to do

        // A change that no host asks about is in the menu all the same.
        entries.removeFirst();
        tray.RefreshMenuSoon();
        QTRY_COMPARE(shown(), entries);
        emit menu.aboutToShow();
        QCOMPARE(fills, 3);
    }

    // Test opens the target field's text: a program is started itself, with no arguments;
    // everything else reaches the opener as exactly one argument, and no shell sees it.
    void targetsOpenAsOneStringAndNeverThroughAShell() {
        ScratchDirectory dir;
        FakeOpener opener;
        dir.Write("program.sh", "#!/bin/sh\necho \"started $#\" > started.txt\n");
        QFile::setPermissions(dir.FilePath("program.sh"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        dir.Write("notes.txt", "not a program\n");
        const QStringList opened = {"http://example.org/a b?c=1&d=2",
                                    "HTTP://EXAMPLE.ORG/",
                                    "www.example.org",
                                    "$(touch pwned)",
                                    "x; touch pwned",
                                    "`touch pwned`",
                                    "a | touch pwned",
                                    "\"quoted\" 'single' \\back",
                                    " http://lead.example/",
                                    "program.sh --flag"};
        QtPlatform platform;
        RunProgram(platform, [&](QtDialogWindow& w) {
            for (const QString& target : opened) {
                TypeInto(w.Control(IDC_TARGET), target);
                Click(w.Control(IDC_TEST));
            }
            TypeInto(w.Control(IDC_TARGET), "notes.txt");
            Click(w.Control(IDC_TEST));
            TypeInto(w.Control(IDC_TARGET), "program.sh");
            Click(w.Control(IDC_TEST));
            TypeInto(w.Control(IDC_TARGET), "");
            Click(w.Control(IDC_TEST));  // nothing to open
        });
        const auto calls = opener.WaitForCalls(static_cast<int>(opened.size()) + 1);
        QCOMPARE(calls.size(), size_t(opened.size() + 1));
        // The openers run on their own, so their calls may be logged in any order.
        std::vector<QStringList> wanted;
        for (const QString& target : opened)
            wanted.push_back(QStringList(target));
        wanted.push_back(QStringList("notes.txt"));
        auto got = calls;
        std::sort(got.begin(), got.end());
        std::sort(wanted.begin(), wanted.end());
        QCOMPARE(got, wanted);
        QTRY_COMPARE(dir.Read("started.txt"), QByteArray("started 0\n"));
        QVERIFY(!QFile::exists(dir.FilePath("pwned")));
        QCOMPARE(opener.Calls().size(), size_t(opened.size() + 1));  // the program: not opened
    }

    void helpOpensThePageAndF1TheHelpFileIfThereIsOne() {
        ScratchDirectory dir;
        FakeOpener opener;
        const QFileInfo program(QCoreApplication::applicationFilePath());
        const QString helpFile =
            program.absoluteDir().filePath(program.completeBaseName() + ".HLP");
        QFile::remove(helpFile);
        QtPlatform platform;
        RunProgram(platform, [&](QtDialogWindow& w) {
            Click(w.Control(IDC_HELPBUTTON));
            QCOMPARE(opener.WaitForCalls(1).size(), size_t(1));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);  // no help file: nothing
            QFile(helpFile).open(QIODevice::WriteOnly);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1, Qt::ShiftModifier);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
        });
        const auto calls = opener.WaitForCalls(2);
        QFile::remove(helpFile);
        QCOMPARE(calls.size(), size_t(2));
        QCOMPARE(calls[0], QStringList(BRINDLECOT_CONFIGURED_HELP_URL));
        QCOMPARE(calls[1], QStringList(helpFile));
    }

    // What the user typed or loaded is what the opener gets: one argument, byte for byte,
    // with no URL parsing, percent-encoding or case folding on the way.
    void theOpenerGetsTheTargetByteForByte() {
        ScratchDirectory dir;
        FakeOpener opener;
        dir.Write("-notes.txt", "a file whose name begins with a dash\n");
        // Row 0 of the file: a target in a Windows code page, not UTF-8.
        const QByteArray latin = "caf\xE9 \x80\xFF.txt";
        dir.Write("brcot.dat",
                  "CREATOR=Brindlecot 1.0\r\nST=Latin\r\nURL=" + latin + "\r\nSORTORDER=01\r\n");
        const QStringList typed = {"x; touch /tmp/f",
                                   "HTTP://Up.example/a b",
                                   "a%20b&c=%41",
                                   "  two  blanks  ",
                                   "file:///tmp/%E9 x",
                                   "-notes.txt",
                                   "--help",
                                   "-"};
        QtPlatform platform;
        RunProgram(platform, [&](QtDialogWindow& w) {
            for (const QString& target : typed) {
                TypeInto(w.Control(IDC_TARGET), target);
                Click(w.Control(IDC_TEST));
            }
            // The loaded row through the fields (a click, then Test) and through the menu.
            auto* list = qobject_cast<QTreeWidget*>(w.Control(IDC_LIST));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->topLevelItem(0)).center());
            Click(w.Control(IDC_TEST));
            RightClickTray(Tray(platform, w), 0);
        });
        const auto calls = opener.WaitForCalls(8);
        const std::vector<std::vector<QByteArray>> expected = {
            {"x; touch /tmp/f"},
            {"HTTP://Up.example/a b"},
            {"a%20b&c=%41"},
            {"  two  blanks  "},
            {"file:///tmp/%E9 x"},
            {"./-notes.txt"},  // the same file, never an option to the opener
            {latin},
            {latin}};
        // "--help" and "-" name no file here: they never reach the opener, which would take
        // them for options (the POSIX launch tests hold that decision).
        // The openers run on their own, so their calls may be logged in any order.
        auto raw = opener.RawCalls();
        auto wanted = expected;
        std::sort(raw.begin(), raw.end());
        std::sort(wanted.begin(), wanted.end());
        QCOMPARE(raw, wanted);
    }
};

}  // namespace

std::unique_ptr<QObject> MakeTrayAndLaunchTest() {
    return std::make_unique<TrayAndLaunchTest>();
}

}  // namespace brindlecot::qt::test

#include "tray_launch_test.moc"
