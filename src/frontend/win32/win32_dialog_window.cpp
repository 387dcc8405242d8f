#include "frontend/win32/win32_dialog_window.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "frontend/win32/dialog_template.h"
#include "frontend/win32/win32_platform.h"
#include "resources/resource.h"

namespace brindlecot::win32 {

namespace {

HWND ToHwnd(platform::WindowHandle h) {
    return reinterpret_cast<HWND>(h);
}

std::string WindowText(HWND hwnd) {
    if (!hwnd)
        return {};
    const int length = ::GetWindowTextLengthA(hwnd);
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    const int n = ::GetWindowTextA(hwnd, buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data(), static_cast<size_t>(n > 0 ? n : 0));
}

// Messages whose result a dialog procedure returns itself rather than through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
    switch (message) {
        case WM_INITDIALOG:
        case WM_QUERYDRAGICON:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
            return true;
        default:
            return false;
    }
}

// The edit part of a drop-down combo box. Escape there, while the list is dropped, closes the
// list and nothing else. Wine's edit control leaves the key unhandled (the list stays open);
// Windows' own closes the list, which this repeats harmlessly. The edit's own procedure is kept
// in its GWLP_USERDATA rather than subclassed through comctl32, which keeps its data in a window
// property: under Wine every property read is a round trip to the Wine server, several for each
// message the field gets, and the exchange reads and sets the field after every loaded line.
LRESULT CALLBACK ComboEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto own = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(edit, GWLP_USERDATA));
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {
        const HWND combo = ::GetParent(edit);
        if (::SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0)) {
            ::SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
            return 0;
        }
    }
    return ::CallWindowProcW(own, edit, message, wParam, lParam);
}

void WatchComboEscapes(HWND dialog) {
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        char name[32] = {};
        ::GetClassNameA(child, name, sizeof name);
        if (lstrcmpiA(name, "ComboBox") != 0)
            continue;
        if (const HWND edit = ::GetWindow(child, GW_CHILD)) {
            // The own procedure is in place before the first message can need it.
            ::SetWindowLongPtrW(edit, GWLP_USERDATA, ::GetWindowLongPtrW(edit, GWLP_WNDPROC));
            ::SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ComboEditProc));
        }
    }
}

bool ModifierHeld() {
    return (::GetKeyState(VK_SHIFT) | ::GetKeyState(VK_CONTROL) | ::GetKeyState(VK_MENU)) < 0;
}

}  // namespace

// ---- Win32PopupMenu -------------------------------------------------------------------------

void Win32PopupMenu::InsertItem(unsigned position, unsigned flags, unsigned id,
                                const std::string& text) {
    ::InsertMenuA(m_menu, position, flags, id, text.c_str());
}

void Win32PopupMenu::TrackPopupMenu(unsigned flags, int x, int y, platform::WindowHandle owner) {
    // A menu closes on a click elsewhere only if its owner is the foreground window while it
    // is tracked, and after a message has reached the owner once it has closed.
    const HWND hwnd = ToHwnd(owner);
    ::SetForegroundWindow(hwnd);
    ::TrackPopupMenu(m_menu, flags, x, y, 0, hwnd, nullptr);
    ::PostMessageA(hwnd, WM_NULL, 0, 0);
}

// ---- Win32DialogWindow ----------------------------------------------------------------------

INT_PTR CALLBACK Win32DialogWindow::DialogProc(HWND hwnd, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    auto* self = reinterpret_cast<Win32DialogWindow*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Win32DialogWindow*>(lParam);
        ::SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        self->m_hwnd = hwnd;
    }
    return self ? self->Dispatch(message, wParam, lParam) : FALSE;
}

INT_PTR Win32DialogWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (message == WM_INITDIALOG) {
        m_attached = true;
        WatchComboEscapes(m_hwnd);
        ShowIcons();
        m_handler.Attach(*this);
        const bool handled = Forward(message, wParam, lParam, result);
        CentreWindow(m_hwnd);
        return handled ? result : TRUE;
    }
    if (!m_attached)
        return FALSE;

    if (message == m_platform.TaskbarCreatedMessage()) {
        // The taskbar was created anew (the shell restarted): its icons are gone.
        m_platform.AddTrayIconsAgain(Handle());
        return FALSE;
    }

    bool handled = false;
    switch (message) {
        case kWmShowListChanges:
            if (const auto lv = m_listViews.find(static_cast<int>(wParam)); lv != m_listViews.end())
                lv->second->ShowChanges();
            return TRUE;
        case WM_NOTIFY: {
            // The core hears of a list view's clicks and keys from its display, which reports
            // them in the program's terms; no other control of the templates notifies.
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            const auto lv =
                header ? m_listViews.find(static_cast<int>(header->idFrom)) : m_listViews.end();
            if (lv != m_listViews.end() && lv->second->Hwnd() == header->hwndFrom)
                lv->second->OnNotify(*header);
            return FALSE;
        }
        case WM_HELP:
            // F1 alone is the standard Help command; with a modifier it is something else.
            if (ModifierHeld())
                return FALSE;
            Forward(WM_COMMAND, win::MakeWParam(win::kIdHelp, 0), 0, result);
            ::SetWindowLongPtrA(m_hwnd, DWLP_MSGRESULT, TRUE);
            return TRUE;
        case WM_DESTROY:
            handled = Forward(message, wParam, lParam, result);
            m_attached = false;
            m_handler.Detach();
            return handled ? TRUE : FALSE;
        default:
            handled = Forward(message, wParam, lParam, result);
            break;
    }
    if (!handled)
        return FALSE;
    if (ReturnsResultDirectly(message))
        return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrA(m_hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

void Win32DialogWindow::ShowIcons() {
    const resources::DialogTemplate* t = resources::FindDialogTemplate(m_templateId);
    if (!t)
        return;
    for (const resources::ControlTemplate& c : t->controls) {
        // The control takes the icon's size, as it does when it loads the icon itself.
        if (c.kind == resources::ControlKind::Icon) {
            ::SendDlgItemMessageA(m_hwnd, c.id, STM_SETICON,
                                  static_cast<WPARAM>(m_platform.LoadIconResource(IDR_MAINFRAME)),
                                  0);
        }
    }
}

bool Win32DialogWindow::Forward(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    win::LRESULT coreResult = 0;
    // What the core leaves unhandled gets the default processing: a dialog procedure asks for
    // it by returning FALSE (calling the default dialog procedure from inside would recurse).
    const bool handled =
        m_handler.OnMessage(static_cast<win::UINT>(message), static_cast<win::WPARAM>(wParam),
                            static_cast<win::LPARAM>(lParam), coreResult);
    result = static_cast<LRESULT>(coreResult);
    return handled;
}

platform::WindowHandle Win32DialogWindow::Handle() const {
    return reinterpret_cast<platform::WindowHandle>(m_hwnd);
}

platform::IListView* Win32DialogWindow::ListView(int controlId) {
    auto it = m_listViews.find(controlId);
    if (it != m_listViews.end())
        return it->second.get();
    const HWND control = ::GetDlgItem(m_hwnd, controlId);
    char className[64] = {};
    if (!control || !::GetClassNameA(control, className, sizeof className) ||
        lstrcmpiA(className, WC_LISTVIEWA) != 0) {
        return nullptr;
    }
    auto view = std::make_unique<Win32ListView>(control, controlId);
    platform::IListView* raw = view.get();
    m_listViews.emplace(controlId, std::move(view));
    return raw;
}

HWND Win32DialogWindow::Item(int controlId) const {
    const auto it = m_items.find(controlId);
    if (it != m_items.end())
        return it->second;
    const HWND control = ::GetDlgItem(m_hwnd, controlId);
    if (control)
        m_items.emplace(controlId, control);
    return control;
}

LRESULT Win32DialogWindow::SendToItem(int controlId, UINT message, WPARAM wParam,
                                      LPARAM lParam) const {
    const HWND control = Item(controlId);
    return control ? ::SendMessageA(control, message, wParam, lParam) : 0;
}

std::string Win32DialogWindow::ControlText(int controlId) const {
    return WindowText(Item(controlId));
}

void Win32DialogWindow::SetControlText(int controlId, const std::string& text) {
    SendToItem(controlId, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool Win32DialogWindow::GivesBackExactly(int controlId, const std::string& text) const {
    // Printable ASCII is the same in every ANSI code page and has no NUL or line end.
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; }) &&
           KeepsPlainText(controlId);
}

bool Win32DialogWindow::KeepsPlainText(int controlId) const {
    // An edit control, or a combo box's edit part, keeps such a text unless a style changes
    // it. Asked once per control: the core asks at every text it shows while it initialises.
    const auto known = m_keepsPlainText.find(controlId);
    if (known != m_keepsPlainText.end())
        return known->second;
    const HWND control = Item(controlId);
    char name[16] = {};
    bool keeps = false;
    if (control && ::GetClassNameA(control, name, sizeof name)) {
        const auto style = ::GetWindowLongPtrA(control, GWL_STYLE);
        if (lstrcmpiA(name, "ComboBox") == 0)
            keeps = (style & 3) == CBS_DROPDOWN && !(style & (CBS_UPPERCASE | CBS_LOWERCASE));
        else if (lstrcmpiA(name, "Edit") == 0)
            keeps =
                !(style & (ES_MULTILINE | ES_UPPERCASE | ES_LOWERCASE | ES_PASSWORD | ES_NUMBER));
    }
    m_keepsPlainText.emplace(controlId, keeps);
    return keeps;
}

std::string Win32DialogWindow::ItemText(int controlId, int index) const {
    const LRESULT length = SendToItem(controlId, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR)
        return {};
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    const LRESULT n =
        SendToItem(controlId, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer.data()));
    return n == CB_ERR ? std::string() : std::string(buffer.data(), static_cast<size_t>(n));
}

void Win32DialogWindow::ComboAddString(int controlId, const std::string& text) {
    SendToItem(controlId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Win32DialogWindow::ComboSetCurSel(int controlId, int index) {
    // The exchange shows the sort order after every line of a loading file. Selecting the item
    // that is already selected and shown changes nothing but redraws the field (round trips to
    // the Wine server) and, with the focus there, selects its whole text: like an unchanged
    // text, an unchanged selection is not set again.
    if (index >= 0 && SendToItem(controlId, CB_GETCURSEL, 0, 0) == index &&
        ControlText(controlId) == ItemText(controlId, index)) {
        return;
    }
    SendToItem(controlId, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void Win32DialogWindow::SetCaption(const std::string& text) {
    ::SetWindowTextA(m_hwnd, text.c_str());
}

void Win32DialogWindow::SetIcon(int iconKind, platform::IconHandle icon) {
    const HICON shown =
        iconKind == ICON_SMALL ? m_platform.SmallIcon(icon) : reinterpret_cast<HICON>(icon);
    ::SendMessageA(m_hwnd, WM_SETICON, static_cast<WPARAM>(iconKind),
                   reinterpret_cast<LPARAM>(shown));
}

bool Win32DialogWindow::AppendSystemMenu(unsigned flags, unsigned id, const std::string& text) {
    const HMENU menu = ::GetSystemMenu(m_hwnd, FALSE);
    if (!menu)
        return false;
    ::AppendMenuA(menu, flags, id, (flags & MF_SEPARATOR) ? nullptr : text.c_str());
    return true;
}

void Win32DialogWindow::ShowWindow(int showCommand) {
    ::ShowWindow(m_hwnd, showCommand);
}

void Win32DialogWindow::SetWindowPos(platform::WindowHandle insertAfter, int x, int y, int cx,
                                     int cy, unsigned flags) {
    ::SetWindowPos(m_hwnd, ToHwnd(insertAfter), x, y, cx, cy, flags);
}

void Win32DialogWindow::SetForegroundWindow() {
    ::SetForegroundWindow(m_hwnd);
}

void Win32DialogWindow::EndDialog(int result) {
    ::EndDialog(m_hwnd, result);
}

std::unique_ptr<platform::IPopupMenu> Win32DialogWindow::CreatePopupMenu() {
    const HMENU menu = ::CreatePopupMenu();
    if (!menu)
        return nullptr;
    return std::make_unique<Win32PopupMenu>(menu);
}

bool Win32DialogWindow::IsIconic() const {
    return ::IsIconic(m_hwnd) != 0;
}

platform::Size Win32DialogWindow::GetClientSize() const {
    RECT r{};
    ::GetClientRect(m_hwnd, &r);
    return {r.right - r.left, r.bottom - r.top};
}

void Win32DialogWindow::PaintIconic(platform::IconHandle icon, int x, int y) {
    PAINTSTRUCT ps{};
    const HDC dc = ::BeginPaint(m_hwnd, &ps);
    ::SendMessageA(m_hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    ::DrawIcon(dc, x, y, reinterpret_cast<HICON>(icon));
    ::EndPaint(m_hwnd, &ps);
}

void CentreWindow(HWND hwnd) {
    RECT window{};
    ::GetWindowRect(hwnd, &window);
    const HWND owner = ::GetWindow(hwnd, GW_OWNER);
    RECT area{};
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner)) {
        ::GetWindowRect(owner, &area);
    } else {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        ::GetMonitorInfoA(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &info);
        area = info.rcWork;
    }
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    int x = area.left + ((area.right - area.left) - width) / 2;
    int y = area.top + ((area.bottom - area.top) - height) / 2;
    // Keep the caption on the screen even over an owner near its edge.
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoA(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &info);
    if (x + width > info.rcWork.right)
        x = info.rcWork.right - width;
    if (y + height > info.rcWork.bottom)
        y = info.rcWork.bottom - height;
    if (x < info.rcWork.left)
        x = info.rcWork.left;
    if (y < info.rcWork.top)
        y = info.rcWork.top;
    ::SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace brindlecot::win32
