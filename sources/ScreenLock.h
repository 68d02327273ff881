// Locks the screen: the steps the platform offers, in its order, and the
// display switched off when nothing locked, with the owner told.
#pragma once

#include "Types.h"

#include <cstddef>

namespace cendrel {

class ScreenLock {
public:
    ScreenLock() = delete;

    // Starts the lock and returns at once. The steps run on the main loop,
    // one after another (or together where the platform says they may),
    // until one shows evidence that the screen is locked; the owner is told
    // when none has within `evidenceDeadline`, or as soon as no step is left
    // that could still bring it. Reports nothing to the caller.
    static void lock();
    // Locks started and not yet ended.
    static std::size_t locksInProgressForTesting();

    // A real lock screen can take a second and a half to come up.
    static constexpr Seconds evidenceDeadline{4.0};
    // How long a step that has not clearly failed is waited for before the
    // next one starts; it may still bring evidence until the deadline.
    static constexpr Seconds stepPatience{1.25};
    // How often evidence seen from outside the steps is looked for.
    static constexpr Seconds evidenceCheckInterval{0.25};
};

} // namespace cendrel
