// What start-up does quickly and must still do right: texts through the codec's ASCII path, the
// fields and rows loaded before the window shows, the icon's pixels decoded at build time, and
// the tray icon, which is added once the first frame is drawn.
#include <QComboBox>
#include <QLineEdit>
#include <QSystemTrayIcon>
#include <QTest>

#include "app/brindlecot_dlg.h"
#include "frontend/qt/text_codec.h"
#include "qt_test_support.h"
#include "qt_tests.h"
#include "resources/resource.h"

namespace brindlecot::qt::test {
namespace {

class StartUpTest : public QObject {
    Q_OBJECT

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
