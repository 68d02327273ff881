// The output power objects live only while the outputs are off: each one is
// told "on" and released at the next input.
#include "WaylandDisplayPower.h"

#include "wlr-output-power-management-unstable-v1-client-protocol.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QTimer>

namespace cendrel {

WaylandDisplayPower::WaylandDisplayPower(std::shared_ptr<WaylandConnection> connection,
                                         std::shared_ptr<WaylandInput> input, std::shared_ptr<SystemLog> log,
                                         bool throughMutter)
    : connection_(std::move(connection)), input_(std::move(input)), log_(std::move(log)), throughMutter_(throughMutter)
{
}

WaylandDisplayPower::~WaylandDisplayPower()
{
    for (auto* power : powers_)
        zwlr_output_power_v1_destroy(power);
}

bool WaylandDisplayPower::switchOff()
{
    const bool wlroots = connection_ && connection_->lost().empty() && connection_->outputPowerManager() != nullptr &&
                         !connection_->outputs().empty();
    if (!throughMutter_ && !wlroots) {
        log_->log("Cendrel: the compositor offers no way to switch the display off");
        return false;
    }
    // Off until someone comes back: only with input seen to switch it on.
    if (!input_->mechanism()) {
        log_->log("Cendrel: the display is left on: input that would switch it on again cannot be seen");
        return false;
    }
    constexpr int mutterOff = 3;
    if (throughMutter_ && !setMutterPowerSave(mutterOff))
        return false;
    for (auto* power : powers_)
        zwlr_output_power_v1_destroy(power);
    powers_.clear();
    for (wl_output* output : throughMutter_ ? std::vector<wl_output*>() : connection_->outputs()) {
        powers_.push_back(zwlr_output_power_manager_v1_get_output_power(connection_->outputPowerManager(), output));
        zwlr_output_power_v1_set_mode(powers_.back(), ZWLR_OUTPUT_POWER_V1_MODE_OFF);
    }
    if (connection_)
        connection_->flush();
    wake_ = input_->watchNextInput([weak = weak_from_this()] {
        if (auto self = weak.lock())
            self->switchOn();
    });
    return true;
}

void WaylandDisplayPower::switchOn()
{
    if (throughMutter_)
        setMutterPowerSave(0);
    for (auto* power : powers_) {
        zwlr_output_power_v1_set_mode(power, ZWLR_OUTPUT_POWER_V1_MODE_ON);
        zwlr_output_power_v1_destroy(power);
    }
    powers_.clear();
    if (connection_)
        connection_->flush();
    // Released on a later pass: it is reporting right now.
    QTimer::singleShot(0, [wake = std::shared_ptr<InputWatch>(std::move(wake_))] {});
}

// Without waiting for the answer: a refusal is logged when it comes.
bool WaylandDisplayPower::setMutterPowerSave(int mode)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        log_->log("Cendrel: no session bus, so mutter cannot switch the display off or on");
        return false;
    }
    QDBusMessage set = QDBusMessage::createMethodCall(
        QStringLiteral("org.gnome.Mutter.DisplayConfig"), QStringLiteral("/org/gnome/Mutter/DisplayConfig"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"));
    set << QStringLiteral("org.gnome.Mutter.DisplayConfig") << QStringLiteral("PowerSaveMode")
        << QVariant::fromValue(QDBusVariant(mode));
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(set));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [log = log_, mode](QDBusPendingCallWatcher* call) {
        if (call->isError())
            log->log(std::string("Cendrel: mutter did not switch the display ") + (mode == 0 ? "on" : "off") + ": " +
                     call->error().message().toStdString());
        call->deleteLater();
    });
    return true;
}

} // namespace cendrel
