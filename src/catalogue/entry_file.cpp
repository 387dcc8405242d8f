// The entry file "brcot.dat": read once at start-up, written once at the end of the run.
#include "app/brindlecot_dlg.h"

namespace brindlecot {

// Not built yet: the table starts empty and is not kept.
void CBrindlecotDlg::LoadEntryFile() {}

// Not built yet: nothing is written.
void CBrindlecotDlg::SaveEntryFile() {}

}  // namespace brindlecot
