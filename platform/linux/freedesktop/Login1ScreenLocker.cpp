// Lock on the session object "auto" (the caller's own session) of
// org.freedesktop.login1, as `loginctl lock-session` asks for it, on a system
// bus connection of its own (sd-bus). login1 only passes the request on to
// the desktop's screen locker: an accepted Lock locks nothing on a bare
// window manager, so only LockedHint turning true, asked for every quarter
// second, says the screen is locked. The other lockers are asked as the
// session's table (DesktopLockers) lists them.
#include "Login1ScreenLocker.h"

#include "LockCommand.h"
#include "ScreenSaverLock.h"
#include "SystemBus.h"

#include <QTimer>

namespace cendrel {

namespace {

constexpr const char* login1 = "org.freedesktop.login1";
constexpr const char* ownSession = "/org/freedesktop/login1/session/auto";
constexpr const char* sessionInterface = "org.freedesktop.login1.Session";
// A system bus answers at once; one that has not in a second is stuck.
constexpr int answerLimitMs = 1000;
constexpr int hintIntervalMs = 250;

class Login1Lock final : public LockRequest {
public:
    Login1Lock(std::shared_ptr<SystemBus> bus, LockReplyHandler onReply)
        : bus_(std::move(bus)), onReply_(std::move(onReply))
    {
        limit_.setSingleShot(true);
        QObject::connect(&limit_, &QTimer::timeout, [this] {
            // A bus that never let us in was never reached.
            finish({LockReport::Outcome::failed, bus_->ready() ? LockFailure::refused : LockFailure::unavailable});
        });
        QObject::connect(&hintPoll_, &QTimer::timeout, [this] { askLockedHint(); });
    }
    ~Login1Lock() override { bus_->silence(); }

    bool start()
    {
        limit_.start(answerLimitMs);
        return bus_->call(login1, ownSession, sessionInterface, "Lock",
                          [this](const std::optional<std::string>& error, sd_bus_message*) {
                              limit_.stop();
                              if (error) {
                                  finish({LockReport::Outcome::failed, lockFailureFromError(*error)});
                                  return;
                              }
                              onReply_({LockReport::Outcome::accepted, LockFailure::refused});
                              askLockedHint();
                              hintPoll_.start(hintIntervalMs);
                          });
    }

private:
    void askLockedHint()
    {
        if (asking_)
            return;
        asking_ = bus_->call(
            login1, ownSession, sessionInterface, nullptr,
            [this](const std::optional<std::string>& error, sd_bus_message* reply) {
                asking_ = false;
                int locked = 0;
                if (!error && sd_bus_message_read(reply, "v", "b", &locked) > 0 && locked != 0)
                    finish({LockReport::Outcome::locked, LockFailure::refused});
            },
            "LockedHint");
    }
    void finish(LockReport report)
    {
        limit_.stop();
        hintPoll_.stop();
        bus_->silence();
        if (const auto onReply = std::exchange(onReply_, nullptr))
            onReply(report);
    }

    std::shared_ptr<SystemBus> bus_;
    LockReplyHandler onReply_;
    QTimer limit_;
    QTimer hintPoll_;
    bool asking_ = false;
};

} // namespace

LockFailure lockFailureFromError(std::string_view errorName)
{
    if (errorName == "org.freedesktop.DBus.Error.ServiceUnknown" ||
        errorName == "org.freedesktop.DBus.Error.NameHasNoOwner")
        return LockFailure::unavailable;
    if (errorName == "org.freedesktop.DBus.Error.UnknownObject" ||
        errorName == "org.freedesktop.DBus.Error.UnknownMethod" ||
        errorName == "org.freedesktop.DBus.Error.UnknownInterface")
        return LockFailure::missing;
    return LockFailure::refused;
}

Login1ScreenLocker::Login1ScreenLocker(LinuxDesktop desktop, std::function<std::optional<std::string>()> lockCommand,
                                       std::shared_ptr<SystemLog> log, std::function<bool()> switchDisplayOff,
                                       std::function<bool()> keyboardHeldByAnother)
    : desktop_(desktop), lockCommand_(std::move(lockCommand)), log_(std::move(log)),
      switchDisplayOff_(std::move(switchDisplayOff)), keyboardHeldByAnother_(std::move(keyboardHeldByAnother))
{
}

std::vector<LockStep> Login1ScreenLocker::lockSteps()
{
    DesktopLockers table = desktopLockers(desktop_, lockCommand_ ? lockCommand_() : std::nullopt);
    if (!table.unreadableCommand.empty() && log_)
        log_->log(table.unreadableCommand);
    std::vector<LockStep> steps;
    for (DesktopLocker& locker : table.lockers) {
        LockStep step{nullptr, std::move(locker.log), locker.withPrevious, locker.evidenceWindow};
        switch (locker.kind) {
        case DesktopLocker::Kind::session:
            step.start = [](LockReplyHandler onReply) -> std::unique_ptr<LockRequest> {
                auto bus = SystemBus::open();
                if (!bus)
                    return nullptr;
                auto request = std::make_unique<Login1Lock>(std::move(bus), std::move(onReply));
                if (!request->start())
                    return nullptr;
                return request;
            };
            break;
        case DesktopLocker::Kind::screenSaver:
            step.start = [name = locker.words.at(0), message = locker.lockTakesMessage](LockReplyHandler onReply) {
                return askScreenSaver(name, message, std::move(onReply));
            };
            break;
        case DesktopLocker::Kind::command:
            step.start = [argv = std::move(locker.words)](LockReplyHandler onReply) {
                return startLockCommand(argv, std::move(onReply));
            };
            break;
        }
        steps.push_back(std::move(step));
    }
    return steps;
}

bool Login1ScreenLocker::lockerFound()
{
    const DesktopLockers table = desktopLockers(desktop_, lockCommand_ ? lockCommand_() : std::nullopt);
    std::vector<std::string> names;
    for (const DesktopLocker& locker : table.lockers) {
        if (locker.kind == DesktopLocker::Kind::command && lockCommandFound(locker.words))
            return true;
        if (locker.kind == DesktopLocker::Kind::screenSaver)
            names.push_back(locker.words.at(0));
    }
    return screenSaverFound(names);
}

bool Login1ScreenLocker::screenLooksLocked()
{
    return keyboardHeldByAnother_ && keyboardHeldByAnother_();
}

bool Login1ScreenLocker::switchDisplayOff()
{
    return switchDisplayOff_ && switchDisplayOff_();
}

} // namespace cendrel
