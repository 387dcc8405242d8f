// Draws the program's first complete frame and saves it, or compares two saved frames.
//   first_frame_shot OUT.png        the program as main() runs it, in the working directory;
//                                    the main window's pixels at the end of its first frame
//   first_frame_shot compare A B    exit 0 when the two images are the same pixel for pixel
// first_frame_pixels.sh runs it and a reference build of it (an earlier commit's) side by side.
#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/brindlecot_app.h"
#include "first_frame.h"
#include "frontend/qt/qt_dialog_window.h"
#include "frontend/qt/qt_platform.h"
#include "resources/resource.h"

namespace {

int Compare(const char* a, const char* b) {
    const QImage first = QImage(QString::fromLocal8Bit(a)).convertToFormat(QImage::Format_ARGB32);
    const QImage second = QImage(QString::fromLocal8Bit(b)).convertToFormat(QImage::Format_ARGB32);
    if (first.isNull() || second.isNull()) {
        std::fprintf(stderr, "cannot read %s or %s\n", a, b);
        return 2;
    }
    if (first.size() != second.size()) {
        std::fprintf(stderr, "sizes differ: %dx%d and %dx%d\n", first.width(), first.height(),
                     second.width(), second.height());
        return 1;
    }
    long differing = 0;
    QRect where;
    for (int y = 0; y < first.height(); ++y) {
        for (int x = 0; x < first.width(); ++x) {
            if (first.pixel(x, y) != second.pixel(x, y)) {
                ++differing;
                where |= QRect(x, y, 1, 1);
            }
        }
    }
    if (differing == 0)
        return 0;
    std::fprintf(stderr, "%ld pixels differ, within x %d..%d, y %d..%d\n", differing, where.left(),
                 where.right(), where.top(), where.bottom());
    return 1;
}

int Shoot(char* argv0, const QString& output) {
    char* qtArgv[] = {argv0, nullptr};
    int qtArgc = 1;
    QApplication application(qtArgc, qtArgv);
    // A steady text cursor: a blinking one would depend on when the frame is drawn.
    QApplication::setCursorFlashTime(0);
    brindlecot::qt::test::FirstFrameWatcher watcher(
        [](QWidget* w) {
            auto* window = qobject_cast<brindlecot::qt::QtDialogWindow*>(w);
            return window && window->TemplateId() == IDD_BRINDLECOT_DIALOG;
        },
        [&output](QWidget* window) {
            const QPixmap shot = window->screen()->grabWindow(window->winId());
            const bool saved = !shot.isNull() && shot.save(output, "PNG");
            if (!saved)
                std::fprintf(stderr, "cannot grab or save the frame to %s\n", qPrintable(output));
            std::fflush(stderr);
            // Ends here: the run is not needed beyond its first frame.
            std::_Exit(saved ? 0 : 1);
        });
    application.installEventFilter(&watcher);
    brindlecot::qt::QtPlatform platform;
    brindlecot::CBrindlecotApp app(platform);
    app.InitInstance();
    std::fprintf(stderr, "the main window never completed a frame\n");
    return 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 4 && std::string(argv[1]) == "compare")
        return Compare(argv[2], argv[3]);
    if (argc == 2)
        return Shoot(argv[0], QString::fromLocal8Bit(argv[1]));
    std::fprintf(stderr, "usage: %s OUT.png | compare A.png B.png\n", argv[0]);
    return 2;
}
