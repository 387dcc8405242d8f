#include "support/fake_platform.h"

#include <algorithm>

#include "resources/dialog_layout.h"
#include "resources/resource.h"

namespace brindlecot::fake {

namespace {
std::string Join(std::initializer_list<std::string> parts) {
    std::string out;
    for (const auto& p : parts) {
        if (!out.empty())
            out += ' ';
        out += p;
    }
    return out;
}
template <class Int>
std::string Num(Int n) {
    return std::to_string(n);
}
}  // namespace

// ---- FakeListView ---------------------------------------------------------------------------

void FakeListView::InsertColumn(int column, const std::string& header) {
    m_log.push_back(Join({"InsertColumn", Num(column), header}));
    headers.push_back(header);
}

void FakeListView::SetExtendedStyle(unsigned style) {
    m_log.push_back("SetExtendedStyle " + Num(style));
    extendedStyle = style;
}

void FakeListView::InsertRow(int row, const std::vector<std::string>& cells) {
    ++calls.insertRow;
    const int at = std::clamp(row, 0, static_cast<int>(rows.size()));
    rows.insert(rows.begin() + at, cells);
    if (movesHighlightWithRows) {
        for (int* shown : {&selected, &focused}) {
            if (*shown >= at)
                ++*shown;
        }
    }
}

void FakeListView::DeleteRow(int row) {
    ++calls.deleteRow;
    if (row < 0 || row >= static_cast<int>(rows.size()))
        return;
    rows.erase(rows.begin() + row);
    if (movesHighlightWithRows) {
        for (int* shown : {&selected, &focused}) {
            if (*shown == row)
                *shown = -1;
            else if (*shown > row)
                --*shown;
        }
    }
}

void FakeListView::DeleteAllRows() {
    ++calls.deleteAllRows;
    rows.clear();
}

void FakeListView::SetCellText(int row, int column, const std::string& text) {
    ++calls.setCellText;
    if (row < 0 || row >= static_cast<int>(rows.size()) || column < 0)
        return;
    auto& cells = rows[static_cast<size_t>(row)];
    if (cells.size() <= static_cast<size_t>(column))
        cells.resize(static_cast<size_t>(column) + 1);
    cells[static_cast<size_t>(column)] = text;
}

void FakeListView::ShowSelection(int selectedRow, int focusedRow) {
    ++calls.showSelection;
    selected = selectedRow;
    focused = focusedRow;
}

void FakeListView::FitColumn(int column) {
    ++calls.fitColumn;
    fitted.push_back(column);
}

void FakeListView::UserSelects(int row) {
    if (row >= 0 && row < static_cast<int>(rows.size())) {
        selected = row;
        focused = row;
    } else {
        selected = -1;
    }
    if (m_events)
        m_events->OnUserSelection(selected, focused);
}

void FakeListView::UserFocuses(int row) {
    focused = row;
    if (m_events)
        m_events->OnUserSelection(selected, focused);
}

std::vector<std::string> FakeListView::Column(int column) const {
    std::vector<std::string> out;
    for (const auto& r : rows)
        out.push_back(static_cast<size_t>(column) < r.size() ? r[static_cast<size_t>(column)] : "");
    return out;
}

std::vector<std::array<std::string, 3>> FakeListView::Rows() const {
    std::vector<std::array<std::string, 3>> out;
    for (const auto& r : rows) {
        std::array<std::string, 3> cells;
        for (size_t c = 0; c < cells.size() && c < r.size(); ++c)
            cells[c] = r[c];
        out.push_back(cells);
    }
    return out;
}

// ---- FakePopupMenu --------------------------------------------------------------------------

FakePopupMenu::FakePopupMenu(FakePlatform& platform) : m_platform(platform) {
    m_platform.log.push_back("CreatePopupMenu");
    ++m_platform.liveMenus;
}

FakePopupMenu::~FakePopupMenu() {
    m_platform.log.push_back("DestroyMenu");
    --m_platform.liveMenus;
}

void FakePopupMenu::InsertItem(unsigned position, unsigned flags, unsigned id,
                               const std::string& text) {
    m_platform.log.push_back(Join({"InsertItem", Num(position), Num(flags), Num(id), text}));
    const auto at = std::min<size_t>(position, m_items.size());
    m_items.insert(m_items.begin() + static_cast<std::ptrdiff_t>(at), Item{id, text});
}

void FakePopupMenu::TrackPopupMenu(unsigned flags, int x, int y, platform::WindowHandle owner) {
    m_platform.log.push_back(Join({"TrackPopupMenu", Num(flags), Num(x), Num(y)}));
    FakePlatform::TrackedMenu tracked{flags, x, y, owner, m_items};
    m_platform.trackedMenus.push_back(tracked);
    if (!m_platform.menuChoice)
        return;
    const std::optional<unsigned> choice = m_platform.menuChoice(tracked);
    if (!choice)
        return;
    for (auto& w : m_platform.m_windows) {
        if (w->Handle() == owner) {
            w->Post(win::kWmCommand, win::MakeWParam(*choice, 0), 0);
        }
    }
}

// ---- FakeDialogWindow -----------------------------------------------------------------------

FakeDialogWindow::FakeDialogWindow(FakePlatform& platform, int templateId,
                                   platform::WindowHandle handle, platform::IDialogHandler& handler)
    : list(platform.log),
      m_platform(platform),
      m_templateId(templateId),
      m_handle(handle),
      m_handler(handler) {}

platform::IListView* FakeDialogWindow::ListView(int controlId) {
    return (m_templateId == IDD_BRINDLECOT_DIALOG && controlId == IDC_LIST) ? &list : nullptr;
}

std::optional<resources::ControlKind> FakeDialogWindow::KindOf(int controlId) const {
    const resources::DialogTemplate* t = resources::FindDialogTemplate(m_templateId);
    if (!t)
        return std::nullopt;
    for (const auto& c : t->controls) {
        if (c.id == controlId && controlId >= 0)
            return c.kind;
    }
    return std::nullopt;
}

bool FakeDialogWindow::IsCombo(int controlId) const {
    return KindOf(controlId) == resources::ControlKind::ComboDropDown;
}

std::string FakeDialogWindow::ControlText(int controlId) const {
    auto it = m_texts.find(controlId);
    return it == m_texts.end() ? std::string() : it->second;
}

void FakeDialogWindow::SetControlText(int controlId, const std::string& text) {
    if (!KindOf(controlId))
        return;
    ++m_platform.textsSet;
    m_texts[controlId] = text;
    if (m_platform.fieldsNotifyChanges) {
        constexpr win::UINT kEnChange = 0x0300;
        Send(win::kWmCommand, win::MakeWParam(static_cast<win::UINT>(controlId), kEnChange), 0);
    }
}

bool FakeDialogWindow::GivesBackExactly(int, const std::string& text) const {
    return !m_platform.changedByControls || !m_platform.changedByControls(text);
}

int FakeDialogWindow::ComboGetCount(int controlId) const {
    auto it = m_comboItems.find(controlId);
    return it == m_comboItems.end() ? 0 : static_cast<int>(it->second.size());
}

std::string FakeDialogWindow::ItemText(int controlId, int index) const {
    auto it = m_comboItems.find(controlId);
    if (it == m_comboItems.end() || index < 0 || index >= int(it->second.size()))
        return {};
    return it->second[static_cast<size_t>(index)];
}

void FakeDialogWindow::ComboAddString(int controlId, const std::string& text) {
    if (IsCombo(controlId))
        m_comboItems[controlId].push_back(text);
}

void FakeDialogWindow::ComboSetCurSel(int controlId, int index) {
    if (!IsCombo(controlId))
        return;
    ++m_platform.selectionsMade;
    m_texts[controlId] = ItemText(controlId, index);
}

void FakeDialogWindow::SetCaption(const std::string& text) {
    m_platform.log.push_back("SetCaption " + text);
    caption = text;
}

void FakeDialogWindow::SetIcon(int iconKind, platform::IconHandle icon) {
    m_platform.log.push_back(Join({"SetIcon", Num(iconKind), Num(icon)}));
    icons[iconKind] = icon;
}

bool FakeDialogWindow::AppendSystemMenu(unsigned flags, unsigned id, const std::string& text) {
    if (!hasSystemMenu)
        return false;
    m_platform.log.push_back(Join({"AppendSystemMenu", Num(flags), Num(id), text}));
    systemMenu.push_back({flags, id, text});
    return true;
}

void FakeDialogWindow::ShowWindow(int showCommand) {
    m_platform.log.push_back("ShowWindow " + Num(showCommand));
    if (showCommand == win::kSwRestore)
        iconic = false;
}

void FakeDialogWindow::SetWindowPos(platform::WindowHandle insertAfter, int x, int y, int cx,
                                    int cy, unsigned flags) {
    m_platform.log.push_back(
        Join({"SetWindowPos", Num(insertAfter), Num(x), Num(y), Num(cx), Num(cy), Num(flags)}));
}

void FakeDialogWindow::SetForegroundWindow() {
    m_platform.log.push_back("SetForegroundWindow");
}

void FakeDialogWindow::EndDialog(int result) {
    m_platform.log.push_back("EndDialog " + Num(result));
    ended = true;
    endResult = result;
}

std::unique_ptr<platform::IPopupMenu> FakeDialogWindow::CreatePopupMenu() {
    if (m_platform.popupMenusFail)
        return nullptr;
    return std::make_unique<FakePopupMenu>(m_platform);
}

void FakeDialogWindow::PaintIconic(platform::IconHandle icon, int x, int y) {
    m_platform.log.push_back(Join({"PaintIconic", Num(icon), Num(x), Num(y)}));
}

win::LRESULT FakeDialogWindow::Send(win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
    win::LRESULT result = 0;
    ++m_sendDepth;
    const bool handled = m_handler.OnMessage(message, wParam, lParam, result);
    --m_sendDepth;
    if (!handled)
        m_platform.log.push_back(Join({"DefaultProcessing", Num(message), Num(wParam)}));
    DeliverPosted();
    return result;
}

void FakeDialogWindow::DeliverPosted() {
    if (m_sendDepth != 0)
        return;
    while (!m_posted.empty()) {
        const auto msg = m_posted.front();
        m_posted.pop_front();
        Send(static_cast<win::UINT>(msg[0]), static_cast<win::WPARAM>(msg[1]), msg[2]);
    }
}

void FakeDialogWindow::Post(win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
    m_posted.push_back(
        {static_cast<std::intptr_t>(message), static_cast<std::intptr_t>(wParam), lParam});
}

void FakeDialogWindow::Type(int controlId, const std::string& text) {
    SetControlText(controlId, text);
}

void FakeDialogWindow::Click(int controlId) {
    Send(win::kWmCommand, win::MakeWParam(static_cast<win::UINT>(controlId), win::kBnClicked), 0);
}

void FakeDialogWindow::ClickRow(int row) {
    list.UserSelects(row);
    AsUser([this] { list.Events()->OnUserClick(); });
}

void FakeDialogWindow::ClickBelowRows() {
    ClickRow(-1);
}

void FakeDialogWindow::KeyMoveTo(int row) {
    list.UserSelects(row);
}

void FakeDialogWindow::KeyDownInList(std::uint16_t virtualKey) {
    AsUser([this, virtualKey] { list.Events()->OnUserKey(virtualKey); });
}

void FakeDialogWindow::ClickHeader(int column) {
    AsUser([this, column] { list.Events()->OnUserColumnClick(column); });
}

void FakeDialogWindow::AsUser(const std::function<void()>& gesture) {
    // The display reports the gesture while it handles it; messages posted meanwhile follow.
    if (!list.Events())
        return;
    ++m_sendDepth;
    gesture();
    --m_sendDepth;
    DeliverPosted();
}

void FakeDialogWindow::PickSortOrder(int index) {
    ComboSetCurSel(IDC_SORTORDER, index);
}

win::LRESULT FakeDialogWindow::TrayNotify(win::WPARAM wParam, win::LPARAM lParam) {
    return Send(platform::kWmTrayNotify, wParam, lParam);
}

// ---- FakeFileStore --------------------------------------------------------------------------

std::optional<std::string> FakeFileStore::ReadFileCreating(const std::string& name) {
    m_log.push_back("ReadFile " + name);
    ++reads;
    if (!readable)
        return std::nullopt;
    return files[name];  // a missing file is created empty
}

bool FakeFileStore::ReplaceContent(const std::string& name, const std::string& bytes) {
    m_log.push_back("ReplaceContent " + name);
    ++writes;
    if (!writable || readOnly.count(name) != 0)
        return false;
    files[name] = bytes;
    return true;
}

std::optional<std::string> FakeFileStore::KeepRecoveryCopy(const std::string& name,
                                                           const std::string& bytes) {
    m_log.push_back("KeepRecoveryCopy " + name);
    if (!recoverable)
        return std::nullopt;
    const std::string path = "/state/brindlecot/" + name + "." + std::to_string(recoveries.size());
    recoveries[path] = bytes;
    return path;
}

// ---- FakePlatform ---------------------------------------------------------------------------

FakePlatform::FakePlatform() = default;

FakePlatform::~FakePlatform() = default;

void FakePlatform::WriteErrorLine(const std::string& line) {
    log.push_back("WriteErrorLine " + line);
    errorLines.push_back(line);
}

int FakePlatform::WSAStartup(std::uint16_t requestedVersion, std::uint16_t& reportedVersion) {
    log.push_back("WSAStartup " + Num(requestedVersion));
    reportedVersion = wsaReportedVersion;
    return wsaResult;
}

void FakePlatform::WSACleanup() {
    log.push_back("WSACleanup");
    ++wsaCleanups;
}

platform::WindowHandle FakePlatform::CreateOwnerWindow() {
    log.push_back("CreateOwnerWindow");
    if (ownerWindowFails)
        return 0;
    ownerWindow = m_nextHandle++;
    return ownerWindow;
}

FakeDialogWindow& FakePlatform::Open(platform::IDialogHandler& handler, int templateId) {
    m_windows.push_back(
        std::make_unique<FakeDialogWindow>(*this, templateId, m_nextHandle++, handler));
    FakeDialogWindow& w = *m_windows.back();
    handler.Attach(w);
    w.Send(win::kWmInitDialog);
    return w;
}

void FakePlatform::Close(FakeDialogWindow& window) {
    window.Send(win::kWmDestroy);
    window.m_handler.Detach();
    auto it = std::find_if(m_windows.begin(), m_windows.end(),
                           [&](const auto& w) { return w.get() == &window; });
    if (it != m_windows.end())
        m_windows.erase(it);
}

FakeDialogWindow* FakePlatform::Window(int templateId) {
    for (auto& w : m_windows) {
        if (w->m_templateId == templateId)
            return w.get();
    }
    return nullptr;
}

int FakePlatform::DoModal(int templateId, platform::WindowHandle owner,
                          platform::IDialogHandler& handler) {
    log.push_back(Join({"DoModal", Num(templateId), Num(owner)}));
    if (templateId != IDD_BRINDLECOT_DIALOG && templateId != IDD_ABOUTBOX)
        return -1;
    FakeDialogWindow& w = Open(handler, templateId);
    auto script = modalScripts.find(templateId);
    if (script != modalScripts.end() && script->second)
        script->second(w);
    if (!w.ended)
        w.Send(win::kWmCommand, win::MakeWParam(win::kIdCancel, win::kBnClicked));
    const int result = w.endResult;
    Close(w);
    return result;
}

int FakePlatform::AnswerBox(Box box) {
    log.push_back(Join({"ShowMessageBox", box.caption, "|", box.text}));
    boxes.push_back(box);
    if (whileBoxShows)
        whileBoxShows(box);
    if (!boxAnswers.empty()) {
        const int answer = boxAnswers.front();
        boxAnswers.pop_front();
        return answer;
    }
    if ((box.type & win::kMbTypeMask) == win::kMbYesNo) {
        ++unansweredBoxes;
        return win::kIdNo;
    }
    return win::kIdOk;
}

int FakePlatform::ShowNativeMessageBox(platform::WindowHandle owner, const std::string& text,
                                       const std::string& caption, unsigned type) {
    return AnswerBox({owner, text, caption, type});
}

platform::IconHandle FakePlatform::LoadIconResource(int resourceId) {
    log.push_back("LoadIconResource " + Num(resourceId));
    return static_cast<platform::IconHandle>(0x10000 + resourceId);
}

bool FakePlatform::IsFile(const std::string& path) {
    log.push_back("IsFile " + path);
    return existingFiles.count(path) != 0;
}

std::optional<std::string> FakePlatform::ShowOpenFileDialog(
    const platform::FileDialogRequest& req) {
    log.push_back("ShowOpenFileDialog");
    fileDialogs.push_back(req);
    if (!fileDialogBrowsesTo.empty())
        currentDirectory = fileDialogBrowsesTo;
    return fileDialogResult;
}

void FakePlatform::ChangeCurrentDirectory(const std::string& directory) {
    log.push_back("ChangeCurrentDirectory " + directory);
    currentDirectory = directory;
}

void FakePlatform::ExecuteShellRequest(const platform::ShellExecuteRequest& request) {
    log.push_back(
        Join({"ExecuteShellRequest", request.operation, request.file, Num(request.showCommand)}));
    shellRequests.push_back(request);
}

void FakePlatform::AddNativeTrayIcon(const platform::TrayIcon& icon) {
    log.push_back("TrayIcon add");
    trayRequests.push_back({"add", icon});
}

void FakePlatform::ModifyNativeTrayIcon(const platform::TrayIcon& icon) {
    log.push_back("TrayIcon modify");
    trayRequests.push_back({"modify", icon});
}

void FakePlatform::RemoveNativeTrayIcon(platform::WindowHandle window, unsigned id) {
    log.push_back("TrayIcon remove");
    platform::TrayIcon icon;
    icon.window = window;
    icon.id = id;
    trayRequests.push_back({"remove", icon});
}

platform::ITrayEvents* FakePlatform::TrayEvents(platform::WindowHandle window, unsigned id) const {
    const platform::Registry::Icon* icon = Windows().FindIcon(window, id);
    return icon ? icon->events : nullptr;
}

platform::Point FakePlatform::GetCursorPos() {
    log.push_back("GetCursorPos");
    return cursor;
}

bool FakePlatform::Logged(const std::string& prefix) const {
    return LogIndex(prefix) >= 0;
}

int FakePlatform::LogIndex(const std::string& prefix) const {
    for (size_t i = 0; i < log.size(); ++i) {
        if (log[i].compare(0, prefix.size(), prefix) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

}  // namespace brindlecot::fake
