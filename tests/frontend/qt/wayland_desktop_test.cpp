// The Wayland helpers that can be tried without a compositor: the sway IPC exchange against a
// stand-in server on a Unix socket, on the event loop, the rule that places the menu, and that
// nothing changes off Wayland. The real compositor is the Wayland end-to-end script's.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "frontend/qt/wayland_desktop.h"
#include "qt_tests.h"

namespace brindlecot::qt::test {
namespace {

std::string Frame(const std::string& magic, std::uint32_t type, const std::string& payload) {
    std::string out = magic;
    const auto length = static_cast<std::uint32_t>(payload.size());
    out.append(reinterpret_cast<const char*>(&length), sizeof(length));
    out.append(reinterpret_cast<const char*>(&type), sizeof(type));
    return out + payload;
}

// A server for one connection on a socket in a scratch directory: it reads one request (or
// nothing, when `readRequest` is false), keeps it, and answers with `answer(request)`, written
// in pieces of `chunk` bytes.
class FakeSway {
  public:
    using Answer = std::function<std::string(const std::string& request)>;
    FakeSway(Answer answer, bool readRequest = true, size_t chunk = 1 << 16)
        : m_path(m_dir.filePath(QStringLiteral("sway-ipc.sock")).toStdString()) {
        m_listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, m_path.data(), m_path.size());
        if (::bind(m_listener, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
            ::listen(m_listener, 1) != 0) {
            qFatal("cannot listen on %s", m_path.c_str());
        }
        m_thread = std::thread([this, answer, readRequest, chunk] {
            const int client = ::accept(m_listener, nullptr, nullptr);
            if (client < 0)
                return;
            if (readRequest) {
                char header[14];
                if (ReadAll(client, header, sizeof(header))) {
                    std::uint32_t length = 0;
                    std::memcpy(&length, header + 6, sizeof(length));
                    std::string payload(length, '\0');
                    if (ReadAll(client, payload.data(), payload.size()))
                        m_request = std::string(header, sizeof(header)) + payload;
                }
            }
            const std::string reply = answer(m_request);
            for (size_t at = 0; at < reply.size(); at += chunk) {
                (void)!::write(client, reply.data() + at, std::min(chunk, reply.size() - at));
                std::this_thread::sleep_for(
                    std::chrono::milliseconds(chunk < reply.size() ? 5 : 0));
            }
            ::close(client);
        });
    }
    ~FakeSway() {
        ::shutdown(m_listener, SHUT_RDWR);
        if (m_thread.joinable())
            m_thread.join();
        ::close(m_listener);
    }
    FakeSway(const FakeSway&) = delete;
    FakeSway& operator=(const FakeSway&) = delete;

    const std::string& Path() const { return m_path; }
    // The request as it arrived; read it once the exchange is over.
    std::string Request() {
        if (m_thread.joinable())
            m_thread.join();
        return m_request;
    }

  private:
    static bool ReadAll(int fd, char* data, size_t size) {
        while (size > 0) {
            const ssize_t n = ::read(fd, data, size);
            if (n <= 0)
                return false;
            data += n;
            size -= static_cast<size_t>(n);
        }
        return true;
    }

    QTemporaryDir m_dir;
    std::string m_path;
    int m_listener = -1;
    std::string m_request;
    std::thread m_thread;
};

// sway's window tree with one output of 1024x768, one workspace with `workspace` as its
// usable area, and in it the main window and a floating window.
std::string Tree(const char* workspace, const char* floating) {
    return std::string(R"({"id":1,"type":"root","rect":{"x":0,"y":0,"width":1024,"height":768},
      "nodes":[{"id":2,"type":"output","name":"HEADLESS-1",
        "rect":{"x":0,"y":0,"width":1024,"height":768},
        "nodes":[{"id":3,"type":"workspace","name":"1","rect":)") +
           workspace + R"(,"nodes":[],"floating_nodes":[
            {"id":9,"type":"floating_con","name":"Brindlecot ","pid":42,"border":"normal",
             "rect":{"x":230,"y":250,"width":564,"height":299},"nodes":[]},)" +
           floating + "]}]}]}";
}

std::string Menu(const char* rect, const char* border = "none", int pid = 42,
                 const char* name = "Brindlecot menu") {
    return std::string(R"({"id":17,"type":"floating_con","name":")") + name + R"(","pid":)" +
           std::to_string(pid) + R"(,"border":")" + border + R"(","rect":)" + rect +
           R"(,"nodes":[]})";
}

// One exchange as the program makes it, its end waited for on the event loop.
struct Asking {
    Asking(const std::string& socketPath, const std::string& command) {
        AskSway(socketPath, command, kSwayRunCommand, context,
                [this](std::optional<std::string> r) {
                    reply = std::move(r);
                    done = true;
                });
    }
    bool Wait() {
        return QTest::qWaitFor([this] { return done; }, 5000);
    }
    QObject context;
    bool done = false;
    std::optional<std::string> reply;
};

std::optional<std::string> Ask(const std::string& socketPath, const std::string& command) {
    Asking asking(socketPath, command);
    if (asking.done)
        qFatal("the reply came within the call");
    if (!asking.Wait())
        qFatal("no end to the exchange with %s", socketPath.c_str());
    return asking.reply;
}

class WaylandDesktopTest : public QObject {
    Q_OBJECT

  private slots:
    void aCommandGoesOutFramedAndItsReplyComesBack() {
        const std::string reply = R"([ { "success": true } ])";
        FakeSway sway([&](const std::string&) { return Frame("i3-ipc", 0, reply); });
        const std::optional<std::string> got = Ask(sway.Path(), "for_window [x] \"a, b\"");
        QVERIFY(got.has_value());
        QCOMPARE(*got, reply);
        QCOMPARE(sway.Request(), Frame("i3-ipc", 0, "for_window [x] \"a, b\""));
    }

    void aReplyInPiecesIsReadWhole() {
        const std::string reply(60, 'r');  // the header, too, arrives in two pieces
        FakeSway sway([&](const std::string&) { return Frame("i3-ipc", 0, reply); }, true, 9);
        const std::optional<std::string> got = Ask(sway.Path(), "nop");
        QVERIFY(got.has_value());
        QCOMPARE(got->size(), reply.size());
    }

    void aWrongOrMissingReplyIsNoReply() {
        {
            FakeSway sway([](const std::string&) { return Frame("i3-xxx", 0, "[]"); });
            QVERIFY(!Ask(sway.Path(), "nop").has_value());
        }
        {
            FakeSway sway([](const std::string&) { return Frame("i3-ipc", 4, "[]"); });
            QVERIFY(!Ask(sway.Path(), "nop").has_value());  // another message type
        }
        {
            // The payload is cut short: the connection ends before the announced length.
            FakeSway sway(
                [](const std::string&) { return Frame("i3-ipc", 0, "[]").substr(0, 15); });
            QVERIFY(!Ask(sway.Path(), "nop").has_value());
        }
        {
            FakeSway sway([](const std::string&) { return std::string(); });
            QVERIFY(!Ask(sway.Path(), "nop").has_value());
        }
    }

    void aSilentServerIsGivenUpOnWithinAboutASecondWithoutHoldingTheEventLoop() {
        // It never reads and never answers until the client has given up.
        std::atomic<bool> gaveUp{false};
        FakeSway sway(
            [&](const std::string&) {
                for (int i = 0; i < 500 && !gaveUp; ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                return std::string();
            },
            false);
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(20);
        QElapsedTimer timer;
        timer.start();
        Asking asking(sway.Path(), "nop");
        QVERIFY(timer.elapsed() < 500);  // the call itself waits for nothing
        QVERIFY(asking.Wait());
        gaveUp = true;
        QVERIFY(!asking.reply.has_value());
        QVERIFY(timer.elapsed() >= 900);
        QVERIFY(timer.elapsed() < 3000);
        QVERIFY(ticks >= 10);  // the user interface ran on meanwhile
    }

    void noSocketIsNoReply() {
        QVERIFY(!Ask("", "nop").has_value());
        QVERIFY(!Ask("/nonexistent/sway-ipc.sock", "nop").has_value());
        QVERIFY(!Ask(std::string(200, 'x'), "nop").has_value());  // too long a path
    }

    void everyCommandMustSucceed() {
        QVERIFY(SwayReplySucceeded(R"([{"success":true},{"success": true}])"));
        QVERIFY(!SwayReplySucceeded(
            R"([{"success":true},{"success":false,"error":"Only views can have borders"}])"));
        QVERIFY(!SwayReplySucceeded("[]"));
        QVERIFY(!SwayReplySucceeded("not json"));
        QVERIFY(!SwayReplySucceeded(""));
    }

    void theMenuRuleKeepsItsCommandsTogetherForThisProcess() {
        // Unquoted, sway would split the commands at the commas and run all but the first at
        // once, on the focused window.
        QCOMPARE(SwayMenuRule(4321),
                 std::string("for_window [pid=4321 title=\"^Brindlecot menu$\"] "
                             "\"floating enable, border none, move position cursor\""));
        QCOMPARE(QString::fromUtf8(kMenuWindowTitle), QStringLiteral("Brindlecot menu"));
    }

    void theMenuHangsFromTheBarOffThePointer() {
        const char* topBar = R"({"x":0,"y":23,"width":1024,"height":745})";
        const char* bottomBar = R"({"x":0,"y":0,"width":1024,"height":745})";
        const char* noBar = R"({"x":0,"y":0,"width":1024,"height":768})";
        // Placed at the pointer on the icon, pushed back onto the screen at the corner.
        QCOMPARE(SwayMenuMove(
                     Tree(topBar, Menu(R"({"x":904,"y":0,"width":120,"height":66})").c_str()), 42),
                 std::optional<std::string>("[con_id=17] move absolute position 904 23"));
        QCOMPARE(
            SwayMenuMove(
                Tree(bottomBar, Menu(R"({"x":904,"y":702,"width":120,"height":66})").c_str()), 42),
            std::optional<std::string>("[con_id=17] move absolute position 904 679"));
        // No room kept for a bar: half the menu's height off the pointer, away from the edge.
        QCOMPARE(SwayMenuMove(
                     Tree(noBar, Menu(R"({"x":904,"y":0,"width":120,"height":66})").c_str()), 42),
                 std::optional<std::string>("[con_id=17] move absolute position 904 35"));
        QCOMPARE(SwayMenuMove(
                     Tree(noBar, Menu(R"({"x":100,"y":702,"width":120,"height":66})").c_str()), 42),
                 std::optional<std::string>("[con_id=17] move absolute position 100 667"));
        // Already beside the bar: nothing to do, and nothing to wait for.
        QCOMPARE(SwayMenuMove(
                     Tree(topBar, Menu(R"({"x":904,"y":23,"width":120,"height":66})").c_str()), 42),
                 std::optional<std::string>(""));
    }

    void aMenuNotYetPlacedOrNotOursIsLeftAlone() {
        const char* topBar = R"({"x":0,"y":23,"width":1024,"height":745})";
        const char* rect = R"({"x":450,"y":362,"width":120,"height":66})";
        QCOMPARE(SwayMenuMove(Tree(topBar, Menu(rect, "normal").c_str()), 42), std::nullopt);
        QCOMPARE(SwayMenuMove(Tree(topBar, Menu(rect, "none", 43).c_str()), 42), std::nullopt);
        QCOMPARE(SwayMenuMove(Tree(topBar, Menu(rect, "none", 42, "Brindlecot").c_str()), 42),
                 std::nullopt);
        QCOMPARE(SwayMenuMove("not a tree", 42), std::nullopt);
        QCOMPARE(SwayMenuMove("", 42), std::nullopt);
    }

    void offWaylandNothingChanges() {
        QVERIFY(!OnWayland());  // the tests run offscreen
        QMenu menu;
        menu.addAction(QStringLiteral("Alpha"));
        PrepareMenuWindow(menu);
        QVERIFY(menu.windowTitle().isEmpty());
        QCOMPARE(menu.minimumSize(), QSize(0, 0));
        QWidget window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(!NeedsRemapToFront(window));
    }
};

}  // namespace

std::unique_ptr<QObject> MakeWaylandDesktopTest() {
    return std::make_unique<WaylandDesktopTest>();
}

}  // namespace brindlecot::qt::test

#include "wayland_desktop_test.moc"
