// The Brindlecot program on Qt: the application object runs the main window modally, and the
// program ends when that window closes.
#include <QApplication>

#include "app/brindlecot_app.h"
#include "frontend/qt/clipboard_handover.h"
#include "frontend/qt/qt_platform.h"
#include "frontend/qt/session_end.h"

int main(int argc, char* argv[]) {
    // The command line is not read: Qt sees the program's name alone, so no argument (not even
    // one of Qt's own options) changes what the program does.
    static char fallbackName[] = "brindlecot";
    char* qtArgv[] = {argc > 0 && argv[0] ? argv[0] : fallbackName, nullptr};
    int qtArgc = 1;
    QApplication application(qtArgc, qtArgv);
    // The menu entry's id: Wayland compositors and docks match the window to the entry, and so
    // to its name and icon, by it.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.brindlecot.Brindlecot"));

    brindlecot::qt::QtPlatform platform;
    brindlecot::qt::SessionEndWatcher sessionEnd([&platform] { platform.SaveNow(); },
                                                 [&platform] { platform.EndSession(); });
    brindlecot::CBrindlecotApp app(platform);
    app.InitInstance();
    // The window is gone and the list saved: what was copied goes to the clipboard manager
    // without holding the ending process for long.
    brindlecot::qt::HandClipboardOver(std::chrono::milliseconds(300));
    return 0;
}
