// A program that locks the screen, started without a shell.
#pragma once

#include "ScreenLocker.h"

#include <string>
#include <vector>

namespace cendrel {

// Starts argv[0] (looked up on PATH when it has no slash) with the rest as
// its arguments; exit status 0 is the evidence. Nothing when the program is
// not there. A locker still running when the lock is over is left running.
std::unique_ptr<LockRequest> startLockCommand(const std::vector<std::string>& argv, LockReplyHandler onReply);
// Whether argv[0] is there to be run.
bool lockCommandFound(const std::vector<std::string>& argv);

} // namespace cendrel
