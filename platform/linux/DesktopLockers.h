// Which lockers each kind of Linux session has, in the order they are asked,
// and which of them start together. A new desktop's lockers go here.
#pragma once

#include "LinuxDesktop.h"
#include "ScreenLocker.h"

#include <optional>
#include <string>
#include <vector>

namespace cendrel {

struct DesktopLocker {
    enum class Kind {
        // login1's Lock of the caller's own session.
        session,
        // A screen saver on the session bus, by its well-known name.
        screenSaver,
        // A program, run without a shell.
        command,
    };
    Kind kind = Kind::session;
    // The bus name, or the command's words.
    std::vector<std::string> words;
    LockStepWords log;
    bool withPrevious = false;
    // Set where nothing may be listening to it (login1 under a bare
    // compositor): how long after accepting it may still bring evidence.
    std::optional<Seconds> evidenceWindow;
    // Its Lock takes the message to show (Cinnamon's Lock(s)).
    bool lockTakesMessage = false;
};

struct DesktopLockers {
    std::vector<DesktopLocker> lockers;
    // A line for the log when the owner's lock command cannot be read.
    std::string unreadableCommand;
};

// `lockCommand`: the owner's `lock.command`, as written.
DesktopLockers desktopLockers(LinuxDesktop desktop, const std::optional<std::string>& lockCommand);

// The owner's command in words: blanks separate them, '…' and "…" keep
// blanks in a word, and a backslash outside single quotes takes the next
// character as it is; nothing is expanded. Nothing when quotes are left open.
std::optional<std::vector<std::string>> splitLockCommand(const std::string& text);

} // namespace cendrel
