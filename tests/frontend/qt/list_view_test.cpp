// The entry table's control: the selection mark as the core relies on it, the notifications a
// user's clicks give, the auto-sizing modes, and byte-exact cell texts.
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>

#include "frontend/qt/qt_list_view.h"
#include "frontend/qt/text_codec.h"
#include "qt_tests.h"

namespace brindlecot::qt::test {
namespace {

class ListViewTest : public QObject {
    Q_OBJECT

    struct Notification {
        win::UINT code;
        int column;
    };

    std::unique_ptr<QWidget> m_window;
    QtListView* m_list = nullptr;
    std::vector<Notification> m_notes;

    void Fill(int rows) {
        for (int r = rows - 1; r >= 0; --r) {
            m_list->InsertItem(0, "row " + std::to_string(r));
            m_list->SetItemText(0, 1, "target " + std::to_string(r));
        }
    }
    QPoint RowCentre(int row) const {
        return m_list->visualItemRect(m_list->topLevelItem(row)).center();
    }
    void ClickRow(int row, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(m_list->viewport(), button, {}, RowCentre(row));
    }
    void ClickBelowRows() {
        QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {},
                          QPoint(20, m_list->viewport()->height() - 5));
    }
    int Clicks() const {
        return static_cast<int>(std::count_if(m_notes.begin(), m_notes.end(),
                                              [](auto& n) { return n.code == win::kNmClick; }));
    }

  private slots:
    void init() {
        m_window = std::make_unique<QWidget>();
        m_window->resize(460, 260);
        m_notes.clear();
        m_list = new QtListView(
            1004,
            [this](win::NmHdr& hdr) {
                QCOMPARE(hdr.idFrom, 1004u);
                int column = -1;
                if (hdr.code == win::kLvnColumnClick)
                    column = reinterpret_cast<win::NmListView&>(hdr).iSubItem;
                if (hdr.code == win::kLvnKeyDown)  // the key, for short
                    column = reinterpret_cast<win::NmLvKeyDown&>(hdr).wVKey;
                m_notes.push_back({hdr.code, column});
            },
            m_window.get());
        m_list->setGeometry(10, 10, 400, 200);
        for (int c = 0; c < 3; ++c) {
            m_list->InsertColumn(c, c == 0 ? "Site Title" : c == 1 ? "Program/Site URL" : "Sort");
        }
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup() { m_window.reset(); }

    void markFollowsMouseAndKeyboardButNotEmptySpace() {
        Fill(4);
        QCOMPARE(m_list->GetSelectionMark(), -1);

        ClickRow(1);
        QCOMPARE(m_list->GetSelectionMark(), 1);
        QCOMPARE(m_list->GetItemState(1, win::kLvisSelected), win::kLvisSelected);
        QCOMPARE(Clicks(), 1);

        ClickBelowRows();  // the highlight goes, the mark stays, and the click is reported
        QCOMPARE(m_list->GetSelectionMark(), 1);
        QCOMPARE(m_list->GetItemState(1, win::kLvisSelected), 0u);
        QCOMPARE(Clicks(), 2);

        ClickRow(1);
        QTest::keyClick(m_list, Qt::Key_Down);  // a keyboard move marks and reports nothing
        QCOMPARE(m_list->GetSelectionMark(), 2);
        QCOMPARE(m_list->GetItemState(2, win::kLvisSelected | win::kLvisFocused),
                 win::kLvisSelected | win::kLvisFocused);
        QCOMPARE(Clicks(), 3);

        ClickRow(3, Qt::RightButton);  // a right click is no NM_CLICK
        QCOMPARE(Clicks(), 3);
    }

    void spaceOnTheFocusedRowIsReportedAndLeftToTheProgram() {
        Fill(3);
        m_list->setFocus(Qt::OtherFocusReason);
        m_list->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        QTest::keyClick(m_list, Qt::Key_Space);  // no focused row: nothing to report
        QVERIFY(m_notes.empty());

        ClickRow(0);
        QTest::keyClick(m_list, Qt::Key_Down);
        m_notes.clear();
        m_list->SetItemState(1, 0, win::kLvisSelected);  // the focus on a row not selected
        QTest::keyClick(m_list, Qt::Key_Space, Qt::ControlModifier);  // would toggle in Qt
        QTest::keyClick(m_list, Qt::Key_Space);
        QCOMPARE(m_notes.size(), size_t(2));
        for (const Notification& n : m_notes) {
            QCOMPARE(n.code, win::kLvnKeyDown);
            QCOMPARE(n.column, int(win::kVkSpace));
        }
        // The list itself changes nothing: the program selects, marks and loads the row.
        QCOMPARE(m_list->GetItemState(1, win::kLvisSelected | win::kLvisFocused),
                 win::kLvisFocused);
        QCOMPARE(m_list->GetSelectionMark(), 1);
    }

    void insertShiftsTheMarkDeleteKeepsItsPosition() {
        Fill(4);
        ClickRow(2);
        m_list->InsertItem(0, "new");
        QCOMPARE(m_list->GetSelectionMark(), 3);
        QCOMPARE(m_list->GetItemText(3, 0), std::string("row 2"));
        m_list->InsertItem(4, "after");
        QCOMPARE(m_list->GetSelectionMark(), 3);
        m_list->DeleteItem(0);
        QCOMPARE(m_list->GetSelectionMark(), 2);
        m_list->DeleteItem(2);  // the marked row itself: the mark stays on its position
        QCOMPARE(m_list->GetSelectionMark(), 2);
        m_list->DeleteItem(17);  // no such row: nothing changes
        QCOMPARE(m_list->GetItemCount(), 4);
        m_list->DeleteAllItems();
        QCOMPARE(m_list->GetSelectionMark(), -1);
    }

    void itemStateIsSingleSelection() {
        Fill(3);
        m_list->SetItemState(0, win::kLvisSelected | win::kLvisFocused,
                             win::kLvisSelected | win::kLvisFocused);
        m_list->SetItemState(2, win::kLvisSelected, win::kLvisSelected);
        QCOMPARE(m_list->GetItemState(0, win::kLvisSelected | win::kLvisFocused),
                 win::kLvisFocused);
        QCOMPARE(m_list->GetItemState(2, win::kLvisSelected | win::kLvisFocused),
                 win::kLvisSelected);
        m_list->SetItemState(0, 0, win::kLvisFocused);
        QCOMPARE(m_list->GetItemState(0, win::kLvisFocused), 0u);
        QCOMPARE(m_list->GetSelectionMark(), -1);  // the program's changes never mark
        QCOMPARE(m_list->GetItemState(9, win::kLvisSelected), 0u);
    }

    void headerClickReportsTheColumnAndSortsNothing() {
        m_list->InsertItem(0, "b");
        m_list->InsertItem(0, "a");
        m_list->InsertItem(0, "c");
        QHeaderView* header = m_list->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
        QCOMPARE(m_notes.size(), size_t(1));
        QCOMPARE(m_notes[0].code, win::kLvnColumnClick);
        QCOMPARE(m_notes[0].column, 1);
        QCOMPARE(m_list->GetItemText(0, 0), std::string("c"));
        QCOMPARE(m_list->GetItemText(2, 0), std::string("b"));
    }

    void autoSizeFitsCellsOrHeaderAndTheLastColumnFills() {
        const std::string longTitle = "A rather long title for the first column";
        m_list->InsertItem(0, longTitle);
        const QFontMetrics fm(m_list->font());
        m_list->SetColumnWidth(0, win::kLvscwAutosize);
        QVERIFY(m_list->GetColumnWidth(0) >= fm.horizontalAdvance(ToQString(longTitle)));
        m_list->SetColumnWidth(1, win::kLvscwAutosize);  // empty cells: narrow
        QVERIFY(m_list->GetColumnWidth(1) < fm.horizontalAdvance("Program/Site URL"));
        m_list->SetColumnWidth(1, win::kLvscwAutosizeUseHeader);
        QVERIFY(m_list->GetColumnWidth(1) >= fm.horizontalAdvance("Program/Site URL"));
        m_list->SetColumnWidth(2, win::kLvscwAutosizeUseHeader);
        const int sum =
            m_list->GetColumnWidth(0) + m_list->GetColumnWidth(1) + m_list->GetColumnWidth(2);
        QCOMPARE(sum, m_list->viewport()->width());
        QVERIFY(!m_list->horizontalScrollBar()->isVisible());
        m_list->SetColumnWidth(1, 77);
        QCOMPARE(m_list->GetColumnWidth(1), 77);
        QCOMPARE(m_list->GetColumnWidth(5), 0);
    }

    void cellsKeepTheirBytes() {
        // UTF-8 shows as its characters; bytes of a Windows code page survive unchanged.
        const std::string utf8 = "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB5";
        const std::string latin1 = "Caf\xE9 \x80\xFF";
        const std::string broken = "\xC3(\xE2\x82 \xED\xA0\x80 \xF4\x90\x80\x80 \xC0\xAF";
        m_list->InsertItem(0, utf8);
        m_list->SetItemText(0, 1, latin1);
        m_list->SetItemText(0, 2, broken);
        QCOMPARE(m_list->topLevelItem(0)->text(0), QString::fromUtf8(utf8.c_str()));
        QCOMPARE(m_list->GetItemText(0, 0), utf8);
        QCOMPARE(m_list->GetItemText(0, 1), latin1);
        QCOMPARE(m_list->GetItemText(0, 2), broken);
        QCOMPARE(m_list->GetItemText(1, 0), std::string());
        QCOMPARE(m_list->GetItemText(0, 3), std::string());
        m_list->SetItemText(5, 0, "nowhere");  // no such row: nothing changes
        QCOMPARE(m_list->GetItemCount(), 1);
    }

    void highlightShowsOnlyWithFocus() {
        Fill(2);
        ClickRow(0);
        QVERIFY(m_list->hasFocus());
        const QColor focused = m_list->palette().color(QPalette::Active, QPalette::Highlight);
        QVERIFY(focused != m_list->palette().color(QPalette::Active, QPalette::Base));
        m_list->clearFocus();
        QCOMPARE(m_list->palette().color(QPalette::Active, QPalette::Highlight),
                 m_list->palette().color(QPalette::Active, QPalette::Base));
    }
};

}  // namespace

std::unique_ptr<QObject> MakeListViewTest() {
    return std::make_unique<ListViewTest>();
}

}  // namespace brindlecot::qt::test

#include "list_view_test.moc"
