// The end of a window's first complete frame: every visible widget in it painted once, and the
// paint pass that did it over. A paint pass runs inside one event, so a call queued from a
// paint event runs after the pass, the flush to the screen included.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QSet>
#include <QWidget>
#include <cstdio>
#include <functional>
#include <utility>

namespace brindlecot::qt::test {

class FirstFrameWatcher : public QObject {
  public:
    // `isWatched` picks the window among the top-level widgets that paint; `onFrame` is called
    // once, with it. Install with QCoreApplication::installEventFilter.
    FirstFrameWatcher(std::function<bool(QWidget*)> isWatched,
                      std::function<void(QWidget*)> onFrame)
        : m_isWatched(std::move(isWatched)), m_onFrame(std::move(onFrame)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || m_done || !watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        QWidget* top = widget->window();
        if (!m_window && m_isWatched(top))
            m_window = top;
        if (top != m_window)
            return false;
        m_painted.insert(widget);
        if (!m_checkQueued) {
            m_checkQueued = true;
            QMetaObject::invokeMethod(
                this, [this] { Check(); }, Qt::QueuedConnection);
        }
        return false;
    }

  private:
    void Check() {
        m_checkQueued = false;
        QList<QWidget*> widgets = m_window->findChildren<QWidget*>();
        widgets.prepend(m_window);
        for (QWidget* w : widgets) {
            if (w->isVisible() && !w->visibleRegion().isEmpty() && !m_painted.contains(w))
                return;  // a later paint asks again
        }
        m_done = true;
        m_onFrame(m_window);
    }

    std::function<bool(QWidget*)> m_isWatched;
    std::function<void(QWidget*)> m_onFrame;
    QWidget* m_window = nullptr;
    QSet<QWidget*> m_painted;
    bool m_checkQueued = false;
    bool m_done = false;
};

}  // namespace brindlecot::qt::test
