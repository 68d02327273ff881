// A Wayland client for the end-to-end tests: holds an idle inhibitor on a
// surface of its own until its standard input closes, as a video player does.
//
//     wayland_helper inhibit     prints "inhibiting" once the compositor has it
#include "idle-inhibit-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

wl_compositor* compositor = nullptr;
zwp_idle_inhibit_manager_v1* inhibitManager = nullptr;

void global(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t)
{
    if (std::strcmp(interface, wl_compositor_interface.name) == 0)
        compositor = static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 1));
    else if (std::strcmp(interface, zwp_idle_inhibit_manager_v1_interface.name) == 0)
        inhibitManager = static_cast<zwp_idle_inhibit_manager_v1*>(
            wl_registry_bind(registry, name, &zwp_idle_inhibit_manager_v1_interface, 1));
}

void globalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener registryListener{global, globalRemove};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 || std::strcmp(argv[1], "inhibit") != 0) {
        std::fputs("usage: wayland_helper inhibit\n", stderr);
        return 2;
    }
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::fputs("no compositor\n", stderr);
        return 1;
    }
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, nullptr);
    wl_display_roundtrip(display);
    if (compositor == nullptr || inhibitManager == nullptr) {
        std::fputs("no idle inhibit manager\n", stderr);
        return 1;
    }
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
