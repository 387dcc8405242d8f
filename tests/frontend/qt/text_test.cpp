// Entry text that is not UTF-8 (files written under Windows): shown and copied as the
// Windows-1252 characters it most likely is, and still written back byte for byte, through
// the fields as through the table. And no field cuts a long text short.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include "qt_test_support.h"
#include "qt_tests.h"
#include "resources/resource.h"

namespace brindlecot::qt::test {
namespace {

class TextTest : public QObject {
    Q_OBJECT

    static void ClickRow(QtDialogWindow& w, int row) {
        auto* list = qobject_cast<QTreeWidget*>(w.Control(IDC_LIST));
        // Near the row's left end: a long cell makes the row far wider than the list.
        const QRect rect = list->visualItemRect(list->topLevelItem(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(8, rect.center().y()));
    }

  private slots:
    // As a user meets them: a file from Windows, its row clicked, the text read and copied,
    // an entry edited, and the file written at the end.
    void windowsBytesReadAsLettersAndGoBackUnchanged() {
        ScratchDirectory dir;
        dir.Write("brcot.dat",
                  "CREATOR=Brindlecot 1.0\r\nST=Caf\xE9 \x80\r\nURL=C:\\Programme\\\xDC"
                  "ber.exe\r\nSORTORDER=01\r\nST=caf\xC3\xA9\r\nURL=u\r\nSORTORDER=02\r\n");
        QtPlatform platform;
        RunProgram(platform, [&](QtDialogWindow& w) {
            auto* list = qobject_cast<QTreeWidget*>(w.Control(IDC_LIST));
            QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("Café €"));
            QCOMPARE(list->topLevelItem(1)->text(0), QStringLiteral("café"));
            ClickRow(w, 0);
            auto* title = qobject_cast<QLineEdit*>(w.Control(IDC_TITLE));
            QCOMPARE(title->text(), QStringLiteral("Café €"));
            title->selectAll();
            title->copy();
            QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Café €"));
            QCOMPARE(FieldText(w, IDC_TARGET), QStringLiteral("C:\\Programme\\Über.exe"));

            // Update with the title edited at its end: the bytes before it stay as they were.
            title->setFocus();
            title->end(false);
            QTest::keyClicks(title, "!");
            Click(w.Control(IDC_UPDATE));
            // The other row looks the same in the field and is UTF-8: it stays UTF-8.
            ClickRow(w, 1);
            Click(w.Control(IDC_UPDATE));
        });
        // Written from the last row up.
        QCOMPARE(dir.Read("brcot.dat"),
                 QByteArray("CREATOR=Brindlecot 1.0\r\nST=caf\xC3\xA9\r\nURL=u\r\nSORTORDER=02\r\n"
                            "\r\nST=Caf\xE9 \x80!\r\nURL=C:\\Programme\\\xDC"
                            "ber.exe\r\nSORTORDER=01\r\n"));
    }

    void aFieldFilledBeforeTheWindowShowsKeepsItsBytes() {
        // Start-up puts the last sort order read into its field while the window is still
        // hidden; the text reaches the widget only when the window shows, and the bytes must
        // come along.
        ScratchDirectory dir;
        dir.Write("brcot.dat", "CREATOR=Brindlecot 1.0\r\nST=T\r\nURL=u\r\nSORTORDER=7\xE9\r\n");
        QtPlatform platform;
        RunProgram(platform, [&](QtDialogWindow& w) {
            auto* sort = qobject_cast<QComboBox*>(w.Control(IDC_SORTORDER));
            QCOMPARE(sort->currentText(), QStringLiteral("7\u00E9"));
            QCOMPARE(w.ControlText(IDC_SORTORDER), std::string("7\xE9"));
        });
    }

    // A lone CR inside a stored value is a byte of that value: an untouched file goes back
    // byte for byte, through the real fields, the table and the end of the run.
    void aLoneCrOfTheFileIsKeptAndAnUntouchedFileGoesBackByteForByte() {
        ScratchDirectory dir;
        // In the writer's order: the table's bottom row first.
        const QByteArray file =
            "CREATOR=Brindlecot 1.0\r\nST=Caf\xE9\rX\r\nURL=u\r\nSORTORDER=02\r\n\r\n"
            "ST=a\rb\r\nURL=c\rd.exe\r\nSORTORDER=0\r1\r\n";
        dir.Write("brcot.dat", file);
        QtPlatform platform;
        RunProgram(platform, [&](QtDialogWindow& w) {
            QCOMPARE(Rows(w), (QStringList{"a\rb|c\rd.exe|0\r1", "Caf\u00E9\rX|u|02"}));
            // The last sort order read stays in its field, as the file has it.
            QCOMPARE(w.ControlText(IDC_SORTORDER), std::string("0\r1"));
            // A row clicked shows its cells in the fields, CR and all; nothing is edited.
            ClickRow(w, 1);
            QCOMPARE(w.ControlText(IDC_TITLE), std::string("Caf\xE9\rX"));
            QCOMPARE(FieldText(w, IDC_TITLE), QStringLiteral("Caf\u00E9\rX"));
        });
        QCOMPARE(dir.Read("brcot.dat"), file);
    }

    // ...while a CR, LF or Ctrl-Z the user types or pastes stays out of the cell, also next to
    // a kept one.
    void aPastedLineEndStaysOutOfTheCellAndAKeptCrStays() {
        ScratchDirectory dir;
        dir.Write("brcot.dat", "CREATOR=Brindlecot 1.0\r\nST=a\rb\r\nURL=u\r\nSORTORDER=01\r\n");
        QtPlatform platform;
        RunProgram(platform, [&](QtDialogWindow& w) {
            ClickRow(w, 0);
            auto* title = qobject_cast<QLineEdit*>(w.Control(IDC_TITLE));
            title->setFocus();
            title->end(false);
            QApplication::clipboard()->setText(QStringLiteral(" x\ry\r\nz\x1a!"));
            QTest::keyClick(title, Qt::Key_V, Qt::ControlModifier);
            Click(w.Control(IDC_UPDATE));
            QCOMPARE(Rows(w), QStringList{"a\rb xyz!|u|01"});
        });
        QCOMPARE(dir.Read("brcot.dat"),
                 QByteArray("CREATOR=Brindlecot 1.0\r\nST=a\rb xyz!\r\nURL=u\r\nSORTORDER=01\r\n"));
    }

    void theSortOrderIsAsLongAsTheUserMakesIt() {
        ScratchDirectory dir;
        const QByteArray longSort(40000, '7');
        dir.Write("brcot.dat",
                  "CREATOR=Brindlecot 1.0\r\nST=T\r\nURL=u\r\nSORTORDER=" + longSort + "\r\n");
        QtPlatform platform;
        RunProgram(platform, [&](QtDialogWindow& w) {
            ClickRow(w, 0);
            auto* sort = qobject_cast<QComboBox*>(w.Control(IDC_SORTORDER));
            QCOMPARE(sort->currentText().size(), longSort.size());
            Click(w.Control(IDC_UPDATE));
        });
        QVERIFY(dir.Read("brcot.dat").contains("SORTORDER=" + longSort + "\r\n"));
    }
};

}  // namespace

std::unique_ptr<QObject> MakeTextTest() {
    return std::make_unique<TextTest>();
}

}  // namespace brindlecot::qt::test

#include "text_test.moc"
