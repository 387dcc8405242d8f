// A popup menu on Qt: the tray menu and any other the core builds and tracks.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

class QMenu;

namespace brindlecot::qt {

class QtPlatform;

// A popup menu on Qt; the menu goes with the object.
class QtPopupMenu : public platform::IPopupMenu {
  public:
    explicit QtPopupMenu(QtPlatform& platform);
    ~QtPopupMenu() override;
    void InsertItem(unsigned position, unsigned flags, unsigned id,
                    const std::string& text) override;
    void TrackPopupMenu(unsigned flags, int x, int y, platform::WindowHandle owner) override;

  private:
    QtPlatform& m_platform;
    std::unique_ptr<QMenu> m_menu;
};

}  // namespace brindlecot::qt
