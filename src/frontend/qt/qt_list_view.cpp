#include "frontend/qt/qt_list_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>

#include "frontend/qt/startup_shortcuts.h"
#include "frontend/qt/text_codec.h"

namespace brindlecot::qt {

namespace {
// Room around a cell's text when a column is fitted to its cells.
constexpr int kCellPadding = 12;

bool IsPlain(const std::string& bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}
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
    m_headerHints.assign(m_headers.size(), -1);
    m_headerHeight = -1;
}

void QtListView::SetExtendedStyle(unsigned) {
    // Full-row selection is the only extended style the program sets, and rows are always
    // selected whole here.
}

void QtListView::InsertItem(int row, const std::string& title) {
    const int at = std::clamp(row, 0, GetItemCount());
    auto* item = new QTreeWidgetItem();  // owned by the tree from the next line on
    insertTopLevelItem(at, item);
    m_cells.emplace(m_cells.begin() + at);
    if (m_mark >= at)
        ++m_mark;
    // Qt's item holds a text for column 0 even when the list has no columns yet.
    PutText(*item, at, 0, title);
}

void QtListView::SetItemText(int row, int column, const std::string& text) {
    if (row < 0 || static_cast<size_t>(row) >= m_cells.size() || column < 0 ||
        column >= columnCount())
        return;
    PutText(*topLevelItem(row), row, column, text);
}

void QtListView::PutText(QTreeWidgetItem& item, int row, int column, const std::string& text) {
    auto& cells = m_cells[static_cast<size_t>(row)];
    if (cells.size() <= static_cast<size_t>(column))
        cells.resize(static_cast<size_t>(column) + 1);
    Cell& cell = cells[static_cast<size_t>(column)];
    // In place: a text sorted into this cell reuses the room of the one it replaces.
    cell.bytes.assign(text);
    cell.set = true;
    cell.plain = IsPlain(text);
    cell.width = -1;
    cell.pending = false;
    if (kShortcuts && !isVisible()) {
        // Loading the entry file sorts the table after every entry, moving texts between rows
        // a thousand times while the window is hidden: only the last of them is ever seen.
        cell.pending = true;
        m_textsPending = true;
        return;
    }
    SetCell(item, column, text);
}

// A cell shows its bytes as text; bytes that are not UTF-8 are also kept beside the text, as
// the text alone does not give them back (see text_codec.h).
void QtListView::SetCell(QTreeWidgetItem& item, int column, const std::string& bytes) {
    item.setText(column, ToQString(bytes));
    item.setData(column, kBytesRole,
                 IsUtf8(bytes) ? QVariant() : QVariant(QByteArray::fromStdString(bytes)));
}

void QtListView::ApplyPendingTexts(int onlyRow) {
    if (!m_textsPending)
        return;
    if (onlyRow < 0)
        m_textsPending = false;
    for (size_t row = 0; row < m_cells.size(); ++row) {
        if (onlyRow >= 0 && row != static_cast<size_t>(onlyRow))
            continue;
        QTreeWidgetItem* item = topLevelItem(static_cast<int>(row));
        auto& cells = m_cells[row];
        for (size_t column = 0; column < cells.size(); ++column) {
            Cell& cell = cells[column];
            if (cell.pending) {
                cell.pending = false;
                SetCell(*item, static_cast<int>(column), cell.bytes);
            }
        }
    }
}

void QtListView::showEvent(QShowEvent* event) {
    ApplyPendingTexts();
    QTreeWidget::showEvent(event);
}

std::string QtListView::GetItemText(int row, int column) const {
    if (row < 0 || static_cast<size_t>(row) >= m_cells.size() || column < 0 ||
        column >= columnCount())
        return {};
    if (kShortcuts) {
        // The bytes as they were given: the same as converting the item's text back.
        const auto& cells = m_cells[static_cast<size_t>(row)];
        return static_cast<size_t>(column) < cells.size() ? cells[static_cast<size_t>(column)].bytes
                                                          : std::string();
    }
    const QTreeWidgetItem* item = topLevelItem(row);
    const QVariant bytes = item->data(column, kBytesRole);
    if (bytes.isValid())
        return bytes.toByteArray().toStdString();
    return FromQString(item->text(column));
}

void QtListView::DeleteItem(int row) {
    if (row < 0 || row >= GetItemCount())
        return;
    delete takeTopLevelItem(row);
    m_cells.erase(m_cells.begin() + row);
    // A mark below moves up with its row; a mark on the deleted row stays on its position,
    // except that it never names a row past the end, as on Windows.
    if (m_mark > row || m_mark >= GetItemCount())
        --m_mark;
}

void QtListView::DeleteAllItems() {
    clear();
    m_cells.clear();
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
        w = ContentWidth(column) + kCellPadding;
    } else if (width == win::kLvscwAutosizeUseHeader) {
        w = HeaderHint(column);
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

int QtListView::ContentWidth(int column) const {
    int widest = 0;
    for (int row = 0; row < GetItemCount(); ++row) {
        if (!kShortcuts) {
            widest = std::max(widest, TextWidth(topLevelItem(row)->text(column)));
            continue;
        }
        const auto& cells = m_cells[static_cast<size_t>(row)];
        if (static_cast<size_t>(column) >= cells.size())
            continue;  // no text: no width
        const Cell& cell = cells[static_cast<size_t>(column)];
        if (cell.width < 0)
            cell.width = BytesWidth(cell.bytes);
        widest = std::max(widest, cell.width);
    }
    return widest;
}

int QtListView::HeaderHint(int column) const {
    if (!kShortcuts)
        return header()->sectionSizeHint(column);
    int& hint = m_headerHints[static_cast<size_t>(column)];
    if (hint < 0)
        hint = header()->sectionSizeHint(column);
    return hint;
}

int QtListView::HeaderHeight() const {
    if (!kShortcuts || m_headerHeight < 0)
        m_headerHeight = header()->sizeHint().height();
    return m_headerHeight;
}

int QtListView::FirstRowHint() {
    ApplyPendingTexts(0);  // Qt measures the item itself
    return sizeHintForRow(0);
}

int QtListView::RowHeight() {
    if (GetItemCount() == 0)
        return 0;
    if (!kShortcuts)
        return FirstRowHint();
    // The key: for each column, whether the first row's cell has no text (0), an empty one
    // (1) or a plain one (2). Any other text is measured each time.
    unsigned long long key = 0;
    const auto& cells = m_cells.front();
    for (int c = columnCount() - 1; c >= 0; --c) {
        const auto i = static_cast<size_t>(c);
        const Cell* cell = i < cells.size() ? &cells[i] : nullptr;
        if (cell && cell->set && !cell->plain)
            return FirstRowHint();
        key = key * 3 + (!cell || !cell->set ? 0 : cell->bytes.empty() ? 1 : 2);
    }
    if (columnCount() > 40)
        return FirstRowHint();  // the key would not fit
    auto it = m_plainRowHeights.find(key);
    if (it == m_plainRowHeights.end())
        it = m_plainRowHeights.emplace(key, FirstRowHint()).first;
    return it->second;
}

void QtListView::ForgetSizes() {
    m_bytesWidths.clear();
    for (auto& row : m_cells) {
        for (Cell& cell : row)
            cell.width = -1;
    }
    std::fill(m_headerHints.begin(), m_headerHints.end(), -1);
    m_headerHeight = -1;
    m_plainRowHeights.clear();
}

int QtListView::TextWidth(const QString& text) const {
    return QFontMetrics(font()).horizontalAdvance(text);
}

int QtListView::BytesWidth(const std::string& bytes) const {
    // Every change of the table fits all columns to all cells again, and sorting moves texts
    // between rows: each text is measured once for this font, and found again by its bytes.
    auto it = m_bytesWidths.find(bytes);
    if (it == m_bytesWidths.end())
        it = m_bytesWidths.emplace(bytes, TextWidth(ToQString(bytes))).first;
    return it->second;
}

void QtListView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        ForgetSizes();
    QTreeWidget::changeEvent(event);
}

int QtListView::AvailableWidth() {
    int available = contentsRect().width();
    const int rowsHeight = contentsRect().height() - HeaderHeight();
    if (GetItemCount() * RowHeight() > rowsHeight) {
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
    if (event->key() == Qt::Key_Space && !(event->modifiers() & Qt::AltModifier)) {
        // Space is the program's, with Shift or Ctrl too (a list view reports the key alone):
        // it selects, marks and loads the focused row, as a click on it does. Qt's own
        // handling of the key, which toggles the selection with Ctrl, is left out.
        event->accept();
        if (currentItem()) {
            win::NmLvKeyDown nm;
            nm.hdr = {static_cast<win::UINT>(m_controlId), win::kLvnKeyDown};
            nm.wVKey = win::kVkSpace;
            m_notify(nm.hdr);
        }
        return;
    }
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
