#include "ScreenLock.h"

#include "Platform.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace cendrel {

namespace {

using Outcome = LockReport::Outcome;

// The lockers a freedesktop session may have, in the order they are asked.
// Debian's MATE and Cinnamon lockers own only their own names.
constexpr const char* screenSaverNames[] = {"org.freedesktop.ScreenSaver", "org.gnome.ScreenSaver",
                                            "org.mate.ScreenSaver", "org.cinnamon.ScreenSaver"};
constexpr const char* lockCommandKey = "lock.command";

struct Step {
    enum class Kind { session, screenSaver, command };
    Kind kind = Kind::session;
    std::string name;
    std::vector<std::string> argv;
    // What the log calls it: "could not reach <reached>", "<asked> Lock failed".
    std::string reached;
    std::string asked;
};

std::string failureLine(const Step& step, LockFailure failure)
{
    if (step.kind == Step::Kind::command)
        return failure == LockFailure::refused ? "Cendrel: " + step.asked + " failed, falling back"
                                               : "Cendrel: could not start " + step.asked + ", falling back";
    if (platform().flavor == SystemFlavor::macOS) {
        switch (failure) {
        case LockFailure::unavailable:
            return "Cendrel: could not open login.framework, falling back";
        case LockFailure::missing:
            return "Cendrel: SACLockScreenImmediate not found, falling back";
        case LockFailure::refused:
            break;
        }
        // A plain C function cannot refuse; should a backend say so anyway,
        // the lock still falls back.
        return "Cendrel: SACLockScreenImmediate failed, falling back";
    }
    switch (failure) {
    case LockFailure::unavailable:
        return "Cendrel: could not reach " + step.reached + ", falling back";
    case LockFailure::missing:
        return "Cendrel: " + step.asked + " Lock not found, falling back";
    case LockFailure::refused:
        break;
    }
    return "Cendrel: " + step.asked + " Lock failed, falling back";
}

// Words separated by blanks; '…' and "…" keep blanks in a word, and a
// backslash outside single quotes takes the next character as it is. No
// shell sees it: nothing is expanded. Nothing when quotes are left open.
std::optional<std::vector<std::string>> splitCommand(const std::string& text)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    char quote = '\0';
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && quote != '\'' && i + 1 < text.size()) {
            word.push_back(text[++i]);
            inWord = true;
        } else if (quote != '\0') {
            if (c == quote)
                quote = '\0';
            else
                word.push_back(c);
        } else if (c == '\'' || c == '"') {
            quote = c;
            inWord = true;
        } else if (c == ' ' || c == '\t') {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word.push_back(c);
            inWord = true;
        }
    }
    if (quote != '\0')
        return std::nullopt;
    if (inWord)
        words.push_back(word);
    return words;
}

// The desktop's lockers run as programs, after those on the buses, in the
// order the backend gives.
std::vector<Step> lockCommands()
{
    const ScreenLocker::LockPrograms desktop = platform().screenLocker->lockPrograms();
    std::vector<Step> commands;
    for (const auto& argv : desktop.programs) {
        std::string asked;
        for (const std::string& word : argv)
            asked += (asked.empty() ? "" : " ") + word;
        commands.push_back({Step::Kind::command, "command", argv, "", asked});
    }
    const auto chosen = platform().preferences->text(lockCommandKey);
    if (!chosen || chosen->empty())
        return commands;
    const auto argv = splitCommand(*chosen);
    if (!argv || argv->empty()) {
        platform().systemLog->log("Cendrel: the lock command in the preferences cannot be read; " +
                                  (commands.empty() ? std::string("it is not run") : "using " + commands[0].asked));
        return commands;
    }
    if (desktop.replacedByOwnersCommand)
        commands.clear();
    commands.insert(commands.begin(), {Step::Kind::command, "command", *argv, "", "the lock command"});
    return commands;
}

std::vector<Step> stepsForThisSystem()
{
    std::vector<Step> steps{{Step::Kind::session, "session", {}, "login1", "login1"}};
    if (platform().flavor != SystemFlavor::freedesktop)
        return steps;
    for (const char* name : screenSaverNames) {
        const bool freedesktop = std::string(name) == screenSaverNames[0];
        steps.push_back({Step::Kind::screenSaver,
                         name,
                         {},
                         freedesktop ? "the screen saver" : name,
                         freedesktop ? "screen saver" : name});
    }
    for (Step& command : lockCommands())
        steps.push_back(std::move(command));
    return steps;
}

class LockChain;

// The locks in progress. The closures a chain hands to its timers and steps
// hold it weakly, so nothing it owns owns it back; it leaves this list when
// it ends. Never destroyed: a chain may still run while the process exits.
std::vector<std::shared_ptr<LockChain>>& runningChains()
{
    static auto* chains = new std::vector<std::shared_ptr<LockChain>>;
    return *chains;
}

// One lock in progress, from the first step to evidence or the deadline.
class LockChain final : public std::enable_shared_from_this<LockChain> {
public:
    void start()
    {
        runningChains().push_back(shared_from_this());
        steps_ = stepsForThisSystem();
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
        startNextStep();
    }

private:
    struct Live {
        std::size_t step = 0;
        bool accepted = false;
        std::unique_ptr<LockRequest> request;
    };

    void startNextStep()
    {
        patience_.reset();
        while (!ended_ && next_ < steps_.size()) {
            const std::size_t index = next_++;
            const Step& step = steps_[index];
            auto request = ask(step, index);
            if (!request) {
                platform().systemLog->log(failureLine(step, LockFailure::unavailable));
                continue;
            }
            live_.push_back({index, false, std::move(request)});
            patience_ =
                platform().runLoop->scheduleTimer(ScreenLock::stepPatience, false, [weak = weak_from_this(), index] {
                    if (auto self = weak.lock())
                        self->losePatience(index);
                });
            return;
        }
        if (live_.empty())
            end();
    }

    std::unique_ptr<LockRequest> ask(const Step& step, std::size_t index)
    {
        LockReplyHandler onReply = [weak = weak_from_this(), index](LockReport report) {
            if (auto self = weak.lock())
                self->reply(index, report);
        };
        ScreenLocker& locker = *platform().screenLocker;
        switch (step.kind) {
        case Step::Kind::session:
            return locker.lockSession(std::move(onReply));
        case Step::Kind::screenSaver:
            return locker.lockScreenSaver(step.name, std::move(onReply));
        case Step::Kind::command:
            return locker.runLockCommand(step.argv, std::move(onReply));
        }
        return nullptr;
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
            live->accepted = true;
            return;
        case Outcome::failed:
            break;
        }
        platform().systemLog->log(failureLine(steps_[index], report.failure));
        // Dropped after the call that reported has returned.
        platform().runLoop->post([request = std::shared_ptr<LockRequest>(std::move(live->request))] {});
        std::erase_if(live_, [index](const Live& each) { return each.step == index; });
        // A step passed over for want of patience has already made way.
        if (index + 1 == next_)
            startNextStep();
        else if (next_ == steps_.size() && live_.empty())
            end();
    }

    void losePatience(std::size_t index)
    {
        const Live* live = find(index);
        if (live != nullptr && live->accepted)
            platform().systemLog->log("Cendrel: " + steps_[index].asked +
                                      " Lock accepted, but nothing shows the screen locked; going on");
        startNextStep();
    }

    void succeed()
    {
        locked_ = true;
        end();
    }

    // The deadline passed, evidence came, or every step failed.
    void end()
    {
        if (ended_)
            return;
        ended_ = true;
        const auto keepAlive = shared_from_this();
        std::erase(runningChains(), keepAlive);
        // Dropped on a later pass: one of them may be reporting right now.
        auto held = std::make_shared<std::vector<Live>>(std::move(live_));
        auto timers = std::make_shared<std::vector<std::unique_ptr<Timer>>>();
        for (auto* timer : {&deadline_, &patience_, &evidenceCheck_})
            timers->push_back(std::move(*timer));
        platform().runLoop->post([held, timers] {});
        if (!locked_)
            tellTheOwner();
    }

    static void tellTheOwner()
    {
        const Platform& system = platform();
        const bool displayOff = system.screenLocker->switchDisplayOff();
        // macOS asks for the password when the display wakes from sleep; an
        // X display switched off comes back on, unlocked, at the next touch.
        if (displayOff && system.flavor == SystemFlavor::macOS)
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

    std::vector<Step> steps_;
    std::size_t next_ = 0;
    std::vector<Live> live_;
    std::unique_ptr<Timer> deadline_;
    std::unique_ptr<Timer> patience_;
    std::unique_ptr<Timer> evidenceCheck_;
    bool outsideEvidenceUsable_ = false;
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
