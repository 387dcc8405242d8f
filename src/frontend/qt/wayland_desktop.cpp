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
#include <QWidget>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace brindlecot::qt {

const char* const kMenuWindowTitle = "Brindlecot menu";

namespace {

constexpr char kIpcMagic[] = {'i', '3', '-', 'i', 'p', 'c'};
constexpr std::uint32_t kRunCommand = 0;
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

// The rule is given to sway once per run: sway keeps it for the rest of its session.
void AddSwayMenuRule() {
    static bool added = false;
    if (added)
        return;
    added = true;
    const QByteArray socket = qgetenv("SWAYSOCK");
    if (socket.isEmpty())
        return;
    // Without the rule the menu still works, centred or tiled as sway places new windows.
    const std::optional<std::string> reply =
        SwayCommand(socket.toStdString(), SwayMenuRule(static_cast<long>(::getpid())));
    if (reply && !SwayReplySucceeded(*reply)) {
        std::fprintf(stderr, "%s: sway did not take the tray menu's placement: %s\n",
                     qPrintable(QCoreApplication::applicationName()), reply->c_str());
    }
}

}  // namespace

bool OnWayland() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void PrepareMenuWindow(QMenu& menu) {
    if (!OnWayland())
        return;
    menu.setWindowTitle(QString::fromUtf8(kMenuWindowTitle));
    menu.ensurePolished();
    menu.setFixedSize(menu.sizeHint());
    AddSwayMenuRule();
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

std::optional<std::string> SwayCommand(const std::string& socketPath, const std::string& command) {
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
    message.append(reinterpret_cast<const char*>(&kRunCommand), sizeof(kRunCommand));
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
    constexpr std::uint32_t kMaxReply = 1 << 20;
    if (replyType != kRunCommand || replyLength > kMaxReply)
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
