#include "Platform.h"

#include <cassert>
#include <optional>
#include <utility>

namespace cendrel {

namespace {
// Never destroyed: on macOS the process ends through exit() from inside the
// run loop, and the controller, held until then, still reaches the platform
// while static objects are torn down.
std::optional<Platform>& installed()
{
    static auto* current = new std::optional<Platform>;
    return *current;
}
} // namespace

void installPlatform(Platform platform)
{
    assert(platform.application && platform.runLoop && platform.input && platform.screens && platform.statusBar &&
           platform.panels && platform.preferences && platform.hotKeys && platform.keyboardLayout &&
           platform.loginItems && platform.screenLocker && platform.systemLog);
    installed() = std::move(platform);
}

void uninstallPlatform()
{
    installed().reset();
}

const Platform& platform()
{
    assert(installed().has_value());
    return *installed();
}

} // namespace cendrel
