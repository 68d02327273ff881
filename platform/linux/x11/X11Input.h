// The armed input watch over XInput 2.2 raw events, and the pointer.
#pragma once

#include "Input.h"
#include "X11Connection.h"
#include "X11HotKeys.h"

#include <memory>
#include <string>
#include <vector>

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
    // While a watch is installed the pointer is asked of the server after
    // it has moved and now and then; otherwise at every call.
    Point pointerLocation() override;

private:
    class Watch;

    X11Input(std::shared_ptr<X11Connection> x, std::shared_ptr<const X11HotKeys> hotKeys, std::string limitation);
    void handleRawEvent(std::uint16_t type, std::uint32_t detail);
    bool isInput(std::uint16_t type, std::uint32_t detail);
    void selectRawEvents(bool wanted);

    std::shared_ptr<X11Connection> x_;
    std::shared_ptr<const X11HotKeys> hotKeys_;
    std::string limitation_;
    // One handler per live watch token.
    std::vector<std::shared_ptr<std::function<bool()>>> watches_;
    bool selected_ = false;
    // The last position asked for, whether raw motion came since, and how
    // often it has been answered from here.
    Point pointer_;
    bool pointerMoved_ = true;
    int callsSinceAsked_ = 0;
    // Modifiers held, followed from raw events, so that a hot-key press is
    // recognised in order even when its events are read late.
    std::uint16_t heldModifiers_ = 0;
    std::vector<std::uint8_t> heldModifierKeys_;
};

} // namespace cendrel
