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
    // Through mutter when `throughMutter`, else through the Wayland protocol;
    // `connection` may be null (no compositor answered).
    WaylandDisplayPower(std::shared_ptr<WaylandConnection> connection, std::shared_ptr<WaylandInput> input,
                        std::shared_ptr<SystemLog> log, bool throughMutter);
    WaylandDisplayPower(const WaylandDisplayPower&) = delete;
    WaylandDisplayPower& operator=(const WaylandDisplayPower&) = delete;
    ~WaylandDisplayPower();

    // Switches every output off. Neither wlroots nor mutter alone switches
    // them on at the next input, so they are switched on again when the idle
    // watch next sees some. True once asked (mutter's refusal comes later,
    // in a line of its own); false, after a line saying why, when the
    // compositor offers no way to, or input that would switch them on again
    // could not be seen.
    bool switchOff();

private:
    void switchOn();
    bool setMutterPowerSave(int mode);

    std::shared_ptr<WaylandConnection> connection_;
    std::shared_ptr<WaylandInput> input_;
    std::shared_ptr<SystemLog> log_;
    bool throughMutter_;
    std::vector<zwlr_output_power_v1*> powers_;
    std::unique_ptr<InputWatch> wake_;
};

} // namespace cendrel
