// A Wayland client for the end-to-end tests: holds an idle inhibitor on a
// surface of its own until its standard input closes, as a video player does,
// or moves, clicks or scrolls a virtual pointer once.
//
//     wayland_helper inhibit     prints "inhibiting" once the compositor has it
//     wayland_helper motion|click|scroll [timed]
//
// `timed` prints the CLOCK_MONOTONIC second at which the touch was sent.
#include "idle-inhibit-unstable-v1-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <unistd.h>

namespace {

wl_compositor* compositor = nullptr;
zwp_idle_inhibit_manager_v1* inhibitManager = nullptr;
zwlr_virtual_pointer_manager_v1* pointerManager = nullptr;
constexpr uint32_t leftButton = 0x110; // BTN_LEFT

void global(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t)
{
    if (std::strcmp(interface, wl_compositor_interface.name) == 0)
        compositor = static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 1));
    else if (std::strcmp(interface, zwp_idle_inhibit_manager_v1_interface.name) == 0)
        inhibitManager = static_cast<zwp_idle_inhibit_manager_v1*>(
            wl_registry_bind(registry, name, &zwp_idle_inhibit_manager_v1_interface, 1));
    else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        pointerManager = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
}

// One touch of the pointer, as a frame of its own.
bool touch(const char* kind)
{
    zwlr_virtual_pointer_v1* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(pointerManager, nullptr);
    if (std::strcmp(kind, "motion") == 0) {
        zwlr_virtual_pointer_v1_motion(pointer, 0, wl_fixed_from_int(1), 0);
    } else if (std::strcmp(kind, "click") == 0) {
        zwlr_virtual_pointer_v1_button(pointer, 0, leftButton, WL_POINTER_BUTTON_STATE_PRESSED);
        zwlr_virtual_pointer_v1_frame(pointer);
        zwlr_virtual_pointer_v1_button(pointer, 0, leftButton, WL_POINTER_BUTTON_STATE_RELEASED);
    } else if (std::strcmp(kind, "scroll") == 0) {
        zwlr_virtual_pointer_v1_axis_source(pointer, WL_POINTER_AXIS_SOURCE_WHEEL);
        zwlr_virtual_pointer_v1_axis_discrete(pointer, 0, WL_POINTER_AXIS_VERTICAL_SCROLL, wl_fixed_from_int(15), 1);
    } else {
        return false;
    }
    zwlr_virtual_pointer_v1_frame(pointer);
    zwlr_virtual_pointer_v1_destroy(pointer);
    return true;
}

void globalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener registryListener{global, globalRemove};

} // namespace

int main(int argc, char** argv)
{
    wl_display* display = wl_display_connect(nullptr);
    const bool timed = argc == 3 && std::strcmp(argv[2], "timed") == 0;
    if ((argc != 2 && !timed) || display == nullptr)
        return 2;
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, nullptr);
    wl_display_roundtrip(display);
    if (std::strcmp(argv[1], "inhibit") != 0) {
        const bool touched = pointerManager != nullptr && touch(argv[1]);
        timespec sent{};
        clock_gettime(CLOCK_MONOTONIC, &sent);
        wl_display_flush(display);
        if (timed)
            std::printf("%.6f\n", static_cast<double>(sent.tv_sec) + static_cast<double>(sent.tv_nsec) / 1e9);
        wl_display_roundtrip(display);
        return touched ? 0 : 1;
    }
    if (compositor == nullptr || inhibitManager == nullptr)
        return 1;
    wl_surface* surface = wl_compositor_create_surface(compositor);
    zwp_idle_inhibit_manager_v1_create_inhibitor(inhibitManager, surface);
    wl_surface_commit(surface);
    wl_display_roundtrip(display);
    std::puts("inhibiting");
    std::fflush(stdout);
    char byte;
    while (read(STDIN_FILENO, &byte, 1) > 0) {
    }
    wl_display_disconnect(display);
    return 0;
}
