// A pointer for a wlroots compositor's seat, driven from standard input one command a line:
// "move X Y" (absolute, in the output's logical pixels) or "button CODE 1|0". Answers "ok" once
// the compositor has taken each command.
// Usage: lookout-virtual-pointer WIDTH HEIGHT

#include <wayland-client.h>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

namespace {

zwlr_virtual_pointer_manager_v1* manager = nullptr;

const wl_registry_listener registryListener{
    .global = [](void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
        if (!std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name))
            manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
                wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    },
    .global_remove = [](void*, wl_registry*, uint32_t) {},
};

uint32_t Now()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

} // namespace

int main(int argc, char** argv)
{
    wl_display* display = wl_display_connect(nullptr);
    if (argc != 3 || !display) {
        std::fprintf(stderr, "usage: lookout-virtual-pointer WIDTH HEIGHT, with WAYLAND_DISPLAY set\n");
        return 2;
    }
    const uint32_t width = std::atoi(argv[1]), height = std::atoi(argv[2]);
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, nullptr);
    wl_display_roundtrip(display);
    if (!manager) {
        std::fprintf(stderr, "lookout-virtual-pointer: the compositor has no virtual pointers\n");
        return 1;
    }
    zwlr_virtual_pointer_v1* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, nullptr);
    for (std::string command; std::cin >> command;) {
        if (command == "move") {
            uint32_t x = 0, y = 0;
            std::cin >> x >> y;
            zwlr_virtual_pointer_v1_motion_absolute(pointer, Now(), x, y, width, height);
        } else if (command == "button") {
            uint32_t code = 0, pressed = 0;
            std::cin >> code >> pressed;
            zwlr_virtual_pointer_v1_button(pointer, Now(), code, pressed ? WL_POINTER_BUTTON_STATE_PRESSED
                                                                         : WL_POINTER_BUTTON_STATE_RELEASED);
        }
        zwlr_virtual_pointer_v1_frame(pointer);
        if (wl_display_roundtrip(display) < 0)
            return 1;
        std::cout << "ok" << std::endl;
    }
    return 0;
}
