// The entry table's display on Qt: a report list over QTreeWidget that shows the rows it is
// given, looks and answers like a Win32 list (a highlight only while it has the focus, a
// clickable header), and reports the user's selection, clicks, Space and header clicks.
#pragma once

#include <QTreeWidget>
#include <set>
#include <string>
#include <vector>

#include "platform/list_view.h"
#include "platform/win_values.h"

namespace brindlecot::qt {

class QtListView : public QTreeWidget, public platform::IListView {
    Q_OBJECT

  public:
    explicit QtListView(QWidget* parent);

    // IListView
    void SetEvents(platform::IListViewEvents* events) override { m_events = events; }
    void InsertColumn(int column, const std::string& header) override;
    void SetExtendedStyle(unsigned style) override;
    void InsertRow(int row, const std::vector<std::string>& cells) override;
    void DeleteRow(int row) override;
    void DeleteAllRows() override;
    void SetCellText(int row, int column, const std::string& text) override;
    void ShowSelection(int selected, int focused) override;
    void FitColumn(int column) override;

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Selection {
        int selected = -1;
        int focused = -1;
    };
    Selection Shown() const;  // what the widget shows now
    void Show(Selection selection);
    // After the user's input: reports a selection that differs from the one last shown.
    void ReportUserSelection();
    void FitPendingColumns();
    int ContentWidth(int column) const;
    // The width available to the columns: the control's inside, less a vertical scroll bar
    // when the rows need one.
    int AvailableWidth() const;
    // A highlight that shows only while the list has the focus.
    void ShowHighlight(bool shown);

    platform::IListViewEvents* m_events = nullptr;
    Selection m_selection;         // as last shown by order or reported
    std::set<int> m_columnsToFit;  // fitted when the list next draws, in column order
    bool m_watchingWindow = false;
    QPalette m_palette;  // the palette with the highlight shown
};

}  // namespace brindlecot::qt
