// What each desktop family knows: how the owner binds the shortcut there,
// where it finds the key the owner bound, and which lockers run as programs.
#include "LinuxDesktop.h"
#include "freedesktop/ApplicationScope.h"
#include "gnome/GnomeShortcuts.h"
#include "wlroots/HyprlandShortcuts.h"
#include "wlroots/SwayShortcuts.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace cendrel {
namespace {

// Ctrl+Alt+Shift+Super+K and Alt+Super+A, in each desktop's notation.
TEST(DesktopTest, AdviceIsInEachDesktopsNotation)
{
    const ShortcutWords all{
        {Modifier::control, Modifier::option, Modifier::shift, Modifier::command}, "k", "Ctrl+Alt+Shift+Super+K"};
    const ShortcutWords two{{Modifier::option, Modifier::command}, "a", "Alt+Super+A"};
    const std::string settings = "Settings → Keyboard → View and Customize Shortcuts → Custom Shortcuts";
    const std::vector<std::tuple<LinuxDesktop, std::string, std::string, std::string>> rows{
        {LinuxDesktop::sway, "sway's config", "bindsym Ctrl+Mod1+Shift+Mod4+k exec cendrel --toggle",
         "bindsym Mod1+Mod4+a exec cendrel --toggle"},
        {LinuxDesktop::hyprland, "hyprland.conf", "bind = CTRL ALT SHIFT SUPER, K, exec, cendrel --toggle",
         "bind = ALT SUPER, A, exec, cendrel --toggle"},
        {LinuxDesktop::gnome, settings, "Ctrl+Alt+Shift+Super+K running cendrel --toggle",
         "Alt+Super+A running cendrel --toggle"},
        {LinuxDesktop::otherWayland, "the desktop's keyboard shortcut settings",
         "Ctrl+Alt+Shift+Super+K running cendrel --toggle", "Alt+Super+A running cendrel --toggle"}};
    for (const auto& [desktop, where, whatAll, whatTwo] : rows) {
        const auto shortcuts = ownerShortcuts(desktop);
        const BindingAdvice advice = shortcuts->advice(all, "cendrel --toggle");
        EXPECT_EQ(std::tuple(advice.where, advice.what, shortcuts->advice(two, "cendrel --toggle").what),
                  std::tuple(where, whatAll, whatTwo));
    }
}

TEST(DesktopTest, SwayConfigBindingOfTheCommandIsFoundWithItsVariablesWrittenOut)
{
    const std::vector<std::pair<const char*, std::optional<std::string>>> rows{
        {"set $mod Mod4\nset $modifier Ctrl\n  bindsym --to-code $mod+$modifier+l exec /usr/bin/cendrel --arm\n",
         "Mod4+Ctrl+l"},
        {"bindsym Mod4+x exec firefox\nbindcode 133+46 exec 'cendrel --toggle'", "133+46"},
        {"bindsym Mod4+l exec cendrel --disarm\nbindsym Mod4+k exec cendrel\n# bindsym Mod4+j exec cendrel --toggle",
         std::nullopt},
        {"bindsym Mod4+l exec notcendrel --toggle\nbindsym Mod4+l kill cendrel --toggle", std::nullopt}};
    for (const auto& [config, key] : rows)
        EXPECT_EQ(swayCommandKey(QString::fromUtf8(config)), key) << config;
}

TEST(DesktopTest, HyprlandAndGnomeBindingsOfTheCommandAreFoundInTheirOwnWords)
{
    EXPECT_EQ(hyprlandCommandKey(R"([{"modmask":64,"key":"L","dispatcher":"exec","arg":"kitty"},
        {"modmask":72,"key":"L","dispatcher":"exec","arg":"cendrel --toggle"}])"),
              "ALT SUPER, L");
    EXPECT_EQ(hyprlandCommandKey(R"([{"modmask":77,"key":"K","dispatcher":"exec","arg":"~/bin/cendrel --arm"}])"),
              "CTRL ALT SHIFT SUPER, K");
    EXPECT_EQ(hyprlandCommandKey(R"([{"modmask":8,"key":"L","dispatcher":"pass","arg":"cendrel --toggle"}])"),
              std::nullopt);
    EXPECT_EQ(gnomeCommandKey({{"<Super>x", "cendrel --toggle --x"},
                               {"", "cendrel --toggle"},
                               {"<Primary><Super>comma", "cendrel --toggle"}}),
              "Ctrl+Super+comma");
    EXPECT_EQ(gnomeCommandKey({{"<Super><Alt>l", "/opt/cendrel/bin/cendrel --arm"}}), "Super+Alt+L");
}

TEST(DesktopTest, AProcessAlreadyInAUnitOfOursIsLeftThere)
{
    const std::string slice = "0::/user.slice/user-1000.slice/user@1000.service/app.slice/";
    const std::vector<std::pair<std::string, bool>> rows{
        {slice + "app-org.cendrel.Cendrel-4711.scope\n", true},
        {"1:name=systemd:/\n" + slice + "app-gnome-org.cendrel.Cendrel-4711.scope", true},
        {slice + "app-org.cendrel.Cendrel@x.service", true},
        {slice + "app-org.cendrel.CendrelX-1.scope", false},
        {slice + "app-gnome-org.kde.konsole-4711.scope", false},
        {"0::/user.slice/user-1000.slice/session-2.scope/org.cendrel.Cendrel-1", false}};
    for (const auto& [cgroups, inside] : rows)
        EXPECT_EQ(runsInApplicationUnit(cgroups, "org.cendrel.Cendrel"), inside) << cgroups;
}

} // namespace
} // namespace cendrel
