// The tray menu: its items are the entries' titles as the table holds them at that moment, the
// last row on top; shown at the pointer and destroyed when it closes, or handed to a desktop
// that shows it itself. Item identifiers map to rows by the row index alone.
#include <algorithm>

#include "app/brindlecot_dlg.h"

namespace brindlecot {

std::vector<platform::TrayMenuItem> CBrindlecotDlg::TrayMenuItems() {
    std::vector<platform::TrayMenuItem> items;
    for (int row = 0; row < m_nCount && row < TRAYMENU_MAX_ITEMS; ++row) {
        items.insert(items.begin(), {ID_TRAYMENU_FIRST + static_cast<unsigned>(row),
                                     m_listEntries.GetItemText(row, COL_TITLE)});
    }
    return items;
}

void CBrindlecotDlg::ShowTrayMenu(platform::Point point) {
    // The owning pointer destroys the menu on every path out of this function.
    std::unique_ptr<platform::IPopupMenu> menu = Wnd().CreatePopupMenu();
    if (!menu)
        return;
    const std::vector<platform::TrayMenuItem> items = TrayMenuItems();
    for (unsigned position = 0; position < items.size(); ++position) {
        menu->InsertItem(position, win::kMfByPosition | win::kMfString, items[position].id,
                         items[position].title);
    }
    menu->TrackPopupMenu(win::kTpmRightButton | win::kTpmLeftAlign | win::kTpmTopAlign,
                         point.x - 50, point.y, Wnd().Handle());
}

void CBrindlecotDlg::OnTrayCommand(win::UINT nID) {
    const int row = static_cast<int>(nID - ID_TRAYMENU_FIRST);
    LoadRowIntoFields(row);
    LaunchTarget(m_strTarget);
}

void CBrindlecotDlg::OnTrayItemChosen(unsigned id) {
    // A desktop may deliver a choice from a menu it showed before the table shrank: an item
    // that no longer has its row opens nothing, rather than the empty fields.
    if (!HasWindow() || id < ID_TRAYMENU_FIRST ||
        id - ID_TRAYMENU_FIRST >= static_cast<unsigned>(std::min(m_nCount, TRAYMENU_MAX_ITEMS)))
        return;
    OnTrayCommand(id);
}

}  // namespace brindlecot
