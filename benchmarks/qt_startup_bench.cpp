// Start-up to the end of the first complete frame: the moment every visible widget of the main
// window has been painted once and the paint pass that did it is over. Five kinds of run, each
// a fresh process, taking turns:
//
//   bare       a bare QDialog of the main window's size: no text, so no font stack
//   floor      the same widgets: a QDialog with the main window's controls, font, size and tab
//              order, built with stock Qt and given no content (no rows, no field text, no
//              icon, no tray)
//   stock      the floor given the 50 entries' texts as rows, its columns fitted to them with
//              stock Qt (resizeColumnToContents): what showing the same rows costs any Qt
//              program, the reference for the program's own overhead with 50 entries
//   empty      brindlecot with an empty brcot.dat
//   full       brindlecot with 50 entries, in the order the program writes them
//   ascending  brindlecot with 50 entries in ascending order, the load's worst case: every
//              entry is inserted at the top and must be sorted down to the bottom
//
// It prints medians (and min, max) of the time, peak RSS, the ratios against the bare dialog
// and the floor, the 50-entry runs against the stock rows, and, when valgrind is on the PATH, each
// kind's instruction count (one run under callgrind; exact, unlike the times on a shared machine).
// Last it reports the idle resident memory of brindlecot with 50 entries after start-up and after
// 1, 10 and 100 openings of its tray menu.
//
//   qt_startup_bench [runs] [--no-valgrind] [--before OTHER]
//       the driver (offscreen unless QT_QPA_PLATFORM is set); OTHER, another build of this
//       benchmark, runs its brindlecot kinds in the same rounds, for before/after figures
//   qt_startup_bench child KIND T0            one run; T0 the driver's clock at the spawn
//   qt_startup_bench child idle 0             the idle-memory run
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/brindlecot_app.h"
#include "app/brindlecot_dlg.h"
#include "bench_support.h"
#include "first_frame.h"
#include "frontend/qt/qt_dialog_window.h"
#include "frontend/qt/qt_platform.h"
#include "frontend/qt/session_end.h"
#include "resources/dialog_layout.h"
#include "resources/resource.h"
#include "resources/strings.h"

namespace {

using brindlecot::bench::CallgrindTotal;
using brindlecot::bench::Median;
using brindlecot::bench::NowNs;

long PeakRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The bytes the heap hands out now: a leak grows it, fragmentation only the resident size.
long HeapInUseKiB() {
#ifdef __GLIBC__
    return static_cast<long>(mallinfo2().uordblks / 1024);
#else
    return 0;
#endif
}

long ResidentKiB() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// The same widgets as the main window, from the same layout table, with stock Qt widgets and
// nothing in them.
void BuildFloor(QDialog& dialog) {
    const auto& t = brindlecot::resources::MainDialogTemplate();
    const QFont font(
        QString::fromUtf8(t.fontName.data(), static_cast<qsizetype>(t.fontName.size())),
        t.fontPoints);
    dialog.setFont(font);
    const auto units = brindlecot::qt::DialogBaseUnits::Of(font);
    dialog.setWindowTitle(QStringLiteral("Brindlecot"));
    dialog.setFixedSize(units.ToPixels(0, 0, t.cx, t.cy).size());
    QWidget* previous = nullptr;
    for (const auto& c : t.controls) {
        using K = brindlecot::resources::ControlKind;
        const QString text =
            QString::fromUtf8(c.text.data(), static_cast<qsizetype>(c.text.size()));
        QRect rect = units.ToPixels(c.x, c.y, c.cx, c.cy);
        QWidget* w = nullptr;
        switch (c.kind) {
            case K::Edit:
                w = new QLineEdit(&dialog);
                break;
            case K::ComboDropDown: {
                auto* combo = new QComboBox(&dialog);
                combo->setEditable(true);
                QStringList items;
                for (const std::string& item : brindlecot::resources::SortOrderItems())
                    items << QString::fromStdString(item);
                combo->addItems(items);
                rect.setHeight(units.ToPixels(0, 0, 0, 14).height());
                w = combo;
                break;
            }
            case K::PushButton:
            case K::DefPushButton: {
                auto* button = new QPushButton(text, &dialog);
                button->setDefault(c.kind == K::DefPushButton);
                w = button;
                break;
            }
            case K::ListView: {
                auto* list = new QTreeWidget(&dialog);
                list->setRootIsDecorated(false);
                list->setHeaderLabels({QStringLiteral("Site Title"),
                                       QStringLiteral("Program/Site URL"),
                                       QStringLiteral("Sort Order")});
                w = list;
                break;
            }
            case K::Static:
            case K::Icon:
                w = new QLabel(text, &dialog);
                break;
        }
        w->setGeometry(rect);
        if (c.style & brindlecot::resources::kTabStop) {
            if (previous)
                QWidget::setTabOrder(previous, w);
            previous = w;
        } else {
            w->setFocusPolicy(Qt::NoFocus);
        }
    }
}

QByteArray EntryFile(bool ascending);

// The floor's list given the rows of the 50-entry file, as a plain Qt program would show them.
void FillStockRows(QDialog& dialog) {
    auto* list = dialog.findChild<QTreeWidget*>();
    QList<QTreeWidgetItem*> items;
    QStringList row;
    for (const QByteArray& line : EntryFile(false).split('\n')) {
        const QByteArray text = line.trimmed();
        const qsizetype eq = text.indexOf('=');
        if (eq < 0 || text.startsWith("CREATOR="))
            continue;
        row << QString::fromUtf8(text.mid(eq + 1));
        if (row.size() == 3) {
            items << new QTreeWidgetItem(row);  // owned by the list from addTopLevelItems on
            row.clear();
        }
    }
    list->addTopLevelItems(items);
    for (int c = 0; c < list->columnCount(); ++c)
        list->resizeColumnToContents(c);
}

bool IsMainWindow(QWidget* w) {
    auto* window = qobject_cast<brindlecot::qt::QtDialogWindow*>(w);
    return window && window->TemplateId() == IDD_BRINDLECOT_DIALOG;
}

// Opens the tray menu `times` times, each time until it has been painted, then closes it.
class TrayMenuCycler : public QObject {
  public:
    void Open(brindlecot::qt::QtDialogWindow& window, int times) {
        for (int i = 0; i < times; ++i) {
            window.Send(brindlecot::WM_TRAYNOTIFY, brindlecot::TRAY_ICON_ID,
                        brindlecot::win::kWmRButtonDown);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            if (auto* menu = qobject_cast<QMenu*>(watched)) {
                QMetaObject::invokeMethod(menu, &QWidget::close, Qt::QueuedConnection);
            }
        }
        return false;
    }
};

void IdleMemory(QWidget* window) {
    auto* main = static_cast<brindlecot::qt::QtDialogWindow*>(window);
    auto* cycler = new TrayMenuCycler;  // lives until the process ends
    qApp->installEventFilter(cycler);
    QCoreApplication::sendPostedEvents();
    const long afterStart = ResidentKiB();
    cycler->Open(*main, 1);
    const long afterOne = ResidentKiB();
    cycler->Open(*main, 9);
    const long afterTen = ResidentKiB();
    const long heapAfterTen = HeapInUseKiB();
    cycler->Open(*main, 90);
    const long afterHundred = ResidentKiB();
    const long heapAfterHundred = HeapInUseKiB();
    std::printf("%ld %ld %ld %ld %ld %ld\n", afterStart, afterOne, afterTen, afterHundred,
                heapAfterTen, heapAfterHundred);
    std::fflush(stdout);
    std::_Exit(0);
}

int Child(char* argv0, const std::string& kind, long long t0) {
    char* qtArgv[] = {argv0, nullptr};
    int qtArgc = 1;
    QApplication app(qtArgc, qtArgv);
    const bool program = kind != "bare" && kind != "floor" && kind != "stock";
    std::function<bool(QWidget*)> isWatched = IsMainWindow;
    if (!program)
        isWatched = [](QWidget* w) { return qobject_cast<QDialog*>(w) != nullptr; };
    brindlecot::qt::test::FirstFrameWatcher watcher(isWatched, [&](QWidget* window) {
        if (kind == "idle") {
            QMetaObject::invokeMethod(
                window, [window] { IdleMemory(window); }, Qt::QueuedConnection);
            return;
        }
        std::printf("%.3f %ld\n", static_cast<double>(NowNs() - t0) / 1e6, PeakRssKiB());
        std::fflush(stdout);
        std::_Exit(0);
    });
    app.installEventFilter(&watcher);
    if (!program) {
        QDialog dialog;
        if (kind == "floor" || kind == "stock") {
            BuildFloor(dialog);
            if (kind == "stock")
                FillStockRows(dialog);
        } else {
            // The main window's size in pixels; measuring a font for it would load the font
            // stack that a window without text never needs.
            dialog.resize(560, 297);
        }
        return dialog.exec();
    }
    // As main.cpp starts the program.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.brindlecot.Brindlecot"));
    brindlecot::qt::QtPlatform platform;
    brindlecot::qt::SessionEndWatcher sessionEnd([&platform] { platform.SaveNow(); },
                                                 [&platform] { platform.EndSession(); });
    brindlecot::CBrindlecotApp application(platform);
    application.InitInstance();
    return 1;  // the first frame ends the process; getting here means there was none
}

QByteArray EntryFile(bool ascending) {
    QByteArray bytes = "CREATOR=Brindlecot 1.0\r\n";
    for (int k = 1; k <= 50; ++k) {
        const int i = ascending ? k : 51 - k;
        bytes += "ST=Entry number " + QByteArray::number(i) + "\r\nURL=http://example.org/" +
                 QByteArray::number(i) +
                 "/index.html\r\nSORTORDER=" + QByteArray::number(i).rightJustified(2, '0') +
                 "\r\n";
        if (k < 50)
            bytes += "\r\n";
    }
    return bytes;
}

struct Kind {
    std::string key;   // unique among the kinds
    std::string name;  // the child's kind
    std::string label;
    QString dir;
    QString program;  // this benchmark, or the build given with --before
};

// Runs one child and returns its output line's numbers, or nothing when it failed.
std::vector<double> RunChild(const QString& program, const QStringList& args, const QString& dir,
                             const QProcessEnvironment& env) {
    QProcess child;
    child.setWorkingDirectory(dir);
    child.setProcessEnvironment(env);
    child.start(program, args);
    if (!child.waitForFinished(600000) || child.exitStatus() != QProcess::NormalExit ||
        child.exitCode() != 0) {
        std::fprintf(stderr, "%s %s failed: %s\n", qPrintable(program),
                     qPrintable(args.join(QLatin1Char(' '))),
                     child.readAllStandardError().constData());
        return {};
    }
    std::vector<double> out;
    for (const QByteArray& field : child.readAllStandardOutput().simplified().split(' '))
        out.push_back(field.toDouble());
    return out;
}

// The instruction count of one run under callgrind, in millions; 0 when it failed.
double Instructions(const Kind& kind, const QString& valgrind, const QString& outDir) {
    const QString outFile =
        outDir + QStringLiteral("/callgrind.") + QString::fromStdString(kind.key);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_HASH_SEED"), QStringLiteral("0"));  // the same count each run
    const QStringList args = {QStringLiteral("--tool=callgrind"),
                              QStringLiteral("-q"),
                              QStringLiteral("--callgrind-out-file=") + outFile,
                              kind.program,
                              QStringLiteral("child"),
                              QString::fromStdString(kind.name),
                              QStringLiteral("0")};
    if (RunChild(valgrind, args, kind.dir, env).empty())
        return 0;
    return CallgrindTotal(outFile) / 1e6;
}

int Driver(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    int runs = 15;
    bool useValgrind = true;
    QString before;  // another build of this benchmark, measured in the same run
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--no-valgrind")
            useValgrind = false;
        else if (std::string(argv[i]) == "--before" && i + 1 < argc)
            before = QFileInfo(QString::fromLocal8Bit(argv[++i])).absoluteFilePath();
        else
            runs = std::max(1, std::atoi(argv[i]));
    }
    const QString self = QCoreApplication::applicationFilePath();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QTemporaryDir emptyDir, fullDir, ascendingDir, outDir;
    QFile(emptyDir.filePath(QStringLiteral("brcot.dat"))).open(QIODevice::WriteOnly);
    for (const auto& [dir, ascending] :
         {std::pair<QTemporaryDir*, bool>{&fullDir, false}, {&ascendingDir, true}}) {
        QFile file(dir->filePath(QStringLiteral("brcot.dat")));
        file.open(QIODevice::WriteOnly);
        file.write(EntryFile(ascending));
    }

    std::vector<Kind> kinds = {
        {"bare", "bare", "bare QDialog", emptyDir.path(), self},
        {"floor", "floor", "same widgets, no content", emptyDir.path(), self},
        {"stock", "stock", "stock Qt, 50 entries", emptyDir.path(), self},
        {"empty", "empty", "brindlecot, empty file", emptyDir.path(), self},
        {"full", "full", "brindlecot, 50 entries", fullDir.path(), self},
        {"ascending", "ascending", "brindlecot, 50 ascending", ascendingDir.path(), self},
    };
    if (!before.isEmpty()) {
        for (size_t i = 3; i < 6; ++i) {
            Kind k = kinds[i];
            k.key += "-before";
            k.label = "  before: " + k.label.substr(std::string("brindlecot, ").size());
            k.program = before;
            kinds.push_back(k);
        }
    }
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    std::map<std::string, std::vector<double>> times, rss;
    for (int r = 0; r < runs; ++r) {
        for (const Kind& k : kinds) {
            // The file is rewritten at the end of a run; a run ended at its first frame leaves
            // it as it was, but the driver does not rely on that.
            const std::vector<double> out = RunChild(
                k.program,
                {QStringLiteral("child"), QString::fromStdString(k.name), QString::number(NowNs())},
                k.dir, env);
            if (out.size() != 2)
                return 1;
            times[k.key].push_back(out[0]);
            rss[k.key].push_back(out[1] / 1024.0);
        }
    }

    std::map<std::string, double> instructions;
    const QString valgrind =
        useValgrind ? QStandardPaths::findExecutable(QStringLiteral("valgrind")) : QString();
    if (!valgrind.isEmpty()) {
        for (const Kind& k : kinds)
            instructions[k.key] = Instructions(k, valgrind, outDir.path());
    }

    const double bareMs = Median(times["bare"]), floorMs = Median(times["floor"]);
    const double floorRss = Median(rss["floor"]);
    const double bareIr = instructions["bare"], floorIr = instructions["floor"];
    std::printf(
        "Start-up to the end of the first complete frame, platform %s, %d runs each\n"
        "%-26s %8s %7s %7s %6s %6s %9s %6s %9s %6s %6s\n",
        qgetenv("QT_QPA_PLATFORM").constData(), runs, "", "ms med", "min", "max", "xbare", "xfloor",
        "peak MiB", "xfloor", "Minstr", "xbare", "xfloor");
    for (const Kind& k : kinds) {
        const auto& t = times[k.key];
        const double m = Median(t);
        const double peak = Median(rss[k.key]);
        std::printf("%-26s %8.2f %7.2f %7.2f %6.2f %6.2f %9.1f %6.3f", k.label.c_str(), m,
                    *std::min_element(t.begin(), t.end()), *std::max_element(t.begin(), t.end()),
                    m / bareMs, m / floorMs, peak, peak / floorRss);
        const double ir = instructions[k.key];
        if (ir > 0 && bareIr > 0 && floorIr > 0)
            std::printf(" %9.1f %6.2f %6.3f", ir, ir / bareIr, ir / floorIr);
        std::printf("\n");
    }
    if (valgrind.isEmpty())
        std::printf("(no instruction counts: valgrind is not on the PATH or was turned off)\n");
    // The program's own overhead in showing 50 entries: against stock Qt showing the same rows.
    const double stockMs = Median(times["stock"]), stockIr = instructions["stock"];
    for (const Kind& k : kinds) {
        if (k.name != "full" && k.name != "ascending")
            continue;
        std::printf("%s against stock Qt with the same rows: time %.2fx", k.label.c_str(),
                    Median(times[k.key]) / stockMs);
        if (instructions[k.key] > 0 && stockIr > 0)
            std::printf(", instructions %.3fx", instructions[k.key] / stockIr);
        std::printf("\n");
    }

    // Idle memory: the median of three runs of each figure.
    std::vector<std::pair<const char*, QString>> programs = {{"", self}};
    if (!before.isEmpty())
        programs.push_back({"before: ", before});
    for (const auto& [label, program] : programs) {
        std::vector<std::vector<double>> idle(6);
        for (int r = 0; r < 3; ++r) {
            const std::vector<double> out = RunChild(
                program, {QStringLiteral("child"), QStringLiteral("idle"), QStringLiteral("0")},
                fullDir.path(), env);
            if (out.size() < 4)
                return 1;
            for (size_t i = 0; i < out.size() && i < 6; ++i)
                idle[i].push_back(out[i]);
        }
        const double start = Median(idle[0]), one = Median(idle[1]), ten = Median(idle[2]),
                     hundred = Median(idle[3]);
        std::printf(
            "%sIdle resident memory, 50 entries (median of 3 runs): after start-up %.2f MiB; "
            "after 1 tray-menu opening %.2f MiB, after 10 %.2f MiB, after 100 %.2f MiB\n"
            "  from the 10th to the 100th opening: resident %+.0f KiB (%+.2f KiB per opening)",
            label, start / 1024, one / 1024, ten / 1024, hundred / 1024, hundred - ten,
            (hundred - ten) / 90);
        if (!idle[5].empty()) {
            const double heapGrowth = Median(idle[5]) - Median(idle[4]);
            std::printf(", heap in use %+.0f KiB (%+.2f KiB per opening)", heapGrowth,
                        heapGrowth / 90);
        }
        std::printf("\n");
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc >= 4 && std::string(argv[1]) == "child")
        return Child(argv[0], argv[2], std::atoll(argv[3]));
    return Driver(argc, argv);
}
