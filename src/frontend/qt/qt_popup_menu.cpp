#include "frontend/qt/qt_popup_menu.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

#include "frontend/qt/qt_platform.h"
#include "frontend/qt/text_codec.h"
#include "frontend/qt/wayland_desktop.h"

namespace brindlecot::qt {

QtPopupMenu::QtPopupMenu(QtPlatform& platform)
    : m_platform(platform), m_menu(std::make_unique<QMenu>()) {}

// Here, where a QMenu is a complete type.
QtPopupMenu::~QtPopupMenu() = default;

void QtPopupMenu::InsertItem(unsigned position, unsigned, unsigned id, const std::string& text) {
    // The core builds its menus of strings, each inserted at its position.
    QAction* before = m_menu->actions().value(static_cast<qsizetype>(position), nullptr);
    auto* action = new QAction(ToQString(text), m_menu.get());  // owned by the menu
    action->setData(id);
    m_menu->insertAction(before, action);
}

void QtPopupMenu::TrackPopupMenu(unsigned, int x, int y, platform::WindowHandle owner) {
    // A press that asks for a menu while one is open closes that one and opens none, as a
    // press outside a menu does. Elsewhere the open menu's grab takes the press first; on
    // Wayland a bar's press reaches the program, and would otherwise open a second menu.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMenu*>(window) && window->isVisible()) {
            window->close();
            return;
        }
    }
    PrepareMenuWindow(*m_menu);
    // Either mouse button chooses an item in a Qt menu, as TPM_RIGHTBUTTON asks.
    const QAction* chosen = m_menu->exec(QPoint(x, y));
    if (chosen && chosen->data().isValid()) {
        m_platform.PostToWindow(owner, win::kWmCommand, win::MakeWParam(chosen->data().toUInt(), 0),
                                0);
    }
}

}  // namespace brindlecot::qt
