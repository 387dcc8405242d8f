// The tray menu, against a minimal Qt tray program doing the same. Two measures, each kind of
// run a fresh process:
//
// The right press (any platform; the figures that count are under Xvfb with xcb): the press's
// message reaches brindlecot's main window (50 entries) as a posted tray message does, and the
// menu is closed as soon as it has been painted; this N times.
//   program    brindlecot: the core builds the menu at the press, the front end shows it
//   floor      a minimal Qt tray program that builds a QMenu of the same 50 titles at the press
//              and pops it up at the pointer, deleting it when it closes
//   once       the same program with one menu built at start and shown again at each press
// Printed: the median time from the press to the end of the menu's first paint, and (under
// callgrind) the instructions of one opening, press to closed, from the difference between a
// run with 2 openings and one with 22; each against the floor.
//
// The reply to a StatusNotifierItem host's AboutToShow (only with a D-Bus session bus: run
// under dbus-run-session, as tools/bench.sh does): this driver stands in for the desktop's
// watcher and host. The child registers its item with it; the driver then asks the item's
// exported menu AboutToShow and then GetLayout, as a host does before it shows the menu.
//   sni-program  brindlecot with 50 entries
//   sni-once     a minimal Qt tray program exporting a menu of the same 50 titles built once
// Printed: the median round trip of each call, and the child's instructions per AboutToShow
// with its GetLayout (the difference between 0 and 50 of them), against the menu built once.
//
//   qt_tray_menu_bench [openings] [--no-valgrind]   the driver (30 openings when not given)
//   qt_tray_menu_bench child KIND N                 one run
#include <unistd.h>

#include <QApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QPixmap>
#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/brindlecot_app.h"
#include "app/brindlecot_dlg.h"
#include "bench_support.h"
#include "first_frame.h"
#include "frontend/qt/qt_dialog_window.h"
#include "frontend/qt/qt_platform.h"
#include "frontend/qt/session_end.h"
#include "resources/resource.h"

namespace {

using brindlecot::bench::CallgrindTotal;
using brindlecot::bench::Median;
using brindlecot::bench::NowNs;

constexpr int kEntries = 50;
constexpr int kWarmUp = 2;  // openings or AboutToShows not counted: first-time costs

QString Title(int row) {
    return QStringLiteral("Entry number %1").arg(row + 1);
}

QByteArray EntryFile() {
    QByteArray bytes = "CREATOR=Brindlecot 1.0\r\n";
    for (int row = 0; row < kEntries; ++row) {
        bytes +=
            "ST=" + Title(row).toUtf8() + "\r\nURL=http://example.org/" + QByteArray::number(row) +
            "/\r\nSORTORDER=" + QByteArray::number(row + 1).rightJustified(2, '0') + "\r\n\r\n";
    }
    return bytes;
}

// The menu of the minimal program: the titles last row on top, with their commands' ids.
void FillMinimalMenu(QMenu& menu) {
    for (int row = kEntries - 1; row >= 0; --row)
        menu.addAction(Title(row))
            ->setData(brindlecot::ID_TRAYMENU_FIRST + static_cast<unsigned>(row));
}

// Opens a menu `times` times through `open` (which returns once the menu has closed), closing
// each as soon as its first paint is over, and prints the time from each press to that moment.
class PressCycler : public QObject {
  public:
    void Run(int times, const std::function<void()>& open) {
        qApp->installEventFilter(this);
        for (int i = 0; i < times; ++i) {
            m_pressNs = NowNs();
            open();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        for (double ms : m_shownMs)
            std::printf("%.4f ", ms);
        std::printf("\n");
        std::fflush(stdout);
        std::_Exit(0);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_closing) {
            if (auto* menu = qobject_cast<QMenu*>(watched)) {
                m_closing = true;
                // Runs once the paint pass is over.
                QMetaObject::invokeMethod(
                    menu,
                    [this, menu] {
                        m_shownMs.push_back(static_cast<double>(NowNs() - m_pressNs) / 1e6);
                        m_closing = false;
                        menu->close();
                    },
                    Qt::QueuedConnection);
            }
        }
        return false;
    }

  private:
    long long m_pressNs = 0;
    bool m_closing = false;
    std::vector<double> m_shownMs;
};

// Ends the run when the driver closes the child's standard input.
void QuitAtEndOfInput(QObject* parent, std::function<void()> quit) {
    auto* input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, parent);
    QObject::connect(input, &QSocketNotifier::activated, parent, [input, quit] {
        char buffer[64];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
            input->setEnabled(false);
            quit();
        }
    });
}

int Child(char* argv0, const std::string& kind, int times) {
    char* qtArgv[] = {argv0, nullptr};
    int qtArgc = 1;
    QApplication app(qtArgc, qtArgv);
    const QPoint offset(50, 0);  // the core puts the menu's left edge 50 px left of the pointer
    if (kind == "floor" || kind == "once") {
        QMenu once;
        FillMinimalMenu(once);
        PressCycler cycler;
        QTimer::singleShot(0, [&] {
            cycler.Run(times, [&] {
                if (kind == "once") {
                    once.exec(QCursor::pos() - offset);
                    return;
                }
                QMenu menu;
                FillMinimalMenu(menu);
                menu.exec(QCursor::pos() - offset);
            });
        });
        return app.exec();
    }
    if (kind == "sni-once") {
        QMenu menu;
        FillMinimalMenu(menu);
        QPixmap image(22, 22);
        image.fill(Qt::darkGreen);
        QSystemTrayIcon tray{QIcon(image)};
        tray.setContextMenu(&menu);
        tray.show();
        QuitAtEndOfInput(&app, [] { QCoreApplication::quit(); });
        return app.exec();
    }
    // brindlecot, as main.cpp starts it.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.brindlecot.Brindlecot"));
    brindlecot::qt::QtPlatform platform;
    brindlecot::qt::SessionEndWatcher sessionEnd([&platform] { platform.SaveNow(); },
                                                 [&platform] { platform.EndSession(); });
    PressCycler cycler;
    brindlecot::qt::test::FirstFrameWatcher watcher(
        [](QWidget* w) {
            auto* window = qobject_cast<brindlecot::qt::QtDialogWindow*>(w);
            return window && window->TemplateId() == IDD_BRINDLECOT_DIALOG;
        },
        [&](QWidget* w) {
            if (kind != "program")
                return;
            auto* window = static_cast<brindlecot::qt::QtDialogWindow*>(w);
            QMetaObject::invokeMethod(
                window,
                [&cycler, window, times] {
                    cycler.Run(times, [window] {
                        // What the tray icon's right press posts to the window.
                        window->Send(brindlecot::WM_TRAYNOTIFY, brindlecot::TRAY_ICON_ID,
                                     brindlecot::win::kWmRButtonDown);
                    });
                },
                Qt::QueuedConnection);
        });
    app.installEventFilter(&watcher);
    if (kind == "sni-program")
        QuitAtEndOfInput(&app, [&platform] { platform.EndSession(); });
    brindlecot::CBrindlecotApp application(platform);
    application.InitInstance();
    return 0;
}

// ---- The driver -----------------------------------------------------------------------------

// The command line of one child, under callgrind when `callgrindOut` is given.
std::pair<QString, QStringList> ChildCommand(const QString& kind, int times,
                                             const QString& valgrind, const QString& callgrindOut) {
    const QString self = QCoreApplication::applicationFilePath();
    const QStringList args = {QStringLiteral("child"), kind, QString::number(times)};
    if (callgrindOut.isEmpty())
        return {self, args};
    return {valgrind, QStringList{QStringLiteral("--tool=callgrind"), QStringLiteral("-q"),
                                  QStringLiteral("--callgrind-out-file=") + callgrindOut, self} +
                          args};
}

QProcessEnvironment ChildEnvironment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_HASH_SEED"), QStringLiteral("0"));  // the same count each run
    return env;
}

// The press: times from one run of `times` openings, or its instruction count.
std::vector<double> RunPresses(const QString& kind, int times, const QString& dir,
                               const QString& valgrind = {}, const QString& callgrindOut = {}) {
    QProcess child;
    child.setWorkingDirectory(dir);
    child.setProcessEnvironment(ChildEnvironment());
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const auto [program, args] = ChildCommand(kind, times, valgrind, callgrindOut);
    child.start(program, args);
    if (!child.waitForFinished(600000) || child.exitCode() != 0) {
        std::fprintf(stderr, "child %s failed\n", qPrintable(kind));
        return {};
    }
    std::vector<double> out;
    for (const QByteArray& field : child.readAllStandardOutput().simplified().split(' ')) {
        if (!field.isEmpty())
            out.push_back(field.toDouble());
    }
    return out;
}

// The desktop's StatusNotifierWatcher, with a host registered: enough for Qt to export its
// icon's menu and for the items to register.
class Watcher : public QDBusVirtualObject {
  public:
    QString item;  // the last item registered: its bus name

    QString introspect(const QString&) const override {
        return QStringLiteral(
            "<interface name=\"org.kde.StatusNotifierWatcher\">"
            "<method name=\"RegisterStatusNotifierItem\"><arg type=\"s\" direction=\"in\"/>"
            "</method>"
            "<method name=\"RegisterStatusNotifierHost\"><arg type=\"s\" direction=\"in\"/>"
            "</method>"
            "<property name=\"IsStatusNotifierHostRegistered\" type=\"b\" access=\"read\"/>"
            "<property name=\"ProtocolVersion\" type=\"i\" access=\"read\"/>"
            "<property name=\"RegisteredStatusNotifierItems\" type=\"as\" access=\"read\"/>"
            "</interface>");
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const QString member = message.member();
        QDBusMessage reply = message.createReply();
        if (member == QLatin1String("Introspect")) {
            reply << QStringLiteral(
                         "<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object "
                         "Introspection 1.0//EN\" "
                         "\"http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd\">"
                         "<node>") +
                         introspect(QString()) + QStringLiteral("</node>");
        } else if (member == QLatin1String("RegisterStatusNotifierItem")) {
            const QString named = message.arguments().value(0).toString();
            item = named.startsWith(QLatin1Char('/')) ? message.service() : named;
        } else if (member == QLatin1String("Get") || member == QLatin1String("GetAll")) {
            const QVariantMap all = {{QStringLiteral("IsStatusNotifierHostRegistered"), true},
                                     {QStringLiteral("ProtocolVersion"), 0},
                                     {QStringLiteral("RegisteredStatusNotifierItems"),
                                      item.isEmpty() ? QStringList() : QStringList(item)}};
            if (member == QLatin1String("GetAll")) {
                reply << all;
            } else {
                reply << QVariant::fromValue(
                    QDBusVariant(all.value(message.arguments().value(1).toString())));
            }
        } else if (member != QLatin1String("RegisterStatusNotifierHost")) {
            return false;
        }
        connection.send(reply);
        return true;
    }
};

struct SniRun {
    std::vector<double> aboutToShowMs, getLayoutMs;
    double instructions = 0;
    bool ok = false;
};

// One child with a StatusNotifierItem: `calls` AboutToShow and GetLayout pairs after the warm-up.
SniRun RunSni(Watcher& watcher, const QString& kind, int calls, const QString& dir,
              const QString& valgrind = {}, const QString& callgrindOut = {}) {
    SniRun run;
    watcher.item.clear();
    QProcess child;
    child.setWorkingDirectory(dir);
    child.setProcessEnvironment(ChildEnvironment());
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    const auto [program, args] = ChildCommand(kind, 0, valgrind, callgrindOut);
    child.start(program, args);
    QElapsedTimer waited;
    waited.start();
    while (watcher.item.isEmpty() && waited.elapsed() < 300000 &&
           child.state() != QProcess::NotRunning)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    if (!watcher.item.isEmpty()) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        const auto call = [&](const QString& member, const QVariantList& arguments) {
            QDBusMessage m =
                QDBusMessage::createMethodCall(watcher.item, QStringLiteral("/MenuBar"),
                                               QStringLiteral("com.canonical.dbusmenu"), member);
            m.setArguments(arguments);
            const long long t0 = NowNs();
            const QDBusMessage reply = bus.call(m, QDBus::Block, 120000);
            run.ok = run.ok && reply.type() == QDBusMessage::ReplyMessage;
            return static_cast<double>(NowNs() - t0) / 1e6;
        };
        run.ok = true;
        for (int i = 0; i < kWarmUp + calls; ++i) {
            const double about = call(QStringLiteral("AboutToShow"), {0});
            const double layout = call(QStringLiteral("GetLayout"), {0, -1, QStringList()});
            if (i >= kWarmUp) {
                run.aboutToShowMs.push_back(about);
                run.getLayoutMs.push_back(layout);
            }
        }
    }
    child.closeWriteChannel();
    if (!child.waitForFinished(300000))
        child.kill();
    if (!callgrindOut.isEmpty())
        run.instructions = CallgrindTotal(callgrindOut);
    if (!run.ok)
        std::fprintf(stderr, "%s: no StatusNotifierItem registered or a call failed\n",
                     qPrintable(kind));
    return run;
}

int Driver(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    int openings = 30;
    bool useValgrind = true;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--no-valgrind")
            useValgrind = false;
        else
            openings = std::max(1, std::atoi(argv[i]));
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString valgrind =
        useValgrind ? QStandardPaths::findExecutable(QStringLiteral("valgrind")) : QString();
    QTemporaryDir dir, outDir;
    const QString entryFile = dir.filePath(QStringLiteral("brcot.dat"));
    const auto writeEntries = [&] {
        QFile file(entryFile);
        file.open(QIODevice::WriteOnly);
        file.write(EntryFile());
    };
    writeEntries();

    // The press.
    const QStringList kinds = {QStringLiteral("floor"), QStringLiteral("once"),
                               QStringLiteral("program")};
    std::map<QString, double> shownMs, perOpening;
    for (const QString& kind : kinds) {
        std::vector<double> t = RunPresses(kind, kWarmUp + openings, dir.path());
        if (t.size() != static_cast<size_t>(kWarmUp + openings))
            return 1;
        shownMs[kind] = Median(std::vector<double>(t.begin() + kWarmUp, t.end()));
        if (!valgrind.isEmpty()) {
            constexpr int kCounted = 20;
            const QString out = outDir.filePath(QStringLiteral("callgrind.") + kind);
            RunPresses(kind, kWarmUp, dir.path(), valgrind, out + QStringLiteral(".a"));
            RunPresses(kind, kWarmUp + kCounted, dir.path(), valgrind, out + QStringLiteral(".b"));
            perOpening[kind] = (CallgrindTotal(out + QStringLiteral(".b")) -
                                CallgrindTotal(out + QStringLiteral(".a"))) /
                               kCounted;
        }
    }
    std::printf("Tray menu, %d entries, right press to menu painted, platform %s, %d openings\n",
                kEntries, qgetenv("QT_QPA_PLATFORM").constData(), openings);
    std::printf("%-44s %9s %7s %12s %7s\n", "", "ms med", "xfloor", "instr/open", "xfloor");
    const std::map<QString, const char*> labels = {
        {QStringLiteral("floor"), "minimal Qt tray program, menu built at press"},
        {QStringLiteral("once"), "minimal Qt tray program, menu built once"},
        {QStringLiteral("program"), "brindlecot"}};
    for (const QString& kind : kinds) {
        std::printf("%-44s %9.3f %7.3f", labels.at(kind), shownMs[kind],
                    shownMs[kind] / shownMs[QStringLiteral("floor")]);
        if (perOpening[QStringLiteral("floor")] > 0)
            std::printf(" %12.0f %7.3f", perOpening[kind],
                        perOpening[kind] / perOpening[QStringLiteral("floor")]);
        std::printf("\n");
    }

    // The reply to AboutToShow: only on a session bus, where this process is the watcher.
    QDBusConnection bus = QDBusConnection::sessionBus();
    Watcher watcher;
    if (!bus.isConnected() ||
        !bus.registerVirtualObject(QStringLiteral("/StatusNotifierWatcher"), &watcher) ||
        !bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"))) {
        std::printf(
            "(no AboutToShow figures: no D-Bus session bus, or a watcher runs on it;"
            " run under dbus-run-session)\n");
        return 0;
    }
    constexpr int kCalls = 50;
    const QStringList sniKinds = {QStringLiteral("sni-once"), QStringLiteral("sni-program")};
    std::map<QString, SniRun> sni;
    std::map<QString, double> perCall;
    for (const QString& kind : sniKinds) {
        writeEntries();  // the program writes its file when it ends
        sni[kind] = RunSni(watcher, kind, kCalls, dir.path());
        if (!sni[kind].ok)
            return 1;
        if (!valgrind.isEmpty()) {
            const QString out = outDir.filePath(QStringLiteral("callgrind.") + kind);
            writeEntries();
            const double none =
                RunSni(watcher, kind, 0, dir.path(), valgrind, out + QStringLiteral(".a"))
                    .instructions;
            writeEntries();
            const double some =
                RunSni(watcher, kind, kCalls, dir.path(), valgrind, out + QStringLiteral(".b"))
                    .instructions;
            perCall[kind] = (some - none) / kCalls;
        }
    }
    std::printf(
        "\nStatusNotifierItem menu, %d entries: a host's AboutToShow, then GetLayout, "
        "%d times (round trips)\n",
        kEntries, kCalls);
    std::printf("%-44s %10s %10s %7s %12s %7s\n", "", "About ms", "Layout ms", "xonce",
                "instr/reply", "xonce");
    const SniRun& once = sni[QStringLiteral("sni-once")];
    const double onceMs = Median(once.aboutToShowMs) + Median(once.getLayoutMs);
    for (const QString& kind : sniKinds) {
        const SniRun& r = sni[kind];
        const double about = Median(r.aboutToShowMs), layout = Median(r.getLayoutMs);
        std::printf("%-44s %10.3f %10.3f %7.3f",
                    kind == QLatin1String("sni-once") ? "minimal Qt tray program, menu built once"
                                                      : "brindlecot",
                    about, layout, (about + layout) / onceMs);
        if (perCall[QStringLiteral("sni-once")] > 0)
            std::printf(" %12.0f %7.3f", perCall[kind],
                        perCall[kind] / perCall[QStringLiteral("sni-once")]);
        std::printf("\n");
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc >= 4 && std::string(argv[1]) == "child")
        return Child(argv[0], argv[2], std::atoi(argv[3]));
    return Driver(argc, argv);
}
