#include "frontend/qt/wayland_desktop.h"

#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <utility>

#include "platform/posix/sway_ipc.h"

namespace brindlecot::qt {

const char* const kMenuWindowTitle = "Brindlecot menu";

namespace {

constexpr int kIpcTimeoutMs = 1000;

// The exchange behind AskSway, on the event loop; it deletes itself once `done` has run.
class SwayExchange : public QObject {
  public:
    SwayExchange(const std::string& socketPath, const std::string& command, std::uint32_t type,
                 SwayReply done, QObject& context)
        : QObject(&context), m_ipc(socketPath, command, type), m_done(std::move(done)) {
        m_idle.setSingleShot(true);
        m_idle.setInterval(kIpcTimeoutMs);
        connect(&m_idle, &QTimer::timeout, this, [this] { Finish(std::nullopt); });
        // Mostly the whole message went out already, before anything the caller does next (a
        // menu shown after its rule was given).
        if (m_ipc.GetState() == State::Failed) {
            Finish(std::nullopt);
            return;
        }
        m_writable = std::make_unique<QSocketNotifier>(m_ipc.Fd(), QSocketNotifier::Write);
        m_readable = std::make_unique<QSocketNotifier>(m_ipc.Fd(), QSocketNotifier::Read);
        connect(m_writable.get(), &QSocketNotifier::activated, this,
                [this] { Step(m_ipc.Send()); });
        connect(m_readable.get(), &QSocketNotifier::activated, this,
                [this] { Step(m_ipc.Receive()); });
        m_idle.start();
        Step(m_ipc.GetState());
    }

  private:
    using State = platform::SwayIpcExchange::State;

    // Waits for what the exchange needs next; the second without progress counts from the
    // last byte that moved.
    void Step(State state) {
        if (m_ipc.Transferred() != m_transferred) {
            m_transferred = m_ipc.Transferred();
            m_idle.start();
        }
        if (state == State::Done || state == State::Failed) {
            Finish(state == State::Done ? std::optional<std::string>(m_ipc.Reply()) : std::nullopt);
            return;
        }
        m_writable->setEnabled(state == State::Sending);
        m_readable->setEnabled(state == State::Receiving);
    }

    // The socket is left alone from now on; `done` runs from the event loop.
    void Finish(std::optional<std::string> reply) {
        if (m_finished)
            return;
        m_finished = true;
        m_idle.stop();
        if (m_writable) {
            m_writable->setEnabled(false);
            m_readable->setEnabled(false);
        }
        QMetaObject::invokeMethod(
            this,
            [this, reply = std::move(reply)] {
                m_done(reply);
                deleteLater();
            },
            Qt::QueuedConnection);
    }

    platform::SwayIpcExchange m_ipc;
    std::unique_ptr<QSocketNotifier> m_writable;  // after m_ipc, so gone before its socket
    std::unique_ptr<QSocketNotifier> m_readable;
    QTimer m_idle;
    std::size_t m_transferred = 0;
    SwayReply m_done;
    bool m_finished = false;
};

// The rule is given to sway once per run: sway keeps it for the rest of its session.
enum class Rule { NotAsked, Asked, Taken, Refused };
Rule g_menuRule = Rule::NotAsked;

// Whether sway has the rule, asked for once. sway reads its IPC clients and the program's
// Wayland connection in whatever order their messages come: a menu window shown before sway has
// answered could be mapped before the rule is there, and then sits where sway puts new floating
// windows, in the middle of the screen (about one run in ten of the Wayland test). So the first
// menu waits for the answer, which takes a millisecond (at the most the exchange's second without
// progress), with the event loop running but the user's input held back until then.
bool SwayHasMenuRule(const QByteArray& socket) {
    if (g_menuRule == Rule::NotAsked) {
        g_menuRule = Rule::Asked;
        // Without the rule the menu still works, centred or tiled as sway places new windows.
        AskSway(socket.toStdString(), SwayMenuRule(static_cast<long>(::getpid())), kSwayRunCommand,
                *QCoreApplication::instance(), [](std::optional<std::string> reply) {
                    const bool taken = reply && SwayReplySucceeded(*reply);
                    if (reply && !taken) {
                        std::fprintf(
                            stderr, "%s: sway did not take the tray menu's placement: %s\n",
                            qPrintable(QCoreApplication::applicationName()), reply->c_str());
                    }
                    g_menuRule = taken ? Rule::Taken : Rule::Refused;
                });
    }
    while (g_menuRule == Rule::Asked) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents |
                                        QEventLoop::ExcludeUserInputEvents);
    }
    return g_menuRule == Rule::Taken;
}

// Moves the menu off the pointer once sway has placed it: the menu's window is mapped some
// moments after it is shown, so sway's tree is asked a few times a frame apart, one question at
// a time.
class SwayMenuPlacer : public QObject {
  public:
    SwayMenuPlacer(QMenu& menu, QByteArray socket) : QObject(&menu), m_socket(std::move(socket)) {
        menu.installEventFilter(this);
        m_timer.setInterval(20);
        connect(&m_timer, &QTimer::timeout, this, &SwayMenuPlacer::Try);
    }

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            m_tries = 0;
            m_timer.start();
        } else if (event->type() == QEvent::Hide) {
            m_timer.stop();
        }
        return false;
    }

  private:
    void Try() {
        if (m_asking)
            return;  // the last tree is still on its way
        m_asking = true;
        ++m_tries;
        AskSway(m_socket.toStdString(), std::string(), kSwayGetTree, *this,
                [this](std::optional<std::string> tree) {
                    m_asking = false;
                    if (!m_timer.isActive())
                        return;  // the menu closed meanwhile
                    constexpr int kMaxTries = 50;
                    const std::optional<std::string> move =
                        tree ? SwayMenuMove(*tree, static_cast<long>(::getpid())) : std::nullopt;
                    if (move || !tree || m_tries >= kMaxTries)
                        m_timer.stop();
                    if (move && !move->empty())
                        AskSway(m_socket.toStdString(), *move, kSwayRunCommand, *this,
                                [](std::optional<std::string>) {});
                });
    }

    QByteArray m_socket;
    QTimer m_timer;
    int m_tries = 0;
    bool m_asking = false;
};

// What a popup menu does by itself and a menu in a window of its own does not: it closes once
// an item is chosen, or when the focus goes elsewhere.
class MenuWindowCloser : public QObject {
  public:
    explicit MenuWindowCloser(QMenu& menu) : QObject(&menu), m_menu(menu) {
        menu.installEventFilter(this);
        connect(&menu, &QMenu::triggered, &menu, &QMenu::close);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::WindowDeactivate && m_menu.isVisible())
            m_menu.close();
        return false;
    }

  private:
    QMenu& m_menu;
};

struct Box {
    int x = 0, y = 0, width = 0, height = 0;
};

Box BoxOf(const QJsonObject& node) {
    const QJsonObject r = node.value(QLatin1String("rect")).toObject();
    return {r.value(QLatin1String("x")).toInt(), r.value(QLatin1String("y")).toInt(),
            r.value(QLatin1String("width")).toInt(), r.value(QLatin1String("height")).toInt()};
}

struct Found {
    QJsonObject menu;
    Box workspace;
    Box output;
};

bool FindMenu(const QJsonObject& node, long pid, Box output, Box workspace, Found& found) {
    const QString type = node.value(QLatin1String("type")).toString();
    if (type == QLatin1String("output"))
        output = BoxOf(node);
    if (type == QLatin1String("workspace"))
        workspace = BoxOf(node);
    if (type == QLatin1String("floating_con") &&
        node.value(QLatin1String("pid")).toInteger() == pid &&
        node.value(QLatin1String("name")).toString() == QLatin1String(kMenuWindowTitle)) {
        found = {node, workspace, output};
        return true;
    }
    for (const char* children : {"nodes", "floating_nodes"}) {
        for (const QJsonValue& child : node.value(QLatin1String(children)).toArray()) {
            if (FindMenu(child.toObject(), pid, output, workspace, found))
                return true;
        }
    }
    return false;
}

}  // namespace

std::optional<std::string> SwayMenuMove(const std::string& tree, long pid) {
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(tree));
    Found found;
    if (!doc.isObject() || !FindMenu(doc.object(), pid, {}, {}, found))
        return std::nullopt;
    // The rule's commands run together when the window is mapped; its frame is the sign.
    if (found.menu.value(QLatin1String("border")).toString() != QLatin1String("none"))
        return std::nullopt;
    const Box m = BoxOf(found.menu);
    const Box& w = found.workspace;
    const Box& o = found.output;
    int y = m.y;
    if (w.y > o.y) {
        y = w.y;  // a bar along the top: the menu hangs below it
    } else if (w.y + w.height < o.y + o.height) {
        y = w.y + w.height - m.height;  // along the bottom: the menu stands on it
    } else {
        // No bar keeps room for itself: the menu, centred on the pointer or pushed back onto
        // the screen, moves half its height off it, away from the nearer edge.
        const bool upperHalf = m.y + m.height / 2 < o.y + o.height / 2;
        y = upperHalf ? m.y + m.height / 2 + 2 : m.y + m.height / 2 - 2 - m.height;
    }
    if (y == m.y)
        return std::string();
    const auto id = static_cast<long long>(found.menu.value(QLatin1String("id")).toDouble());
    return "[con_id=" + std::to_string(id) + "] move absolute position " + std::to_string(m.x) +
           " " + std::to_string(y);
}

bool OnWayland() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void PrepareMenuWindow(QMenu& menu) {
    if (!OnWayland())
        return;
    // Not a popup: Qt makes a popup a child surface of whichever window of the program has the
    // focus, at the last pointer spot in that window, far from the icon. A window of its own
    // is placed by the compositor.
    menu.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    new MenuWindowCloser(menu);  // owned by the menu
    menu.setWindowTitle(QString::fromUtf8(kMenuWindowTitle));
    menu.ensurePolished();
    menu.setFixedSize(menu.sizeHint());
    const QByteArray socket = qgetenv("SWAYSOCK");
    if (!socket.isEmpty() && SwayHasMenuRule(socket))
        new SwayMenuPlacer(menu, socket);  // owned by the menu
}

bool NeedsRemapToFront(const QWidget& window) {
    if (!OnWayland() || !window.isVisible() || window.isActiveWindow())
        return false;
    // A box or dialog over the window would lose its parent's surface: the window stays.
    const QWidget* modal = QApplication::activeModalWidget();
    return modal == nullptr || modal == &window;
}

std::string SwayMenuRule(long pid) {
    // The commands after the criteria are one argument, quoted: unquoted, sway would run
    // "border none" and the rest at once, on whatever has the focus now.
    std::string title;
    for (const char* c = kMenuWindowTitle; *c; ++c) {
        if (std::strchr(".^$*+?()[]{}|\\", *c))
            (title += '\\') += *c;
        else
            title += *c;
    }
    return "for_window [pid=" + std::to_string(pid) + " title=\"^" + title +
           "$\"] \"floating enable, border none, move position cursor\"";
}

void AskSway(const std::string& socketPath, const std::string& command, unsigned type,
             QObject& context, SwayReply done) {
    new SwayExchange(socketPath, command, static_cast<std::uint32_t>(type), std::move(done),
                     context);  // owned by `context` until it is done
}

bool SwayReplySucceeded(const std::string& reply) {
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(reply));
    if (!doc.isArray() || doc.array().isEmpty())
        return false;
    for (const QJsonValue& result : doc.array()) {
        if (!result.toObject().value(QLatin1String("success")).toBool())
            return false;
    }
    return true;
}

}  // namespace brindlecot::qt
