#include "frontend/qt/session_end.h"

#include <QEvent>
#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include "platform/posix/termination_signals.h"

namespace brindlecot::qt {

SessionEndWatcher::SessionEndWatcher(std::function<void()> onSave, std::function<void()> onEnd)
    : m_onSave(std::move(onSave)),
      m_onEnd(std::move(onEnd)),
      m_signals(std::make_unique<platform::TerminationSignals>()) {
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
        if (!m_fired)
            m_onSave();
    });
    qGuiApp->installEventFilter(this);
    if (m_signals->ReadableFd() >= 0) {
        m_notifier =
            std::make_unique<QSocketNotifier>(m_signals->ReadableFd(), QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] {
            m_signals->Drain();
            Fire();
        });
    }
}

SessionEndWatcher::~SessionEndWatcher() {
    if (qGuiApp)
        qGuiApp->removeEventFilter(this);
    m_notifier.reset();  // before the descriptor it watches is closed
    m_signals.reset();
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
