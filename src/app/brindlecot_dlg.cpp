#include "app/brindlecot_dlg.h"

#include <variant>

#include "app/about_dlg.h"
#include "resources/resource.h"
#include "resources/strings.h"

namespace brindlecot {

namespace {

using Dlg = CBrindlecotDlg;

// The handler shapes a message-map entry can have.
using OnVoid = void (Dlg::*)();
using OnMaybe = bool (Dlg::*)();  // false: not handled, default processing follows
using OnSys = bool (Dlg::*)(win::UINT, win::LPARAM);
using OnMsg = win::LRESULT (Dlg::*)(win::WPARAM, win::LPARAM);
using OnQuery = win::LRESULT (Dlg::*)();
using OnRange = void (Dlg::*)(win::UINT);
using OnNotify = void (Dlg::*)(win::NmHdr*, win::LRESULT*);
using Handler = std::variant<OnVoid, OnMaybe, OnSys, OnMsg, OnQuery, OnRange, OnNotify>;

enum class Source {
    Message,       // a window message: `code` is the message
    Command,       // WM_COMMAND from control `first` with notification `code`
    CommandRange,  // WM_COMMAND with an identifier from `first` to `last`
    Notify,        // WM_NOTIFY from control `first` with notification `code`
};

struct MapEntry {
    Source source;
    win::UINT code;
    win::UINT first;
    win::UINT last;
    Handler handler;
};

// The main window's message map, in map order. The framework's own entries (OK, Cancel and
// Help) follow it in CDialog::OnMessage.
const MapEntry kMessageMap[] = {
    {Source::Message, win::kWmSysCommand, 0, 0, OnSys{&Dlg::OnSysCommand}},
    {Source::Message, win::kWmPaint, 0, 0, OnMaybe{&Dlg::OnPaint}},
    {Source::Message, win::kWmQueryDragIcon, 0, 0, OnQuery{&Dlg::OnQueryDragIcon}},
    {Source::Command, win::kBnClicked, IDC_BROWSE, 0, OnVoid{&Dlg::OnBrowse}},
    {Source::Message, win::kWmDestroy, 0, 0, OnVoid{&Dlg::OnDestroy}},
    {Source::Command, win::kBnClicked, IDC_ADD, 0, OnVoid{&Dlg::OnAdd}},
    {Source::Command, win::kBnClicked, IDC_UPDATE, 0, OnVoid{&Dlg::OnUpdate}},
    {Source::Command, win::kBnClicked, IDC_REMOVE, 0, OnVoid{&Dlg::OnRemove}},
    {Source::Command, win::kBnClicked, IDC_CLEARALL, 0, OnVoid{&Dlg::OnClearAll}},
    {Source::Command, win::kBnClicked, IDC_HELPBUTTON, 0, OnVoid{&Dlg::OnHelpButton}},
    {Source::Command, win::kBnClicked, IDC_CLEAR, 0, OnVoid{&Dlg::OnClear}},
    {Source::Notify, win::kNmClick, IDC_LIST, 0, OnNotify{&Dlg::OnClickList}},
    {Source::Notify, win::kLvnColumnClick, IDC_LIST, 0, OnNotify{&Dlg::OnColumnClickList}},
    {Source::Notify, win::kLvnKeyDown, IDC_LIST, 0, OnNotify{&Dlg::OnKeyDownList}},
    {Source::Command, win::kBnClicked, IDC_TEST, 0, OnVoid{&Dlg::OnTest}},
    {Source::Message, WM_TRAYNOTIFY, 0, 0, OnMsg{&Dlg::OnTrayNotify}},
    {Source::CommandRange, 0, ID_TRAYMENU_FIRST, ID_TRAYMENU_LAST, OnRange{&Dlg::OnTrayCommand}},
    {Source::Message, win::kWmEndSession, 0, 0, OnMsg{&Dlg::OnEndSession}},
    {Source::Message, platform::kWmSaveNow, 0, 0, OnMsg{&Dlg::OnSaveNow}},
};

bool Matches(const MapEntry& e, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
    switch (e.source) {
        case Source::Message:
            return message == e.code;
        case Source::Command:
            return message == win::kWmCommand && win::LoWord(wParam) == e.first &&
                   win::HiWord(wParam) == e.code;
        case Source::CommandRange: {
            const win::UINT id = win::LoWord(wParam);
            return message == win::kWmCommand && id >= e.first && id <= e.last;
        }
        case Source::Notify: {
            if (message != win::kWmNotify || lParam == 0)
                return false;
            const auto* hdr = reinterpret_cast<const win::NmHdr*>(lParam);
            return hdr->idFrom == e.first && hdr->code == e.code;
        }
    }
    return false;
}

template <class... Fs>
struct Overloaded : Fs... {
    using Fs::operator()...;
};
template <class... Fs>
Overloaded(Fs...) -> Overloaded<Fs...>;

}  // namespace

CBrindlecotDlg::CBrindlecotDlg(platform::IPlatform& platform, platform::WindowHandle owner)
    : CDialog(platform, IDD_BRINDLECOT_DIALOG, owner) {
    m_hIcon = Platform().LoadIconResource(IDR_MAINFRAME);
}

void CBrindlecotDlg::Detach() {
    m_listEntries.Detach();
    CDialog::Detach();
}

bool CBrindlecotDlg::ProcessMessage(win::UINT message, win::WPARAM wParam, win::LPARAM lParam,
                                    win::LRESULT& result) {
    for (const MapEntry& entry : kMessageMap) {
        if (!Matches(entry, message, wParam, lParam))
            continue;
        return std::visit(
            Overloaded{
                [&](OnVoid f) {
                    (this->*f)();
                    return true;
                },
                [&](OnMaybe f) { return (this->*f)(); },
                [&](OnSys f) { return (this->*f)(static_cast<win::UINT>(wParam), lParam); },
                [&](OnMsg f) {
                    result = (this->*f)(wParam, lParam);
                    return true;
                },
                [&](OnQuery f) {
                    result = (this->*f)();
                    return true;
                },
                [&](OnRange f) {
                    (this->*f)(win::LoWord(wParam));
                    return true;
                },
                [&](OnNotify f) {
                    (this->*f)(reinterpret_cast<win::NmHdr*>(lParam), &result);
                    return true;
                },
            },
            entry.handler);
    }
    return false;
}

void CBrindlecotDlg::DoDataExchange(bool save) {
    DDX_Control(IDC_LIST, m_listEntries);
    DDX_Text(save, IDC_TITLE, m_strTitle);
    DDX_Text(save, IDC_TARGET, m_strTarget);
    DDX_CBString(save, IDC_SORTORDER, m_strSortOrder);
    DDX_Text(save, IDC_COUNT, m_nCount);
}

bool CBrindlecotDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    const std::string aboutMenu = resources::LoadStringResource(IDS_ABOUTBOX);
    if (!aboutMenu.empty() && Wnd().AppendSystemMenu(win::kMfSeparator, 0, {})) {
        Wnd().AppendSystemMenu(win::kMfString, IDM_ABOUTBOX, aboutMenu);
    }

    Wnd().SetIcon(win::kIconBig, m_hIcon);
    Wnd().SetIcon(win::kIconSmall, m_hIcon);

    AddTrayIcon();
    SetupColumns();
    LoadEntryFile();
    m_bLoaded = true;
    return true;
}

bool CBrindlecotDlg::OnSysCommand(win::UINT nID, win::LPARAM) {
    if ((nID & 0xFFF0) != IDM_ABOUTBOX)
        return false;  // move, size, minimise, close: the platform's own
    CAboutDlg about(Platform());
    about.DoModal();
    return true;
}

bool CBrindlecotDlg::OnPaint() {
    if (!Wnd().IsIconic())
        return false;  // the ordinary painting of the dialog and its controls
    const platform::Size client = Wnd().GetClientSize();
    const platform::Size icon = Platform().SystemIconSize();
    // Integer division truncates toward zero, also for a client smaller than the icon.
    const int x = (client.cx - icon.cx + 1) / 2;
    const int y = (client.cy - icon.cy + 1) / 2;
    Wnd().PaintIconic(m_hIcon, x, y);
    return true;
}

win::LRESULT CBrindlecotDlg::OnQueryDragIcon() {
    return static_cast<win::LRESULT>(m_hIcon);
}

void CBrindlecotDlg::OnHelpButton() {
    UpdateData(true);
    platform::ShellExecuteRequest request;
    request.operation = "open";
    request.file = std::string(resources::kHelpPageUrl);
    request.showCommand = win::kSwHide;
    Platform().ExecuteShellRequest(request);
    UpdateData(false);
}

void CBrindlecotDlg::OnDestroy() {
    EndOfRun();
}

win::LRESULT CBrindlecotDlg::OnEndSession(win::WPARAM wParam, win::LPARAM) {
    if (wParam != 0) {
        m_bSessionEnding = true;
        EndOfRun();
    }
    return 0;
}

win::LRESULT CBrindlecotDlg::OnSaveNow(win::WPARAM, win::LPARAM) {
    if (!m_bLoaded || m_bRunEnded)
        return 0;
    // The save shows each row in the fields on its way: what they show, and the members, are
    // put back as they were afterwards, byte for byte.
    const ControlTexts fields = SaveControlTexts({IDC_TITLE, IDC_TARGET, IDC_SORTORDER});
    const std::string title = m_strTitle;
    const std::string target = m_strTarget;
    const std::string sortOrder = m_strSortOrder;
    const int count = m_nCount;
    // No one is asked anything: a save that fails keeps the list as at the session's end.
    m_bSessionEnding = true;
    SaveEntryFile();
    m_bSessionEnding = false;
    RestoreControlTexts(fields);
    m_strTitle = title;
    m_strTarget = target;
    m_strSortOrder = sortOrder;
    m_nCount = count;
    return 1;
}

void CBrindlecotDlg::EndOfRun() {
    if (m_bRunEnded)
        return;
    m_bRunEnded = true;
    UpdateData(true);
    SaveEntryFile();
    RemoveTrayIcon();
}

}  // namespace brindlecot
