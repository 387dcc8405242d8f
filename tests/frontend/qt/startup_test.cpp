// What the start-up shortcuts must not change: texts through the codec's ASCII path, column
// widths after the font or the cells change, texts given to a hidden window and its list, the
// icon's pixels, and the tray icon, which is added once the first frame is drawn.
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QSystemTrayIcon>
#include <QTest>

#include "app/brindlecot_dlg.h"
#include "frontend/qt/qt_list_view.h"
#include "frontend/qt/text_codec.h"
#include "qt_test_support.h"
#include "qt_tests.h"
#include "resources/resource.h"

namespace brindlecot::qt::test {
namespace {

class StartUpTest : public QObject {
    Q_OBJECT

    static std::unique_ptr<QtListView> NewList() {
        auto list = std::make_unique<QtListView>(
            1004, [](win::NmHdr&) {}, nullptr);
        list->resize(400, 200);
        for (int c = 0; c < 3; ++c)
            list->InsertColumn(c, c == 0 ? "Site Title" : c == 1 ? "Program/Site URL" : "Sort");
        return list;
    }
    // The core's fitting of one column.
    static int Fit(QtListView& list, int column) {
        list.SetColumnWidth(column, win::kLvscwAutosize);
        const int a = list.GetColumnWidth(column);
        list.SetColumnWidth(column, win::kLvscwAutosizeUseHeader);
        const int b = list.GetColumnWidth(column);
        list.SetColumnWidth(column, std::max(a, b));
        return list.GetColumnWidth(column);
    }

  private slots:
    void asciiTextTakesTheShortPathAndKeepsEveryByte() {
        const std::string ascii = "http://example.org/a b?c=d&e\t~\x7f";
        QCOMPARE(ToQString(ascii), QString::fromLatin1(ascii.data(), qsizetype(ascii.size())));
        QCOMPARE(FromQString(QString::fromLatin1(ascii.data(), qsizetype(ascii.size()))), ascii);
        const std::string nul("a\0b", 3);
        QCOMPARE(ToQString(nul).size(), 3);
        QCOMPARE(FromQString(ToQString(nul)), nul);
        QCOMPARE(ToQString(""), QString());
        QCOMPARE(FromQString(QString()), std::string());
        // Where the ASCII part ends, the rest decodes as it would on its own, and every byte
        // comes back: from the text alone when it is UTF-8, otherwise through the bytes kept
        // beside it, also when the ASCII part in front of them is edited.
        const std::string rests[] = {"\xC3\xA9t\xC3\xA9",  "\xE9t\xE9",
                                     "\xF0\x9F\x8E\xB5 x", "\xC3",
                                     "\x80\xFF",           "\xED\xA0\x80"};
        for (const std::string& rest : rests) {
            const std::string text = "Caf" + rest;
            const QString shown = ToQString(text);
            QCOMPARE(shown, QStringLiteral("Caf") + ToQString(rest));
            if (IsUtf8(text))
                QCOMPARE(FromQString(shown), text);
            QCOMPARE(FromShownText(QStringLiteral("X") + shown.mid(1), shown, text),
                     "X" + text.substr(1));
            QCOMPARE(FromShownText(shown + QStringLiteral("!"), shown, text), text + "!");
        }
        // A character that is not ASCII after an ASCII run.
        QCOMPARE(FromQString(QStringLiteral("ab") + QChar(0x20AC)), std::string("ab\xE2\x82\xAC"));
    }

    void columnWidthsFollowTheCellsTheHeaderAndTheFont() {
        auto list = NewList();
        list->InsertItem(0, "short");
        const int narrow = Fit(*list, 0);
        list->SetItemText(0, 0, "a much longer title than before in this cell");
        const int wide = Fit(*list, 0);
        QVERIFY(wide > narrow);
        list->DeleteItem(0);
        QCOMPARE(Fit(*list, 0), list->header()->sectionSizeHint(0));  // the header's own width

        list->InsertItem(0, "some title");
        const int before = Fit(*list, 0);
        QFont bigger = list->font();
        bigger.setPointSize(bigger.pointSize() * 2);
        list->setFont(bigger);
        const int after = Fit(*list, 0);
        QVERIFY2(after > before, qPrintable(QString("%1 -> %2").arg(before).arg(after)));
        QVERIFY(after >= QFontMetrics(bigger).horizontalAdvance("some title"));

        // A header inserted later is measured with its own text.
        list->InsertColumn(0, "A header much wider than any cell of its column");
        QCOMPARE(Fit(*list, 0), list->header()->sectionSizeHint(0));
    }

    void theLastColumnLeavesRoomForTheScrollBarOnceRowsOverflow() {
        auto list = NewList();
        list->show();
        QVERIFY(QTest::qWaitForWindowExposed(list.get()));
        auto fill = [&] {
            Fit(*list, 0);
            Fit(*list, 1);
            return Fit(*list, 2);
        };
        list->InsertItem(0, "one");
        const int roomy = fill();
        for (int i = 0; i < 30; ++i)
            list->InsertItem(0, "row " + std::to_string(i));
        const int scrolled = fill();
        QCOMPARE(roomy - scrolled, list->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
        // A first row in another script, whose font may be taller, is measured all the same.
        list->InsertItem(0, "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E");
        QVERIFY(fill() <= scrolled);
    }

    void aHiddenListGivesItsItemsTheLastTextsWhenShown() {
        auto list = NewList();
        for (int i = 0; i < 5; ++i) {
            list->InsertItem(0, "title " + std::to_string(i));
            list->SetItemText(0, 1, "target " + std::to_string(i));
        }
        // Many moves while hidden, as the load's sorting makes them.
        for (int round = 0; round < 7; ++round) {
            for (int r = 0; r + 1 < 5; ++r) {
                for (int c = 0; c < 2; ++c) {
                    const std::string upper = list->GetItemText(r, c);
                    list->SetItemText(r, c, list->GetItemText(r + 1, c));
                    list->SetItemText(r + 1, c, upper);
                }
            }
        }
        QStringList expected;
        for (int r = 0; r < 5; ++r) {
            expected << QString::fromStdString(list->GetItemText(r, 0) + "|" +
                                               list->GetItemText(r, 1));
        }
        QCOMPARE(expected.size(), 5);
        list->show();
        QVERIFY(QTest::qWaitForWindowExposed(list.get()));
        for (int r = 0; r < 5; ++r) {
            const QTreeWidgetItem* item = list->topLevelItem(r);
            QCOMPARE(item->text(0) + "|" + item->text(1), expected[r]);
        }
        list->SetItemText(2, 0, "\xC3\xA9t\xC3\xA9");  // shown at once now
        QCOMPARE(list->topLevelItem(2)->text(0), QStringLiteral("\u00e9t\u00e9"));
    }

    void theLoadedFieldsAndListReachTheScreen() {
        ScratchDirectory dir;
        // The last sort order read is a prefix of a list item: the field shows the item, and
        // the item is the combo box's current one.
        dir.Write("brcot.dat",
                  "ST=B\r\nURL=b\r\nSORTORDER=07\r\n\r\nST=A\r\nURL=a\r\nSORTORDER=4\r\n");
        QtPlatform platform;
        RunProgram(platform, [&](QtDialogWindow& w) {
            auto* combo = qobject_cast<QComboBox*>(w.Control(IDC_SORTORDER));
            QCOMPARE(combo->currentText(), QStringLiteral("40"));
            QCOMPARE(combo->currentIndex(), 39);
            QCOMPARE(qobject_cast<QLineEdit*>(w.Control(IDC_COUNT))->text(), QStringLiteral("2"));
            QCOMPARE(qobject_cast<QLineEdit*>(w.Control(IDC_TITLE))->text(), QString());
            QCOMPARE(Rows(w), QStringList({"B|b|07", "A|a|40"}));
            // The same through the core's reading of the fields.
            QCOMPARE(w.ControlText(IDC_SORTORDER), std::string("40"));
        });
    }

    void theIconIsTheDecodedPngAtEverySize() {
        QtPlatform platform;
        const QIcon icon = platform.Icon(platform.LoadIconResource(IDR_MAINFRAME));
        QCOMPARE(icon.availableSizes().size(), 4);
        for (int size : {16, 32, 48, 256}) {
            const QImage png(QStringLiteral(BRINDLECOT_ICON_DIR "/brindlecot-%1.png").arg(size));
            QVERIFY(!png.isNull());
            const QImage shown = icon.pixmap(QSize(size, size)).toImage();
            QCOMPARE(shown.size(), QSize(size, size));
            QVERIFY2(shown.convertToFormat(QImage::Format_ARGB32_Premultiplied) ==
                         png.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                     qPrintable(QString::number(size)));
        }
    }

    void theTrayIconIsAddedAfterTheFirstFrame() {
        ScratchDirectory dir;
        QtPlatform platform;
        platform::WindowHandle handle = 0;
        RunProgram(platform, [&](QtDialogWindow& w) {
            handle = w.Handle();
            QTRY_VERIFY(w.FirstFrameDrawn());
            QTRY_VERIFY(platform.TrayIcon(handle, TRAY_ICON_ID) != nullptr);
            QCOMPARE(platform.TrayIcon(handle, TRAY_ICON_ID)->toolTip(),
                     QStringLiteral("Brindlecot"));
        });
        QVERIFY(platform.TrayIcon(handle, TRAY_ICON_ID) == nullptr);
    }
};

}  // namespace

std::unique_ptr<QObject> MakeStartUpTest() {
    return std::make_unique<StartUpTest>();
}

}  // namespace brindlecot::qt::test

#include "startup_test.moc"
