// GNOME's idle monitor (org.gnome.Mutter.IdleMonitor on the session bus),
// which mutter offers instead of the Wayland idle protocols. Its user-active
// watch fires once, at the first input after it was added, whatever idle
// inhibitors say; it is added again after each fire.
#pragma once

#include <QDBusServiceWatcher>
#include <QObject>

#include <functional>
#include <optional>
#include <string>

namespace cendrel {

class MutterIdleMonitor final : public QObject {
    Q_OBJECT

public:
    // Whether the monitor is on the session bus now.
    static bool present();

    // Adds the watch. `onActive` is told of each input, `onLost` once when
    // the monitor cannot be asked or goes away (its owner changes).
    MutterIdleMonitor(std::function<void()> onActive, std::function<void(const std::string&)> onLost);
    // Removes the watch, without waiting.
    ~MutterIdleMonitor() override;

private slots:
    void watchFired(uint id);

private:
    void addWatch();
    void lose(const std::string& what);

    std::function<void()> onActive_;
    std::function<void(const std::string&)> onLost_;
    std::optional<uint> watchId_;
    QDBusServiceWatcher owner_;
};

} // namespace cendrel
