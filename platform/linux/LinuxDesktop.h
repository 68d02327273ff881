// The desktop this Linux session runs, for the few facts that differ between
// them: which lockers it has (DesktopLockers), and how the owner binds a key
// to Cendrel's command. Told by what answers, never by what the environment
// calls itself.
#pragma once

#include "HotKeys.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QString;

namespace cendrel {

enum class LinuxDesktop {
    // An X11 session: the program's own grabs and input watch see everything.
    x11,
    // Wayland sessions.
    gnome,
    kde,
    sway,
    hyprland,
    otherWayland,
};

// What a desktop knows of the keys its owner binds to commands in its own
// settings. This one knows only the words every desktop understands.
class OwnerShortcuts {
public:
    OwnerShortcuts() = default;
    OwnerShortcuts(const OwnerShortcuts&) = delete;
    OwnerShortcuts& operator=(const OwnerShortcuts&) = delete;
    virtual ~OwnerShortcuts() = default;

    // Where and what the owner enters to bind `shortcut` to `command`.
    virtual BindingAdvice advice(const ShortcutWords& shortcut, const std::string& command) const;
    // Looks for a key the owner bound to `cendrel --toggle` or `--arm`.
    // `onFound` is called once, on the main thread and on a later pass of the
    // loop, with that key in the desktop's words, or with nothing.
    virtual void findCommandKey(std::function<void(std::optional<std::string>)> onFound);
};

// The one for this desktop.
std::shared_ptr<OwnerShortcuts> ownerShortcuts(LinuxDesktop desktop);

// True for a command line that arms Cendrel, whatever the path to it:
// `cendrel --toggle` or `cendrel --arm`.
bool armsCendrel(const QString& commandLine);

// The modifiers present, in the order Control, Option, Shift, Command, in a
// desktop's own words for them.
std::string modifierWords(Modifiers modifiers, const std::array<const char*, 4>& words, const char* separator);

} // namespace cendrel
