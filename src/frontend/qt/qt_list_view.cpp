#include "frontend/qt/qt_list_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>

#include "frontend/qt/text_codec.h"

namespace brindlecot::qt {

namespace {
// Room around a cell's text when a column is fitted to its cells.
constexpr int kCellPadding = 12;
}  // namespace

QtListView::QtListView(int controlId, std::function<void(win::NmHdr&)> notify, QWidget* parent)
    : QTreeWidget(parent), m_controlId(controlId), m_notify(std::move(notify)) {
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
        win::NmListView nm;
        nm.hdr = {static_cast<win::UINT>(m_controlId), win::kLvnColumnClick};
        nm.iItem = -1;
        nm.iSubItem = column;
        m_notify(nm.hdr);
    });
    m_palette = palette();
    ShowHighlight(false);
}

void QtListView::InsertColumn(int column, const std::string& header) {
    const auto at = static_cast<size_t>(std::clamp(column, 0, static_cast<int>(m_headers.size())));
    m_headers.insert(m_headers.begin() + static_cast<std::ptrdiff_t>(at), ToQString(header));
    setColumnCount(static_cast<int>(m_headers.size()));
    setHeaderLabels(QStringList(m_headers.begin(), m_headers.end()));
}

void QtListView::SetExtendedStyle(unsigned) {
    // Full-row selection is the only extended style the program sets, and rows are always
    // selected whole here.
}

void QtListView::InsertItem(int row, const std::string& title) {
    const int at = std::clamp(row, 0, GetItemCount());
    auto* item = new QTreeWidgetItem();  // owned by the tree from the next line on
    insertTopLevelItem(at, item);
    item->setText(0, ToQString(title));
    if (m_mark >= at)
        ++m_mark;
}

void QtListView::SetItemText(int row, int column, const std::string& text) {
    QTreeWidgetItem* item = topLevelItem(row);
    if (!item || column < 0 || column >= columnCount())
        return;
    item->setText(column, ToQString(text));
}

std::string QtListView::GetItemText(int row, int column) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    if (!item || column < 0 || column >= columnCount())
        return {};
    return FromQString(item->text(column));
}

void QtListView::DeleteItem(int row) {
    if (row < 0 || row >= GetItemCount())
        return;
    delete takeTopLevelItem(row);
    // A mark below moves up with its row; a mark on the deleted row stays on its position,
    // except that it never names a row past the end, as on Windows.
    if (m_mark > row || m_mark >= GetItemCount())
        --m_mark;
}

void QtListView::DeleteAllItems() {
    clear();
    m_mark = -1;
}

int QtListView::GetItemCount() const {
    return topLevelItemCount();
}

unsigned QtListView::GetItemState(int row, unsigned mask) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    if (!item)
        return 0;
    unsigned state = 0;
    if (item->isSelected())
        state |= win::kLvisSelected;
    if (currentItem() == item)
        state |= win::kLvisFocused;
    return state & mask;
}

void QtListView::SetItemState(int row, unsigned state, unsigned mask) {
    QTreeWidgetItem* item = topLevelItem(row);
    if (!item)
        return;
    if (mask & win::kLvisSelected) {
        const bool select = (state & win::kLvisSelected) != 0;
        // Single selection: selecting a row drops the other rows' highlight.
        if (select)
            clearSelection();
        item->setSelected(select);
    }
    if (mask & win::kLvisFocused) {
        if (state & win::kLvisFocused) {
            setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
        } else if (currentItem() == item) {
            selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        }
    }
}

void QtListView::SetColumnWidth(int column, int width) {
    if (column < 0 || column >= columnCount())
        return;
    int w = width;
    if (width == win::kLvscwAutosize) {
        w = kCellPadding;
        for (int row = 0; row < GetItemCount(); ++row) {
            w = std::max(w, TextWidth(topLevelItem(row)->text(column)) + kCellPadding);
        }
    } else if (width == win::kLvscwAutosizeUseHeader) {
        w = header()->sectionSizeHint(column);
        if (column == columnCount() - 1) {
            int used = 0;
            for (int c = 0; c < column; ++c)
                used += columnWidth(c);
            w = std::max(w, AvailableWidth() - used);
        }
    }
    setColumnWidth(column, std::max(w, 0));
}

int QtListView::GetColumnWidth(int column) const {
    if (column < 0 || column >= columnCount())
        return 0;
    return columnWidth(column);
}

int QtListView::TextWidth(const QString& text) const {
    // Every change of the table fits all columns to all cells again, so each text is measured
    // once and remembered for this font.
    auto it = m_textWidths.constFind(text);
    if (it != m_textWidths.constEnd())
        return *it;
    const int width = QFontMetrics(font()).horizontalAdvance(text);
    m_textWidths.insert(text, width);
    return width;
}

void QtListView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange)
        m_textWidths.clear();
    QTreeWidget::changeEvent(event);
}

int QtListView::AvailableWidth() const {
    int available = contentsRect().width();
    const int rowHeight = GetItemCount() > 0 ? sizeHintForRow(0) : 0;
    const int rowsHeight = contentsRect().height() - header()->sizeHint().height();
    if (GetItemCount() * rowHeight > rowsHeight) {
        available -= style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    }
    return available;
}

void QtListView::SetRedraw(bool redraw) {
    setUpdatesEnabled(redraw);
}

void QtListView::Invalidate() {
    viewport()->update();
    header()->viewport()->update();
}

int QtListView::SelectedRow() const {
    const QList<QTreeWidgetItem*> items = selectedItems();
    return items.isEmpty() ? -1 : indexOfTopLevelItem(items.front());
}

void QtListView::mousePressEvent(QMouseEvent* event) {
    const bool onRow = itemAt(event->position().toPoint()) != nullptr;
    QTreeWidget::mousePressEvent(event);
    if (onRow) {
        const int row = SelectedRow();
        if (row >= 0)
            m_mark = row;
    } else {
        clearSelection();  // the highlight goes, the mark stays
    }
}

void QtListView::mouseReleaseEvent(QMouseEvent* event) {
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    // A drag with the button held may have moved the highlight to another row.
    const int row = SelectedRow();
    if (row >= 0)
        m_mark = row;
    win::NmHdr hdr{static_cast<win::UINT>(m_controlId), win::kNmClick};
    m_notify(hdr);
}

void QtListView::keyPressEvent(QKeyEvent* event) {
    const QTreeWidgetItem* before = currentItem();
    QTreeWidget::keyPressEvent(event);
    if (currentItem() != before) {
        // A keyboard move selects the new row and marks it; it loads nothing.
        const int row = SelectedRow();
        if (row >= 0)
            m_mark = row;
    }
}

void QtListView::focusInEvent(QFocusEvent* event) {
    ShowHighlight(true);
    QTreeWidget::focusInEvent(event);
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
