// A native Wayland window of one colour that asks to fill its output and logs its size ("size W H")
// and the pointer events it gets ("enter X Y", "motion X Y", "button CODE 1|0", "leave"), one a line,
// to a file.
// Usage: lookout-native-window LOGFILE

#include <wayland-client.h>

#include "xdg-shell-client-protocol.h"

#include <cstdio>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace {

constexpr unsigned colour = 0xFF3060C0; // opaque, as the tests look for it

struct Window {
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    xdg_wm_base* shell = nullptr;
    wl_seat* seat = nullptr;
    wl_surface* surface = nullptr;
    FILE* log = nullptr;
    int width = 1024, height = 768;
};

void Fail(const char* what)
{
    std::fprintf(stderr, "lookout-native-window: %s\n", what);
    _exit(1);
}

wl_buffer* FilledBuffer(Window& window)
{
    const int stride = window.width * 4, size = stride * window.height;
    int fd = memfd_create("native-window", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, size) != 0)
        Fail("no shared memory");
    auto* pixels = static_cast<unsigned*>(mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0));
    if (pixels == MAP_FAILED)
        Fail("no shared memory");
    for (int i = 0; i < window.width * window.height; ++i)
        pixels[i] = colour;
    munmap(pixels, size);
    wl_shm_pool* pool = wl_shm_create_pool(window.shm, fd, size);
    wl_buffer* buffer = wl_shm_pool_create_buffer(pool, 0, window.width, window.height, stride, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    static const wl_buffer_listener released{.release = [](void*, wl_buffer* buffer) { wl_buffer_destroy(buffer); }};
    wl_buffer_add_listener(buffer, &released, nullptr);
    return buffer;
}

void Log(Window& window, const char* format, auto... values)
{
    std::fprintf(window.log, format, values...);
    std::fflush(window.log);
}

const wl_pointer_listener pointerListener{
    .enter = [](void* data, wl_pointer*, uint32_t, wl_surface*, wl_fixed_t x, wl_fixed_t y) {
        Log(*static_cast<Window*>(data), "enter %.0f %.0f\n", wl_fixed_to_double(x), wl_fixed_to_double(y));
    },
    .leave = [](void* data, wl_pointer*, uint32_t, wl_surface*) { Log(*static_cast<Window*>(data), "leave\n"); },
    .motion = [](void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
        Log(*static_cast<Window*>(data), "motion %.0f %.0f\n", wl_fixed_to_double(x), wl_fixed_to_double(y));
    },
    .button = [](void* data, wl_pointer*, uint32_t, uint32_t, uint32_t button, uint32_t state) {
        Log(*static_cast<Window*>(data), "button %u %u\n", button, state);
    },
    .axis = [](void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {},
};

const wl_seat_listener seatListener{
    .capabilities = [](void* data, wl_seat* seat, uint32_t capabilities) {
        static wl_pointer* pointer = nullptr;
        if ((capabilities & WL_SEAT_CAPABILITY_POINTER) && !pointer) {
            pointer = wl_seat_get_pointer(seat);
            wl_pointer_add_listener(pointer, &pointerListener, data);
        }
    },
};

const xdg_wm_base_listener shellListener{
    .ping = [](void*, xdg_wm_base* shell, uint32_t serial) { xdg_wm_base_pong(shell, serial); },
};

const xdg_toplevel_listener toplevelListener{
    .configure = [](void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*) {
        auto& window = *static_cast<Window*>(data);
        if (width > 0 && height > 0)
            window.width = width, window.height = height;
    },
    .close = [](void*, xdg_toplevel*) { _exit(0); },
};

const xdg_surface_listener surfaceListener{
    .configure = [](void* data, xdg_surface* surface, uint32_t serial) {
        auto& window = *static_cast<Window*>(data);
        xdg_surface_ack_configure(surface, serial);
        Log(window, "size %d %d\n", window.width, window.height);
        wl_surface_attach(window.surface, FilledBuffer(window), 0, 0);
        wl_surface_damage(window.surface, 0, 0, window.width, window.height);
        wl_surface_commit(window.surface);
    },
};

const wl_registry_listener registryListener{
    .global = [](void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
        auto& window = *static_cast<Window*>(data);
        if (!std::strcmp(interface, wl_compositor_interface.name))
            window.compositor = static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 1));
        else if (!std::strcmp(interface, wl_shm_interface.name))
            window.shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
        else if (!std::strcmp(interface, xdg_wm_base_interface.name))
            window.shell = static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
        else if (!std::strcmp(interface, wl_seat_interface.name) && !window.seat)
            window.seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    },
    .global_remove = [](void*, wl_registry*, uint32_t) {},
};

} // namespace

int main(int argc, char** argv)
{
    Window window;
    window.log = argc == 2 ? std::fopen(argv[1], "w") : nullptr;
    wl_display* display = wl_display_connect(nullptr);
    if (!window.log || !display)
        Fail("usage: lookout-native-window LOGFILE, with WAYLAND_DISPLAY set");
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, &window);
    wl_display_roundtrip(display);
    if (!window.compositor || !window.shm || !window.shell || !window.seat)
        Fail("the compositor lacks a global this window needs");
    xdg_wm_base_add_listener(window.shell, &shellListener, nullptr);
    wl_seat_add_listener(window.seat, &seatListener, &window);
    window.surface = wl_compositor_create_surface(window.compositor);
    xdg_surface* surface = xdg_wm_base_get_xdg_surface(window.shell, window.surface);
    xdg_surface_add_listener(surface, &surfaceListener, &window);
    xdg_toplevel* toplevel = xdg_surface_get_toplevel(surface);
    xdg_toplevel_add_listener(toplevel, &toplevelListener, &window);
    xdg_toplevel_set_title(toplevel, "native window");
    xdg_toplevel_set_maximized(toplevel);
    wl_surface_commit(window.surface);
    while (wl_display_dispatch(display) >= 0) {
    }
    return 0;
}
