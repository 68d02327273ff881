#include "Platform.h"

#include <cassert>
#include <optional>
#include <utility>

namespace cendrel {

namespace {
std::optional<Platform>& installed()
{
    static std::optional<Platform> current;
    return current;
}
} // namespace

void installPlatform(Platform platform)
{
    assert(platform.application && platform.runLoop && platform.screens && platform.statusBar && platform.panels &&
           platform.userDefaults && platform.hotKeyEvents && platform.keyboardLayout && platform.loginItems &&
           platform.loader && platform.systemLog);
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
