// The program as a process: it reads no command line, and the end of the session and the
// termination signals end the run the way the window's close does, writing the entry file.
#include <QProcess>
#include <QTest>
#include <csignal>

#include "qt_test_support.h"
#include "qt_tests.h"

namespace brindlecot::qt::test {
namespace {

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
        QTest::qWait(1500);  // up and in its modal loop
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
