#include "app/framework.h"

#include <algorithm>
#include <charconv>

#include "resources/dialog_layout.h"

namespace brindlecot {

// ---- CListCtrl ------------------------------------------------------------------------------

void CListCtrl::InsertColumn(int column, const std::string& header) {
    if (m_pView)
        m_pView->InsertColumn(column, header);
}
void CListCtrl::SetExtendedStyle(unsigned style) {
    if (m_pView)
        m_pView->SetExtendedStyle(style);
}
void CListCtrl::InsertItem(int row, const std::string& title) {
    if (m_pView)
        m_pView->InsertItem(row, title);
}
void CListCtrl::SetItemText(int row, int column, const std::string& text) {
    if (m_pView)
        m_pView->SetItemText(row, column, text);
}
std::string CListCtrl::GetItemText(int row, int column) const {
    return m_pView ? m_pView->GetItemText(row, column) : std::string();
}
void CListCtrl::DeleteItem(int row) {
    if (m_pView)
        m_pView->DeleteItem(row);
}
void CListCtrl::DeleteAllItems() {
    if (m_pView)
        m_pView->DeleteAllItems();
}
int CListCtrl::GetItemCount() const {
    return m_pView ? m_pView->GetItemCount() : 0;
}
int CListCtrl::GetSelectionMark() const {
    return m_pView ? m_pView->GetSelectionMark() : -1;
}
void CListCtrl::SetSelectionMark(int row) {
    if (m_pView)
        m_pView->SetSelectionMark(row);
}
unsigned CListCtrl::GetItemState(int row, unsigned mask) const {
    return m_pView ? m_pView->GetItemState(row, mask) : 0;
}
void CListCtrl::SetItemState(int row, unsigned state, unsigned mask) {
    if (m_pView)
        m_pView->SetItemState(row, state, mask);
}
bool CListCtrl::HasHeader() const {
    return m_pView && m_pView->HasHeader();
}
int CListCtrl::GetHeaderItemCount() const {
    return m_pView ? m_pView->GetHeaderItemCount() : 0;
}
void CListCtrl::SetColumnWidth(int column, int width) {
    if (m_pView)
        m_pView->SetColumnWidth(column, width);
}
int CListCtrl::GetColumnWidth(int column) const {
    return m_pView ? m_pView->GetColumnWidth(column) : 0;
}
void CListCtrl::SetRedraw(bool redraw) {
    if (m_pView)
        m_pView->SetRedraw(redraw);
}
void CListCtrl::Invalidate() {
    if (m_pView)
        m_pView->Invalidate();
}

// ---- CDialog --------------------------------------------------------------------------------

CDialog::CDialog(platform::IPlatform& platform, int templateId, platform::WindowHandle owner)
    : m_platform(platform), m_nTemplateId(templateId), m_owner(owner) {}

int CDialog::DoModal() {
    const platform::WindowHandle owner = m_owner != 0 ? m_owner : m_platform.ActiveWindow();
    return m_platform.DoModal(m_nTemplateId, owner, *this);
}

void CDialog::Attach(platform::IDialogWindow& window) {
    m_pWnd = &window;
    m_platform.Windows().DialogOpened(window, m_nTemplateId);
    m_shownTexts.clear();
}

void CDialog::Detach() {
    if (m_pWnd)
        m_platform.Windows().DialogClosed(*m_pWnd);
    m_pWnd = nullptr;
    m_shownTexts.clear();
    m_comboItems.clear();
}

bool CDialog::OnMessage(win::UINT message, win::WPARAM wParam, win::LPARAM lParam,
                        win::LRESULT& result) {
    result = 0;
    if (!m_pWnd)
        return false;
    if (message == win::kWmInitDialog) {
        result = OnInitDialog() ? 1 : 0;
        return true;
    }
    if (ProcessMessage(message, wParam, lParam, result))
        return true;
    if (message == win::kWmCommand && win::HiWord(wParam) == win::kBnClicked) {
        switch (win::LoWord(wParam)) {
            case win::kIdOk:
                OnOK();
                return true;
            case win::kIdCancel:
                OnCancel();
                return true;
            case win::kIdHelp:
                ShowHelpFile();
                return true;
            default:
                break;
        }
    }
    // Cancel with another notification code, or one the map declined: a dialog always ends on
    // Cancel, whichever way the front end raised it.
    if (message == win::kWmCommand && win::LoWord(wParam) == win::kIdCancel) {
        EndDialog(win::kIdCancel);
        return true;
    }
    return false;
}

void CDialog::ShowHelpFile() {
    // The system help viewer is gone from current systems: the shell opens the file with
    // whatever is associated with it, and without a help file nothing happens.
    const std::string help = HelpFilePath(m_platform.ProgramFilePath());
    if (!m_platform.IsFile(help))
        return;
    platform::ShellExecuteRequest request;
    request.owner = m_platform.ActiveWindow();
    request.operation = "open";
    request.file = help;
    request.showCommand = win::kSwShowNormal;
    m_platform.ExecuteShellRequest(request);
}

bool CDialog::OnInitDialog() {
    ExecuteDlgInit();
    UpdateData(false);
    return true;
}

void CDialog::ExecuteDlgInit() {
    // The lists are filled here and nowhere else, so showing a combo box's value searches these
    // copies rather than asking the window for each item: under Wine every such question is a
    // round trip to the Wine server, thousands of them while a long entry file loads.
    m_comboItems.clear();
    for (const auto& item : resources::DialogInitData(m_nTemplateId)) {
        m_pWnd->ComboAddString(item.controlId, std::string(item.text));
        m_comboItems[item.controlId].emplace_back(item.text);
    }
}

void CDialog::OnOK() {
    if (!UpdateData(true))
        return;
    EndDialog(win::kIdOk);
}

void CDialog::OnCancel() {
    EndDialog(win::kIdCancel);
}

void CDialog::EndDialog(int result) {
    if (m_pWnd)
        m_pWnd->EndDialog(result);
}

int CDialog::ShowMessageBox(const std::string& text, const std::string& caption, unsigned type) {
    const platform::WindowHandle owner = m_pWnd ? m_pWnd->Handle() : 0;
    return m_platform.ShowMessageBox(owner, text, caption, type);
}

void CDialog::DoDataExchange(bool) {}

bool CDialog::ProcessMessage(win::UINT, win::WPARAM, win::LPARAM, win::LRESULT&) {
    return false;
}

bool CDialog::UpdateData(bool saveAndValidate) {
    if (!m_pWnd)
        return false;
    m_bExchangeFailed = false;
    DoDataExchange(saveAndValidate);
    return !m_bExchangeFailed;
}

void CDialog::DDX_Text(bool save, int controlId, std::string& value) {
    if (save) {
        const auto shown = m_shownTexts.find(controlId);
        value = SingleLineText(m_pWnd->ControlText(controlId),
                               shown == m_shownTexts.end() ? std::string() : shown->second);
    } else {
        m_pWnd->SetControlText(controlId, value);
        m_shownTexts[controlId] = value;
    }
}

void CDialog::DDX_Text(bool save, int controlId, int& value) {
    if (save) {
        const std::string text = m_pWnd->ControlText(controlId);
        size_t begin = text.find_first_not_of(" \t");
        if (begin == std::string::npos)
            begin = text.size();
        int parsed = 0;
        const char* first = text.data() + begin;
        const char* last = text.data() + text.size();
        auto [ptr, ec] = std::from_chars(first, last, parsed);
        if (ec != std::errc() || ptr == first) {
            m_bExchangeFailed = true;  // keep the member as it was
            return;
        }
        value = parsed;
    } else {
        m_pWnd->SetControlText(controlId, std::to_string(value));
    }
}

void CDialog::DDX_CBString(bool save, int controlId, std::string& value) {
    if (save) {
        DDX_Text(true, controlId, value);
        return;
    }
    const std::vector<std::string>& items = m_comboItems[controlId];  // none if not filled
    for (size_t i = 0; i < items.size(); ++i) {
        if (StartsWithIgnoringCase(items[i], value)) {
            m_pWnd->ComboSetCurSel(controlId, static_cast<int>(i));
            m_shownTexts[controlId] = items[i];
            return;
        }
    }
    m_pWnd->SetControlText(controlId, value);
    m_shownTexts[controlId] = value;
}

CDialog::ControlTexts CDialog::SaveControlTexts(std::initializer_list<int> controlIds) const {
    ControlTexts texts;
    for (int id : controlIds) {
        texts.onScreen[id] = m_pWnd->ControlText(id);
        if (const auto shown = m_shownTexts.find(id); shown != m_shownTexts.end())
            texts.shown[id] = shown->second;
    }
    return texts;
}

void CDialog::RestoreControlTexts(const ControlTexts& texts) {
    for (const auto& [id, text] : texts.onScreen) {
        m_pWnd->SetControlText(id, text);
        if (const auto shown = texts.shown.find(id); shown != texts.shown.end())
            m_shownTexts[id] = shown->second;
        else
            m_shownTexts.erase(id);
    }
}

void CDialog::DDX_Control(int controlId, CListCtrl& control) {
    if (!control.IsAttached())
        control.Attach(m_pWnd->ListView(controlId));
}

int AfxMessageBox(platform::IPlatform& platform, const std::string& text, unsigned type) {
    if ((type & win::kMbIconMask) == 0)
        type |= win::kMbIconExclamation;
    const std::string caption = ApplicationTitle(platform.ProgramFileName());
    return platform.ShowMessageBox(platform.ActiveWindow(), text, caption, type);
}

std::string ApplicationTitle(const std::string& programFileName) {
    const size_t dot = programFileName.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return programFileName;
    return programFileName.substr(0, dot);
}

std::string SingleLineText(const std::string& now, const std::string& shown) {
    // The unchanged start and end, byte by byte: CR, LF and 0x1A are never part of a longer
    // character, in UTF-8 or in a Windows code page, so a byte boundary cuts none that matter.
    const size_t limit = std::min(now.size(), shown.size());
    size_t front = 0;
    while (front < limit && now[front] == shown[front])
        ++front;
    size_t back = 0;
    while (back < limit - front && now[now.size() - 1 - back] == shown[shown.size() - 1 - back])
        ++back;
    std::string out;
    out.reserve(now.size());
    for (size_t i = 0; i < now.size(); ++i) {
        const char c = now[i];
        const bool edited = i >= front && i < now.size() - back;
        if (c == '\n' || c == '\x1a' || (c == '\r' && edited))
            continue;
        out.push_back(c);
    }
    return out;
}

// A program path's directory separators, as Windows reads them; on POSIX systems only the
// slash occurs in the paths the system reports for the program file.
constexpr char kPathSeparators[] = "\\/:";

std::string HelpFilePath(const std::string& programPath) {
    std::string path = programPath;
    const size_t dot = path.rfind('.');
    const size_t separator = path.find_last_of(kPathSeparators);
    if (dot != std::string::npos && (separator == std::string::npos || dot > separator))
        path.erase(dot);
    return path + ".HLP";
}

std::vector<platform::FileFilter> ParseFileFilter(const std::string& filter) {
    std::vector<platform::FileFilter> out;
    size_t pos = 0;
    // The next piece up to a bar or the end; false when it is empty (the list's end).
    auto next = [&](std::string& piece) {
        if (pos >= filter.size())
            return false;
        size_t bar = filter.find('|', pos);
        if (bar == std::string::npos)
            bar = filter.size();
        piece = filter.substr(pos, bar - pos);
        pos = bar + 1;
        return !piece.empty();
    };
    platform::FileFilter f;
    while (next(f.name) && next(f.pattern))
        out.push_back(f);
    return out;
}

namespace {
// ASCII only and independent of the process locale, which a GUI toolkit may change.
char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
}  // namespace

bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix) {
    if (prefix.size() > text.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (FoldCase(text[i]) != FoldCase(prefix[i]))
            return false;
    }
    return true;
}

}  // namespace brindlecot
