// The entry table's control: a report-view list with a header, as the core drives it.
// A Win32 list view stands behind it one call for one message; other toolkits emulate the
// behaviour the core relies on (see the comments on each call).
#pragma once

#include <string>

namespace brindlecot::platform {

class IListView {
  public:
    virtual ~IListView() = default;

    // Appends a left-aligned column with the given header text and no width of its own.
    virtual void InsertColumn(int column, const std::string& header) = 0;
    virtual void SetExtendedStyle(unsigned style) = 0;

    // Inserts a row at `row` whose first cell is `title`; the rows from `row` on move down one,
    // taking their selection state with them, and a selection mark at or below moves too.
    virtual void InsertItem(int row, const std::string& title) = 0;
    // Replaces one cell; a row that does not exist is left alone.
    virtual void SetItemText(int row, int column, const std::string& text) = 0;
    // The cell's whole text; empty for a row or column that does not exist.
    virtual std::string GetItemText(int row, int column) const = 0;
    // Removes a row, the rows below move up one; a row that does not exist is left alone.
    // The selection mark is not cleared by this call: a mark below the row moves up with its
    // row, a mark on it stays on its position, and a mark past the new last row moves to that
    // row (-1 when none is left), as the common controls do.
    virtual void DeleteItem(int row) = 0;
    virtual void DeleteAllItems() = 0;
    virtual int GetItemCount() const = 0;

    // The row the user last selected, by mouse or keyboard, or -1 while none ever was. A click
    // on empty space below the rows removes the highlight but keeps the mark.
    virtual int GetSelectionMark() const = 0;
    virtual void SetSelectionMark(int row) = 0;
    // The LVIS_SELECTED / LVIS_FOCUSED bits of a row, for carrying them along in a reordering.
    virtual unsigned GetItemState(int row, unsigned mask) const = 0;
    virtual void SetItemState(int row, unsigned state, unsigned mask) = 0;

    // The header control; a list view may have none, in which case auto-sizing does nothing.
    virtual bool HasHeader() const = 0;
    virtual int GetHeaderItemCount() const = 0;
    // `width` is a pixel width or LVSCW_AUTOSIZE (fit the cells) or LVSCW_AUTOSIZE_USEHEADER
    // (fit the header text; for the last column, also fill the rest of the control).
    virtual void SetColumnWidth(int column, int width) = 0;
    virtual int GetColumnWidth(int column) const = 0;

    virtual void SetRedraw(bool redraw) = 0;
    // Invalidates the whole control with erase, so that it repaints whole.
    virtual void Invalidate() = 0;
};

}  // namespace brindlecot::platform
