// The entry table's display: the user's selection reported before the click's or the key's
// notification, changes it is told to make never reported, rows inserted and removed without
// Qt's own moves of the highlight, columns fitted when the list next draws, and cell texts.
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>

#include "frontend/qt/qt_list_view.h"
#include "frontend/qt/text_codec.h"
#include "qt_tests.h"

namespace brindlecot::qt::test {
namespace {

// What the display reported, in order: "sel S F", "click", "key N", "column N".
class Reports : public platform::IListViewEvents {
  public:
    void OnUserSelection(int selected, int focused) override {
        log << QStringLiteral("sel %1 %2").arg(selected).arg(focused);
    }
    void OnUserClick() override { log << QStringLiteral("click"); }
    void OnUserKey(std::uint16_t key) override { log << QStringLiteral("key %1").arg(key); }
    void OnUserColumnClick(int column) override { log << QStringLiteral("column %1").arg(column); }
    QStringList Take() { return std::exchange(log, {}); }
    QStringList log;
};

class ListViewTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QWidget> m_window;
    QtListView* m_list = nullptr;
    Reports m_reports;

    void Fill(int rows) {
        for (int r = 0; r < rows; ++r)
            m_list->InsertRow(r, {"row " + std::to_string(r), "target " + std::to_string(r)});
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
    // The highlighted row and the focused row as the widget shows them.
    QString Shown() const {
        const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
        QTreeWidgetItem* current = m_list->currentItem();
        return QStringLiteral("%1 %2")
            .arg(selected.isEmpty() ? -1 : m_list->indexOfTopLevelItem(selected.front()))
            .arg(current ? m_list->indexOfTopLevelItem(current) : -1);
    }
    QStringList Column(int column) const {
        QStringList texts;
        for (int r = 0; r < m_list->topLevelItemCount(); ++r)
            texts << m_list->topLevelItem(r)->text(column);
        return texts;
    }

  private slots:
    void init() {
        m_window = std::make_unique<QWidget>();
        m_window->resize(460, 260);
        m_reports.log.clear();
        m_list = new QtListView(m_window.get());
        m_list->SetEvents(&m_reports);
        m_list->setGeometry(10, 10, 400, 200);
        for (int c = 0; c < 3; ++c)
            m_list->InsertColumn(c, c == 0 ? "Site Title" : c == 1 ? "Program/Site URL" : "Sort");
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup() { m_window.reset(); }

    void theUsersSelectionIsReportedBeforeItsNotification() {
        Fill(4);
        ClickRow(1);
        QCOMPARE(m_reports.Take(), QStringList({"sel 1 1", "click"}));
        ClickRow(1);  // the same row again: no change to report, the click all the same
        QCOMPARE(m_reports.Take(), QStringList({"click"}));

        ClickBelowRows();  // the highlight goes, the focus rectangle stays
        QCOMPARE(m_reports.Take(), QStringList({"sel -1 1", "click"}));
        QCOMPARE(Shown(), QStringLiteral("-1 1"));

        ClickRow(1);
        m_reports.Take();
        QTest::keyClick(m_list, Qt::Key_Down);  // a keyboard move selects and reports no click
        QCOMPARE(m_reports.Take(), QStringList({"sel 2 2"}));
        ClickRow(3, Qt::RightButton);  // selects, and is no NM_CLICK
        QCOMPARE(m_reports.Take(), QStringList({"sel 3 3"}));

        // Dragged with the button held, the highlight and the report follow the pointer.
        QTest::mousePress(m_list->viewport(), Qt::LeftButton, {}, RowCentre(0));
        QMouseEvent move(QEvent::MouseMove, RowCentre(2),
                         m_list->viewport()->mapToGlobal(RowCentre(2)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_list->viewport(), &move);
        QTest::mouseRelease(m_list->viewport(), Qt::LeftButton, {}, RowCentre(2));
        QCOMPARE(m_reports.Take(), QStringList({"sel 0 0", "sel 2 2", "click"}));

        m_list->SetEvents(nullptr);  // reports stop, the clicks' too
        ClickRow(0);
        QTest::keyClick(m_list, Qt::Key_Space);
        QVERIFY(m_reports.Take().isEmpty());
    }

    void tabbingInGivesTheFirstRowTheFocusAndSaysSo() {
        Fill(2);
        auto* before = new QWidget(m_window.get());
        before->setFocusPolicy(Qt::StrongFocus);
        before->show();
        before->setFocus();
        QTRY_VERIFY(before->hasFocus());
        QTest::keyClick(before, Qt::Key_Tab);
        QTRY_VERIFY(m_list->hasFocus());
        QCOMPARE(Shown(), QStringLiteral("-1 0"));
        QCOMPARE(m_reports.Take(), QStringList({"sel -1 0"}));
    }

    void spaceIsReportedAndLeftToTheProgram() {
        Fill(3);
        m_list->setFocus(Qt::OtherFocusReason);
        m_list->ShowSelection(-1, -1);
        m_reports.Take();
        QTest::keyClick(m_list, Qt::Key_Space);  // no focused row: nothing to report
        QCOMPARE(m_reports.Take(), QStringList());

        m_list->ShowSelection(-1, 1);  // the focus on a row not selected
        QTest::keyClick(m_list, Qt::Key_Space, Qt::ControlModifier);  // would toggle in Qt
        QTest::keyClick(m_list, Qt::Key_Space);
        QCOMPARE(m_reports.Take(), QStringList({"key 32", "key 32"}));
        // The list itself changes nothing: the program selects and loads the row.
        QCOMPARE(Shown(), QStringLiteral("-1 1"));
    }

    void rowsMoveAndTheSelectionIsWhatItIsToldAfterwards() {
        // The list control object tells the selection again after any row moved at or above
        // it; what Qt did with the highlight meanwhile is neither kept nor reported.
        Fill(4);
        m_list->ShowSelection(2, 2);
        QCOMPARE(Shown(), QStringLiteral("2 2"));
        m_list->InsertRow(0, {"new"});
        m_list->ShowSelection(3, 3);
        QCOMPARE(Shown(), QStringLiteral("3 3"));
        QCOMPARE(Column(0), QStringList({"new", "row 0", "row 1", "row 2", "row 3"}));
        m_list->InsertRow(99, {"last", "its target", "07"});  // past the end: appended
        QCOMPARE(m_list->topLevelItem(5)->text(2), QStringLiteral("07"));
        m_list->DeleteRow(0);
        m_list->ShowSelection(2, 2);
        QCOMPARE(Shown(), QStringLiteral("2 2"));
        // Qt would highlight and focus the next row; the row's state went with it.
        m_list->DeleteRow(2);
        m_list->ShowSelection(-1, -1);
        QCOMPARE(Shown(), QStringLiteral("-1 -1"));
        QCOMPARE(Column(0), QStringList({"row 0", "row 1", "row 3", "last"}));
        m_list->DeleteRow(17);  // no such row: nothing changes
        m_list->DeleteRow(-1);
        QCOMPARE(m_list->topLevelItemCount(), 4);
        m_list->ShowSelection(3, 1);  // single selection, the focus apart from it
        m_list->ShowSelection(0, 1);
        QCOMPARE(Shown(), QStringLiteral("0 1"));
        m_list->DeleteAllRows();
        QCOMPARE(m_list->topLevelItemCount(), 0);
        QCOMPARE(Shown(), QStringLiteral("-1 -1"));
        QCOMPARE(m_reports.Take(), QStringList());  // nothing it was told is reported
    }

    void headerClickReportsTheColumnAndSortsNothing() {
        for (const char* title : {"c", "a", "b"})
            m_list->InsertRow(m_list->topLevelItemCount(), {title});
        QHeaderView* header = m_list->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
        QCOMPARE(m_reports.Take(), QStringList({"column 1"}));
        QCOMPARE(Column(0), QStringList({"c", "a", "b"}));
    }

    void columnsAreFittedWhenTheListNextDraws() {
        const std::string longTitle = "A rather long title for the first column";
        m_list->InsertRow(0, {longTitle});
        const int before = m_list->columnWidth(0);
        m_list->FitColumn(0);
        QCOMPARE(m_list->columnWidth(0), before);  // not before the list draws
        const QFontMetrics fm(m_list->font());
        QTRY_VERIFY(m_list->columnWidth(0) >= fm.horizontalAdvance(ToQString(longTitle)));
        m_list->FitColumn(1);  // empty cells: the header's width
        QTRY_COMPARE(m_list->columnWidth(1), m_list->header()->sectionSizeHint(1));
        m_list->FitColumn(2);  // the last column fills the rest
        QTRY_COMPARE(m_list->columnWidth(0) + m_list->columnWidth(1) + m_list->columnWidth(2),
                     m_list->viewport()->width());
        QTRY_VERIFY(!m_list->horizontalScrollBar()->isVisible());

        // Once the rows overflow, the last column leaves room for the vertical scroll bar.
        m_list->DeleteAllRows();
        m_list->InsertRow(0, {"one"});
        for (int c = 0; c < 3; ++c)
            m_list->FitColumn(c);
        QTRY_COMPARE(m_list->columnWidth(0), m_list->header()->sectionSizeHint(0));
        const int roomy = m_list->columnWidth(2);
        for (int i = 0; i < 30; ++i)
            m_list->InsertRow(0, {"row " + std::to_string(i)});
        m_list->FitColumn(2);
        QTRY_COMPARE(roomy - m_list->columnWidth(2),
                     m_list->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
        m_list->FitColumn(7);  // no such column: nothing happens
    }

    void aHiddenListFitsItsColumnsAsItIsShown() {
        QtListView list(nullptr);
        list.resize(400, 200);
        for (int c = 0; c < 2; ++c)
            list.InsertColumn(c, c == 0 ? "Site Title" : "Program/Site URL");
        list.InsertRow(0, {"some title", "a target"});
        list.FitColumn(0);
        list.FitColumn(1);
        QFont bigger = list.font();  // measured with the font it is shown in
        bigger.setPointSize(bigger.pointSize() * 2);
        list.setFont(bigger);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const QFontMetrics fm(bigger);
        QVERIFY(list.columnWidth(0) >= fm.horizontalAdvance("some title"));
        QCOMPARE(list.columnWidth(0) + list.columnWidth(1), list.viewport()->width());
    }

    void columnsWiderThanTheListGiveTheFirstFrameItsScrollRange() {
        QtListView list(nullptr);
        list.resize(200, 120);
        list.InsertColumn(0, "Site Title");
        list.InsertRow(0, {"A title far too long to fit its column without scrolling sideways"});
        list.FitColumn(0);
        list.show();  // no event handled yet: what the first frame would draw
        QVERIFY(list.horizontalScrollBar()->maximum() > 0);
        QVERIFY(QTest::qWaitForWindowExposed(&list));
    }

    void cellsShowTheirBytes() {
        // UTF-8 shows as its characters, other bytes as the Windows-1252 characters they
        // most likely are.
        const std::string utf8 = "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB5";
        m_list->InsertRow(0, {utf8, "Caf\xE9 \x80\xFF"});
        QCOMPARE(m_list->topLevelItem(0)->text(0), QString::fromUtf8(utf8.c_str()));
        QCOMPARE(m_list->topLevelItem(0)->text(1), QStringLiteral("Caf\u00e9 \u20ac\u00ff"));
        m_list->SetCellText(0, 1, "Caf\xC3\xA9");
        QCOMPARE(m_list->topLevelItem(0)->text(1), QStringLiteral("Caf\u00e9"));
        m_list->SetCellText(0, 2, "03");
        QCOMPARE(m_list->topLevelItem(0)->text(2), QStringLiteral("03"));
        m_list->SetCellText(5, 0, "nowhere");  // no such row or column: nothing changes
        m_list->SetCellText(0, 3, "nowhere");
        QCOMPARE(m_list->topLevelItemCount(), 1);
        QCOMPARE(m_list->topLevelItem(0)->text(3), QString());
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
