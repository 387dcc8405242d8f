#include "app/framework.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "resources/dialog_layout.h"

namespace brindlecot {

// ---- CListCtrl ------------------------------------------------------------------------------

namespace {
constexpr unsigned kSelectionBits = win::kLvisSelected | win::kLvisFocused;

// A row's cell, empty past the cells it has.
const std::string& CellOf(const std::vector<std::string>& cells, size_t column) {
    static const std::string kEmpty;
    return column < cells.size() ? cells[column] : kEmpty;
}
}  // namespace

void CListCtrl::Attach(platform::IListView* view, platform::IDialogHandler* owner, int controlId) {
    m_pView = view;
    m_owner = owner;
    m_controlId = controlId;
    if (!m_pView)
        return;
    // A new display shows nothing: everything the control holds goes to it.
    m_shown.clear();
    m_shownSelected = -1;
    m_shownFocused = -1;
    m_shownSelectionMoved = false;
    for (size_t c = 0; c < m_headers.size(); ++c)
        m_pView->InsertColumn(static_cast<int>(c), m_headers[c]);
    if (m_extendedStyle != 0)
        m_pView->SetExtendedStyle(m_extendedStyle);
    m_pView->SetEvents(this);
    m_dirty = true;
    Flush();
}

void CListCtrl::Detach() {
    if (m_pView)
        m_pView->SetEvents(nullptr);
    m_pView = nullptr;
    m_owner = nullptr;
    m_headers.clear();
    m_extendedStyle = 0;
    m_rows.clear();
    m_nMark = -1;
    m_fitsAsked.clear();
    m_shown.clear();
    m_dirty = false;
}

void CListCtrl::InsertColumn(int, const std::string& header) {
    m_headers.push_back(header);
    if (m_pView)
        m_pView->InsertColumn(static_cast<int>(m_headers.size()) - 1, header);
}

void CListCtrl::SetExtendedStyle(unsigned style) {
    m_extendedStyle = style;
    if (m_pView)
        m_pView->SetExtendedStyle(style);
}

int CListCtrl::InsertItem(int row, const std::string& title) {
    const int at = std::clamp(row, 0, GetItemCount());
    Row r;
    r.id = m_nextId++;
    r.cells.push_back(title);
    m_rows.insert(m_rows.begin() + at, std::move(r));
    if (m_nMark >= at)
        ++m_nMark;
    m_dirty = true;
    return at;
}

void CListCtrl::SetItemText(int row, int column, const std::string& text) {
    // The first cell is always there; the others as far as there are columns.
    if (!IsRow(row) || column < 0 || (column > 0 && column >= int(m_headers.size())))
        return;
    std::vector<std::string>& cells = m_rows[static_cast<size_t>(row)].cells;
    if (cells.size() <= static_cast<size_t>(column))
        cells.resize(static_cast<size_t>(column) + 1);
    cells[static_cast<size_t>(column)] = text;
    m_dirty = true;
}

std::string CListCtrl::GetItemText(int row, int column) const {
    if (!IsRow(row) || column < 0)
        return {};
    return CellOf(m_rows[static_cast<size_t>(row)].cells, static_cast<size_t>(column));
}

void CListCtrl::DeleteItem(int row) {
    if (!IsRow(row))
        return;
    const bool focused = (m_rows[static_cast<size_t>(row)].state & win::kLvisFocused) != 0;
    m_rows.erase(m_rows.begin() + row);
    if (m_nMark > row || m_nMark >= GetItemCount())
        --m_nMark;
    // The focus passes to the row that takes the deleted one's place (the new last row when the
    // last went), as the common controls do; the highlight does not. The keyboard can go on
    // from there: Space loads that row.
    if (focused && !m_rows.empty())
        m_rows[static_cast<size_t>(std::min(row, GetItemCount() - 1))].state |= win::kLvisFocused;
    m_dirty = true;
}

void CListCtrl::DeleteAllItems() {
    m_rows.clear();
    m_nMark = -1;
    m_dirty = true;
}

void CListCtrl::ExchangeRows(int i, int j) {
    if (!IsRow(i) || !IsRow(j) || i == j)
        return;
    std::swap(m_rows[static_cast<size_t>(i)], m_rows[static_cast<size_t>(j)]);
    if (m_nMark == i)
        m_nMark = j;
    else if (m_nMark == j)
        m_nMark = i;
    m_dirty = true;
}

unsigned CListCtrl::GetItemState(int row, unsigned mask) const {
    return IsRow(row) ? m_rows[static_cast<size_t>(row)].state & mask : 0;
}

void CListCtrl::SetItemState(int row, unsigned state, unsigned mask) {
    if (!IsRow(row))
        return;
    const unsigned taken = state & mask & kSelectionBits;
    for (Row& r : m_rows)
        r.state &= ~taken;
    unsigned& s = m_rows[static_cast<size_t>(row)].state;
    s = (s & ~mask) | (state & mask);
    m_dirty = true;
}

int CListCtrl::FirstWith(unsigned bit) const {
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].state & bit)
            return static_cast<int>(i);
    }
    return -1;
}

void CListCtrl::FitColumn(int column) {
    const auto at = std::lower_bound(m_fitsAsked.begin(), m_fitsAsked.end(), column);
    if (at == m_fitsAsked.end() || *at != column)
        m_fitsAsked.insert(at, column);
    m_dirty = true;
}

void CListCtrl::OnUserSelection(int selected, int focused) {
    if (!IsRow(selected))
        selected = -1;
    if (!IsRow(focused))
        focused = -1;
    for (Row& r : m_rows)
        r.state &= ~kSelectionBits;
    if (selected >= 0) {
        m_rows[static_cast<size_t>(selected)].state |= win::kLvisSelected;
        m_nMark = selected;
    }
    if (focused >= 0)
        m_rows[static_cast<size_t>(focused)].state |= win::kLvisFocused;
    // The display shows it already.
    m_shownSelected = selected;
    m_shownFocused = focused;
}

void CListCtrl::OnUserClick() {
    win::NmListView click;  // as the common controls send it: an NMITEMACTIVATE
    click.hdr.code = win::kNmClick;
    Notify(click.hdr);
}

void CListCtrl::OnUserKey(std::uint16_t virtualKey) {
    win::NmLvKeyDown key;
    key.hdr.code = win::kLvnKeyDown;
    key.wVKey = virtualKey;
    Notify(key.hdr);
}

void CListCtrl::OnUserColumnClick(int column) {
    win::NmListView click;
    click.hdr.code = win::kLvnColumnClick;
    click.iSubItem = column;
    Notify(click.hdr);
}

void CListCtrl::Notify(win::NmHdr& header) {
    if (!m_owner)
        return;
    header.idFrom = static_cast<win::UINT>(m_controlId);
    win::LRESULT result = 0;
    m_owner->OnMessage(win::kWmNotify, static_cast<win::WPARAM>(m_controlId),
                       reinterpret_cast<win::LPARAM>(&header), result);
}

bool CListCtrl::FlushRows() {
    // Rows whose identity is gone are deleted (all at once when none is left), bottom first.
    std::vector<std::uint64_t> ids;
    ids.reserve(m_rows.size());
    for (const Row& r : m_rows)
        ids.push_back(r.id);
    std::sort(ids.begin(), ids.end());
    auto known = [&ids](std::uint64_t id) {
        return std::binary_search(ids.begin(), ids.end(), id);
    };
    auto moves = [this](int row) {
        if ((m_shownSelected >= 0 && row <= m_shownSelected) ||
            (m_shownFocused >= 0 && row <= m_shownFocused)) {
            m_shownSelectionMoved = true;
        }
    };
    bool changed = false;
    const bool anyKept =
        std::any_of(m_shown.begin(), m_shown.end(), [&](const Row& r) { return known(r.id); });
    if (!anyKept && m_shown.size() > 1) {
        changed = true;
        m_pView->DeleteAllRows();
        m_shown.clear();
        m_shownSelected = -1;
        m_shownFocused = -1;
        m_shownSelectionMoved = false;
    }
    for (int row = static_cast<int>(m_shown.size()) - 1; row >= 0; --row) {
        if (known(m_shown[static_cast<size_t>(row)].id))
            continue;
        moves(row);
        changed = true;
        m_pView->DeleteRow(row);
        m_shown.erase(m_shown.begin() + row);
    }

    // New rows go in at their place; the kept ones keep their order around them.
    std::vector<std::uint64_t> shownIds;
    shownIds.reserve(m_shown.size());
    for (const Row& r : m_shown)
        shownIds.push_back(r.id);
    std::sort(shownIds.begin(), shownIds.end());
    for (size_t i = 0; i < m_rows.size(); ++i) {
        const Row& r = m_rows[i];
        if (std::binary_search(shownIds.begin(), shownIds.end(), r.id))
            continue;
        moves(static_cast<int>(i));
        changed = true;
        m_pView->InsertRow(static_cast<int>(i), r.cells);
        m_shown.insert(m_shown.begin() + static_cast<std::ptrdiff_t>(i), r);
    }

    // Rows that moved (a sort exchanges whole rows) show their new cells where they differ.
    for (size_t i = 0; i < m_rows.size(); ++i) {
        Row& shown = m_shown[i];
        const Row& r = m_rows[i];
        const size_t columns = std::max(shown.cells.size(), r.cells.size());
        for (size_t c = 0; c < columns; ++c) {
            const std::string& now = CellOf(r.cells, c);
            if (now != CellOf(shown.cells, c)) {
                changed = true;
                m_pView->SetCellText(static_cast<int>(i), static_cast<int>(c), now);
            }
        }
        shown = r;
    }
    return changed;
}

bool CListCtrl::Flush() {
    if (!m_pView || !m_dirty || m_flushing)
        return false;
    m_flushing = true;
    m_dirty = false;
    const bool rowsChanged = FlushRows();
    const int selected = FirstWith(win::kLvisSelected);
    const int focused = FirstWith(win::kLvisFocused);
    if (m_shownSelectionMoved || selected != m_shownSelected || focused != m_shownFocused) {
        m_pView->ShowSelection(selected, focused);
        m_shownSelected = selected;
        m_shownFocused = focused;
        m_shownSelectionMoved = false;
    }
    const std::vector<int> fits = std::move(m_fitsAsked);
    m_fitsAsked.clear();
    for (int column : fits)
        m_pView->FitColumn(column);
    m_flushing = false;
    return rowsChanged;
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
    for (CListCtrl* list : m_boundLists)
        list->Detach();
    m_boundLists.clear();
    if (m_pWnd)
        m_platform.Windows().DialogClosed(*m_pWnd);
    m_pWnd = nullptr;
    m_shownTexts.clear();
    m_heldFields.clear();
    m_comboItems.clear();
}

bool CDialog::OnMessage(win::UINT message, win::WPARAM wParam, win::LPARAM lParam,
                        win::LRESULT& result) {
    result = 0;
    if (!m_pWnd)
        return false;
    // The work of a message sends the window further messages (a field's text set notifies it):
    // the lists are shown as the outermost one leaves them, once.
    if (m_messageDepth == 0) {
        if (message == win::kWmInitDialog)
            m_holding = Holding::ToShow;
        else if (message == platform::kWmSaveNow)
            m_holding = Holding::ToDrop;
    }
    ++m_messageDepth;
    const bool handled = Dispatch(message, wParam, lParam, result);
    if (--m_messageDepth == 0) {
        if (std::exchange(m_holding, Holding::No) == Holding::ToDrop)
            m_heldFields.clear();
        FlushControls();
    }
    return handled;
}

bool CDialog::Dispatch(win::UINT message, win::WPARAM wParam, win::LPARAM lParam,
                       win::LRESULT& result) {
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

void CDialog::FlushControls() {
    // Setting a text notifies the window, which may flush again: each field is taken out first.
    while (m_pWnd && !m_heldFields.empty())
        ShowHeldField(m_heldFields.begin()->first);
    bool rowsShown = false;
    for (CListCtrl* list : m_boundLists)
        rowsShown = list->Flush() || rowsShown;
    if (rowsShown)
        OnListRowsShown();
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
    FlushControls();  // the box's own message loop paints the window behind it
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
        value = SingleLineText(FieldText(controlId),
                               shown == m_shownTexts.end() ? std::string() : shown->second);
    } else {
        ShowText(controlId, value);
        m_shownTexts[controlId] = value;
    }
}

void CDialog::DDX_Text(bool save, int controlId, int& value) {
    if (save) {
        const std::string text = FieldText(controlId);
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
        ShowText(controlId, std::to_string(value));
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
            SelectItem(controlId, static_cast<int>(i));
            m_shownTexts[controlId] = items[i];
            return;
        }
    }
    ShowText(controlId, value);
    m_shownTexts[controlId] = value;
}

CDialog::ControlTexts CDialog::SaveControlTexts(std::initializer_list<int> controlIds) const {
    ControlTexts texts;
    for (int id : controlIds) {
        texts.onScreen[id] = FieldText(id);
        if (const auto shown = m_shownTexts.find(id); shown != m_shownTexts.end())
            texts.shown[id] = shown->second;
    }
    return texts;
}

void CDialog::RestoreControlTexts(const ControlTexts& texts) {
    for (const auto& [id, text] : texts.onScreen) {
        ShowText(id, text);
        if (const auto shown = texts.shown.find(id); shown != texts.shown.end())
            m_shownTexts[id] = shown->second;
        else
            m_shownTexts.erase(id);
    }
}

void CDialog::ShowText(int controlId, const std::string& text) {
    // The text replaces one held back, after the item selected before it, if any; a text that
    // is not held goes to the window at once, that item first.
    m_heldFields[controlId].text = text;
    if (!HoldsField(controlId, text))
        ShowHeldField(controlId);
}

void CDialog::SelectItem(int controlId, int index) {
    const std::string& item = m_comboItems[controlId][static_cast<size_t>(index)];
    if (HoldsField(controlId, item)) {
        m_heldFields[controlId] = {item, index};  // a selection shows its item's whole text
        return;
    }
    m_heldFields.erase(controlId);
    m_pWnd->ComboSetCurSel(controlId, index);
}

std::string CDialog::FieldText(int controlId) const {
    const auto held = m_heldFields.find(controlId);
    return held != m_heldFields.end() ? held->second.text : m_pWnd->ControlText(controlId);
}

bool CDialog::HoldsField(int controlId, const std::string& text) const {
    return m_holding != Holding::No && m_pWnd->GivesBackExactly(controlId, text);
}

void CDialog::ShowHeldField(int controlId) {
    const auto it = m_heldFields.find(controlId);
    if (it == m_heldFields.end())
        return;
    const HeldField held = std::move(it->second);
    m_heldFields.erase(it);
    if (held.item >= 0)
        m_pWnd->ComboSetCurSel(controlId, held.item);
    if (m_pWnd->ControlText(controlId) != held.text)
        m_pWnd->SetControlText(controlId, held.text);
}

void CDialog::DDX_Control(int controlId, CListCtrl& control) {
    if (control.IsAttached())
        return;
    if (platform::IListView* view = m_pWnd->ListView(controlId)) {
        control.Attach(view, this, controlId);
        m_boundLists.push_back(&control);
    }
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
