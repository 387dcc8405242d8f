// The real program as a process, on entry files and directories that fight back: a FIFO, a
// directory, a read-only file, a full file system, a directory the user cannot write, a
// hundred thousand entries, ten megabytes of someone else's file, and a kill in the middle of
// the save. Each run ends with a termination signal while nobody is there to click, and must
// end promptly with the file as it should be. Then the same program on the real widgets, in a
// process of its own, where the user adds an entry and quits: on a file it could not read (a
// FIFO, one over the size limit, one the user may not read) or cannot write (read-only, on a
// full file system) the box shows and the list is kept in the recovery directory all the same.
#include <sys/stat.h>
#include <unistd.h>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>
#include <csignal>
#include <cstdio>

#include "app/brindlecot_app.h"
#include "frontend/qt/session_end.h"
#include "qt_test_support.h"
#include "qt_tests.h"
#include "resources/resource.h"

namespace brindlecot::qt::test {
namespace {

const QByteArray kTwoEntries =
    "CREATOR=Brindlecot 1.0\r\nST=Notes\r\nURL=notepad.exe\r\nSORTORDER=02\r\n\r\n"
    "ST=Calc\r\nURL=calc.exe\r\nSORTORDER=01\r\n";

QByteArray LfOnly(QByteArray bytes) {
    return bytes.replace("\r\n", "\n");
}

// A file of `count` entries in file order, as the program writes them; with an empty line
// after the last group too when `trailing` (the program writes none there).
QByteArray Entries(int count, bool trailing = true, int valueLength = 0) {
    QByteArray file = "CREATOR=Brindlecot 1.0\r\n";
    const QByteArray pad(valueLength, 'x');
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            file += "\r\n";
        const QByteArray n = QByteArray::number(i);
        file += "ST=t" + n + pad + "\r\nURL=u" + n + "\r\nSORTORDER=07\r\n";
    }
    if (trailing && count > 0)
        file += "\r\n";
    return file;
}

// Reads a small file under /proc; empty when the process is gone.
QByteArray Proc(qint64 pid, const char* name) {
    QFile f(QStringLiteral("/proc/%1/%2").arg(pid).arg(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Waits until the program catches SIGTERM and sits idle in an event loop: asleep, its CPU
// time unchanged over several looks. True when it got there in time.
bool WaitUntilIdle(qint64 pid, int timeoutMs = 60000) {
    QElapsedTimer timer;
    timer.start();
    QByteArray lastCpu;
    int quiet = 0;
    while (timer.elapsed() < timeoutMs) {
        bool catching = false;
        for (const QByteArray& line : Proc(pid, "status").split('\n')) {
            if (line.startsWith("SigCgt:")) {
                const qulonglong mask = line.mid(7).trimmed().toULongLong(nullptr, 16);
                catching = (mask >> (SIGTERM - 1)) & 1;
            }
        }
        const QByteArray stat = Proc(pid, "stat");
        const int close = stat.lastIndexOf(')');
        if (close < 0)
            return false;  // gone
        const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
        // After the name: state, then utime and stime at positions 11 and 12.
        const QByteArray cpu = fields.size() > 12 ? fields[11] + "/" + fields[12] : QByteArray();
        const bool asleep = !fields.isEmpty() && fields[0] == "S";
        quiet = (catching && asleep && cpu == lastCpu) ? quiet + 1 : 0;
        lastCpu = cpu;
        if (quiet >= 5)
            return true;
        QThread::msleep(40);
    }
    return false;
}

QStringList Temporaries(const QString& dir) {
    return QDir(dir).entryList({".brcot.dat.*.tmp"}, QDir::Files | QDir::Hidden | QDir::System);
}

// One run of the program in a working directory, ended by a signal.
class Run {
  public:
    Run(const QString& workDir, const QString& stateHome, const QStringList& wrapper = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_STATE_HOME", stateHome);
        m_process.setProcessEnvironment(env);
        m_process.setWorkingDirectory(workDir);
        if (wrapper.isEmpty()) {
            m_process.start(BRINDLECOT_EXE, {});
        } else {
            m_process.start(wrapper[0], wrapper.mid(1) << BRINDLECOT_EXE);
        }
    }
    ~Run() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    qint64 Pid() const { return m_process.processId(); }
    bool Started() { return m_process.waitForStarted(10000); }
    bool Idle() { return WaitUntilIdle(Pid()); }
    // Sends the signal and returns the milliseconds until the process has ended (-1: it did
    // not end within the limit).
    qint64 EndWith(int signal, int limitMs = 10000) {
        QElapsedTimer timer;
        timer.start();
        ::kill(static_cast<pid_t>(Pid()), signal);
        if (!m_process.waitForFinished(limitMs))
            return -1;
        return timer.elapsed();
    }
    bool EndedNormally() const {
        return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }
    QByteArray ErrorOutput() { return m_process.readAllStandardError(); }
    QProcess& Process() { return m_process; }

  private:
    QProcess m_process;
};

// The program must end this soon after the signal. The target is a second; the limit allows
// for a loaded test machine, and the time taken is printed.
constexpr qint64 kEndLimitMs = 5000;

#define END_PROMPTLY(run)                                                 \
    do {                                                                  \
        const qint64 ms = (run).EndWith(SIGTERM);                         \
        qInfo("ended %lld ms after SIGTERM", static_cast<long long>(ms)); \
        QVERIFY2(ms >= 0, "the program did not end after SIGTERM");       \
        QVERIFY2(ms < kEndLimitMs, "the program took too long to end");   \
        QVERIFY((run).EndedNormally());                                   \
    } while (false)

// The entries of kTwoEntries and the one the user adds before quitting, as the program writes
// them (the table's bottom row first), and that entry alone.
const QByteArray kTwoEntriesAndPaint =
    "CREATOR=Brindlecot 1.0\r\nST=Paint\r\nURL=mspaint.exe\r\nSORTORDER=03\r\n\r\n"
    "ST=Notes\r\nURL=notepad.exe\r\nSORTORDER=02\r\n\r\n"
    "ST=Calc\r\nURL=calc.exe\r\nSORTORDER=01\r\n";
const QByteArray kPaintOnly =
    "CREATOR=Brindlecot 1.0\r\nST=Paint\r\nURL=mspaint.exe\r\nSORTORDER=03\r\n";

// What a quitting run in a process of its own showed: its exit code, the boxes it saw (one
// "title|text" each) and its error output.
struct QuitRun {
    int exitCode = -1;
    QStringList boxes;
    QByteArray errors;
    QByteArray output;
};

// This test program, running childQuitsAfterAddingAnEntry in `workDir`, with its recovery
// copies under `stateHome`; `wrapper` runs it (setpriv, unshare), with the program's own
// command line as its last arguments.
QuitRun QuitInAProcess(const QString& workDir, const QString& stateHome,
                       const QStringList& wrapper = {},
                       const QProcessEnvironment& extra = QProcessEnvironment()) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_STATE_HOME", stateHome);
    env.insert("BRINDLECOT_QUIT_CHILD", "1");
    for (const QString& key : extra.keys())
        env.insert(key, extra.value(key));
    QProcess child;
    child.setProcessEnvironment(env);
    child.setWorkingDirectory(workDir);
    const QStringList command = {QCoreApplication::applicationFilePath(), "HostileFiles",
                                 "childQuitsAfterAddingAnEntry"};
    if (wrapper.isEmpty()) {
        child.start(command[0], command.mid(1));
    } else {
        child.start(wrapper[0], wrapper.mid(1) + command);
    }
    QuitRun run;
    if (!child.waitForFinished(60000)) {
        child.kill();
        child.waitForFinished(5000);
        return run;
    }
    run.exitCode = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
    run.output = child.readAllStandardOutput();
    run.errors = child.readAllStandardError();
    for (const QByteArray& line : run.output.split('\n')) {
        if (line.startsWith("box: "))
            run.boxes << QString::fromUtf8(line.mid(5));
    }
    return run;
}

class HostileFilesTest : public QObject {
    Q_OBJECT

  private:
    // The recovery copies in the run's state directory.
    QStringList RecoveryCopies(const ScratchDirectory& dir) const {
        return QDir(dir.FilePath("state/brindlecot")).entryList(QDir::Files);
    }

    // The one save box of a quitting run and the one copy it kept, whose path its line names;
    // returns the copy's bytes.
    QByteArray OneBoxAndOneCopy(const QuitRun& run, const ScratchDirectory& dir) const {
        const QString seen = "output:\n" + QString::fromUtf8(run.output) + "\nerrors:\n" +
                             QString::fromUtf8(run.errors);
        if (run.exitCode != 0 || run.boxes != QStringList{"Error Writing File|Save to File"}) {
            QTest::qFail(qPrintable("not one save box and a clean end\n" + seen), __FILE__,
                         __LINE__);
            return {};
        }
        const QStringList copies = RecoveryCopies(dir);
        if (copies.size() != 1) {
            QTest::qFail(qPrintable("not one recovery copy: " + copies.join(' ')), __FILE__,
                         __LINE__);
            return {};
        }
        const QString copy = dir.FilePath("state/brindlecot/" + copies[0]);
        if (!run.errors.contains("brindlecot: could not save brcot.dat; the list (") ||
            !run.errors.contains(") is kept in " + QFile::encodeName(copy) + "\n")) {
            QTest::qFail(qPrintable("no line names the copy\n" + seen), __FILE__, __LINE__);
            return {};
        }
        return dir.Read("state/brindlecot/" + copies[0]);
    }

  private slots:
    void theFirstSignalAsksForAnOrderlyEndAndASecondOneIsNotSwallowed() {
        struct sigaction before {};
        QVERIFY(::sigaction(SIGTERM, nullptr, &before) == 0);
        {
            int ends = 0;
            SessionEndWatcher watcher([] {}, [&ends] { ++ends; });
            struct sigaction during {};
            ::sigaction(SIGTERM, nullptr, &during);
            QVERIFY(during.sa_handler != SIG_DFL && during.sa_handler != SIG_IGN);
            QVERIFY(::raise(SIGTERM) == 0);
            QTRY_COMPARE(ends, 1);
            // Should the orderly end stall, the next signal ends the process.
            struct sigaction after {};
            ::sigaction(SIGTERM, nullptr, &after);
            QVERIFY(after.sa_handler == SIG_DFL);
        }
        struct sigaction restored {};
        ::sigaction(SIGTERM, nullptr, &restored);
        QVERIFY(restored.sa_handler == before.sa_handler);
    }

    void aFifoNeitherBlocksStartUpNorIsWritten() {
        ScratchDirectory dir;
        QVERIFY(::mkfifo(qPrintable(dir.FilePath("brcot.dat")), 0644) == 0);
        Run run(dir.Path(), dir.FilePath("state"));
        QVERIFY(run.Started());
        QVERIFY2(run.Idle(), "start-up did not finish");
        END_PROMPTLY(run);
        struct stat st {};
        QVERIFY(::lstat(qPrintable(dir.FilePath("brcot.dat")), &st) == 0 && S_ISFIFO(st.st_mode));
        QVERIFY(RecoveryCopies(dir).isEmpty());  // nothing was loaded or added: nothing to keep
        QVERIFY(run.ErrorOutput().contains("could not save brcot.dat"));
    }

    void aDirectoryIsLeftAsItWas() {
        ScratchDirectory dir;
        QVERIFY(QDir(dir.Path()).mkpath("brcot.dat/inside"));
        Run run(dir.Path(), dir.FilePath("state"));
        QVERIFY(run.Started());
        QVERIFY(run.Idle());
        END_PROMPTLY(run);
        QVERIFY(QFileInfo(dir.FilePath("brcot.dat/inside")).isDir());
        QVERIFY(Temporaries(dir.Path()).isEmpty());
    }

    void aReadOnlyFileStaysAndItsListIsKeptElsewhere() {
        ScratchDirectory dir;
        dir.Write("brcot.dat", LfOnly(kTwoEntries));
        QVERIFY(::chmod(qPrintable(dir.FilePath("brcot.dat")), 0444) == 0);
        Run run(dir.Path(), dir.FilePath("state"));
        QVERIFY(run.Started());
        QVERIFY(run.Idle());
        END_PROMPTLY(run);
        QCOMPARE(dir.Read("brcot.dat"), LfOnly(kTwoEntries));
        const QStringList copies = RecoveryCopies(dir);
        QCOMPARE(copies.size(), 1);
        const QString copy = dir.FilePath("state/brindlecot/" + copies[0]);
        QCOMPARE(dir.Read("state/brindlecot/" + copies[0]), kTwoEntries);
        const QByteArray errors = run.ErrorOutput();
        QVERIFY2(errors.contains(QFile::encodeName(copy)), errors.constData());
        // One line of ours about the list, besides the notice that there is no tray offscreen.
        QCOMPARE(errors.count("brindlecot:") - errors.count("brindlecot: no system tray"), 1);
    }

    void aFullFileSystemKeepsTheOldFileAndTheListElsewhere() {
        ScratchDirectory dir;
        QVERIFY(QDir(dir.Path()).mkpath("mount"));
        QVERIFY(QDir(dir.Path()).mkpath("out"));
        dir.Write("seed.dat", LfOnly(kTwoEntries));
        // A private mount namespace with a small tmpfs, filled up before the program starts;
        // afterwards everything in it is copied out for the checks.
        const QString script =
            "set -e; mount -t tmpfs -o size=128k tmpfs \"$1\"; cp \"$2\" \"$1/brcot.dat\"; "
            "dd if=/dev/zero of=\"$1/filler\" bs=1k 2>/dev/null || true; cd \"$1\"; "
            "\"$5\" & echo $! > \"$3\"; s=0; wait $! || s=$?; cp -a \"$1/.\" \"$4/\"; exit $s";
        QProcess probe;
        probe.start("unshare", {"-r", "-m", "sh", "-c", "mount -t tmpfs tmpfs /mnt"});
        if (!probe.waitForFinished(10000) || probe.exitCode() != 0)
            QSKIP("cannot mount a tmpfs in a private mount namespace here (unshare -r -m)");

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_STATE_HOME", dir.FilePath("state"));
        QProcess shell;
        shell.setProcessEnvironment(env);
        const QString pidFile = dir.FilePath("pid");
        shell.start("unshare",
                    {"-r", "-m", "sh", "-c", script, "sh", dir.FilePath("mount"),
                     dir.FilePath("seed.dat"), pidFile, dir.FilePath("out"), BRINDLECOT_EXE});
        QVERIFY(shell.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile(pidFile).size() > 0, 20000);
        const qint64 pid = dir.Read("pid").trimmed().toLongLong();
        QVERIFY(WaitUntilIdle(pid));
        QElapsedTimer timer;
        timer.start();
        ::kill(static_cast<pid_t>(pid), SIGTERM);
        QVERIFY(shell.waitForFinished(10000));
        qInfo("ended (with the copy-out) %lld ms after SIGTERM",
              static_cast<long long>(timer.elapsed()));
        QVERIFY(timer.elapsed() < kEndLimitMs);
        QCOMPARE(shell.exitCode(), 0);
        QCOMPARE(dir.Read("out/brcot.dat"), LfOnly(kTwoEntries));
        QVERIFY(Temporaries(dir.FilePath("out")).isEmpty());
        const QStringList copies = RecoveryCopies(dir);
        QCOMPARE(copies.size(), 1);
        QCOMPARE(dir.Read("state/brindlecot/" + copies[0]), kTwoEntries);
    }

    void aDirectoryTheUserCannotWriteStillGetsTheFileWrittenInPlace() {
        if (::geteuid() != 0)
            QSKIP("needs root to run the program as another, unprivileged user (setpriv)");
        ScratchDirectory dir;
        const uid_t nobody = 65534;
        // The scratch directory (root's, not writable by the user) holds the user's own file.
        QVERIFY(::chmod(qPrintable(dir.Path()), 0755) == 0);
        dir.Write("brcot.dat", LfOnly(kTwoEntries));
        QVERIFY(::chown(qPrintable(dir.FilePath("brcot.dat")), nobody, nobody) == 0);
        QVERIFY(QDir(dir.Path()).mkpath("state"));
        QVERIFY(QDir(dir.Path()).mkpath("runtime"));
        for (const char* d : {"state", "runtime"}) {
            QVERIFY(::chown(qPrintable(dir.FilePath(d)), nobody, nobody) == 0);
            QVERIFY(::chmod(qPrintable(dir.FilePath(d)), 0700) == 0);
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_STATE_HOME", dir.FilePath("state"));
        env.insert("XDG_RUNTIME_DIR", dir.FilePath("runtime"));
        env.insert("HOME", dir.FilePath("state"));
        QProcess program;
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(dir.Path());
        program.start("setpriv",
                      {"--reuid=65534", "--regid=65534", "--clear-groups", "--", BRINDLECOT_EXE});
        QVERIFY(program.waitForStarted());
        QVERIFY2(WaitUntilIdle(program.processId()), program.readAllStandardError().constData());
        ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
        QVERIFY(program.waitForFinished(kEndLimitMs));
        QCOMPARE(program.exitCode(), 0);
        // Written back, in place: the LF-only file now has the writer's CR LF line ends.
        QCOMPARE(dir.Read("brcot.dat"), kTwoEntries);
        QFileInfo info(dir.FilePath("brcot.dat"));
        QCOMPARE(info.ownerId(), nobody);
        QVERIFY(Temporaries(dir.Path()).isEmpty());
        QVERIFY(RecoveryCopies(dir).isEmpty());
        QVERIFY(!program.readAllStandardError().contains("could not save"));
    }

    void aHundredThousandEntriesEndPromptlyAndKeepTheFirstFifty() {
        ScratchDirectory dir;
        dir.Write("brcot.dat", Entries(100000));
        Run run(dir.Path(), dir.FilePath("state"));
        QVERIFY(run.Started());
        QVERIFY(run.Idle());  // showing the first limit box
        END_PROMPTLY(run);
        // Saved when the signal came, during the first limit box: the table was full by then.
        QCOMPARE(dir.Read("brcot.dat"), Entries(50, false));
    }

    void aHundredThousandEntriesReachTheMainWindowAfterAFewBoxes() {
        ScratchDirectory dir;
        dir.Write("brcot.dat", Entries(100000));
        QtPlatform platform;
        ModalWatcher modals;
        for (int i = 0; i < 3; ++i)
            modals.AnswerBox("OK");
        QStringList rows;
        QTimer poll;
        poll.setInterval(20);
        connect(&poll, &QTimer::timeout, [&] {
            QtDialogWindow* w = platform.FindWindow(IDD_BRINDLECOT_DIALOG);
            if (!w || !w->isVisible() || QApplication::activeModalWidget() != w)
                return;
            poll.stop();
            rows = Rows(*w);
            QTest::keyClick(w, Qt::Key_Escape);
        });
        poll.start();
        brindlecot::CBrindlecotApp app(platform);
        app.InitInstance();
        QCOMPARE(modals.boxes.size(), size_t(3));
        QCOMPARE(modals.unexpected, 0);
        for (const SeenBox& box : modals.boxes)
            QCOMPARE(box.text, QStringLiteral("Maximum Items Reached"));
        QCOMPARE(rows.size(), 50);
        QCOMPARE(dir.Read("brcot.dat"), Entries(50, false));
    }

    void aForeignFileOfTenMegabytesIsLeftAlone() {
        ScratchDirectory dir;
        QByteArray foreign;
        while (foreign.size() < 10 * 1024 * 1024)
            foreign += "<record id=\"1\">some=thing else</record>\r\n\x01\x7f\xfe\n";
        dir.Write("brcot.dat", foreign);
        Run run(dir.Path(), dir.FilePath("state"));
        QVERIFY(run.Started());
        QVERIFY(run.Idle());
        END_PROMPTLY(run);
        QVERIFY(dir.Read("brcot.dat") == foreign);
        QVERIFY(RecoveryCopies(dir).isEmpty());
    }

    // ---- Quit, on the real widgets in a process of their own ----

    // The run the quit tests below start as a process: the program on the real widgets in the
    // working directory, where the user adds an entry, quits, and answers every box with OK.
    void childQuitsAfterAddingAnEntry() {
        if (qEnvironmentVariableIsEmpty("BRINDLECOT_QUIT_CHILD"))
            QSKIP("the quit tests run this in a process of its own");
        QtPlatform platform;
        ModalWatcher modals;
        modals.AnswerBox("OK");
        RunProgram(platform, [&](QtDialogWindow& w) { AddEntry(w, "Paint", "mspaint.exe", "03"); });
        for (const SeenBox& box : modals.boxes)
            std::printf("box: %s|%s\n", qPrintable(box.title), qPrintable(box.text));
        std::fflush(stdout);
        QCOMPARE(modals.unexpected, 0);
    }

    void quitWithAFifoShowsTheBoxAndKeepsTheRunsEntries() {
        ScratchDirectory dir;
        QVERIFY(::mkfifo(qPrintable(dir.FilePath("brcot.dat")), 0644) == 0);
        const QuitRun run = QuitInAProcess(dir.Path(), dir.FilePath("state"));
        QCOMPARE(OneBoxAndOneCopy(run, dir), kPaintOnly);
        struct stat st {};
        QVERIFY(::lstat(qPrintable(dir.FilePath("brcot.dat")), &st) == 0 && S_ISFIFO(st.st_mode));
    }

    void quitWithAFileOverTheSizeLimitShowsTheBoxAndKeepsTheRunsEntries() {
        ScratchDirectory dir;
        const qint64 size = 64LL * 1024 * 1024 + 1;
        {
            QFile big(dir.FilePath("brcot.dat"));
            QVERIFY(big.open(QIODevice::WriteOnly));
            QVERIFY(big.resize(size));  // sparse: no disk space taken
        }
        const QuitRun run = QuitInAProcess(dir.Path(), dir.FilePath("state"));
        QCOMPARE(OneBoxAndOneCopy(run, dir), kPaintOnly);
        QCOMPARE(QFileInfo(dir.FilePath("brcot.dat")).size(), size);
    }

    void quitWithAFileTheUserMayNotReadShowsTheBoxAndKeepsTheRunsEntries() {
        ScratchDirectory dir;
        dir.Write("brcot.dat", kTwoEntries);
        QVERIFY(::chmod(qPrintable(dir.FilePath("brcot.dat")), 0200) == 0);
        QuitRun run;
        if (::geteuid() != 0) {
            run = QuitInAProcess(dir.Path(), dir.FilePath("state"));
        } else {
            // The superuser reads any file: the run is an unprivileged user's, as in
            // aDirectoryTheUserCannotWriteStillGetsTheFileWrittenInPlace, and the file is theirs.
            const uid_t nobody = 65534;
            QVERIFY(::chmod(qPrintable(dir.Path()), 0755) == 0);
            QVERIFY(::chown(qPrintable(dir.FilePath("brcot.dat")), nobody, nobody) == 0);
            for (const char* d : {"state", "runtime"}) {
                QVERIFY(QDir(dir.Path()).mkpath(d));
                QVERIFY(::chown(qPrintable(dir.FilePath(d)), nobody, nobody) == 0);
                QVERIFY(::chmod(qPrintable(dir.FilePath(d)), 0700) == 0);
            }
            QProcessEnvironment extra;
            extra.insert("XDG_RUNTIME_DIR", dir.FilePath("runtime"));
            extra.insert("HOME", dir.FilePath("state"));
            run = QuitInAProcess(
                dir.Path(), dir.FilePath("state"),
                {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"}, extra);
        }
        QCOMPARE(OneBoxAndOneCopy(run, dir), kPaintOnly);
        QVERIFY(::chmod(qPrintable(dir.FilePath("brcot.dat")), 0644) == 0);
        QCOMPARE(dir.Read("brcot.dat"), kTwoEntries);
    }

    void quitWithAReadOnlyFileShowsTheBoxAndKeepsTheWholeList() {
        ScratchDirectory dir;
        dir.Write("brcot.dat", kTwoEntries);
        QVERIFY(::chmod(qPrintable(dir.FilePath("brcot.dat")), 0444) == 0);
        const QuitRun run = QuitInAProcess(dir.Path(), dir.FilePath("state"));
        QCOMPARE(OneBoxAndOneCopy(run, dir), kTwoEntriesAndPaint);
        QCOMPARE(dir.Read("brcot.dat"), kTwoEntries);
        QVERIFY(Temporaries(dir.Path()).isEmpty());
    }

    void quitOnAFullFileSystemShowsTheBoxAndKeepsTheWholeList() {
        QProcess probe;
        probe.start("unshare", {"-r", "-m", "sh", "-c", "mount -t tmpfs tmpfs /mnt"});
        if (!probe.waitForFinished(10000) || probe.exitCode() != 0)
            QSKIP("cannot mount a tmpfs in a private mount namespace here (unshare -r -m)");
        ScratchDirectory dir;
        QVERIFY(QDir(dir.Path()).mkpath("mount"));
        QVERIFY(QDir(dir.Path()).mkpath("out"));
        dir.Write("seed.dat", kTwoEntries);
        // A small tmpfs in a private mount namespace, filled up before the run starts in it;
        // afterwards everything in it is copied out for the checks.
        const QString script =
            "set -e; mount -t tmpfs -o size=128k tmpfs \"$1\"; cp \"$2\" \"$1/brcot.dat\"; "
            "dd if=/dev/zero of=\"$1/filler\" bs=1k 2>/dev/null || true; m=$1; o=$3; "
            "shift 3; s=0; (cd \"$m\" && exec \"$@\") || s=$?; cp -a \"$m/.\" \"$o/\"; exit $s";
        const QuitRun run =
            QuitInAProcess(dir.Path(), dir.FilePath("state"),
                           {"unshare", "-r", "-m", "sh", "-c", script, "sh", dir.FilePath("mount"),
                            dir.FilePath("seed.dat"), dir.FilePath("out")});
        QCOMPARE(OneBoxAndOneCopy(run, dir), kTwoEntriesAndPaint);
        QCOMPARE(dir.Read("out/brcot.dat"), kTwoEntries);
        QVERIFY(Temporaries(dir.FilePath("out")).isEmpty());
    }

    void aKillDuringTheSaveLeavesTheOldOrTheNewFileAndNoLitterAfterTheNextStart() {
        ScratchDirectory dir;
        // Fifty long entries, LF only: the save rewrites them with CR LF, so old and new differ
        // and the save takes long enough to be caught in the middle.
        const QByteArray oldFile = LfOnly(Entries(50, false, 20000));
        const QByteArray newFile = Entries(50, false, 20000);
        dir.Write("brcot.dat", oldFile);
        int caughtInTheMiddle = 0;
        constexpr int kRounds = 8;
        for (int round = 0; round < kRounds; ++round) {
            Run run(dir.Path(), dir.FilePath("state"));
            QVERIFY(run.Started());
            QVERIFY(run.Idle());
            // The start removed what the last round's kill left.
            QVERIFY2(Temporaries(dir.Path()).isEmpty(),
                     qPrintable(Temporaries(dir.Path()).join(' ')));
            // Killed once its temporary has reached a share of the new size that changes each
            // round, or at once when the save is over before it is seen.
            const qint64 threshold = newFile.size() * (round % 4) / 4;
            ::kill(static_cast<pid_t>(run.Pid()), SIGTERM);
            QElapsedTimer timer;
            timer.start();
            bool killed = false;
            while (!killed && timer.elapsed() < 10000 &&
                   run.Process().state() == QProcess::Running) {
                for (const QString& t : Temporaries(dir.Path())) {
                    if (QFileInfo(dir.FilePath(t)).size() >= threshold) {
                        ::kill(static_cast<pid_t>(run.Pid()), SIGKILL);
                        killed = true;
                        ++caughtInTheMiddle;
                        break;
                    }
                }
            }
            QVERIFY(run.Process().waitForFinished(10000));
            const QByteArray now = dir.Read("brcot.dat");
            QVERIFY2(now == oldFile || now == newFile, "a third state after a kill");
            dir.Write("brcot.dat", oldFile);
        }
        qInfo("%d of %d kills came during the save", caughtInTheMiddle, kRounds);
        QVERIFY(caughtInTheMiddle > 0);
        // A last start clears what the last kill left.
        Run last(dir.Path(), dir.FilePath("state"));
        QVERIFY(last.Started());
        QVERIFY(last.Idle());
        QVERIFY(Temporaries(dir.Path()).isEmpty());
    }
};

}  // namespace

std::unique_ptr<QObject> MakeHostileFilesTest() {
    return std::make_unique<HostileFilesTest>();
}

}  // namespace brindlecot::qt::test

#include "hostile_files_test.moc"
