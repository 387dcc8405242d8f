#include "frontend/win32/win32_list_view.h"

#include <vector>

namespace brindlecot::win32 {

void Win32ListView::InsertColumn(int column, const std::string& header) {
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

void Win32ListView::InsertItem(int row, const std::string& title) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<char*>(title.c_str());
    Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void Win32ListView::SetItemText(int row, int column, const std::string& text) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    Send(LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::string Win32ListView::GetItemText(int row, int column) const {
    if (row < 0 || row >= GetItemCount())
        return {};
    // The message reports only how much it copied: grow the buffer until the text fits.
    std::vector<char> buffer(256);
    for (;;) {
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        const auto n = static_cast<size_t>(
            Send(LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
        if (n + 1 < buffer.size() || buffer.size() >= (1u << 20))
            return std::string(buffer.data(), n);
        buffer.resize(buffer.size() * 4);
    }
}

void Win32ListView::DeleteItem(int row) {
    Send(LVM_DELETEITEM, static_cast<WPARAM>(row));
}

void Win32ListView::DeleteAllItems() {
    Send(LVM_DELETEALLITEMS);
}

int Win32ListView::GetItemCount() const {
    return static_cast<int>(Send(LVM_GETITEMCOUNT));
}

int Win32ListView::GetSelectionMark() const {
    return static_cast<int>(Send(LVM_GETSELECTIONMARK));
}

void Win32ListView::SetSelectionMark(int row) {
    Send(LVM_SETSELECTIONMARK, 0, row);
}

unsigned Win32ListView::GetItemState(int row, unsigned mask) const {
    return static_cast<unsigned>(Send(LVM_GETITEMSTATE, static_cast<WPARAM>(row), mask));
}

void Win32ListView::SetItemState(int row, unsigned state, unsigned mask) {
    LVITEMA item{};
    item.stateMask = mask;
    item.state = state;
    Send(LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

bool Win32ListView::HasHeader() const {
    return Send(LVM_GETHEADER) != 0;
}

int Win32ListView::GetHeaderItemCount() const {
    const HWND header = reinterpret_cast<HWND>(Send(LVM_GETHEADER));
    return header ? static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

void Win32ListView::SetColumnWidth(int column, int width) {
    Send(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0));
}

int Win32ListView::GetColumnWidth(int column) const {
    return static_cast<int>(Send(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
}

void Win32ListView::SetRedraw(bool redraw) {
    Send(WM_SETREDRAW, redraw ? TRUE : FALSE);
}

void Win32ListView::Invalidate() {
    ::InvalidateRect(m_hwnd, nullptr, TRUE);
}

}  // namespace brindlecot::win32
