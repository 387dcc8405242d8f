// A pointer for a Wayland compositor that has no input devices (a headless sway): it adds a
// virtual pointer to the seat, so that clients get pointer events at all, and moves and
// presses it as told. One command a line on standard input, one "ok" (or an error) a line on
// standard output once the compositor has handled it:
//
//   move X Y          the pointer to X, Y of a layout WIDTH x HEIGHT (the arguments)
//   press left|right  a button down
//   release left|right
//   click left|right  down and up
//
// Usage: wayland_pointer WIDTH HEIGHT
#include <wayland-client.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

namespace {

// The virtual-pointer protocol of wlroots, written out: its requests in their protocol order
// (the opcodes), with their argument signatures. Only version 1 is used.
extern const wl_interface kPointerInterface;
const wl_interface* kNoTypes[] = {nullptr, nullptr, nullptr, nullptr, nullptr};
const wl_interface* kCreateTypes[] = {&wl_seat_interface, &kPointerInterface};
const wl_message kManagerRequests[] = {
    {"create_virtual_pointer", "?on", kCreateTypes},
    {"destroy", "", kNoTypes},
};
const wl_interface kManagerInterface = {
    "zwlr_virtual_pointer_manager_v1", 1, 2, kManagerRequests, 0, nullptr};
const wl_message kPointerRequests[] = {
    {"motion", "uff", kNoTypes},   {"motion_absolute", "uuuuu", kNoTypes},
    {"button", "uuu", kNoTypes},   {"axis", "uuf", kNoTypes},
    {"frame", "", kNoTypes},       {"axis_source", "u", kNoTypes},
    {"axis_stop", "uu", kNoTypes}, {"axis_discrete", "uufi", kNoTypes},
    {"destroy", "", kNoTypes},
};
const wl_interface kPointerInterface = {"zwlr_virtual_pointer_v1", 1, 9,
                                        kPointerRequests,          0, nullptr};
enum PointerRequest : std::uint32_t { kMotionAbsolute = 1, kButton = 2, kFrame = 4, kDestroy = 8 };
constexpr std::uint32_t kBtnLeft = 0x110;
constexpr std::uint32_t kBtnRight = 0x111;

struct Globals {
    wl_seat* seat = nullptr;
    wl_proxy* manager = nullptr;
};

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t) {
    auto* g = static_cast<Globals*>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !g->seat) {
        g->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (std::strcmp(interface, kManagerInterface.name) == 0) {
        g->manager =
            static_cast<wl_proxy*>(wl_registry_bind(registry, name, &kManagerInterface, 1));
    }
}

void OnGlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

std::uint32_t NowMs() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

struct DisplayCloser {
    void operator()(wl_display* d) const { wl_display_disconnect(d); }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s WIDTH HEIGHT\n", argv[0]);
        return 2;
    }
    const auto width = static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10));
    const auto height = static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10));
    std::unique_ptr<wl_display, DisplayCloser> display(wl_display_connect(nullptr));
    if (!display) {
        std::fprintf(stderr, "wayland_pointer: no Wayland display\n");
        return 1;
    }
    Globals g;
    wl_registry* registry = wl_display_get_registry(display.get());
    wl_registry_add_listener(registry, &kRegistryListener, &g);
    wl_display_roundtrip(display.get());
    if (!g.seat || !g.manager) {
        std::fprintf(stderr, "wayland_pointer: the compositor offers no virtual pointer\n");
        return 1;
    }
    wl_proxy* pointer =
        wl_proxy_marshal_constructor(g.manager, 0, &kPointerInterface, g.seat, nullptr);
    wl_display_roundtrip(display.get());

    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string command, what;
        in >> command;
        bool ok = true;
        if (command == "move") {
            long x = -1, y = -1;
            in >> x >> y;
            ok = x >= 0 && y >= 0 && static_cast<std::uint32_t>(x) <= width &&
                 static_cast<std::uint32_t>(y) <= height;
            if (ok) {
                wl_proxy_marshal(pointer, kMotionAbsolute, NowMs(), static_cast<std::uint32_t>(x),
                                 static_cast<std::uint32_t>(y), width, height);
                wl_proxy_marshal(pointer, kFrame);
            }
        } else if (command == "press" || command == "release" || command == "click") {
            in >> what;
            ok = what == "left" || what == "right";
            const std::uint32_t button = what == "left" ? kBtnLeft : kBtnRight;
            if (ok && command != "release") {
                wl_proxy_marshal(pointer, kButton, NowMs(), button,
                                 std::uint32_t{WL_POINTER_BUTTON_STATE_PRESSED});
                wl_proxy_marshal(pointer, kFrame);
            }
            if (ok && command != "press") {
                wl_proxy_marshal(pointer, kButton, NowMs(), button,
                                 std::uint32_t{WL_POINTER_BUTTON_STATE_RELEASED});
                wl_proxy_marshal(pointer, kFrame);
            }
        } else {
            ok = false;
        }
        if (wl_display_roundtrip(display.get()) < 0) {
            std::fprintf(stderr, "wayland_pointer: the compositor went away\n");
            return 1;
        }
        std::cout << (ok ? "ok" : "error: " + line) << std::endl;
    }
    wl_proxy_marshal(pointer, kDestroy);
    wl_proxy_destroy(pointer);
    wl_display_roundtrip(display.get());
    return 0;
}
