#include "ArmMonitor.h"

#include "Platform.h"
#include "ScreenLock.h"

#include <cmath>

namespace cendrel {

namespace {

// NSMouseInRect, not flipped: the left and top edges are inside, the right
// and bottom edges outside.
bool mouseInRect(Point p, Rect r)
{
    return r.x <= p.x && p.x < r.x + r.width && r.y < p.y && p.y <= r.y + r.height;
}

} // namespace

ArmMonitor::~ArmMonitor()
{
    releaseWatches();
}

void ArmMonitor::arm()
{
    if (state_ != State::idle)
        return;
    state_ = State::arming;
    if (onStateChange)
        onStateChange(state_);
    graceTimer = platform().runLoop->scheduledTimer(Seconds{graceSeconds}, false, [weak = weak_from_this()] {
        if (auto self = weak.lock())
            self->beginMonitoring();
    });
}

void ArmMonitor::disarm()
{
    // Released in every state, the grace timer first, so a cancelled grace
    // period never reaches the armed entry: even one scheduled after a
    // callback had already disarmed us.
    releaseWatches();
    if (state_ == State::idle)
        return;
    state_ = State::idle;
    if (onStateChange)
        onStateChange(state_);
}

void ArmMonitor::releaseWatches()
{
    if (graceTimer) {
        graceTimer->invalidate();
        graceTimer.reset();
    }
    if (pollTimer) {
        pollTimer->invalidate();
        pollTimer.reset();
    }
    if (globalMonitor) {
        platform().runLoop->removeMonitor(globalMonitor);
        globalMonitor.reset();
    }
}

void ArmMonitor::beginMonitoring()
{
    RunLoop& runLoop = *platform().runLoop;
    baseline = runLoop.mouseLocation();
    thresholdPoints = computeThreshold(baseline);
    state_ = State::armed;
    if (onStateChange)
        onStateChange(state_);
    // The callback may have disarmed us; then there is nothing to watch for.
    if (state_ != State::armed)
        return;
    pollTimer = runLoop.scheduledTimer(pollInterval, true, [weak = weak_from_this()] {
        if (auto self = weak.lock())
            self->pollTick();
    });
    runLoop.addTimerForCommonModes(pollTimer);
    globalMonitor = runLoop.addGlobalMonitor(watchedEventMask, [weak = weak_from_this()](const Event&) {
        if (auto self = weak.lock())
            self->inputReceived();
    });
}

double ArmMonitor::computeThreshold(Point at) const
{
    const Platform& system = platform();
    std::optional<Rect> chosen;
    for (const Rect& frame : system.screens->screenFrames()) {
        if (mouseInRect(at, frame)) {
            chosen = frame;
            break;
        }
    }
    if (!chosen)
        chosen = system.screens->mainScreenFrame();
    const Rect frame = chosen.value_or(fallbackScreen);
    // CGRectGetWidth and CGRectGetHeight measure a standardised rectangle.
    const double w = std::fabs(frame.width);
    const double h = std::fabs(frame.height);
    return driftTolerance * std::sqrt(w * w + h * h);
}

void ArmMonitor::pollTick()
{
    const Point p = platform().runLoop->mouseLocation();
    const double dx = p.x - baseline.x;
    const double dy = p.y - baseline.y;
    const double distance = std::sqrt(dx * dx + dy * dy);
    if (thresholdPoints < distance && state_ == State::armed)
        trigger();
}

void ArmMonitor::inputReceived()
{
    if (state_ == State::armed)
        trigger();
}

void ArmMonitor::trigger()
{
    disarm();
    ScreenLock::lock();
}

} // namespace cendrel
