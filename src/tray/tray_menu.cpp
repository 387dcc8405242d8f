// The tray menu: built from the entry table at every press, shown at the pointer, destroyed
// when it closes. Item identifiers map to rows by the row index alone.
#include "app/brindlecot_dlg.h"

namespace brindlecot {

void CBrindlecotDlg::ShowTrayMenu(platform::Point point) {
    // The owning pointer destroys the menu on every path out of this function.
    std::unique_ptr<platform::IPopupMenu> menu = Wnd().CreatePopupMenu();
    if (!menu)
        return;
    for (int row = 0; row < m_nCount && row < TRAYMENU_MAX_ITEMS; ++row) {
        menu->InsertItem(0, win::kMfByPosition | win::kMfString,
                         ID_TRAYMENU_FIRST + static_cast<unsigned>(row),
                         m_listEntries.GetItemText(row, COL_TITLE));
    }
    menu->TrackPopupMenu(win::kTpmRightButton | win::kTpmLeftAlign | win::kTpmTopAlign,
                         point.x - 50, point.y, Wnd().Handle());
}

void CBrindlecotDlg::OnTrayCommand(win::UINT nID) {
    const int row = static_cast<int>(nID - ID_TRAYMENU_FIRST);
    LoadRowIntoFields(row);
    LaunchTarget(m_strTarget);
}

}  // namespace brindlecot
