// What the session manager and the termination signals ask of the program, as callbacks on the
// user-interface thread: to save while the session may go on, or to end.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace brindlecot::platform {
class TerminationSignals;
}

namespace brindlecot::qt {

class SessionEndWatcher : public QObject {
  public:
    // `onSave` runs at each commit request of the session manager (X11's SaveYourself), which
    // comes for a checkpoint and for a logout the user may still cancel: the run goes on.
    // `onEnd` runs once, at the first of the session's real end and SIGTERM, SIGHUP and
    // SIGINT; no save request is passed on after it. The session manager's "die" reaches a Qt
    // program as the Quit event of the application object, which is taken here, so that Qt
    // does not close the windows one by one (which would be the user's Escape). After the
    // first signal the three get their default action back, so a second one ends the process
    // at once.
    SessionEndWatcher(std::function<void()> onSave, std::function<void()> onEnd);
    ~SessionEndWatcher() override;
    SessionEndWatcher(const SessionEndWatcher&) = delete;
    SessionEndWatcher& operator=(const SessionEndWatcher&) = delete;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Fire();

    std::function<void()> m_onSave;
    std::function<void()> m_onEnd;
    bool m_fired = false;
    std::unique_ptr<platform::TerminationSignals> m_signals;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

}  // namespace brindlecot::qt
