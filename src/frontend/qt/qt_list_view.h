// The entry table's control on Qt: a report list over QTreeWidget that keeps the selection
// mark the way a Win32 list view does, and reports clicks as the list view's notifications.
#pragma once

#include <QTreeWidget>
#include <functional>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/list_view.h"
#include "platform/win_values.h"

namespace brindlecot::qt {

class QtListView : public QTreeWidget, public platform::IListView {
    Q_OBJECT

  public:
    // `notify` receives NM_CLICK (an NmHdr), LVN_COLUMNCLICK (an NmListView) and, for Space on
    // the focused row, LVN_KEYDOWN (an NmLvKeyDown).
    QtListView(int controlId, std::function<void(win::NmHdr&)> notify, QWidget* parent);

    // IListView
    void InsertColumn(int column, const std::string& header) override;
    void SetExtendedStyle(unsigned style) override;
    void InsertItem(int row, const std::string& title) override;
    void SetItemText(int row, int column, const std::string& text) override;
    std::string GetItemText(int row, int column) const override;
    void DeleteItem(int row) override;
    void DeleteAllItems() override;
    int GetItemCount() const override;
    int GetSelectionMark() const override { return m_mark; }
    void SetSelectionMark(int row) override { m_mark = row; }
    unsigned GetItemState(int row, unsigned mask) const override;
    void SetItemState(int row, unsigned state, unsigned mask) override;
    bool HasHeader() const override { return true; }
    int GetHeaderItemCount() const override { return columnCount(); }
    void SetColumnWidth(int column, int width) override;
    int GetColumnWidth(int column) const override;
    void SetRedraw(bool redraw) override;
    void Invalidate() override;

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    static constexpr int kBytesRole = Qt::UserRole + 1;
    static void SetCell(QTreeWidgetItem& item, int column, const std::string& bytes);
    int SelectedRow() const;  // -1 when no row is highlighted
    // Sets a cell's text, or, while the list is hidden, keeps it to give the item when shown.
    void PutText(QTreeWidgetItem& item, int row, int column, const std::string& text);
    void ApplyPendingTexts(int onlyRow = -1);  // all rows, or this one
    int TextWidth(const QString& text) const;
    int BytesWidth(const std::string& bytes) const;  // the width of the text the bytes show
    // The widest text in a column, from the widths the cells remember.
    int ContentWidth(int column) const;
    int HeaderHint(int column) const;
    int HeaderHeight() const;
    int RowHeight();  // the height the rows are laid out with; 0 without rows
    int FirstRowHint();
    void ForgetSizes();  // the font or the style changed
    // The width available to the columns: the control's inside, less a vertical scroll bar
    // when the rows need one.
    int AvailableWidth();
    // A highlight that shows only while the list has the focus.
    void ShowHighlight(bool shown);

    int m_controlId;
    std::function<void(win::NmHdr&)> m_notify;
    std::vector<QString> m_headers;
    int m_mark = -1;
    QPalette m_palette;  // the palette with the highlight shown
    mutable std::unordered_map<std::string, int> m_bytesWidths;

    // Every change of the table fits all columns again, each time asking for the header's and
    // the rows' size hints, which Qt computes anew at each call. What those depend on changes
    // far less often: the font, the style, the header texts and the cells.
    struct Cell {
        std::string bytes;
        bool set = false;        // a text was given; a cell never given one is not the same as ""
        bool plain = false;      // printable ASCII only: the primary font draws it in one line
        mutable int width = -1;  // the text's width once measured
        bool pending = false;    // not yet given to the item
    };
    std::vector<std::vector<Cell>> m_cells;  // by row, then column, beside the items
    mutable std::vector<int> m_headerHints;  // by column; -1 until asked
    mutable int m_headerHeight = -1;
    bool m_textsPending = false;
    // The row height of a first row whose cells are all plain or empty, by which cells have
    // text: it does not depend on what that text is.
    mutable std::map<unsigned long long, int> m_plainRowHeights;
};

}  // namespace brindlecot::qt
