// The armed input watch on Wayland. No compositor shows one client another's
// input, but each tells when the seat has been idle for a while and when it
// no longer is: with a 1 ms timeout, "no longer idle" is any input at all.
#pragma once

#include "Input.h"
#include "SystemLog.h"
#include "WaylandConnection.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QTimer;

namespace cendrel {

class WaylandInput final : public Input, public std::enable_shared_from_this<WaylandInput> {
public:
    // The idle mechanisms, best first: those that idle inhibitors cannot
    // silence (GNOME's idle monitor on the session bus, then the Wayland
    // one), then the two that they can, which must be probed.
    enum class Mechanism { mutterIdleMonitor, inputIdle, idle, kdeIdle };

    // `connection` is null when the session is Wayland's but its compositor
    // could not be reached: then nothing can be watched.
    static std::shared_ptr<WaylandInput> create(std::shared_ptr<WaylandConnection> connection,
                                                std::shared_ptr<SystemLog> log);

    // Each watch locks (calls `onInput`) at once when it goes blind: the
    // connection closes, the seat or notifier goes, or, for the mechanisms
    // an inhibitor silences, a probe each second finds it silenced.
    std::unique_ptr<InputWatch> watchInput(std::function<bool()> onInput) override;
    // No global pointer position: any motion is input, and the idle
    // notifications already report it. A watch that never reports keeps the
    // pointer from being polled 25 times a second for a position that does
    // not exist.
    std::unique_ptr<InputWatch> watchPointerMotion(std::function<void(Point)>) override
    {
        return std::make_unique<InputWatch>();
    }
    bool canWatchKeyPresses() override { return true; }
    std::string watchLimitation() override { return "any pointer movement locks"; }
    std::string whyInputIsUnseen() override;
    // There is no global pointer position; any motion counts as input.
    Point pointerLocation() override { return {}; }

    // Calls `onInput` once, at the next input or when input can no longer be
    // seen, for what a touch undoes rather than locks; nothing is logged as
    // locking for it.
    std::unique_ptr<InputWatch> watchNextInput(std::function<void()> onInput);

    // The best mechanism on offer now, if any.
    std::optional<Mechanism> mechanism() const;

    // A fresh notification that inhibitors silence goes idle within a round
    // trip and a few milliseconds; one that does not within this is silenced.
    // Generous, so that a busy compositor is not taken for a silenced one.
    static constexpr std::chrono::milliseconds probeTimeout{500};

private:
    class Notification;
    class Watch;
    struct Handler;

    WaylandInput(std::shared_ptr<WaylandConnection> connection, std::shared_ptr<SystemLog> log);
    void loseSight(const std::string& what);
    std::string whyUnseenWithoutProbe() const;

    std::shared_ptr<WaylandConnection> connection_;
    std::shared_ptr<SystemLog> log_;
    std::vector<std::weak_ptr<Handler>> handlers_;
};

} // namespace cendrel
