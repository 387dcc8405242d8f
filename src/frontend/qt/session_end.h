// The end of the user's session and the termination signals, as one callback on the
// user-interface thread. A signal handler may do almost nothing safely, so it only writes a
// byte into a pipe that the event loop watches.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace brindlecot::qt {

class SessionEndWatcher : public QObject {
  public:
    // Watches the session manager's commit request and SIGTERM, SIGHUP and SIGINT; `onEnd`
    // runs once, at the first of them. After the first signal the three get their default
    // action back, so a second one ends the process at once.
    explicit SessionEndWatcher(std::function<void()> onEnd);
    ~SessionEndWatcher() override;
    SessionEndWatcher(const SessionEndWatcher&) = delete;
    SessionEndWatcher& operator=(const SessionEndWatcher&) = delete;

  private:
    void Fire();

    std::function<void()> m_onEnd;
    bool m_fired = false;
    struct SignalPipe;
    std::unique_ptr<SignalPipe> m_pipe;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

}  // namespace brindlecot::qt
