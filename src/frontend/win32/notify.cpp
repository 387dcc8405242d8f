#include "frontend/win32/notify.h"

namespace brindlecot::win32 {

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
    // The list view's notifications whose item or column the core reads: a click's record (an
    // NMITEMACTIVATE) begins as the column click's NMLISTVIEW does.
    if (fromListView && (header.code == NM_CLICK || header.code == LVN_COLUMNCLICK)) {
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
