// The main window as a user meets it: its layout and tab order, how Enter, Escape and the
// close box end the run, and the About box reached from the window's menu.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>

#include "qt_test_support.h"
#include "qt_tests.h"
#include "resources/resource.h"

namespace brindlecot::qt::test {
namespace {

// The main window's controls as the product's layout gives them, in dialog units.
struct Expected {
    int id;  // -1: a static text without an identifier, found by its text
    const char* className;
    const char* text;
    int x, y, cx, cy;
};
const Expected kMainWindow[] = {
    {-1, "QLabel", "Title:", 21, 16, 16, 8},
    {IDC_TITLE, "QLineEdit", "", 69, 12, 132, 14},
    {-1, "QLabel", "Program/URL:", 20, 33, 47, 8},
    {IDC_TARGET, "QLineEdit", "", 69, 28, 131, 14},
    {-1, "QLabel", "Sort", 202, 14, 14, 8},
    {IDC_SORTORDER, "QComboBox", "", 218, 12, 30, 14},  // closed: the list drops below
    {IDC_BROWSE, "QPushButton", "Browse", 200, 28, 47, 14},
    {1, "QPushButton", "Quit", 260, 7, 50, 14},
    {IDC_TEST, "QPushButton", "Test", 260, 23, 50, 14},
    {IDC_ADD, "QPushButton", "Add", 260, 37, 50, 14},
    {IDC_REMOVE, "QPushButton", "Remove", 260, 51, 50, 14},
    {IDC_UPDATE, "QPushButton", "Update", 260, 65, 50, 14},
    {IDC_CLEAR, "QPushButton", "Clear", 260, 81, 50, 14},
    {IDC_CLEARALL, "QPushButton", "Clear All", 260, 95, 50, 14},
    {IDC_HELPBUTTON, "QPushButton", "Help", 260, 124, 50, 14},
    {-1, "QLabel", "Entries", 19, 45, 0, 0},  // names the list, never on screen
    {IDC_LIST, "brindlecot::qt::QtListView", "", 19, 45, 229, 121},
    {-1, "QLabel", "Number of entries", 260, 153, 0, 0},  // names the count box
    {IDC_COUNT, "QLineEdit", "", 260, 153, 50, 14},
    {IDC_FOOTER, "QLabel",
     "Brindlecot - v1.02 - System Tray Launcher - (C) 2026 The Brindlecot developers", 8, 169, 305,
     8},
};

// Dialog units from the window font, by the definition: x · average width / 4, y · height / 8.
QRect ExpectedRect(const QFont& font, int x, int y, int cx, int cy) {
    const QFontMetrics fm(font);
    const int average = (fm.horizontalAdvance(QStringLiteral(
                             "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                             26 +
                         1) /
                        2;
    const auto px = [](int v, int base, int div) { return (v * base + div / 2) / div; };
    return {px(x, average, 4), px(y, fm.height(), 8), px(cx, average, 4), px(cy, fm.height(), 8)};
}

QWidget* FocusedControl(const QtDialogWindow& w) {
    QWidget* f = QApplication::focusWidget();
    while (f && f->parentWidget() != &w)
        f = f->parentWidget();
    return f;
}

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void layoutCaptionsAndStartState() {
        ScratchDirectory dir;
        QtPlatform platform;
        RunProgram(platform, [&](QtDialogWindow& w) {
            const QFont font = w.font();
            QCOMPARE(w.size(), ExpectedRect(font, 0, 0, 320, 183).size());
            QCOMPARE(w.minimumSize(), w.maximumSize());  // fixed size
            for (const Expected& e : kMainWindow) {
                QWidget* c = nullptr;
                if (e.id >= 0) {
                    c = w.Control(e.id);
                } else {
                    for (QLabel* l : w.findChildren<QLabel*>()) {
                        if (l->text() == QLatin1String(e.text))
                            c = l;
                    }
                }
                QVERIFY2(c, e.text);
                QCOMPARE(c->metaObject()->className(), e.className);
                QCOMPARE(c->geometry(), ExpectedRect(font, e.x, e.y, e.cx, e.cy));
                QString text;
                if (auto* b = qobject_cast<QPushButton*>(c))
                    text = b->text();
                if (auto* l = qobject_cast<QLabel*>(c))
                    text = l->text();
                QCOMPARE(text, QString::fromLatin1(e.text));
                if (e.cx == 0) {
                    QVERIFY2(!c->isVisible(), e.text);
                    continue;
                }
                QVERIFY2(c->isVisible(), e.text);
                // Nothing is cut off.
                QVERIFY2(QFontMetrics(c->font()).horizontalAdvance(text) <= c->width(), e.text);
            }
            auto* quit = qobject_cast<QPushButton*>(w.Control(1));
            QVERIFY(quit->isDefault());
            QCOMPARE(FocusedControl(w), w.Control(IDC_TITLE));
            QVERIFY(w.parentWidget() == nullptr);  // its own taskbar entry
            QVERIFY(!w.windowIcon().isNull());
            QCOMPARE(FieldText(w, IDC_COUNT), QStringLiteral("0"));
            QVERIFY(qobject_cast<QLineEdit*>(w.Control(IDC_COUNT))->isReadOnly());

            auto* combo = qobject_cast<QComboBox*>(w.Control(IDC_SORTORDER));
            QVERIFY(combo->isEditable());
            QCOMPARE(combo->count(), 50);
            for (int i = 0; i < 50; ++i) {
                QCOMPARE(combo->itemText(i), QString::asprintf("%02d", i + 1));
            }

            // Centred on the screen's work area, up to the frame the window manager adds.
            const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
            const QPoint frame(w.frameGeometry().width() - w.width(),
                               w.frameGeometry().height() - w.height());
            QVERIFY(qAbs(w.frameGeometry().center().x() - centre.x()) <= frame.x() + 1);
            QVERIFY(qAbs(w.frameGeometry().center().y() - centre.y()) <= frame.y() + 1);

            QCOMPARE(w.windowTitle(), QStringLiteral("Brindlecot "));
        });
    }

    void tabOrderFollowsTheTemplate() {
        ScratchDirectory dir;
        QtPlatform platform;
        RunProgram(platform, [&](QtDialogWindow& w) {
            const int order[] = {IDC_TITLE,  IDC_TARGET, IDC_SORTORDER, IDC_BROWSE,
                                 1,          IDC_TEST,   IDC_ADD,       IDC_REMOVE,
                                 IDC_UPDATE, IDC_CLEAR,  IDC_CLEARALL,  IDC_HELPBUTTON,
                                 IDC_LIST,   IDC_COUNT,  IDC_TITLE};
            QCOMPARE(FocusedControl(w), w.Control(order[0]));
            for (size_t i = 1; i < std::size(order); ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QCOMPARE(FocusedControl(w), w.Control(order[i]));
            }
        });
    }

    void enterEndsTheRunUnlessAnotherButtonHasTheFocus() {
        for (int field : {IDC_TITLE, IDC_TARGET, IDC_SORTORDER, IDC_LIST}) {
            ScratchDirectory dir;
            QtPlatform platform;
            RunProgram(platform, [&](QtDialogWindow& w) {
                AddEntry(w, "Calc", "calc.exe", "01");
                if (field == IDC_LIST) {
                    w.Control(IDC_LIST)->setFocus(Qt::TabFocusReason);
                    QTest::keyClick(w.Control(IDC_LIST), Qt::Key_Down);
                } else {
                    Click(w.Control(field));
                }
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                QVERIFY2(w.Ended(), qPrintable(QString::number(field)));
                QCOMPARE(w.Result(), 1);
            });
            QCOMPARE(dir.Read(QStringLiteral("brcot.dat")),
                     QByteArray("CREATOR=Brindlecot 1.0\r\nST=Calc\r\nURL=calc.exe\r\n"
                                "SORTORDER=01\r\n"));
        }

        ScratchDirectory dir;
        QtPlatform platform;
        ModalWatcher modals;
        RunProgram(platform, [&](QtDialogWindow& w) {
            w.Control(IDC_ADD)->setFocus(Qt::TabFocusReason);
            modals.AnswerBox(QStringLiteral("OK"));
            QTest::keyClick(w.Control(IDC_ADD), Qt::Key_Return);  // Add, with blank fields
            QVERIFY(!w.Ended());
            QCOMPARE(modals.boxes.size(), size_t(1));
            QCOMPARE(modals.boxes[0].title, QStringLiteral("Error"));
        });
    }

    void escapeClosesADroppedListFirstThenEndsTheRun() {
        ScratchDirectory dir;
        QtPlatform platform;
        RunProgram(platform, [&](QtDialogWindow& w) {
            auto* combo = qobject_cast<QComboBox*>(w.Control(IDC_SORTORDER));
            Click(combo->lineEdit());
            QTest::keyClick(combo, Qt::Key_Down, Qt::AltModifier);
            QTRY_VERIFY(combo->view()->isVisible());
            QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
            QTRY_VERIFY(!combo->view()->isVisible());
            QVERIFY(!w.Ended());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            QVERIFY(w.Ended());
            QCOMPARE(w.Result(), 2);
        });
    }

    void theCloseBoxEndsTheRunAsCancel() {
        ScratchDirectory dir;
        dir.Write(QStringLiteral("brcot.dat"),
                  "CREATOR=Brindlecot 1.0\r\nST=Calc\r\nURL=calc.exe\r\nSORTORDER=01\r\n");
        QtPlatform platform;
        RunProgram(platform, [&](QtDialogWindow& w) {
            w.close();  // what the window manager's close box and Alt+F4 do
            QVERIFY(w.Ended());
            QCOMPARE(w.Result(), 2);
        });
        // Written again at the end, exactly as it was read.
        QCOMPARE(dir.Read(QStringLiteral("brcot.dat")),
                 QByteArray("CREATOR=Brindlecot 1.0\r\nST=Calc\r\nURL=calc.exe\r\n"
                            "SORTORDER=01\r\n"));
    }

    void theWindowMenuEndsWithTheAboutBox() {
        ScratchDirectory dir;
        QtPlatform platform;
        ModalWatcher modals;
        RunProgram(platform, [&](QtDialogWindow& w) {
            // A right click on the window's background opens its menu.
            QStringList items;
            bool aboutSeen = false;
            PopupWatcher popup([&](QMenu* menu) {
                const QList<QAction*> actions = menu->actions();
                for (QAction* a : actions)
                    items << (a->isSeparator() ? "-" : a->text());
                QTest::mouseClick(menu, Qt::LeftButton, {},
                                  menu->actionGeometry(actions.back()).center());
            });
            modals.Then([&](QWidget* about) {
                aboutSeen = true;
                QCOMPARE(about->windowTitle(), QStringLiteral("About Brindlecot"));
                QCOMPARE(QApplication::activeModalWidget(), about);  // the main window waits
                QStringList texts;
                bool icon = false;
                for (QLabel* l : about->findChildren<QLabel*>()) {
                    if (!l->text().isEmpty())
                        texts << l->text();
                    if (!l->pixmap().isNull())
                        icon = true;
                }
                texts.sort();
                QCOMPARE(texts, QStringList({"(C) 2026 The Brindlecot developers",
                                             "Brindlecot Version 1.0"}));
                QVERIFY(icon);
                const auto buttons = about->findChildren<QPushButton*>();
                QCOMPARE(buttons.size(), 1);
                QCOMPARE(buttons[0]->text(), QStringLiteral("OK"));
                Click(buttons[0]);
            });
            const QPoint background(5, 5);
            QContextMenuEvent event(QContextMenuEvent::Mouse, background,
                                    w.mapToGlobal(background));
            QApplication::sendEvent(&w, &event);
            QTRY_VERIFY(aboutSeen);
            QTRY_VERIFY(QApplication::activeModalWidget() == &w);
            QCOMPARE(items.mid(items.size() - 2),
                     QStringList({"-", QStringLiteral("&About Brindlecot...")}));
            QVERIFY(!w.Ended());
        });
        QCOMPARE(modals.unexpected, 0);
    }
};

}  // namespace

std::unique_ptr<QObject> MakeMainWindowTest() {
    return std::make_unique<MainWindowTest>();
}

}  // namespace brindlecot::qt::test

#include "main_window_test.moc"
