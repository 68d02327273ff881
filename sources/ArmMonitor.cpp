#include "ArmMonitor.h"

#include "Platform.h"
#include "ScreenLock.h"

#include <cmath>

namespace cendrel {

namespace {

// The left and top edges are inside, the right and bottom edges outside, as
// AppKit decides which screen holds a point in y-up coordinates.
bool mouseInRect(Point p, Rect r)
{
    return r.x <= p.x && p.x < r.x + r.width && r.y < p.y && p.y <= r.y + r.height;
}

} // namespace

GraceHold::~GraceHold()
{
    if (auto monitor = monitor_.lock())
        monitor->releaseGraceHold(serial_);
}

ArmMonitor::~ArmMonitor()
{
    releaseWatches();
}

void ArmMonitor::arm()
{
    if (state_ != State::idle)
        return;
    if (const std::string why = platform().input->whyInputIsUnseen(); !why.empty()) {
        if (onRefusal)
            onRefusal(why);
        return;
    }
    state_ = State::arming;
    if (onStateChange)
        onStateChange(state_);
    // The callback may have disarmed us: then there is no grace period to run.
    if (state_ != State::arming)
        return;
    const Platform& system = platform();
    activity = system.application->beginActivity("Cendrel is guarding this computer");
    graceTimer = system.runLoop->scheduleTimer(Seconds{graceSeconds}, false, [weak = weak_from_this()] {
        if (auto self = weak.lock())
            self->graceElapsed();
    });
}

void ArmMonitor::disarm()
{
    // Released in every state, the grace timer first, so a cancelled grace
    // period never reaches the armed entry.
    releaseWatches();
    graceHolds.clear();
    if (state_ == State::idle)
        return;
    state_ = State::idle;
    if (onStateChange)
        onStateChange(state_);
}

std::unique_ptr<GraceHold> ArmMonitor::holdGracePeriod()
{
    graceHolds.insert(++lastGraceHold);
    return std::make_unique<GraceHold>(weak_from_this(), lastGraceHold);
}

void ArmMonitor::releaseGraceHold(std::uint64_t serial)
{
    // One dropped already ends nothing more.
    if (graceHolds.erase(serial) != 0 && graceHolds.empty() && graceOver && state_ == State::arming)
        beginMonitoring();
}

void ArmMonitor::dropGraceHolds()
{
    graceHolds.clear();
    if (graceOver && state_ == State::arming)
        beginMonitoring();
}

void ArmMonitor::graceElapsed()
{
    if (state_ != State::arming)
        return;
    graceOver = true;
    if (graceHolds.empty())
        beginMonitoring();
}

void ArmMonitor::releaseWatches()
{
    graceTimer.reset();
    pollTimer.reset();
    motionWatch.reset();
    globalMonitor.reset();
    activity.reset();
    graceOver = false;
}

void ArmMonitor::beginMonitoring()
{
    const Platform& system = platform();
    graceOver = false;
    baseline = system.input->pointerLocation();
    thresholdPoints = computeThreshold(baseline);
    state_ = State::armed;
    if (onStateChange)
        onStateChange(state_);
    // The callback may have disarmed us; then there is nothing to watch for.
    if (state_ != State::armed)
        return;
    motionWatch = system.input->watchPointerMotion([weak = weak_from_this()](Point p) {
        if (auto self = weak.lock())
            self->checkDrift(p);
    });
    if (!motionWatch) {
        pollTimer = system.runLoop->scheduleTimer(pollInterval, true, [weak = weak_from_this()] {
            if (auto self = weak.lock())
                self->pollTick();
        });
    }
    globalMonitor = system.input->watchInput([weak = weak_from_this()] {
        auto self = weak.lock();
        return self && self->reportInput();
    });
}

double ArmMonitor::computeThreshold(Point at) const
{
    Screens& screens = *platform().screens;
    std::optional<Rect> chosen;
    for (const Rect& frame : screens.screenFrames()) {
        if (mouseInRect(at, frame)) {
            chosen = frame;
            break;
        }
    }
    if (!chosen)
        chosen = screens.mainScreenFrame();
    const Rect frame = chosen.value_or(fallbackScreen);
    // Width and height of a standardised rectangle, as CoreGraphics measures.
    const double w = std::fabs(frame.width);
    const double h = std::fabs(frame.height);
    return driftTolerance * std::sqrt(w * w + h * h);
}

void ArmMonitor::pollTick()
{
    checkDrift(platform().input->pointerLocation());
}

void ArmMonitor::checkDrift(Point p)
{
    const double dx = p.x - baseline.x;
    const double dy = p.y - baseline.y;
    const double distance = std::sqrt(dx * dx + dy * dy);
    if (thresholdPoints < distance && state_ == State::armed)
        trigger();
}

bool ArmMonitor::reportInput()
{
    if (state_ != State::armed)
        return false;
    trigger();
    return true;
}

void ArmMonitor::trigger()
{
    // The lock first: disarming redraws the status item and rebuilds the
    // menu, and none of that may stand between a touch and the lock.
    ScreenLock::lock();
    disarm();
    if (auto told = onTrigger)
        told();
}

} // namespace cendrel
