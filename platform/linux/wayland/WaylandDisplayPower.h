// Switching the displays off in a Wayland session, where the X server is
// XWayland and its DPMS switches nothing: through the wlroots output power
// protocol, or through mutter's display configuration on the session bus.
// Gap: KWin's own protocol (org_kde_kwin_dpms) is not spoken.
#pragma once

#include "Input.h"
#include "SystemLog.h"
#include "WaylandConnection.h"
#include "WaylandInput.h"

#include <memory>
#include <vector>

struct zwlr_output_power_v1;

namespace cendrel {

class WaylandDisplayPower final : public std::enable_shared_from_this<WaylandDisplayPower> {
public:
    // `connection` may be null (no compositor answered): nothing can then be
    // switched off.
    WaylandDisplayPower(std::shared_ptr<WaylandConnection> connection, std::shared_ptr<WaylandInput> input,
                        std::shared_ptr<SystemLog> log);
    WaylandDisplayPower(const WaylandDisplayPower&) = delete;
    WaylandDisplayPower& operator=(const WaylandDisplayPower&) = delete;
    ~WaylandDisplayPower();

    // Switches every output off; unlike an X server's DPMS, a wlroots
    // compositor leaves them off at the next input, so they are switched on
    // again when the idle notifications next see some. False, after a line
    // saying why, when the compositor offers no way to, or input that would
    // switch them on again could not be seen.
    bool switchOff();

private:
    void switchOn();

    std::shared_ptr<WaylandConnection> connection_;
    std::shared_ptr<WaylandInput> input_;
    std::shared_ptr<SystemLog> log_;
    std::vector<zwlr_output_power_v1*> powers_;
    std::unique_ptr<InputWatch> wake_;
};

// Sets mutter's PowerSaveMode to off, without waiting for the answer; a
// refusal is logged when it comes. False when there is no session bus.
bool switchOffThroughMutter(const std::shared_ptr<SystemLog>& log);

} // namespace cendrel
