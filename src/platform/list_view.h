// The entry table's display: a report-view list with a header. It shows the rows the list
// control object (CListCtrl, src/app) gives it, reports what the user does to them, and fits its
// columns. The rows' texts, their selection, the selection mark and every rule about them
// (insertion moves rows and the mark down, deletion clamps the mark, selection travels with its
// row) are the list control object's; a display keeps no rule of its own and is never asked
// for its rows back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brindlecot::platform {

// What the user did to a display, as it reports it.
class IListViewEvents {
  public:
    virtual ~IListViewEvents() = default;
    // The user changed the selection, by mouse or keyboard: `selected` is the highlighted row
    // afterwards (-1 when the user removed the highlight, as a click on the empty space below
    // the rows does), `focused` the row with the focus rectangle (-1 for none). Reported before
    // the click's or the key's notification reaches the dialog, so that its handler sees the
    // new selection. Never reported for a change the display made because it was told to.
    virtual void OnUserSelection(int selected, int focused) = 0;
    // The user released the left button over the rows (on a row or on the space below them).
    virtual void OnUserClick() = 0;
    // The user pressed a key while the display had the focus, before the display acts on it
    // (a display may report only the keys the program answers, Space among them).
    virtual void OnUserKey(std::uint16_t virtualKey) = 0;
    // The user clicked a column's header.
    virtual void OnUserColumnClick(int column) = 0;
};

class IListView {
  public:
    virtual ~IListView() = default;

    // Where the display reports; nullptr stops the reports.
    virtual void SetEvents(IListViewEvents* events) = 0;

    // Appends a left-aligned column with the given header text and no width of its own.
    virtual void InsertColumn(int column, const std::string& header) = 0;
    virtual void SetExtendedStyle(unsigned style) = 0;

    // Shows a new row at `row` with these cells (fewer cells than columns leave the rest
    // empty); the rows shown from `row` on move down one.
    virtual void InsertRow(int row, const std::vector<std::string>& cells) = 0;
    // Removes the row shown at `row`; the rows below move up one.
    virtual void DeleteRow(int row) = 0;
    virtual void DeleteAllRows() = 0;
    virtual void SetCellText(int row, int column, const std::string& text) = 0;
    // Shows the highlighted row and the focused row (-1 for none); a single-selection list.
    virtual void ShowSelection(int selected, int focused) = 0;

    // Fits a column to the wider of its cells and its header text; the last column also fills
    // the rest of the control. A display may measure when it next draws; asked several times
    // before that, it measures once.
    virtual void FitColumn(int column) = 0;
};

}  // namespace brindlecot::platform
