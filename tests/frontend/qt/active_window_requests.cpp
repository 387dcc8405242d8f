// Prints the EWMH _NET_ACTIVE_WINDOW requests that clients send to the root window, as a
// window manager receives them: "active WINDOW SOURCE TIME AFTER", where SOURCE is the source
// indication (1 an application, 2 a pager acting for the user), TIME the request's time stamp
// and AFTER 1 when that time is no earlier than the last time the test marked on the root window
// (its _BRINDLECOT_MARK property, set right after the user's last action elsewhere: a window
// manager that guards against focus stealing wants a request younger than that action). Any
// other root property changes too often, the window manager's own answers to the restore
// among them, to stand for it. Prints "ready" once it listens, and "mark TIME" for each mark.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main() {
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "active_window_requests: no X display\n");
        return 1;
    }
    xcb_screen_iterator_t screen = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screen);
    const xcb_window_t root = screen.data->root;
    const uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &events);
    auto intern = [c](const char* name) -> xcb_atom_t {
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t value = atom ? atom->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(atom);
        return value;
    };
    const xcb_atom_t active = intern("_NET_ACTIVE_WINDOW");
    const xcb_atom_t mark = intern("_BRINDLECOT_MARK");
    if (active == XCB_ATOM_NONE || mark == XCB_ATOM_NONE)
        return 1;
    xcb_flush(c);
    std::printf("ready\n");
    std::fflush(stdout);

    xcb_timestamp_t lastChange = 0;
    while (xcb_generic_event_t* event = xcb_wait_for_event(c)) {
        const int type = event->response_type & 0x7F;
        if (type == XCB_PROPERTY_NOTIFY) {
            const auto* change = reinterpret_cast<xcb_property_notify_event_t*>(event);
            if (change->atom == mark) {
                lastChange = change->time;
                std::printf("mark %u\n", lastChange);
                std::fflush(stdout);
            }
        } else if (type == XCB_CLIENT_MESSAGE) {
            const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
            if (message->type == active && message->format == 32) {
                const uint32_t time = message->data.data32[1];
                // Server times wrap around; "no earlier" as the window managers compare them.
                const bool after = time != 0 && static_cast<int32_t>(time - lastChange) >= 0;
                std::printf("active %u %u %u %d\n", message->window, message->data.data32[0], time,
                            after ? 1 : 0);
                std::fflush(stdout);
            }
        }
        std::free(event);
    }
    return 0;
}
