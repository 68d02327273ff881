// The steps that can lock the user's screen, each asked once and each
// reporting later what became of it, and the stand-in when none does.
#pragma once

#include "Types.h"

#include <functional>
#include <memory>
#include <optional>
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

// What the log says of one step: "Cendrel: <failure words>, falling back" for
// each way it can fail, and "Cendrel: <accepted> accepted, but nothing shows
// the screen locked; going on".
struct LockStepWords {
    std::string unavailable;
    std::string missing;
    std::string refused;
    std::string accepted;

    const std::string& forFailure(LockFailure failure) const
    {
        return failure == LockFailure::unavailable ? unavailable : failure == LockFailure::missing ? missing : refused;
    }
};

// One way to lock, as the backend offers it.
struct LockStep {
    // Asks for the lock; no request means `unavailable` already.
    std::function<std::unique_ptr<LockRequest>(LockReplyHandler)> start;
    LockStepWords words;
    // Starts together with the step before it instead of waiting for it to
    // fail: the two cannot get in each other's way (a locker that finds the
    // screen locked already fails harmlessly). A step that could not even be
    // started makes way for the one after it in the same manner.
    bool withPrevious = false;
    // How long after accepting it may still bring evidence; nothing: until
    // the lock's deadline. Short where nobody may be listening to it.
    std::optional<Seconds> evidenceWindow;
};

class ScreenLocker {
public:
    ScreenLocker() = default;
    ScreenLocker(const ScreenLocker&) = delete;
    ScreenLocker& operator=(const ScreenLocker&) = delete;
    virtual ~ScreenLocker() = default;

    // This system's steps, in the order they are to be asked; asked anew at
    // each lock (a preference may have changed).
    virtual std::vector<LockStep> lockSteps() = 0;
    // True when something seen from outside any one step says the screen is
    // locked now (X11: another client holds the keyboard, as every locker
    // does; macOS: the session says so).
    virtual bool screenLooksLocked() { return false; }
    // The stand-in: puts the display to sleep at once, leaving the user's
    // power settings as they were. False when that could not even be started.
    virtual bool switchDisplayOff() = 0;
    // True where a display put to sleep asks for the password when it wakes,
    // so that the stand-in is a lock itself.
    virtual bool displayOffLocks() const { return false; }
    // False when nothing here could lock the screen: no locker on the buses,
    // none on the PATH, none configured. Asked while idle; may wait briefly.
    virtual bool lockerFound() { return true; }
};

} // namespace cendrel
