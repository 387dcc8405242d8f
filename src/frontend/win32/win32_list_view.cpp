#include "frontend/win32/win32_list_view.h"

namespace brindlecot::win32 {

void Win32ListView::InsertColumn(int column, const std::string& header) {
    Applying applying(m_applying);
    LVCOLUMNA col{};
    col.mask = LVCF_FMT | LVCF_TEXT | LVCF_SUBITEM;
    col.fmt = LVCFMT_LEFT;
    col.pszText = const_cast<char*>(header.c_str());
    col.iSubItem = column;
    Send(LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col));
}

void Win32ListView::SetExtendedStyle(unsigned style) {
    Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(style));
}

void Win32ListView::InsertRow(int row, const std::vector<std::string>& cells) {
    Applying applying(m_applying);
    HoldDrawing();
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    const std::string title = cells.empty() ? std::string() : cells[0];
    item.pszText = const_cast<char*>(title.c_str());
    const auto at = static_cast<int>(Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (at < 0)
        return;
    for (size_t c = 1; c < cells.size(); ++c) {
        if (!cells[c].empty())
            SetCellText(at, static_cast<int>(c), cells[c]);
    }
}

void Win32ListView::DeleteRow(int row) {
    Applying applying(m_applying);
    HoldDrawing();
    Send(LVM_DELETEITEM, static_cast<WPARAM>(row));
}

void Win32ListView::DeleteAllRows() {
    Applying applying(m_applying);
    HoldDrawing();
    Send(LVM_DELETEALLITEMS);
}

void Win32ListView::SetCellText(int row, int column, const std::string& text) {
    Applying applying(m_applying);
    HoldDrawing();
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    Send(LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void Win32ListView::SetState(int row, UINT state, UINT mask) {
    LVITEMA item{};
    item.stateMask = mask;
    item.state = state;
    Send(LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

int Win32ListView::NextItem(UINT flags) const {
    return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(flags, 0)));
}

void Win32ListView::ShowSelection(int selected, int focused) {
    Applying applying(m_applying);
    HoldDrawing();
    // Row -1 stands for every row: the highlight goes from all at once.
    SetState(-1, 0, LVIS_SELECTED);
    if (focused >= 0)
        SetState(focused, LVIS_FOCUSED, LVIS_FOCUSED);  // the control's one focused row
    else
        SetState(-1, 0, LVIS_FOCUSED);
    if (selected >= 0)
        SetState(selected, LVIS_SELECTED, LVIS_SELECTED);
}

void Win32ListView::HoldDrawing() {
    if (m_drawingHeld)
        return;
    m_drawingHeld = true;
    Send(WM_SETREDRAW, FALSE);
    // Taken before any paint, also in the message loop of a box the change is shown behind.
    ::PostMessageA(::GetParent(m_hwnd), kWmShowListChanges, static_cast<WPARAM>(m_controlId), 0);
}

void Win32ListView::ShowChanges() {
    if (!m_drawingHeld)
        return;
    m_drawingHeld = false;
    Send(WM_SETREDRAW, TRUE);  // lays out the scroll bars for the rows there are now
    ::InvalidateRect(m_hwnd, nullptr, TRUE);
}

void Win32ListView::FitColumn(int column) {
    // The rest that the last column fills depends on the vertical scroll bar, which the
    // control shows or hides only once it draws again.
    ShowChanges();
    // Fitted to the cells, then to the header (which also makes the last column fill the rest
    // of the control), the wider kept; not drawn in between.
    Send(WM_SETREDRAW, FALSE);
    Send(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(LVSCW_AUTOSIZE, 0));
    const auto cells = static_cast<int>(Send(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
    Send(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0));
    const auto header = static_cast<int>(Send(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
    if (cells > header)
        Send(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(cells, 0));
    Send(WM_SETREDRAW, TRUE);
    ::InvalidateRect(m_hwnd, nullptr, TRUE);
}

void Win32ListView::OnNotify(const NMHDR& header) {
    if (!m_events)
        return;
    switch (header.code) {
        case NM_CLICK:
            m_events->OnUserClick();
            return;
        case LVN_KEYDOWN:
            m_events->OnUserKey(reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey);
            return;
        case LVN_COLUMNCLICK:
            m_events->OnUserColumnClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
            return;
        case LVN_ITEMCHANGED:
            break;
        default:
            return;
    }
    if (m_applying)
        return;
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    constexpr UINT kBits = LVIS_SELECTED | LVIS_FOCUSED;
    if (!(change.uChanged & LVIF_STATE) || !((change.uOldState ^ change.uNewState) & kBits))
        return;
    m_events->OnUserSelection(NextItem(LVNI_SELECTED), NextItem(LVNI_FOCUSED));
}

}  // namespace brindlecot::win32
