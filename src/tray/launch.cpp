// Opening a target: one shell "open" request with the text exactly as held. The text is never
// split, quoted or handed to a command interpreter; every front end's shell keeps to that.
#include "app/brindlecot_dlg.h"

namespace brindlecot {

namespace {
// Web addresses open hidden: the browser shows its own window.
int ShowCommandFor(const std::string& target) {
    return target.compare(0, 7, "http://") == 0 ? win::kSwHide : win::kSwShow;
}
}  // namespace

void CBrindlecotDlg::LaunchTarget(const std::string& target) {
    platform::ShellExecuteRequest request;
    request.operation = "open";
    request.file = target;
    request.showCommand = ShowCommandFor(target);
    Platform().ExecuteShellRequest(request);
}

void CBrindlecotDlg::OnTest() {
    UpdateData(true);
    LaunchTarget(m_strTarget);
    UpdateData(false);
}

}  // namespace brindlecot
