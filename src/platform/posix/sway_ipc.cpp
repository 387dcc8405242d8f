#include "platform/posix/sway_ipc.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace brindlecot::platform {

namespace {

constexpr char kIpcMagic[] = {'i', '3', '-', 'i', 'p', 'c'};
constexpr std::size_t kHeader = sizeof(kIpcMagic) + 2 * sizeof(std::uint32_t);
constexpr std::uint32_t kMaxReply = 1 << 24;  // a window tree of a busy session fits

bool Again() {
    return errno == EAGAIN || errno == EWOULDBLOCK;
}

}  // namespace

SwayIpcExchange::SwayIpcExchange(const std::string& socketPath, const std::string& payload,
                                 std::uint32_t type)
    : m_fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)), m_type(type) {
    m_out.assign(kIpcMagic, sizeof(kIpcMagic));
    const auto length = static_cast<std::uint32_t>(payload.size());
    m_out.append(reinterpret_cast<const char*>(&length), sizeof(length));
    m_out.append(reinterpret_cast<const char*>(&type), sizeof(type));
    m_out += payload;
    sockaddr_un address{};
    if (m_fd < 0 || socketPath.empty() || socketPath.size() >= sizeof(address.sun_path))
        return;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath.data(), socketPath.size());
    if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 &&
        errno != EINPROGRESS) {
        return;
    }
    m_state = State::Sending;
    Send();
}

SwayIpcExchange::~SwayIpcExchange() {
    if (m_fd >= 0)
        ::close(m_fd);
}

SwayIpcExchange::State SwayIpcExchange::Send() {
    if (m_state != State::Sending)
        return m_state;
    while (m_sent < m_out.size()) {
        const ssize_t n =
            ::send(m_fd, m_out.data() + m_sent, m_out.size() - m_sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (Again() || errno == ENOTCONN))  // full, or not yet connected
            return m_state;
        if (n <= 0)
            return m_state = State::Failed;
        m_sent += static_cast<std::size_t>(n);
    }
    return m_state = State::Receiving;
}

SwayIpcExchange::State SwayIpcExchange::Receive() {
    if (m_state != State::Receiving)
        return m_state;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::recv(m_fd, buffer, sizeof(buffer), MSG_DONTWAIT);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && Again())
            return m_state;
        if (n <= 0)  // ended, or failed, before the whole reply
            return m_state = State::Failed;
        m_in.append(buffer, static_cast<std::size_t>(n));
        if (m_in.size() < kHeader)
            continue;
        std::uint32_t length = 0;
        std::uint32_t type = 0;
        std::memcpy(&length, m_in.data() + sizeof(kIpcMagic), sizeof(length));
        std::memcpy(&type, m_in.data() + sizeof(kIpcMagic) + sizeof(length), sizeof(type));
        if (std::memcmp(m_in.data(), kIpcMagic, sizeof(kIpcMagic)) != 0 || type != m_type ||
            length > kMaxReply) {
            return m_state = State::Failed;
        }
        if (m_in.size() >= kHeader + length) {
            m_reply = m_in.substr(kHeader, length);
            return m_state = State::Done;
        }
    }
}

}  // namespace brindlecot::platform
