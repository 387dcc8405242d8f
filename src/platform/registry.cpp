// The registry of open dialogs and notification-area icons, and the icon requests that go
// through it to the front end.
#include <algorithm>
#include <utility>

#include "platform/platform.h"

namespace brindlecot::platform {

void Registry::DialogOpened(IDialogWindow& window, int templateId) {
    DialogClosed(window);
    m_dialogs.push_back({&window, templateId, false});
}

void Registry::DialogClosed(const IDialogWindow& window) {
    m_dialogs.erase(std::remove_if(m_dialogs.begin(), m_dialogs.end(),
                                   [&](const OpenDialog& d) { return d.window == &window; }),
                    m_dialogs.end());
}

std::vector<IDialogWindow*> Registry::Dialogs() const {
    std::vector<IDialogWindow*> windows;
    for (const OpenDialog& d : m_dialogs)
        windows.push_back(d.window);
    return windows;
}

IDialogWindow* Registry::Dialog(WindowHandle handle) const {
    for (const OpenDialog& d : m_dialogs) {
        if (handle != 0 && d.window->Handle() == handle)
            return d.window;
    }
    return nullptr;
}

IDialogWindow* Registry::DialogOf(int templateId) const {
    for (auto it = m_dialogs.rbegin(); it != m_dialogs.rend(); ++it) {
        if (it->templateId == templateId)
            return it->window;
    }
    return nullptr;
}

WindowHandle Registry::ActiveWindow() const {
    return m_dialogs.empty() ? 0 : m_dialogs.back().window->Handle();
}

void Registry::DialogDrawn(WindowHandle handle) {
    for (OpenDialog& d : m_dialogs) {
        if (handle != 0 && d.window->Handle() == handle)
            d.drawn = true;
    }
}

bool Registry::AwaitsFirstFrame(WindowHandle handle) const {
    return std::any_of(m_dialogs.begin(), m_dialogs.end(), [&](const OpenDialog& d) {
        return handle != 0 && d.window->Handle() == handle && !d.drawn;
    });
}

std::vector<Registry::Icon>::const_iterator Registry::IconAt(WindowHandle window,
                                                             unsigned id) const {
    return std::find_if(m_icons.begin(), m_icons.end(),
                        [&](const Icon& e) { return e.icon.window == window && e.icon.id == id; });
}

Registry::IconChange Registry::ShowIcon(const TrayIcon& icon, ITrayEvents& events) {
    const auto found = IconAt(icon.window, icon.id);
    if (found == m_icons.end()) {
        m_icons.push_back({icon, &events});
        return IconChange::Add;
    }
    Icon& entry = m_icons[static_cast<size_t>(found - m_icons.begin())];
    entry.events = &events;
    if (entry.icon.image == icon.image && entry.icon.tip == icon.tip)
        return IconChange::None;
    entry.icon = icon;
    return IconChange::Modify;
}

std::optional<Registry::Icon> Registry::RemoveIcon(WindowHandle window, unsigned id) {
    const auto it = IconAt(window, id);
    if (it == m_icons.end())
        return std::nullopt;
    Icon removed = *it;
    m_icons.erase(it);
    return removed;
}

const Registry::Icon* Registry::FindIcon(WindowHandle window, unsigned id) const {
    const auto it = IconAt(window, id);
    return it == m_icons.end() ? nullptr : &*it;
}

Registry::Icon* Registry::FindIcon(WindowHandle window, unsigned id) {
    return const_cast<Icon*>(std::as_const(*this).FindIcon(window, id));
}

std::vector<TrayIcon> Registry::IconsOf(WindowHandle window) const {
    std::vector<TrayIcon> icons;
    for (const Icon& e : m_icons) {
        if (e.icon.window == window)
            icons.push_back(e.icon);
    }
    return icons;
}

std::vector<TrayIcon> Registry::Icons() const {
    std::vector<TrayIcon> icons;
    for (const Icon& e : m_icons)
        icons.push_back(e.icon);
    return icons;
}

int IPlatform::ShowMessageBox(WindowHandle owner, const std::string& text,
                              const std::string& caption, unsigned type) {
    MakeWaitingTrayIcons(std::nullopt);
    return ShowNativeMessageBox(owner, text, caption, type);
}

void IPlatform::ShowTrayIcon(const TrayIcon& icon, ITrayEvents& events) {
    switch (m_registry.ShowIcon(icon, events)) {
        case Registry::IconChange::Add:
            if (TrayIconsWaitForFirstFrame() && m_registry.AwaitsFirstFrame(icon.window))
                m_registry.FindIcon(icon.window, icon.id)->waiting = true;
            else
                AddNativeTrayIcon(icon);
            break;
        case Registry::IconChange::Modify:
            // A waiting icon is made as it was last asked for.
            if (!m_registry.FindIcon(icon.window, icon.id)->waiting)
                ModifyNativeTrayIcon(icon);
            break;
        case Registry::IconChange::None:
            break;
    }
}

void IPlatform::RemoveTrayIcon(WindowHandle window, unsigned id) {
    const std::optional<Registry::Icon> removed = m_registry.RemoveIcon(window, id);
    if (removed && !removed->waiting)
        RemoveNativeTrayIcon(window, id);
}

void IPlatform::TrayMenuChanged(WindowHandle window, unsigned id) {
    // A waiting icon's menu is asked for when the icon is made.
    const Registry::Icon* entry = m_registry.FindIcon(window, id);
    if (entry && !entry->waiting)
        NativeTrayMenuChanged(entry->icon);
}

void IPlatform::OnFirstFrame(WindowHandle window) {
    m_registry.DialogDrawn(window);
    MakeWaitingTrayIcons(window);
}

void IPlatform::MakeWaitingTrayIcons(std::optional<WindowHandle> window) {
    for (const TrayIcon& icon : m_registry.Icons()) {
        if (window && icon.window != *window)
            continue;
        Registry::Icon* entry = m_registry.FindIcon(icon.window, icon.id);
        if (entry && entry->waiting) {
            entry->waiting = false;
            AddNativeTrayIcon(icon);
        }
    }
}

void IPlatform::AddTrayIconsAgain(WindowHandle window) {
    for (const TrayIcon& icon : m_registry.IconsOf(window)) {
        const Registry::Icon* entry = m_registry.FindIcon(window, icon.id);
        if (entry && !entry->waiting)
            AddNativeTrayIcon(icon);
    }
}

}  // namespace brindlecot::platform
