// The few X11 requests the front end makes itself, beside Qt: on the connection Qt opened, so
// that their events reach Qt's native event filters (the server's time alone is asked on a
// connection of its own). Only built where xcb's headers are.
#pragma once

#ifdef BRINDLECOT_HAVE_XCB
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>

namespace brindlecot::qt::x11 {

// Qt's connection to the X server; nullptr on other platforms (Wayland, offscreen).
inline xcb_connection_t* Connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

inline xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

// The window that owns a selection, or XCB_NONE.
inline xcb_window_t SelectionOwner(xcb_connection_t* c, xcb_atom_t selection) {
    xcb_get_selection_owner_reply_t* reply =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr);
    const xcb_window_t owner = reply ? reply->owner : xcb_window_t{XCB_NONE};
    std::free(reply);
    return owner;
}

// The X server's time now: the time stamp of the PropertyNotify for a change that changes
// nothing, on a connection and a window of its own (Qt reads the events of its connection on a
// thread of its own, so one cannot be waited for there). 0 when there is no server to ask.
inline xcb_timestamp_t ServerTime() {
    int screenNumber = 0;
    xcb_connection_t* own = xcb_connect(nullptr, &screenNumber);
    xcb_timestamp_t time = XCB_CURRENT_TIME;
    if (!xcb_connection_has_error(own)) {
        xcb_screen_iterator_t screen = xcb_setup_roots_iterator(xcb_get_setup(own));
        for (int i = 0; i < screenNumber && screen.rem > 0; ++i)
            xcb_screen_next(&screen);
        if (screen.rem > 0) {
            const xcb_window_t probe = xcb_generate_id(own);
            const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
            xcb_create_window(own, 0, probe, screen.data->root, -1, -1, 1, 1, 0,
                              XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                              &events);
            xcb_change_property(own, XCB_PROP_MODE_APPEND, probe, XCB_ATOM_WM_NAME, XCB_ATOM_STRING,
                                8, 0, nullptr);
            xcb_flush(own);
            while (xcb_generic_event_t* event = xcb_wait_for_event(own)) {
                const bool notify = (event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY;
                if (notify)
                    time = reinterpret_cast<xcb_property_notify_event_t*>(event)->time;
                std::free(event);
                if (notify)
                    break;
            }
        }
    }
    xcb_disconnect(own);  // the probe window goes with its connection
    return time;
}

// Asks the window manager to bring `window` back from the minimised state, raise it and give
// it the focus, for the user who asked for it through the tray icon: EWMH's _NET_ACTIVE_WINDOW
// with the source indication of a pager (2: a client that acts on the user's direct request)
// and the server's time now, later than the user's click, so that a window manager that
// guards against focus stealing (GNOME Shell's) grants it. Qt's own request carries the time
// of the last X event the program saw, which a click in the tray, relayed over D-Bus, is not.
inline void RequestActivation(xcb_connection_t* c, xcb_window_t window) {
    xcb_get_geometry_reply_t* geometry =
        xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
    if (!geometry)
        return;
    const xcb_window_t root = geometry->root;
    std::free(geometry);
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = Atom(c, "_NET_ACTIVE_WINDOW");
    event.data.data32[0] = 2;
    event.data.data32[1] = ServerTime();
    event.data.data32[2] = XCB_NONE;
    xcb_send_event(c, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(c);
}

}  // namespace brindlecot::qt::x11
#endif
