#include "ScreenLock.h"

#include "Platform.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace cendrel {

namespace {

using Outcome = LockReport::Outcome;

class LockChain;

// The locks in progress. The closures a chain hands to its timers and steps
// hold it weakly, so nothing it owns owns it back; it leaves this list when
// it ends. Never destroyed: a chain may still run while the process exits.
std::vector<std::shared_ptr<LockChain>>& runningChains()
{
    static auto* chains = new std::vector<std::shared_ptr<LockChain>>;
    return *chains;
}

// One lock in progress, from the first step to evidence, the deadline, or
// nothing left that could still bring evidence.
class LockChain final : public std::enable_shared_from_this<LockChain> {
public:
    void start()
    {
        runningChains().push_back(shared_from_this());
        steps_ = platform().screenLocker->lockSteps();
        // Someone holding the keyboard already (an open menu) says nothing
        // about this lock.
        outsideEvidenceUsable_ = !platform().screenLocker->screenLooksLocked();
        const std::weak_ptr<LockChain> weak = weak_from_this();
        deadline_ = platform().runLoop->scheduleTimer(ScreenLock::evidenceDeadline, false, [weak] {
            if (auto self = weak.lock())
                self->end();
        });
        if (outsideEvidenceUsable_)
            evidenceCheck_ = platform().runLoop->scheduleTimer(ScreenLock::evidenceCheckInterval, true, [weak] {
                auto self = weak.lock();
                if (self && platform().screenLocker->screenLooksLocked())
                    self->succeed();
            });
        startNextSteps();
    }

private:
    struct Live {
        std::size_t step = 0;
        bool accepted = false;
        // Whether its "accepted, but" line is out already.
        bool toldAccepted = false;
        std::unique_ptr<LockRequest> request;
        // Ends what it may still bring once it accepted.
        std::unique_ptr<Timer> window;
    };

    // Starts the next round: the next step, those that go with it, and the
    // ones standing in for steps that could not even be started.
    void startNextSteps()
    {
        patience_.reset();
        round_ = next_;
        bool anyLive = false;
        bool standIn = false;
        while (!ended_ && next_ < steps_.size()) {
            if (anyLive && !standIn && !steps_[next_].withPrevious)
                break;
            const std::size_t index = next_++;
            auto request = ask(index);
            standIn = !request;
            if (!request) {
                platform().systemLog->log("Cendrel: " + steps_[index].words.unavailable + ", falling back");
                continue;
            }
            anyLive = true;
            live_.push_back({index, false, false, std::move(request), nullptr});
        }
        if (anyLive)
            patience_ = platform().runLoop->scheduleTimer(ScreenLock::stepPatience, false, [weak = weak_from_this()] {
                if (auto self = weak.lock())
                    self->losePatience();
            });
        else if (live_.empty())
            end();
    }

    std::unique_ptr<LockRequest> ask(std::size_t index)
    {
        const auto& start = steps_[index].start;
        if (!start)
            return nullptr;
        return start([weak = weak_from_this(), index](LockReport report) {
            if (auto self = weak.lock())
                self->reply(index, report);
        });
    }

    Live* find(std::size_t index)
    {
        for (Live& live : live_) {
            if (live.step == index)
                return &live;
        }
        return nullptr;
    }

    void reply(std::size_t index, LockReport report)
    {
        // Nothing is live once the chain has ended.
        Live* live = find(index);
        if (live == nullptr)
            return;
        switch (report.outcome) {
        case Outcome::locked:
            succeed();
            return;
        case Outcome::accepted:
            if (!live->accepted && steps_[index].evidenceWindow)
                live->window = platform().runLoop->scheduleTimer(*steps_[index].evidenceWindow, false,
                                                                 [weak = weak_from_this(), index] {
                                                                     if (auto self = weak.lock())
                                                                         self->windowClosed(index);
                                                                 });
            live->accepted = true;
            return;
        case Outcome::failed:
            break;
        }
        platform().systemLog->log("Cendrel: " + steps_[index].words.forFailure(report.failure) + ", falling back");
        drop(index);
    }

    // An accepted step that can no longer bring evidence is as good as
    // failed, but says so in its own words.
    void windowClosed(std::size_t index)
    {
        Live* live = find(index);
        if (live == nullptr)
            return;
        tellAccepted(*live);
        acceptedBefore_ = true;
        drop(index);
    }

    void drop(std::size_t index)
    {
        Live* live = find(index);
        // Dropped after the call that reported has returned.
        platform().runLoop->post([request = std::shared_ptr<LockRequest>(std::move(live->request)),
                                  window = std::shared_ptr<Timer>(std::move(live->window))] {});
        std::erase_if(live_, [index](const Live& each) { return each.step == index; });
        const bool roundOver = std::ranges::none_of(live_, [this](const Live& each) { return each.step >= round_; });
        // A round passed over for want of patience has already made way.
        if (index >= round_ && roundOver)
            startNextSteps();
        else if (next_ == steps_.size() && live_.empty())
            end();
    }

    void tellAccepted(Live& live)
    {
        if (!live.accepted || live.toldAccepted)
            return;
        live.toldAccepted = true;
        platform().systemLog->log("Cendrel: " + steps_[live.step].words.accepted +
                                  " accepted, but nothing shows the screen locked; going on");
    }

    void losePatience()
    {
        for (Live& live : live_) {
            if (live.step >= round_)
                tellAccepted(live);
        }
        startNextSteps();
    }

    void succeed()
    {
        locked_ = true;
        end();
    }

    // Evidence came, the deadline passed, or nothing is left that could
    // still bring evidence.
    void end()
    {
        if (ended_)
            return;
        ended_ = true;
        const auto keepAlive = shared_from_this();
        std::erase(runningChains(), keepAlive);
        const bool anyAccepted =
            std::ranges::any_of(live_, [](const Live& live) { return live.accepted; }) || acceptedBefore_;
        // Dropped on a later pass: one of them may be reporting right now.
        auto held = std::make_shared<std::vector<Live>>(std::move(live_));
        auto timers = std::make_shared<std::vector<std::unique_ptr<Timer>>>();
        for (auto* timer : {&deadline_, &patience_, &evidenceCheck_})
            timers->push_back(std::move(*timer));
        platform().runLoop->post([held, timers] {});
        if (!locked_)
            tellTheOwner(anyAccepted);
    }

    static void tellTheOwner(bool anyAccepted)
    {
        const Platform& system = platform();
        // Where the display asleep asks for the password at wake, it is the
        // lock that was asked for and not seen.
        const bool displayOffLocks = system.screenLocker->displayOffLocks();
        if (displayOffLocks && anyAccepted)
            system.systemLog->log("Cendrel: the screen lock was not confirmed, putting the display to sleep");
        const bool displayOff = system.screenLocker->switchDisplayOff();
        // Elsewhere a display switched off comes back on, unlocked, at the
        // next touch.
        if (displayOff && displayOffLocks)
            return;
        // A guard that could not lock must never stay quiet about it.
        if (displayOff) {
            system.systemLog->log("Cendrel: only the display is off; the screen is NOT locked");
            system.application->notify({NoticeSubject::screenLock, true, "Cendrel could not lock the screen",
                                        "Only the display was switched off, and the next touch switches it on, "
                                        "unlocked. Lock the screen yourself."});
            return;
        }
        system.systemLog->log("Cendrel: could not put the display to sleep either; the screen is NOT locked");
        system.application->notify({NoticeSubject::screenLock, true, "Cendrel could not lock the screen",
                                    "Neither the session lock nor the display sleep worked. Lock the screen "
                                    "yourself."});
    }

    std::vector<LockStep> steps_;
    std::size_t next_ = 0;
    // The first step of the round started last.
    std::size_t round_ = 0;
    std::vector<Live> live_;
    std::unique_ptr<Timer> deadline_;
    std::unique_ptr<Timer> patience_;
    std::unique_ptr<Timer> evidenceCheck_;
    bool outsideEvidenceUsable_ = false;
    // A step accepted and then ran out of time to show it.
    bool acceptedBefore_ = false;
    bool locked_ = false;
    bool ended_ = false;
};

} // namespace

void ScreenLock::lock()
{
    std::make_shared<LockChain>()->start();
}

std::size_t ScreenLock::locksInProgressForTesting()
{
    return runningChains().size();
}

} // namespace cendrel
