#include "frontend/qt/wayland_desktop.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QTimer>
#include <QWidget>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>

namespace brindlecot::qt {

const char* const kMenuWindowTitle = "Brindlecot menu";

namespace {

constexpr char kIpcMagic[] = {'i', '3', '-', 'i', 'p', 'c'};
constexpr int kIpcTimeoutMs = 1000;

class Fd {
  public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }

  private:
    int m_fd;
};

bool WaitFor(int fd, short events) {
    pollfd p{fd, events, 0};
    int r;
    do {
        r = ::poll(&p, 1, kIpcTimeoutMs);
    } while (r < 0 && errno == EINTR);
    return r > 0 && (p.revents & events);
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        if (!WaitFor(fd, POLLOUT))
            return false;
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool ReadAll(int fd, char* data, size_t size) {
    while (size > 0) {
        if (!WaitFor(fd, POLLIN))
            return false;
        const ssize_t n = ::recv(fd, data, size, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// The rule is given to sway once per run: sway keeps it for the rest of its session. Whether
// sway took it.
bool AddSwayMenuRule(const QByteArray& socket) {
    static int added = -1;  // not yet asked
    if (added >= 0)
        return added != 0;
    added = 0;
    // Without the rule the menu still works, centred or tiled as sway places new windows.
    const std::optional<std::string> reply =
        SwayCommand(socket.toStdString(), SwayMenuRule(static_cast<long>(::getpid())));
    if (reply && !SwayReplySucceeded(*reply)) {
        std::fprintf(stderr, "%s: sway did not take the tray menu's placement: %s\n",
                     qPrintable(QCoreApplication::applicationName()), reply->c_str());
    }
    added = reply && SwayReplySucceeded(*reply) ? 1 : 0;
    return added != 0;
}

// Moves the menu off the pointer once sway has placed it: the menu's window is mapped some
// moments after it is shown, so sway's tree is asked a few times a frame apart.
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
        constexpr int kMaxTries = 50;
        const std::optional<std::string> tree =
            SwayCommand(m_socket.toStdString(), std::string(), kSwayGetTree);
        const std::optional<std::string> move =
            tree ? SwayMenuMove(*tree, static_cast<long>(::getpid())) : std::nullopt;
        if (move || !tree || ++m_tries >= kMaxTries)
            m_timer.stop();
        if (move && !move->empty())
            (void)SwayCommand(m_socket.toStdString(), *move);
    }

    QByteArray m_socket;
    QTimer m_timer;
    int m_tries = 0;
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
    if (!socket.isEmpty() && AddSwayMenuRule(socket))
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

std::optional<std::string> SwayCommand(const std::string& socketPath, const std::string& command,
                                       unsigned type) {
    sockaddr_un address{};
    if (socketPath.empty() || socketPath.size() >= sizeof(address.sun_path))
        return std::nullopt;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath.data(), socketPath.size());
    Fd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (fd.get() < 0 ||
        ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        return std::nullopt;
    }

    std::string message(kIpcMagic, sizeof(kIpcMagic));
    const auto length = static_cast<std::uint32_t>(command.size());
    message.append(reinterpret_cast<const char*>(&length), sizeof(length));
    const auto messageType = static_cast<std::uint32_t>(type);
    message.append(reinterpret_cast<const char*>(&messageType), sizeof(messageType));
    message += command;
    if (!WriteAll(fd.get(), message.data(), message.size()))
        return std::nullopt;

    char header[sizeof(kIpcMagic) + 2 * sizeof(std::uint32_t)];
    if (!ReadAll(fd.get(), header, sizeof(header)) ||
        std::memcmp(header, kIpcMagic, sizeof(kIpcMagic)) != 0) {
        return std::nullopt;
    }
    std::uint32_t replyLength = 0;
    std::uint32_t replyType = 0;
    std::memcpy(&replyLength, header + sizeof(kIpcMagic), sizeof(replyLength));
    std::memcpy(&replyType, header + sizeof(kIpcMagic) + sizeof(replyLength), sizeof(replyType));
    constexpr std::uint32_t kMaxReply = 1 << 24;  // a window tree of a busy session fits
    if (replyType != messageType || replyLength > kMaxReply)
        return std::nullopt;
    std::string reply(replyLength, '\0');
    if (!ReadAll(fd.get(), reply.data(), reply.size()))
        return std::nullopt;
    return reply;
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
