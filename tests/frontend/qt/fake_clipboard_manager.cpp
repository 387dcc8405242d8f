// A clipboard manager for the clipboard test, on the X display in $DISPLAY. It owns
// CLIPBOARD_MANAGER and, asked to save the clipboard (SAVE_TARGETS), either never answers
// ("silent", as some managers do) or fetches the clipboard's text, prints "saved: TEXT" and
// answers ("answer"). It prints "ready" once it owns the selection, "asked" for each request.
//   fake_clipboard_manager silent|answer
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char* argv[]) {
    const bool answer = argc > 1 && std::string(argv[1]) == "answer";
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "cannot open the display\n");
        return 1;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = xcb_generate_id(c);
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                      &events);
    const xcb_atom_t manager = Atom(c, "CLIPBOARD_MANAGER");
    const xcb_atom_t clipboard = Atom(c, "CLIPBOARD");
    const xcb_atom_t saveTargets = Atom(c, "SAVE_TARGETS");
    const xcb_atom_t utf8 = Atom(c, "UTF8_STRING");
    const xcb_atom_t fetched = Atom(c, "FAKE_MANAGER_FETCHED");
    xcb_set_selection_owner(c, window, manager, XCB_CURRENT_TIME);
    Reply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, manager), nullptr));
    if (!owner || owner->owner != window) {
        std::fprintf(stderr, "could not own CLIPBOARD_MANAGER\n");
        return 1;
    }
    Say("ready");

    xcb_selection_request_event_t pending{};  // the save request being served
    bool serving = false;
    while (Reply<xcb_generic_event_t> event{xcb_wait_for_event(c)}) {
        const uint8_t type = event->response_type & 0x7F;
        if (type == XCB_SELECTION_REQUEST) {
            const auto* request = reinterpret_cast<xcb_selection_request_event_t*>(event.get());
            if (request->selection != manager || request->target != saveTargets)
                continue;
            Say("asked");
            if (!answer || serving)
                continue;
            pending = *request;
            serving = true;
            xcb_convert_selection(c, window, clipboard, utf8, fetched, XCB_CURRENT_TIME);
            xcb_flush(c);
        } else if (type == XCB_SELECTION_NOTIFY && serving) {
            const auto* notify = reinterpret_cast<xcb_selection_notify_event_t*>(event.get());
            std::string text;
            if (notify->property != XCB_ATOM_NONE) {
                Reply<xcb_get_property_reply_t> property(xcb_get_property_reply(
                    c, xcb_get_property(c, 1, window, fetched, XCB_GET_PROPERTY_TYPE_ANY, 0, 4096),
                    nullptr));
                if (property) {
                    text.assign(static_cast<const char*>(xcb_get_property_value(property.get())),
                                static_cast<size_t>(xcb_get_property_value_length(property.get())));
                }
            }
            Say("saved: " + text);
            xcb_selection_notify_event_t reply{};
            reply.response_type = XCB_SELECTION_NOTIFY;
            reply.time = pending.time;
            reply.requestor = pending.requestor;
            reply.selection = pending.selection;
            reply.target = pending.target;
            reply.property = pending.property;
            xcb_send_event(c, 0, pending.requestor, XCB_EVENT_MASK_NO_EVENT,
                           reinterpret_cast<const char*>(&reply));
            xcb_flush(c);
            serving = false;
        }
    }
    xcb_disconnect(c);
    return 0;
}
