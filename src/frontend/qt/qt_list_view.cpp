#include "frontend/qt/qt_list_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

#include "frontend/qt/text_codec.h"

namespace brindlecot::qt {

namespace {
// Room around a cell's text when a column is fitted to its cells.
constexpr int kCellPadding = 12;
}  // namespace

QtListView::QtListView(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false);  // a header click reaches the program, which orders the rows
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setColumnCount(0);
    header()->setStretchLastSection(false);
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(false);
    header()->setSectionResizeMode(QHeaderView::Interactive);
    // A width the program sets is kept as given, however narrow, as on Windows.
    header()->setMinimumSectionSize(0);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(header(), &QHeaderView::sectionClicked, this, [this](int column) {
        if (m_events)
            m_events->OnUserColumnClick(column);
    });
    m_palette = palette();
    ShowHighlight(false);
}

void QtListView::InsertColumn(int, const std::string& header) {
    // A column is always appended; its header text is the list control object's.
    const int column = columnCount();
    setColumnCount(column + 1);
    headerItem()->setText(column, ToQString(header));
}

void QtListView::SetExtendedStyle(unsigned) {
    // Full-row selection is the only extended style the program sets, and rows are always
    // selected whole here.
}

void QtListView::InsertRow(int row, const std::vector<std::string>& cells) {
    const int at = std::clamp(row, 0, topLevelItemCount());
    auto item = std::make_unique<QTreeWidgetItem>();
    // Filled before it joins the tree, which then lays it out once. The core keeps the bytes.
    for (size_t column = 0; column < cells.size(); ++column)
        item->setText(static_cast<int>(column), ToQString(cells[column]));
    insertTopLevelItem(at, item.release());  // the tree owns it from here
}

void QtListView::DeleteRow(int row) {
    // Qt may move the current row, highlighted, to a neighbour of a removed one: the list
    // control object shows the selection again after any row moved at or above it.
    delete takeTopLevelItem(row);
}

void QtListView::DeleteAllRows() {
    clear();
    m_selection = {};
}

void QtListView::SetCellText(int row, int column, const std::string& text) {
    if (QTreeWidgetItem* item = topLevelItem(row); item && column >= 0 && column < columnCount())
        item->setText(column, ToQString(text));
}

void QtListView::ShowSelection(int selected, int focused) {
    Show({selected, focused});
}

QtListView::Selection QtListView::Shown() const {
    const QList<QTreeWidgetItem*> items = selectedItems();
    return {items.isEmpty() ? -1 : indexOfTopLevelItem(items.front()),
            currentItem() ? indexOfTopLevelItem(currentItem()) : -1};
}

void QtListView::Show(Selection selection) {
    m_selection = selection;
    const Selection shown = Shown();
    if (shown.selected != selection.selected) {
        clearSelection();
        if (QTreeWidgetItem* item = topLevelItem(selection.selected))
            item->setSelected(true);
    }
    if (shown.focused != selection.focused) {
        if (QTreeWidgetItem* item = topLevelItem(selection.focused))
            setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
        else
            selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
}

void QtListView::ReportUserSelection() {
    const Selection now = Shown();
    if (now.selected == m_selection.selected && now.focused == m_selection.focused)
        return;
    m_selection = now;
    if (m_events)
        m_events->OnUserSelection(now.selected, now.focused);
}

void QtListView::FitColumn(int column) {
    if (column < 0 || column >= columnCount())
        return;
    m_columnsToFit.insert(column);
    if (!isVisible())
        return;  // fitted as it is shown
    if (!m_watchingWindow) {
        window()->installEventFilter(this);
        m_watchingWindow = true;
    }
    viewport()->update();
}

void QtListView::showEvent(QShowEvent* event) {
    FitPendingColumns();
    QTreeWidget::showEvent(event);
}

bool QtListView::eventFilter(QObject* watched, QEvent* event) {
    // The window is about to draw what changed: the columns take their widths first, so that
    // the frame shows them.
    if (event->type() == QEvent::UpdateRequest)
        FitPendingColumns();
    return QTreeWidget::eventFilter(watched, event);
}

void QtListView::FitPendingColumns() {
    // In column order: the last column fills what the ones before it leave.
    const std::set<int> columns = std::move(m_columnsToFit);
    m_columnsToFit.clear();
    for (const int column : columns) {
        if (column >= columnCount())
            continue;
        int width = header()->sectionSizeHint(column);
        if (column == columnCount() - 1) {
            int used = 0;
            for (int c = 0; c < column; ++c)
                used += columnWidth(c);
            width = std::max(width, AvailableWidth() - used);
        }
        setColumnWidth(column, std::max(ContentWidth(column) + kCellPadding, width));
    }
    // The scroll bars take the new widths now rather than at the view's next timer, so that
    // the frame about to be drawn, a first one included, shows them.
    updateGeometries();
}

int QtListView::ContentWidth(int column) const {
    const QFontMetrics metrics(font());
    int widest = 0;
    for (int row = 0; row < topLevelItemCount(); ++row)
        widest = std::max(widest, metrics.horizontalAdvance(topLevelItem(row)->text(column)));
    return widest;
}

int QtListView::AvailableWidth() const {
    int available = contentsRect().width();
    const int rowsHeight = contentsRect().height() - header()->sizeHint().height();
    const int rows = topLevelItemCount();
    if (rows > 0 && rows * sizeHintForRow(0) > rowsHeight)
        available -= style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return available;
}

void QtListView::mousePressEvent(QMouseEvent* event) {
    const bool onRow = itemAt(event->position().toPoint()) != nullptr;
    QTreeWidget::mousePressEvent(event);
    if (!onRow)
        clearSelection();  // the highlight goes; the program keeps its mark
    ReportUserSelection();
}

void QtListView::mouseMoveEvent(QMouseEvent* event) {
    // A drag with the button held moves the highlight from row to row.
    QTreeWidget::mouseMoveEvent(event);
    ReportUserSelection();
}

void QtListView::mouseReleaseEvent(QMouseEvent* event) {
    QTreeWidget::mouseReleaseEvent(event);
    ReportUserSelection();
    if (event->button() == Qt::LeftButton && m_events)
        m_events->OnUserClick();
}

void QtListView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !(event->modifiers() & Qt::AltModifier)) {
        // Space is the program's, with Shift or Ctrl too (a list view reports the key alone):
        // it selects, marks and loads the focused row, as a click on it does. Qt's own
        // handling of the key, which toggles the selection with Ctrl, is left out.
        event->accept();
        if (currentItem() && m_events)
            m_events->OnUserKey(win::kVkSpace);
        return;
    }
    // A keyboard move selects and focuses the new row; it loads nothing.
    QTreeWidget::keyPressEvent(event);
    ReportUserSelection();
}

void QtListView::focusInEvent(QFocusEvent* event) {
    ShowHighlight(true);
    // Qt gives the focus rectangle to the first row when the list is tabbed into without one.
    QTreeWidget::focusInEvent(event);
    ReportUserSelection();
}

void QtListView::focusOutEvent(QFocusEvent* event) {
    ShowHighlight(false);
    QTreeWidget::focusOutEvent(event);
}

void QtListView::ShowHighlight(bool shown) {
    if (shown) {
        setPalette(m_palette);
        return;
    }
    QPalette hidden = m_palette;
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        hidden.setColor(group, QPalette::Highlight, m_palette.color(group, QPalette::Base));
        hidden.setColor(group, QPalette::HighlightedText, m_palette.color(group, QPalette::Text));
    }
    setPalette(hidden);
}

}  // namespace brindlecot::qt
