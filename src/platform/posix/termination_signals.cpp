#include "platform/posix/termination_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace brindlecot::platform {

namespace {

volatile sig_atomic_t g_writeFd = -1;

extern "C" void OnTerminationSignal(int) {
    const int saved = errno;
    const char byte = 1;
    if (g_writeFd >= 0) {
        [[maybe_unused]] const ssize_t n = ::write(g_writeFd, &byte, 1);
    }
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    for (const int signal : TerminationSignals::kSignals)
        ::sigaction(signal, &fallback, nullptr);
    errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals() {
    if (::pipe2(m_fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        m_fds[0] = m_fds[1] = -1;
        return;
    }
    g_writeFd = m_fds[1];
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &action, &m_previous[i]);
    m_installed = true;
}

TerminationSignals::~TerminationSignals() {
    if (m_installed) {
        for (size_t i = 0; i < kSignals.size(); ++i)
            ::sigaction(kSignals[i], &m_previous[i], nullptr);
    }
    g_writeFd = -1;
    for (const int fd : m_fds) {
        if (fd >= 0)
            ::close(fd);
    }
}

void TerminationSignals::Drain() const {
    char buffer[64];
    while (m_fds[0] >= 0 && ::read(m_fds[0], buffer, sizeof buffer) > 0) {
    }
}

}  // namespace brindlecot::platform
