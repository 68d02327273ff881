// Locks the screen at once: the system's own lock, or the display put to
// sleep when that is not available.
#pragma once

#include <string_view>
#include <vector>

namespace cendrel {

class ScreenLock {
public:
    ScreenLock() = delete;

    // Returns as soon as the lock has been requested; never waits for the
    // screen to lock or for a fallback process to end. Reports nothing.
    static void lock();

    // Where each system keeps its lock and what stands in for it.
    struct Recipe {
        std::string_view library;
        int openMode;
        std::string_view function;
        std::string_view openFailedLine;
        std::string_view functionMissingLine;
        // Empty where the call cannot be refused (a plain C function).
        std::string_view callFailedLine;
        std::string_view fallbackExecutable;
        std::vector<std::string_view> fallbackArguments;
    };

private:
    static const Recipe& recipe();
    static void fallbackLock();
};

} // namespace cendrel
