// The program as a process: it reads no command line, and the end of the session and the
// termination signals end the run the way the window's close does, writing the entry file.
#include <QFile>
#include <QProcess>
#include <QTest>
#include <csignal>

#include "qt_test_support.h"
#include "qt_tests.h"

namespace brindlecot::qt::test {
namespace {

// Whether the process has its own handler for the signal: the "SigCgt" mask in
// /proc/PID/status, bit N-1 for signal N.
bool CatchesSignal(qint64 pid, int signal) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:")) {
            bool ok = false;
            const qulonglong mask = line.mid(7).trimmed().toULongLong(&ok, 16);
            return ok && (mask >> (signal - 1)) & 1U;
        }
    }
    return false;
}

const QByteArray kTwoEntries =
    "CREATOR=Brindlecot 1.0\r\nST=Notes\r\nURL=notepad.exe\r\nSORTORDER=02\r\n\r\n"
    "ST=Calc\r\nURL=calc.exe\r\nSORTORDER=01\r\n";

class ProcessTest : public QObject {
    Q_OBJECT

  private slots:
    void signalsEndTheRunInOrder_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGHUP") << SIGHUP;
        QTest::newRow("SIGINT") << SIGINT;
    }
    void signalsEndTheRunInOrder() {
        QFETCH(int, signal);
        ScratchDirectory dir;
        dir.Write("brcot.dat", kTwoEntries);
        QProcess program;
        program.setWorkingDirectory(dir.Path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(env);
        // Arguments, even Qt's own options, change nothing.
        program.start(BRINDLECOT_EXE, {"-platform", "no-such-platform", "--help", "file.dat"});
        QVERIFY(program.waitForStarted());
        // Before its handler is in place the signal would simply kill it; once it is, a signal
        // that comes before the window's loop runs waits for that loop.
        QTRY_VERIFY_WITH_TIMEOUT(CatchesSignal(program.processId(), signal), 10000);
        QCOMPARE(program.state(), QProcess::Running);
        ::kill(static_cast<pid_t>(program.processId()), signal);
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QCOMPARE(dir.Read("brcot.dat"), kTwoEntries);  // loaded, and written back whole
        QVERIFY(!QFile::exists(dir.FilePath("file.dat")));
    }
};

}  // namespace

std::unique_ptr<QObject> MakeProcessTest() {
    return std::make_unique<ProcessTest>();
}

}  // namespace brindlecot::qt::test

#include "process_test.moc"
