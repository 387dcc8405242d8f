// Start-up to the first paint of the main window: with an empty entry file, with a full one of
// 50 entries, and a bare QDialog program as the floor. Each run is a fresh process; the runs of
// the three kinds take turns, and the medians and their ratios to the floor are printed.
//
//   qt_startup_bench [runs]          the driver (offscreen unless QT_QPA_PLATFORM is set)
//   qt_startup_bench child KIND T0   one run: KIND is bare, empty or full; T0 the start time
#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "app/brindlecot_app.h"
#include "frontend/qt/qt_dialog_window.h"
#include "frontend/qt/qt_platform.h"
#include "resources/resource.h"

namespace {

long long NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Reports the time since T0 at the first paint of the watched dialog and ends the process.
class FirstPaint : public QObject {
  public:
    FirstPaint(long long t0, bool mainWindowOnly) : m_t0(t0), m_mainWindowOnly(mainWindowOnly) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && qobject_cast<QDialog*>(watched)) {
            auto* window = dynamic_cast<brindlecot::qt::QtDialogWindow*>(watched);
            if (!m_mainWindowOnly || (window && window->TemplateId() == IDD_BRINDLECOT_DIALOG)) {
                std::printf("%.3f\n", static_cast<double>(NowNs() - m_t0) / 1e6);
                std::fflush(stdout);
                std::_Exit(0);
            }
        }
        return false;
    }

  private:
    long long m_t0;
    bool m_mainWindowOnly;
};

int Child(int argc, char* argv[], const std::string& kind, long long t0) {
    QApplication app(argc, argv);
    FirstPaint watcher(t0, kind != "bare");
    app.installEventFilter(&watcher);
    if (kind == "bare") {
        QDialog dialog;
        dialog.resize(560, 297);
        return dialog.exec();
    }
    brindlecot::qt::QtPlatform platform;
    brindlecot::CBrindlecotApp program(platform);
    program.InitInstance();
    return 1;  // the first paint ends the process; getting here means there was none
}

QByteArray FullEntryFile() {
    QByteArray bytes = "CREATOR=Brindlecot 1.0\r\n";
    for (int i = 50; i >= 1; --i) {
        bytes += "ST=Entry number " + QByteArray::number(i) + "\r\nURL=http://example.org/" +
                 QByteArray::number(i) +
                 "/index.html\r\nSORTORDER=" + QByteArray::number(i).rightJustified(2, '0') +
                 "\r\n";
        if (i > 1)
            bytes += "\r\n";
    }
    return bytes;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

int Driver(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QTemporaryDir emptyDir, fullDir;
    QFile(emptyDir.filePath("brcot.dat")).open(QIODevice::WriteOnly);
    QFile full(fullDir.filePath("brcot.dat"));
    full.open(QIODevice::WriteOnly);
    full.write(FullEntryFile());
    full.close();

    const std::vector<std::pair<std::string, QString>> kinds = {
        {"bare", emptyDir.path()}, {"empty", emptyDir.path()}, {"full", fullDir.path()}};
    std::map<std::string, std::vector<double>> times;
    for (int r = 0; r < runs; ++r) {
        for (const auto& [kind, dir] : kinds) {
            QProcess child;
            child.setWorkingDirectory(dir);
            const long long t0 = NowNs();
            child.start(QCoreApplication::applicationFilePath(),
                        {"child", QString::fromStdString(kind), QString::number(t0)});
            if (!child.waitForFinished(30000) || child.exitCode() != 0) {
                std::fprintf(stderr, "run %s failed: %s\n", kind.c_str(),
                             child.readAllStandardError().constData());
                return 1;
            }
            times[kind].push_back(child.readAllStandardOutput().trimmed().toDouble());
        }
    }
    const double floor = Median(times["bare"]);
    std::printf("Start-up to first paint, platform %s, %d runs each (median, min, max in ms)\n",
                qgetenv("QT_QPA_PLATFORM").constData(), runs);
    for (const auto& [kind, dir] : kinds) {
        const auto& t = times[kind];
        const double m = Median(t);
        const char* label = kind == "bare"    ? "bare QDialog (floor)"
                            : kind == "empty" ? "brindlecot, empty brcot.dat"
                                              : "brindlecot, 50 entries";
        std::printf("  %-30s %8.2f %8.2f %8.2f   ratio to floor %.2f\n", label, m,
                    *std::min_element(t.begin(), t.end()), *std::max_element(t.begin(), t.end()),
                    m / floor);
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc >= 4 && std::string(argv[1]) == "child") {
        const std::string kind = argv[2];
        const long long t0 = std::atoll(argv[3]);
        int qtArgc = 1;
        return Child(qtArgc, argv, kind, t0);
    }
    return Driver(argc, argv);
}
