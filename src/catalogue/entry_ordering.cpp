// Reordering the entry table: a stable exchange sort in full passes, its toggling form for the
// header clicks, and the reversal. Whole rows change places, so each row's selection state and
// the selection mark move with their entry, and Update and Remove afterwards act on the entry
// the user chose.
#include "app/brindlecot_dlg.h"

namespace brindlecot {

int CBrindlecotDlg::SortPasses(int column) {
    const int n = m_listEntries.GetItemCount();
    int exchanges = 0;
    bool moved = true;
    while (moved) {
        moved = false;
        for (int i = 0; i + 1 < n; ++i) {
            if (Platform().CompareText(m_listEntries.GetItemText(i, column),
                                       m_listEntries.GetItemText(i + 1, column)) > 0) {
                m_listEntries.ExchangeRows(i, i + 1);
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
        m_listEntries.ExchangeRows(i, m_nCount - 1 - i);
    UpdateData(false);
}

void CBrindlecotDlg::OnColumnClickList(win::NmHdr* pNMHDR, win::LRESULT* pResult) {
    const auto* view = reinterpret_cast<const win::NmListView*>(pNMHDR);
    SortByColumnToggle(view->iSubItem);
    *pResult = 0;
}

}  // namespace brindlecot
