// The entry table's control on Qt: a report list over QTreeWidget that keeps the selection
// mark the way a Win32 list view does, and reports clicks as the list view's notifications.
#pragma once

#include <QHash>
#include <QTreeWidget>
#include <functional>
#include <string>
#include <vector>

#include "platform/list_view.h"
#include "platform/win_values.h"

namespace brindlecot::qt {

class QtListView : public QTreeWidget, public platform::IListView {
    Q_OBJECT

  public:
    // `notify` receives NM_CLICK (an NmHdr) and LVN_COLUMNCLICK (an NmListView).
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
    void changeEvent(QEvent* event) override;

  private:
    static constexpr int kBytesRole = Qt::UserRole + 1;
    static void SetCell(QTreeWidgetItem& item, int column, const std::string& bytes);
    int SelectedRow() const;  // -1 when no row is highlighted
    int TextWidth(const QString& text) const;
    // The width available to the columns: the control's inside, less a vertical scroll bar
    // when the rows need one.
    int AvailableWidth() const;
    // A highlight that shows only while the list has the focus.
    void ShowHighlight(bool shown);

    int m_controlId;
    std::function<void(win::NmHdr&)> m_notify;
    std::vector<QString> m_headers;
    int m_mark = -1;
    QPalette m_palette;  // the palette with the highlight shown
    mutable QHash<QString, int> m_textWidths;
};

}  // namespace brindlecot::qt
