// What the desktop's session asks of the program, in-process: a save while the session may go
// on writes the entry file and leaves everything on screen as it was (the end-to-end run with
// a session manager is xvfb_xsmp_e2e.sh); the session manager's "die", which Qt delivers as the
// application's Quit event, ends the run once; and the tray icon is there while the load's
// boxes are, before the window's first frame.
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "app/brindlecot_app.h"
#include "app/brindlecot_dlg.h"
#include "frontend/qt/session_end.h"
#include "qt_test_support.h"
#include "qt_tests.h"
#include "resources/resource.h"

namespace brindlecot::qt::test {
namespace {

QByteArray Group(const QByteArray& title, const QByteArray& target, const QByteArray& sort) {
    return "ST=" + title + "\r\nURL=" + target + "\r\nSORTORDER=" + sort + "\r\n";
}

// Entries t00 to t(count-1), their sort orders in file order.
QByteArray Entries(int count) {
    QByteArray file = "CREATOR=Brindlecot 1.0\r\n";
    for (int i = 0; i < count; ++i) {
        const QByteArray n = QByteArray::number(i).rightJustified(2, '0');
        file += Group("t" + n, "u" + n, n) + "\r\n";
    }
    file.chop(2);
    return file;
}

// A window that counts the close events it gets, as Qt's closing of all windows would send.
class CloseCounter : public QWidget {
  public:
    int closes = 0;

  protected:
    void closeEvent(QCloseEvent* event) override {
        ++closes;
        QWidget::closeEvent(event);
    }
};

class SessionTest : public QObject {
    Q_OBJECT

  private slots:
    void saveNowWritesTheFileAndLeavesTheScreenAsItWas() {
        ScratchDirectory dir;
        dir.Write("brcot.dat", Entries(30));
        QtPlatform platform;
        QByteArray written;
        RunProgram(platform, [&](QtDialogWindow& w) {
            AddEntry(w, "New", "new.exe", "31");
            QTRY_VERIFY(platform.TrayIcon(w.Handle(), TRAY_ICON_ID) != nullptr);
            QSystemTrayIcon* tray = platform.TrayIcon(w.Handle(), TRAY_ICON_ID);
            // A row picked, the list scrolled away from it, a text half typed in the title
            // field with part of it selected, the sort field cleared.
            auto* list = qobject_cast<QTreeWidget*>(w.Control(IDC_LIST));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->topLevelItem(1)).center());
            list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum() / 2);
            TypeInto(w.Control(IDC_SORTORDER), "");
            auto* title = qobject_cast<QLineEdit*>(w.Control(IDC_TITLE));
            TypeInto(title, "half typed");
            title->setSelection(2, 3);
            QVERIFY(title->isUndoAvailable());
            const int scrolled = list->verticalScrollBar()->value();
            QVERIFY(scrolled > 0);
            const QStringList rows = Rows(w);
            const QString target = FieldText(w, IDC_TARGET);
            QVERIFY(!target.isEmpty());
            const QList<QTreeWidgetItem*> selected = list->selectedItems();
            QTreeWidgetItem* current = list->currentItem();
            const QImage before = w.grab().toImage();

            platform.SaveNow();
            written = dir.Read("brcot.dat");

            QCOMPARE(w.grab().toImage(), before);
            QCOMPARE(title->text(), QStringLiteral("half typed"));
            QCOMPARE(title->selectionStart(), 2);
            QCOMPARE(title->selectedText(), QStringLiteral("lf "));
            QVERIFY(title->isUndoAvailable());
            QCOMPARE(FieldText(w, IDC_TARGET), target);
            QCOMPARE(FieldText(w, IDC_SORTORDER), QString());
            QCOMPARE(Rows(w), rows);
            QCOMPARE(list->selectedItems(), selected);
            QCOMPARE(list->currentItem(), current);
            QCOMPARE(list->verticalScrollBar()->value(), scrolled);
            QCOMPARE(platform.TrayIcon(w.Handle(), TRAY_ICON_ID), tray);
            QVERIFY(!w.Ended());
            // What the core reads from the fields is what they show.
            QCOMPARE(w.ControlText(IDC_TITLE), std::string("half typed"));

            // The run goes on: an entry added afterwards is saved at its end.
            AddEntry(w, "Later", "later.exe", "32");
        });
        QVERIFY(written.startsWith("CREATOR=Brindlecot 1.0\r\n"));
        QVERIFY(written.contains(Group("New", "new.exe", "31")));
        QCOMPARE(written.count("ST="), 31);
        const QByteArray atEnd = dir.Read("brcot.dat");
        QVERIFY(atEnd.contains(Group("Later", "later.exe", "32")));
        QCOMPARE(atEnd.count("ST="), 32);
    }

    void theApplicationsQuitEventEndsTheRunOnceAndClosesNoWindow() {
        int saves = 0;
        int ends = 0;
        CloseCounter window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        {
            SessionEndWatcher watcher([&saves] { ++saves; }, [&ends] { ++ends; });
            QEvent quit(QEvent::Quit);
            QVERIFY(QCoreApplication::sendEvent(qApp, &quit));
            QCOMPARE(ends, 1);
            QCoreApplication::sendEvent(qApp, &quit);
            QCOMPARE(ends, 1);
            QCOMPARE(saves, 0);
            QCOMPARE(window.closes, 0);
            QVERIFY(window.isVisible());
        }
    }

    void theTrayIconIsThereWhileTheLoadShowsItsBoxes() {
        ScratchDirectory dir;
        dir.Write("brcot.dat", Entries(52));
        QtPlatform platform;
        ModalWatcher modals;
        int boxes = 0;
        for (int i = 0; i < 2; ++i) {
            modals.Then([&](QWidget* box) {
                QtDialogWindow* main = platform.FindWindow(IDD_BRINDLECOT_DIALOG);
                QVERIFY(main);
                QVERIFY(!main->FirstFrameDrawn());
                QSystemTrayIcon* tray = platform.TrayIcon(main->Handle(), TRAY_ICON_ID);
                QVERIFY(tray);
                QCOMPARE(tray->toolTip(), QStringLiteral("Brindlecot"));
                ++boxes;
                QTest::keyClick(box, Qt::Key_Return);
            });
        }
        // The main window, once it is on screen after the boxes, is closed with Escape.
        platform::WindowHandle handle = 0;
        bool iconWithWindow = false;
        QTimer closer;
        closer.setInterval(20);
        QObject::connect(&closer, &QTimer::timeout, [&] {
            QtDialogWindow* main = platform.FindWindow(IDD_BRINDLECOT_DIALOG);
            if (!main || !main->isVisible() || QApplication::activeModalWidget() != main)
                return;
            closer.stop();
            handle = main->Handle();
            iconWithWindow = platform.TrayIcon(handle, TRAY_ICON_ID) != nullptr;
            QTest::keyClick(main, Qt::Key_Escape);
        });
        closer.start();
        CBrindlecotApp app(platform);
        app.InitInstance();
        QVERIFY(iconWithWindow);
        QCOMPARE(boxes, 2);
        QCOMPARE(modals.unexpected, 0);
        QVERIFY(platform.TrayIcon(handle, TRAY_ICON_ID) == nullptr);
    }
};

}  // namespace

std::unique_ptr<QObject> MakeSessionTest() {
    return std::make_unique<SessionTest>();
}

}  // namespace brindlecot::qt::test

#include "session_test.moc"
