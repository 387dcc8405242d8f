// WM_NOTIFY's records, from the real NMHDR / NMLISTVIEW / NMLVKEYDOWN to the seam's portable
// ones. The core reads its own NmHdr / NmListView / NmLvKeyDown; their layout is not Win32's
// (on x64 an NMHDR is 24 bytes), so the front end copies field by field and hands the core the
// copy.
#pragma once

#include <variant>

#include "frontend/win32/win32_headers.h"
#include "platform/win_values.h"

namespace brindlecot::win32 {

// The record the core is given: each begins with its NmHdr.
using NotifyRecord = std::variant<win::NmListView, win::NmLvKeyDown>;

// `fromListView`: the record was sent by a list view, so that a click's, a column click's and
// a key's record may be read as such. Any other record comes as an NmListView of which only
// the header is filled.
NotifyRecord TranslateNotify(const NMHDR& header, bool fromListView);

// The header the record begins with: its address is the record's, what WM_NOTIFY carries.
win::NmHdr& HeaderOf(NotifyRecord& record);

}  // namespace brindlecot::win32
