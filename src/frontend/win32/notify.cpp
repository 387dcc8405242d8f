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

NotifyRecord TranslateNotify(const NMHDR& header, bool fromListView) {
    const win::NmHdr hdr{static_cast<win::UINT>(header.idFrom),
                         static_cast<win::UINT>(header.code)};
    if (fromListView && header.code == LVN_KEYDOWN) {
        const auto& key = reinterpret_cast<const NMLVKEYDOWN&>(header);
        win::NmLvKeyDown out;
        out.hdr = hdr;
        out.wVKey = key.wVKey;
        out.flags = key.flags;
        return out;
    }
    win::NmListView out;
    out.hdr = hdr;
    if (fromListView && CarriesListViewRecord(header.code)) {
        const auto& lv = reinterpret_cast<const NMLISTVIEW&>(header);
        out.iItem = lv.iItem;
        out.iSubItem = lv.iSubItem;
    }
    return out;
}

win::NmHdr& HeaderOf(NotifyRecord& record) {
    return std::visit([](auto& r) -> win::NmHdr& { return r.hdr; }, record);
}

}  // namespace brindlecot::win32
