// WM_NOTIFY's records, from the real NMHDR / NMLISTVIEW to the seam's portable ones. The core
// reads its own NmHdr / NmListView; their layout is not Win32's (on x64 an NMHDR is 24 bytes),
// so the front end copies field by field and hands the core the copy.
#pragma once

#include "frontend/win32/win32_headers.h"
#include "platform/win_values.h"

namespace brindlecot::win32 {

// `fromListView`: the record was sent by a list view, so that the codes that carry an
// NMLISTVIEW (or the NMITEMACTIVATE that begins like one) may be read as such.
win::NmListView TranslateNotify(const NMHDR& header, bool fromListView);

}  // namespace brindlecot::win32
