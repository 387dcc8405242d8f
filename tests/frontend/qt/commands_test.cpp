// The entry table's commands end to end on the real widgets: typing, clicking buttons, rows
// and header sections, and answering the boxes they raise.
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTest>
#include <QTreeWidget>

#include "qt_test_support.h"
#include "qt_tests.h"
#include "resources/resource.h"

namespace brindlecot::qt::test {
namespace {

class CommandsTest : public QObject {
    Q_OBJECT

    static QTreeWidget* List(QtDialogWindow& w) {
        return qobject_cast<QTreeWidget*>(w.Control(IDC_LIST));
    }
    static void ClickRow(QtDialogWindow& w, int row) {
        QTreeWidget* list = List(w);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->topLevelItem(row)).center());
    }
    static void ClickHeader(QtDialogWindow& w, int column) {
        QHeaderView* header = List(w)->header();
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(column) + 4, header->height() / 2));
    }

  private slots:
    void addUpdateRemoveAndClear() {
        ScratchDirectory dir;
        QtPlatform platform;
        ModalWatcher modals;
        RunProgram(platform, [&](QtDialogWindow& w) {
            AddEntry(w, "Notes", "notepad.exe", "02");
            AddEntry(w, "Calc", "calc.exe", "01");
            QCOMPARE(Rows(w), QStringList({"Calc|calc.exe|01", "Notes|notepad.exe|02"}));
            QCOMPARE(FieldText(w, IDC_COUNT), QStringLiteral("2"));
            QCOMPARE(FieldText(w, IDC_TITLE), QStringLiteral("Calc"));  // fields keep their text

            ClickRow(w, 1);  // loads the row
            QCOMPARE(FieldText(w, IDC_TITLE), QStringLiteral("Notes"));
            QCOMPARE(FieldText(w, IDC_TARGET), QStringLiteral("notepad.exe"));
            QCOMPARE(FieldText(w, IDC_SORTORDER), QStringLiteral("02"));

            TypeInto(w.Control(IDC_TITLE), "Editor");
            TypeInto(w.Control(IDC_SORTORDER), "00");
            Click(w.Control(IDC_UPDATE));  // rewrites the marked row, then sorts
            QCOMPARE(Rows(w), QStringList({"Editor|notepad.exe|00", "Calc|calc.exe|01"}));

            Click(w.Control(IDC_CLEAR));
            QCOMPARE(FieldText(w, IDC_TITLE), QString());
            QCOMPARE(FieldText(w, IDC_TARGET), QString());
            QCOMPARE(FieldText(w, IDC_SORTORDER), QStringLiteral("00"));

            ClickRow(w, 1);
            Click(w.Control(IDC_REMOVE));
            QCOMPARE(Rows(w), QStringList({"Editor|notepad.exe|00"}));
            QCOMPARE(FieldText(w, IDC_COUNT), QStringLiteral("1"));
            QCOMPARE(FieldText(w, IDC_TITLE), QStringLiteral("Calc"));  // Remove keeps fields
        });
        QCOMPARE(modals.unexpected, 0);
    }

    void theDialogsOwnBoxesAndTheApplicationsQuestions() {
        ScratchDirectory dir;
        QtPlatform platform;
        ModalWatcher modals;
        RunProgram(platform, [&](QtDialogWindow& w) {
            modals.AnswerBox("OK");
            AddEntry(w, "Title only", "", "01");
            QCOMPARE(Rows(w), QStringList());

            AddEntry(w, "Calc", "calc.exe", "01");
            modals.AnswerBox("No");
            AddEntry(w, "Calc", "calc.exe", "07");
            QCOMPARE(Rows(w).size(), 1);
            modals.AnswerBox("Yes");
            AddEntry(w, "Calc", "calc.exe", "07");
            QCOMPARE(Rows(w), QStringList({"Calc|calc.exe|01", "Calc|calc.exe|07"}));

            modals.AnswerBox("No");
            Click(w.Control(IDC_CLEARALL));
            QCOMPARE(Rows(w).size(), 2);
            modals.AnswerBox("Yes");
            Click(w.Control(IDC_CLEARALL));
            QCOMPARE(Rows(w), QStringList());
            QCOMPARE(FieldText(w, IDC_COUNT), QStringLiteral("0"));
            QCOMPARE(FieldText(w, IDC_TITLE), QStringLiteral("Calc"));  // fields stay
        });
        QCOMPARE(modals.unexpected, 0);
        QCOMPARE(modals.boxes.size(), size_t(5));
        // The dialog's own box: its caption, one OK, no icon, each CR LF a line break.
        const SeenBox& blank = modals.boxes[0];
        QCOMPARE(blank.title, QStringLiteral("Error"));
        QCOMPARE(blank.text, QStringLiteral("URL or Title Blank.\nNo entry added.\nPlease add a "
                                            "title and url and try again."));
        QCOMPARE(blank.icon, QMessageBox::NoIcon);
        QCOMPARE(blank.buttons, QStringList({"OK"}));
        // The application's questions: the program's name, the exclamation icon, Yes and No.
        for (size_t i : {size_t(1), size_t(2)}) {
            // The test program's file name has no extension to drop.
            QCOMPARE(modals.boxes[i].title, QStringLiteral("brindlecot_qt_tests"));
            QCOMPARE(modals.boxes[i].text,
                     QStringLiteral("This entry is already in the list.\nDo you really want to "
                                    "add this item?"));
            QCOMPARE(modals.boxes[i].icon, QMessageBox::Warning);
            QStringList buttons = modals.boxes[i].buttons;
            buttons.sort();
            QCOMPARE(buttons, QStringList({"No", "Yes"}));
        }
        QCOMPARE(modals.boxes[3].text, QStringLiteral("Are you sure that you want to clear list?"));
        QCOMPARE(modals.boxes[3].icon, QMessageBox::Warning);
    }

    void theFiftyFirstEntryIsRefused() {
        ScratchDirectory dir;
        QtPlatform platform;
        ModalWatcher modals;
        RunProgram(platform, [&](QtDialogWindow& w) {
            for (int i = 0; i < 50; ++i) {
                AddEntry(w, QString("T%1").arg(i), QString("t%1").arg(i),
                         QString::asprintf("%02d", i % 50 + 1));
            }
            QCOMPARE(FieldText(w, IDC_COUNT), QStringLiteral("50"));
            modals.AnswerBox("OK");
            AddEntry(w, "One more", "more", "01");
            QCOMPARE(Rows(w).size(), 50);
        });
        QCOMPARE(modals.boxes.size(), size_t(1));
        QCOMPARE(modals.boxes[0].text, QStringLiteral("Maximum Items Reached"));
        QCOMPARE(modals.boxes[0].title, QStringLiteral("The maximum number of entries is 50."));
        QCOMPARE(modals.boxes[0].icon, QMessageBox::NoIcon);
        // The sentence is in the caption: the box is wide enough for it to show whole.
        QFont bold = modals.boxes[0].font;
        bold.setBold(true);
        QVERIFY(modals.boxes[0].width >= CaptionWidth(modals.boxes[0].title, bold));
        QVERIFY(modals.boxes[0].width >
                QFontMetrics(bold).horizontalAdvance(modals.boxes[0].title));
    }

    void aTypedSortOrderIsStoredAsTypedAndShownAsTheListItem() {
        ScratchDirectory dir;
        QtPlatform platform;
        RunProgram(platform, [&](QtDialogWindow& w) {
            AddEntry(w, "Five", "five", "5");
            QCOMPARE(Rows(w), QStringList({"Five|five|5"}));
            QCOMPARE(FieldText(w, IDC_SORTORDER), QStringLiteral("50"));
            AddEntry(w, "Six", "six", "5");  // the same item is current already: shown again whole
            QCOMPARE(FieldText(w, IDC_SORTORDER), QStringLiteral("50"));
            AddEntry(w, "Odd", "odd", "x9");  // begins no item: shown as typed
            QCOMPARE(FieldText(w, IDC_SORTORDER), QStringLiteral("x9"));
        });
    }

    void headerClicksToggleTheOrder() {
        ScratchDirectory dir;
        QtPlatform platform;
        RunProgram(platform, [&](QtDialogWindow& w) {
            AddEntry(w, "apple", "a", "01");
            AddEntry(w, "Banana", "b", "02");
            AddEntry(w, "cherry", "c", "03");
            const auto titles = [&] {
                QStringList t;
                for (const QString& r : Rows(w))
                    t << r.section('|', 0, 0);
                return t;
            };
            ClickHeader(w, 0);
            QCOMPARE(titles(), QStringList({"Banana", "apple", "cherry"}));
            ClickHeader(w, 0);
            QCOMPARE(titles(), QStringList({"cherry", "apple", "Banana"}));
            ClickHeader(w, 0);
            QCOMPARE(titles(), QStringList({"Banana", "apple", "cherry"}));
            ClickHeader(w, 2);
            QCOMPARE(titles(), QStringList({"apple", "Banana", "cherry"}));
            ClickHeader(w, 2);
            QCOMPARE(titles(), QStringList({"cherry", "Banana", "apple"}));
        });
    }

    void browseFillsTheTargetAndKeepsTheWorkingDirectory() {
        // Under ctest the settings folder is the test's own (see CMakeLists.txt), so a Qt
        // settings file found there afterwards was written by this run.
        const QString config = QStandardPaths::writableLocation(QStandardPaths::ConfigLocation);
        const bool ownConfig = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
        if (ownConfig)
            QFile::remove(QDir(config).filePath("QtProject.conf"));
        ScratchDirectory dir;
        QDir().mkdir("elsewhere");
        dir.Write("elsewhere/runme", "#!/bin/sh\n");
        const QString start = QDir::currentPath();
        QtPlatform platform;
        ModalWatcher modals;
        QStringList filters;
        QString selectedFilter;
        RunProgram(platform, [&](QtDialogWindow& w) {
            TypeInto(w.Control(IDC_TARGET), "before");
            modals.Then([&](QWidget* modal) {
                auto* dialog = qobject_cast<QFileDialog*>(modal);
                QVERIFY(dialog);
                filters = dialog->nameFilters();
                selectedFilter = dialog->selectedNameFilter();
                QCOMPARE(QDir(dialog->directory()).absolutePath(), start);
                dialog->setDirectory(dir.FilePath("elsewhere"));  // the user browses away
                auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
                QVERIFY(name);
                QTest::keyClicks(name, "runme");
                QTest::keyClick(name, Qt::Key_Return);
            });
            Click(w.Control(IDC_BROWSE));
            QCOMPARE(FieldText(w, IDC_TARGET), dir.FilePath("elsewhere/runme"));
            QCOMPARE(QDir::currentPath(), start);

            modals.Then([&](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
            Click(w.Control(IDC_BROWSE));  // cancelled: the field stays
            QCOMPARE(FieldText(w, IDC_TARGET), dir.FilePath("elsewhere/runme"));
            QCOMPARE(QDir::currentPath(), start);
        });
        QCOMPARE(modals.unexpected, 0);
        // Nothing of the dialog's is kept: no Qt settings file where Qt would write one.
        if (ownConfig)
            QVERIFY2(!QFile::exists(QDir(config).filePath("QtProject.conf")), qPrintable(config));
        QCOMPARE(filters,
                 QStringList({"Executable Files (*.exe)", "Com Files (*.com)", "All Files (*)"}));
        QCOMPARE(selectedFilter, QStringLiteral("All Files (*)"));
    }

    void browseTakesATypedNameThatDoesNotExistAsTyped() {
        // The program asks for no "file must exist" (OFN_FILEMUSTEXIST): a name typed for a
        // program not yet there, or in a folder not yet there, fills the target as it is.
        ScratchDirectory dir;
        QDir().mkdir("elsewhere");
        QtPlatform platform;
        ModalWatcher modals;
        const auto typeName = [&](const QString& typed) {
            modals.Then([&, typed](QWidget* modal) {
                auto* dialog = qobject_cast<QFileDialog*>(modal);
                QVERIFY(dialog);
                QCOMPARE(dialog->fileMode(), QFileDialog::AnyFile);
                dialog->setDirectory(dir.FilePath("elsewhere"));
                auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
                QVERIFY(name);
                name->setText(typed);
                QTest::keyClick(name, Qt::Key_Return);
            });
        };
        RunProgram(platform, [&](QtDialogWindow& w) {
            typeName("not yet there");
            Click(w.Control(IDC_BROWSE));
            QCOMPARE(FieldText(w, IDC_TARGET), dir.FilePath("elsewhere/not yet there"));
            typeName("/no/such/folder/prog");
            Click(w.Control(IDC_BROWSE));
            QCOMPARE(FieldText(w, IDC_TARGET), QStringLiteral("/no/such/folder/prog"));
        });
        QCOMPARE(modals.unexpected, 0);
        QVERIFY(!QFile::exists(dir.FilePath("elsewhere/not yet there")));
    }
};

}  // namespace

std::unique_ptr<QObject> MakeCommandsTest() {
    return std::make_unique<CommandsTest>();
}

}  // namespace brindlecot::qt::test

#include "commands_test.moc"
