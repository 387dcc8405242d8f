#include "frontend/qt/clipboard_handover.h"

#include <QAbstractNativeEventFilter>
#include <QClipboard>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>

#include "frontend/qt/x11.h"

namespace brindlecot::qt {

#ifdef BRINDLECOT_HAVE_XCB
namespace {

// An unmapped window of the program's own that asks the manager and receives its answer.
class RequestorWindow {
  public:
    explicit RequestorWindow(xcb_connection_t* c) : m_c(c), m_id(xcb_generate_id(c)) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        xcb_create_window(c, XCB_COPY_FROM_PARENT, m_id, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    }
    ~RequestorWindow() {
        xcb_destroy_window(m_c, m_id);
        xcb_flush(m_c);
    }
    RequestorWindow(const RequestorWindow&) = delete;
    RequestorWindow& operator=(const RequestorWindow&) = delete;
    xcb_window_t Id() const { return m_id; }

  private:
    xcb_connection_t* m_c;
    xcb_window_t m_id;
};

// Ends the wait when the manager's answer to the requestor arrives.
class AnswerFilter : public QAbstractNativeEventFilter {
  public:
    AnswerFilter(xcb_window_t requestor, QEventLoop& loop) : m_requestor(requestor), m_loop(loop) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~AnswerFilter() override { QCoreApplication::instance()->removeNativeEventFilter(this); }
    AnswerFilter(const AnswerFilter&) = delete;
    AnswerFilter& operator=(const AnswerFilter&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7F) != XCB_SELECTION_NOTIFY)
            return false;
        const auto* notify = static_cast<const xcb_selection_notify_event_t*>(message);
        if (notify->requestor != m_requestor)
            return false;
        m_answered = notify->property != XCB_ATOM_NONE;
        m_done = true;
        m_loop.quit();
        return true;
    }
    bool Done() const { return m_done; }
    bool Answered() const { return m_answered; }

  private:
    xcb_window_t m_requestor;
    QEventLoop& m_loop;
    bool m_done = false;
    bool m_answered = false;
};

}  // namespace
#endif

bool HandClipboardOver(std::chrono::milliseconds limit) {
#ifdef BRINDLECOT_HAVE_XCB
    xcb_connection_t* c = x11::Connection();
    if (!c)
        return false;
    QClipboard* clipboard = QGuiApplication::clipboard();
    // Text selected in a field (the primary selection) ends with the program, as on any X11
    // program; but Qt, owning it, would still wait for a manager, which only saves the
    // clipboard.
    if (clipboard->ownsSelection())
        clipboard->clear(QClipboard::Selection);
    if (!clipboard->ownsClipboard())
        return false;
    const xcb_atom_t manager = x11::Atom(c, "CLIPBOARD_MANAGER");
    if (manager == XCB_ATOM_NONE || x11::SelectionOwner(c, manager) == XCB_NONE)
        return false;  // nothing would keep the text; Qt does not wait either

    // The manager fetches the contents from the clipboard's owner window, which Qt serves
    // while the event loop below runs.
    const xcb_atom_t saveTargets = x11::Atom(c, "SAVE_TARGETS");
    const xcb_atom_t property = x11::Atom(c, "_BRINDLECOT_CLIPBOARD_SAVED");
    RequestorWindow requestor(c);
    QEventLoop loop;
    AnswerFilter answer(requestor.Id(), loop);
    xcb_convert_selection(c, requestor.Id(), manager, saveTargets, property, XCB_CURRENT_TIME);
    xcb_flush(c);
    QTimer::singleShot(limit, &loop, &QEventLoop::quit);
    if (!answer.Done())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    // Let go of the clipboard either way, so that Qt does not wait again as it ends.
    if (clipboard->ownsClipboard())
        clipboard->clear(QClipboard::Clipboard);
    return answer.Answered();
#else
    (void)limit;
    return false;
#endif
}

}  // namespace brindlecot::qt
