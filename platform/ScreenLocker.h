// The steps that can lock the user's screen, each asked once and each
// reporting later what became of it, and the stand-in when none does.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace cendrel {

// Why a step did not lock.
enum class LockFailure {
    // The service is not there (no library, no owner of the bus name, no
    // such program).
    unavailable,
    // The service is there but offers no lock (no such function, object or
    // method).
    missing,
    // The service was asked and refused, failed, or did not answer in time.
    refused,
};

struct LockReport {
    enum class Outcome {
        // There is evidence that the screen is locked.
        locked,
        // The request went through; whether the screen locked is not known
        // yet. A later report may still bring evidence or a failure.
        accepted,
        // This step will not lock; `failure` says why.
        failed,
    };
    Outcome outcome = Outcome::failed;
    LockFailure failure = LockFailure::refused;
};

// One step in progress. Dropping it stops the step's reports and gives back
// what it holds (a call in flight, a signal watch, a child's watch).
class LockRequest {
public:
    LockRequest() = default;
    LockRequest(const LockRequest&) = delete;
    LockRequest& operator=(const LockRequest&) = delete;
    virtual ~LockRequest() = default;
};

// Called on the main thread, never from inside the call that started the
// step: `accepted` at most once, then `locked` or `failed` at most once. A
// step that returns no request has failed as `unavailable` already, and
// never calls its handler.
using LockReplyHandler = std::function<void(LockReport)>;

class ScreenLocker {
public:
    ScreenLocker() = default;
    ScreenLocker(const ScreenLocker&) = delete;
    ScreenLocker& operator=(const ScreenLocker&) = delete;
    virtual ~ScreenLocker() = default;

    // The system's own lock of the session (macOS: SACLockScreenImmediate;
    // freedesktop: login1, whose evidence is LockedHint).
    virtual std::unique_ptr<LockRequest> lockSession(LockReplyHandler onReply) = 0;
    // A screen saver on the session bus by its well-known name; `unavailable`
    // at once when nobody owns the name. Evidence: it says it is active.
    virtual std::unique_ptr<LockRequest> lockScreenSaver(const std::string& name, LockReplyHandler onReply)
    {
        (void)name, (void)onReply;
        return nullptr;
    }
    // Runs a program (found on PATH when the name has no slash) with these
    // arguments and no shell; exiting with status 0 is the evidence.
    virtual std::unique_ptr<LockRequest> runLockCommand(const std::vector<std::string>& argv, LockReplyHandler onReply)
    {
        (void)argv, (void)onReply;
        return nullptr;
    }
    // The desktop's lockers that run as programs, each as its words, in the
    // order they are asked after those on the buses; and whether a lock
    // command the owner chose stands for them rather than going first.
    struct LockPrograms {
        std::vector<std::vector<std::string>> programs;
        bool replacedByOwnersCommand = false;
    };
    virtual LockPrograms lockPrograms() const { return {}; }
    // True when something seen from outside any one step says the screen is
    // locked now (X11: another client holds the keyboard, as every locker does).
    virtual bool screenLooksLocked() { return false; }
    // The stand-in: puts the display to sleep at once, leaving the user's
    // power settings as they were. False when that could not even be started.
    virtual bool switchDisplayOff() = 0;
};

} // namespace cendrel
