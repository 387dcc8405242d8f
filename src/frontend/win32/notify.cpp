#include "frontend/win32/notify.h"

namespace brindlecot::win32 {

namespace {

// The list-view notifications whose record begins with an NMLISTVIEW.
bool CarriesListViewRecord(UINT code) {
    switch (code) {
        case NM_CLICK:
        case NM_DBLCLK:
        case NM_RCLICK:
        case NM_RDBLCLK:
        case LVN_ITEMCHANGING:
        case LVN_ITEMCHANGED:
        case LVN_INSERTITEM:
        case LVN_DELETEITEM:
        case LVN_DELETEALLITEMS:
        case LVN_COLUMNCLICK:
        case LVN_BEGINDRAG:
        case LVN_BEGINRDRAG:
        case LVN_ITEMACTIVATE:
            return true;
        default:
            return false;
    }
}

}  // namespace

win::NmListView TranslateNotify(const NMHDR& header, bool fromListView) {
    win::NmListView out;
    out.hdr.idFrom = static_cast<win::UINT>(header.idFrom);
    out.hdr.code = static_cast<win::UINT>(header.code);
    if (fromListView && CarriesListViewRecord(header.code)) {
        const auto& lv = reinterpret_cast<const NMLISTVIEW&>(header);
        out.iItem = lv.iItem;
        out.iSubItem = lv.iSubItem;
    }
    return out;
}

}  // namespace brindlecot::win32
