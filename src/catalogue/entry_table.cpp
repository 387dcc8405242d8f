// The entry table's commands. The list control holds the entries; the members carry one entry
// at a time between the fields and the rows.
#include <iterator>

#include "app/brindlecot_dlg.h"
#include "resources/resource.h"

namespace brindlecot {

namespace {
constexpr const char* kColumnHeaders[] = {"Site Title", "Program/Site URL", "Sort Order"};
constexpr const char* kBrowseFilter =
    "Executable Files (*.exe)|*.exe|Com Files (*.com)|*.com|All Files (*.*)|*.*||";
}  // namespace

void CBrindlecotDlg::SetupColumns() {
    for (int c = 0; c < static_cast<int>(std::size(kColumnHeaders)); ++c)
        m_listEntries.InsertColumn(c, kColumnHeaders[c]);
    m_listEntries.SetExtendedStyle(win::kLvsExFullRowSelect);
    AutoSizeColumns();
}

void CBrindlecotDlg::AutoSizeColumns() {
    // Each column the wider of its cells and its header; the display measures once, however
    // often this is asked before it next shows the list.
    for (int c = 0; c < static_cast<int>(std::size(kColumnHeaders)); ++c)
        m_listEntries.FitColumn(c);
}

void CBrindlecotDlg::RecountEntries() {
    m_nCount = m_listEntries.GetItemCount();
    UpdateData(false);
}

void CBrindlecotDlg::LoadRowIntoFields(int row) {
    UpdateData(true);
    m_strTitle = m_listEntries.GetItemText(row, COL_TITLE);
    m_strTarget = m_listEntries.GetItemText(row, COL_TARGET);
    m_strSortOrder = m_listEntries.GetItemText(row, COL_SORTORDER);
    UpdateData(false);
}

int CBrindlecotDlg::IsDuplicateEntry() {
    UpdateData(true);
    m_nCount = m_listEntries.GetItemCount();
    for (int row = 0; row < m_nCount; ++row) {
        if (m_listEntries.GetItemText(row, COL_TITLE) == m_strTitle &&
            m_listEntries.GetItemText(row, COL_TARGET) == m_strTarget) {
            return 1;
        }
    }
    return 0;
}

namespace {
// The short phrase is the text and the sentence the caption, as the program has always shown it.
void ShowLimitBox(CDialog& dialog) {
    dialog.ShowMessageBox("Maximum Items Reached", "The maximum number of entries is 50.",
                          win::kMbOk);
}

void InsertEntryAtTop(CListCtrl& list, const std::string& title, const std::string& target,
                      const std::string& sortOrder) {
    list.InsertItem(0, title);
    list.SetItemText(0, COL_TARGET, target);
    list.SetItemText(0, COL_SORTORDER, sortOrder);
}
}  // namespace

void CBrindlecotDlg::AddEntry() {
    UpdateData(true);
    if (m_nCount >= MAX_ENTRIES) {
        ShowLimitBox(*this);
        return;
    }
    if (m_strTarget.empty() || m_strTitle.empty()) {
        ShowMessageBox(
            "URL or Title Blank.\r\nNo entry added.\r\nPlease add a title and url and try "
            "again.",
            "Error", win::kMbOk);
    } else {
        bool add = true;
        if (IsDuplicateEntry() == 1) {
            add = AfxMessageBox(Platform(),
                                "This entry is already in the list.\r\nDo you really want to "
                                "add this item?",
                                win::kMbYesNo) == win::kIdYes;
        }
        if (add) {
            InsertEntryAtTop(m_listEntries, m_strTitle, m_strTarget, m_strSortOrder);
            AutoSizeColumns();
            RecountEntries();
        }
    }
    SortByColumn(COL_SORTORDER);
    UpdateData(false);
}

void CBrindlecotDlg::AddLoadedEntry() {
    UpdateData(true);
    if (m_nCount >= MAX_ENTRIES) {
        // One box per refused entry would keep a long file's reader clicking for hours before
        // the window appears; after the first few the rest go without a box.
        if (m_nLimitBoxesAtLoad < kLimitBoxesAtLoad) {
            ++m_nLimitBoxesAtLoad;
            ShowLimitBox(*this);
        } else {
            ++m_nDroppedAtLoad;
        }
        return;
    }
    if (!m_strTitle.empty() && !m_strTarget.empty()) {
        InsertEntryAtTop(m_listEntries, m_strTitle, m_strTarget, m_strSortOrder);
        AutoSizeColumns();
        RecountEntries();
    }
    SortByColumn(COL_SORTORDER);
    UpdateData(false);
}

void CBrindlecotDlg::UpdateEntry() {
    UpdateData(true);
    const int row = m_listEntries.GetSelectionMark();
    // An entry without a target would be written with an empty "URL=" line and dropped at the
    // next start, so an empty target changes no row, as an empty title does.
    if (!m_strTitle.empty() && !m_strTarget.empty() && row >= 0) {
        m_listEntries.SetItemText(row, COL_TITLE, m_strTitle);
        m_listEntries.SetItemText(row, COL_TARGET, m_strTarget);
        m_listEntries.SetItemText(row, COL_SORTORDER, m_strSortOrder);
    }
    AutoSizeColumns();
    SortByColumn(COL_SORTORDER);
    UpdateData(false);
}

void CBrindlecotDlg::RemoveEntry() {
    const int row = m_listEntries.GetSelectionMark();
    if (row >= 0 && row < m_listEntries.GetItemCount()) {
        m_listEntries.DeleteItem(row);
        // The removed entry was the marked one; leaving the mark on its position would let a
        // second Remove delete an entry the user never chose.
        m_listEntries.SetSelectionMark(-1);
    }
    AutoSizeColumns();
    RecountEntries();
}

void CBrindlecotDlg::ClearAllEntries() {
    if (AfxMessageBox(Platform(), "Are you sure that you want to clear list?", win::kMbYesNo) ==
        win::kIdYes) {
        m_listEntries.DeleteAllItems();
    }
    m_nCount = m_listEntries.GetItemCount();
    AutoSizeColumns();
    UpdateData(false);
}

void CBrindlecotDlg::OnAdd() {
    UpdateData(true);
    AddEntry();
    UpdateData(false);
}

void CBrindlecotDlg::OnUpdate() {
    UpdateData(true);
    UpdateEntry();
    UpdateData(false);
}

void CBrindlecotDlg::OnRemove() {
    UpdateData(true);
    RemoveEntry();
    UpdateData(false);
}

void CBrindlecotDlg::OnClear() {
    UpdateData(true);
    m_strTarget.clear();
    m_strTitle.clear();
    UpdateData(false);
}

void CBrindlecotDlg::OnClearAll() {
    UpdateData(true);
    ClearAllEntries();
    UpdateData(false);
}

void CBrindlecotDlg::OnClickList(win::NmHdr*, win::LRESULT* pResult) {
    LoadRowIntoFields(m_listEntries.GetSelectionMark());
    UpdateData(false);
    *pResult = 0;
}

void CBrindlecotDlg::OnKeyDownList(win::NmHdr* pNMHDR, win::LRESULT* pResult) {
    *pResult = 0;
    if (reinterpret_cast<const win::NmLvKeyDown*>(pNMHDR)->wVKey != win::kVkSpace)
        return;
    // Space is the keyboard's click on the focused row. The mark the click handler reads need
    // not be on that row (a Remove clears it; the focus can stand on a row the mark left), so
    // the row is first selected and marked as a click on it would do.
    int row = -1;
    for (int i = 0; i < m_listEntries.GetItemCount() && row < 0; ++i) {
        if (m_listEntries.GetItemState(i, win::kLvisFocused))
            row = i;
    }
    if (row < 0)
        return;
    constexpr unsigned kMask = win::kLvisSelected | win::kLvisFocused;
    m_listEntries.SetItemState(row, kMask, kMask);
    m_listEntries.SetSelectionMark(row);
    OnClickList(pNMHDR, pResult);
}

void CBrindlecotDlg::OnBrowse() {
    UpdateData(true);
    // The entry file is opened by its bare name, so the working directory must be the same
    // after the dialog, however it ended and wherever the user went in it.
    const std::string directory = Platform().CurrentDirectory();
    platform::FileDialogRequest request;
    request.defaultExtension = "*.exe";
    request.flags = win::kOfnHideReadOnly | win::kOfnOverwritePrompt;
    request.filters = ParseFileFilter(kBrowseFilter);
    if (auto path = Platform().ShowOpenFileDialog(request))
        m_strTarget = *path;
    Platform().ChangeCurrentDirectory(directory);
    UpdateData(false);
}

}  // namespace brindlecot
