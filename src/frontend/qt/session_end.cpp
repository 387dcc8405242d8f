#include "frontend/qt/session_end.h"

#include <QEvent>
#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#endif

namespace brindlecot::qt {

#ifdef Q_OS_UNIX
namespace {

constexpr std::array<int, 3> kSignals = {SIGTERM, SIGHUP, SIGINT};
volatile sig_atomic_t g_writeFd = -1;

extern "C" void OnTerminationSignal(int) {
    const int saved = errno;
    const char byte = 1;
    if (g_writeFd >= 0) {
        [[maybe_unused]] const ssize_t n = ::write(g_writeFd, &byte, 1);
    }
    // The first signal asks for an orderly end; a second one, should that end ever stall,
    // ends the process the system's way rather than being swallowed.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    for (const int signal : kSignals)
        ::sigaction(signal, &fallback, nullptr);
    errno = saved;
}

}  // namespace

// The pipe and the handlers it replaced; both are given back on destruction.
struct SessionEndWatcher::SignalPipe {
    int fds[2] = {-1, -1};
    std::array<struct sigaction, kSignals.size()> previous{};
    bool installed = false;

    SignalPipe() {
        if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
            fds[0] = fds[1] = -1;
            return;
        }
        g_writeFd = fds[1];
        struct sigaction action {};
        action.sa_handler = OnTerminationSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (size_t i = 0; i < kSignals.size(); ++i) {
            ::sigaction(kSignals[i], &action, &previous[i]);
        }
        installed = true;
    }
    ~SignalPipe() {
        if (installed) {
            for (size_t i = 0; i < kSignals.size(); ++i) {
                ::sigaction(kSignals[i], &previous[i], nullptr);
            }
        }
        g_writeFd = -1;
        for (int fd : fds) {
            if (fd >= 0)
                ::close(fd);
        }
    }
    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;

    void Drain() const {
        char buffer[64];
        while (::read(fds[0], buffer, sizeof buffer) > 0) {
        }
    }
};
#else
struct SessionEndWatcher::SignalPipe {};
#endif

SessionEndWatcher::SessionEndWatcher(std::function<void()> onSave, std::function<void()> onEnd)
    : m_onSave(std::move(onSave)),
      m_onEnd(std::move(onEnd)),
      m_pipe(std::make_unique<SignalPipe>()) {
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
        if (!m_fired)
            m_onSave();
    });
    qGuiApp->installEventFilter(this);
#ifdef Q_OS_UNIX
    if (m_pipe->fds[0] >= 0) {
        m_notifier = std::make_unique<QSocketNotifier>(m_pipe->fds[0], QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] {
            m_pipe->Drain();
            Fire();
        });
    }
#endif
}

SessionEndWatcher::~SessionEndWatcher() {
    if (qGuiApp)
        qGuiApp->removeEventFilter(this);
    m_notifier.reset();  // before the descriptor it watches is closed
    m_pipe.reset();
}

bool SessionEndWatcher::eventFilter(QObject* watched, QEvent* event) {
    if (watched != qGuiApp || event->type() != QEvent::Quit)
        return false;
    Fire();
    return true;
}

void SessionEndWatcher::Fire() {
    if (m_fired)
        return;
    m_fired = true;
    m_onEnd();
}

}  // namespace brindlecot::qt
