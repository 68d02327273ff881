// Precise Qt timers on one host object, and queued invocations for post().
// Qt has no run-loop modes: every timer keeps firing while a menu is open.
#include "QtRunLoop.h"

#include <QObject>
#include <QPointer>
#include <QTimerEvent>

#include <algorithm>
#include <cmath>
#include <map>

namespace cendrel {

namespace {
struct TimerState {
    bool repeats = false;
    std::function<void()> block;
};
} // namespace

// Owns the Qt timer ids; a token only refers to its id, so releasing one
// from inside its own block is safe.
class QtTimerHost final : public QObject {
public:
    int start(Seconds interval, const std::shared_ptr<TimerState>& state)
    {
        const auto milliseconds = static_cast<int>(std::lround(std::max(0.0, interval.count()) * 1000.0));
        const int id = startTimer(milliseconds, Qt::PreciseTimer);
        if (id != 0)
            running_[id] = state;
        return id;
    }
    // Qt hands a spent id out again: only the timer that holds it stops it.
    void stop(int id, const TimerState* state)
    {
        const auto found = running_.find(id);
        if (found != running_.end() && found->second.lock().get() == state)
            kill(id);
    }

protected:
    void timerEvent(QTimerEvent* event) override
    {
        const int id = event->timerId();
        const auto found = running_.find(id);
        const auto state = found == running_.end() ? nullptr : found->second.lock();
        if (!state) {
            kill(id);
            return;
        }
        if (!state->repeats)
            kill(id);
        // Held here, so the block outlives a release of its token from inside.
        state->block();
    }

private:
    void kill(int id)
    {
        killTimer(id);
        running_.erase(id);
    }

    std::map<int, std::weak_ptr<TimerState>> running_;
};

namespace {
class QtTimer final : public Timer {
public:
    QtTimer(QtTimerHost* host, std::shared_ptr<TimerState> state, int id)
        : host_(host), state_(std::move(state)), id_(id)
    {
    }
    ~QtTimer() override
    {
        if (host_)
            host_->stop(id_, state_.get());
    }

private:
    QPointer<QtTimerHost> host_;
    std::shared_ptr<TimerState> state_;
    int id_;
};
} // namespace

QtRunLoop::QtRunLoop() : host_(std::make_unique<QtTimerHost>()) {}

QtRunLoop::~QtRunLoop() = default;

std::unique_ptr<Timer> QtRunLoop::scheduleTimer(Seconds interval, bool repeats, std::function<void()> block)
{
    auto state = std::make_shared<TimerState>(TimerState{repeats, std::move(block)});
    const int id = host_->start(interval, state);
    return std::make_unique<QtTimer>(host_.get(), std::move(state), id);
}

void QtRunLoop::post(std::function<void()> block)
{
    QMetaObject::invokeMethod(host_.get(), std::move(block), Qt::QueuedConnection);
}

} // namespace cendrel
