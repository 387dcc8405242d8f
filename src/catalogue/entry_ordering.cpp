// Reordering the entry table: a stable exchange sort in full passes, its toggling form for the
// header clicks, and the reversal. Cell texts move between positions; each row's selection
// state and the selection mark move with their entry, so that Update and Remove afterwards act
// on the entry the user chose.
#include "app/brindlecot_dlg.h"

namespace brindlecot {

void CBrindlecotDlg::ExchangeRows(int i, int j) {
    std::string temp[3];
    for (int c = 0; c < 3; ++c)
        temp[c] = m_listEntries.GetItemText(j, c);
    for (int c = 0; c < 3; ++c)
        m_listEntries.SetItemText(j, c, m_listEntries.GetItemText(i, c));
    for (int c = 0; c < 3; ++c)
        m_listEntries.SetItemText(i, c, temp[c]);

    constexpr unsigned kMask = win::kLvisSelected | win::kLvisFocused;
    const int mark = m_listEntries.GetSelectionMark();
    const unsigned si = m_listEntries.GetItemState(i, kMask);
    const unsigned sj = m_listEntries.GetItemState(j, kMask);
    if (si != sj) {
        // Clear before setting: a single-selection list drops the other row's highlight when
        // one is selected.
        if (si != 0)
            m_listEntries.SetItemState(i, 0, kMask);
        if (sj != 0)
            m_listEntries.SetItemState(j, 0, kMask);
        if (si != 0)
            m_listEntries.SetItemState(j, si, kMask);
        if (sj != 0)
            m_listEntries.SetItemState(i, sj, kMask);
    }
    // Set last: selecting a row may move the mark on some list views.
    if (mark == i) {
        m_listEntries.SetSelectionMark(j);
    } else if (mark == j) {
        m_listEntries.SetSelectionMark(i);
    } else if (si != sj) {
        m_listEntries.SetSelectionMark(mark);
    }
}

int CBrindlecotDlg::SortPasses(int column) {
    const int n = m_listEntries.GetItemCount();
    int exchanges = 0;
    bool moved = true;
    while (moved) {
        moved = false;
        for (int i = 0; i + 1 < n; ++i) {
            if (Platform().CompareText(m_listEntries.GetItemText(i, column),
                                       m_listEntries.GetItemText(i + 1, column)) > 0) {
                ExchangeRows(i, i + 1);
                moved = true;
                ++exchanges;
            }
        }
    }
    return exchanges;
}

void CBrindlecotDlg::SortByColumn(int column) {
    UpdateData(true);
    m_nCount = m_listEntries.GetItemCount();
    SortPasses(column);
    UpdateData(false);
}

void CBrindlecotDlg::SortByColumnToggle(int column) {
    UpdateData(true);
    m_nCount = m_listEntries.GetItemCount();
    if (SortPasses(column) == 0)
        ReverseRows();
    UpdateData(false);
}

void CBrindlecotDlg::ReverseRows() {
    UpdateData(true);
    m_nCount = m_listEntries.GetItemCount();
    for (int i = 0; i < m_nCount / 2; ++i)
        ExchangeRows(i, m_nCount - 1 - i);
    UpdateData(false);
}

void CBrindlecotDlg::OnColumnClickList(win::NmHdr* pNMHDR, win::LRESULT* pResult) {
    const auto* view = reinterpret_cast<const win::NmListView*>(pNMHDR);
    SortByColumnToggle(view->iSubItem);
    *pResult = 0;
}

}  // namespace brindlecot
