// The armed input watch over XInput 2.2 raw events, and the pointer.
#pragma once

#include "Input.h"
#include "X11Connection.h"
#include "X11HotKeys.h"

#include <memory>
#include <string>
#include <vector>

class QTimer;

namespace cendrel {

class X11Input final : public Input, public std::enable_shared_from_this<X11Input> {
public:
    // Presses of the hot keys' combinations are left to them. `limitation`
    // says what the session keeps from the X server (empty: nothing).
    static std::shared_ptr<X11Input> create(std::shared_ptr<X11Connection> x, std::shared_ptr<const X11HotKeys> hotKeys,
                                            std::string limitation = {});

    std::unique_ptr<InputWatch> watchInput(std::function<bool()> onInput) override;
    bool canWatchKeyPresses() override;
    std::string watchLimitation() override { return limitation_; }
    Point pointerLocation() override;
    // Raw motion says the pointer moved; it is then asked for once after the
    // events read together, and once every `warpCheckInterval` besides.
    // Null without XInput 2.2.
    std::unique_ptr<InputWatch> watchPointerMotion(std::function<void(Point)> onMoved) override;

    // A warp (XWarpPointer, xdotool mousemove) makes no raw motion: it is
    // seen at the next of these looks.
    static constexpr int warpCheckMilliseconds = 2000;

    ~X11Input() override;

private:
    class Watch;
    using Handler = std::shared_ptr<std::function<bool()>>;
    using MotionHandler = std::shared_ptr<std::function<void(Point)>>;

    X11Input(std::shared_ptr<X11Connection> x, std::shared_ptr<const X11HotKeys> hotKeys, std::string limitation);
    void handleRawEvent(std::uint16_t type, std::uint32_t detail);
    bool isInput(std::uint16_t type, std::uint32_t detail);
    void reportPointer();
    void selectRawEvents();

    std::shared_ptr<X11Connection> x_;
    std::shared_ptr<const X11HotKeys> hotKeys_;
    std::string limitation_;
    // One handler per live watch token.
    std::vector<Handler> watches_;
    std::vector<MotionHandler> motionWatches_;
    std::uint32_t selectedMask_ = 0;
    // Raw motion came since the pointer was last reported.
    bool motionPending_ = false;
    std::unique_ptr<QTimer> warpCheck_;
    // Modifiers held, followed from raw events, so that a hot-key press is
    // recognised in order even when its events are read late.
    std::uint16_t heldModifiers_ = 0;
    std::vector<std::uint8_t> heldModifierKeys_;
};

} // namespace cendrel
