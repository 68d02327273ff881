// The status item as a tray icon (StatusNotifierItem, or XEmbed where only
// that is offered) with a QMenu.
#pragma once

#include "StatusBar.h"

#include <memory>

class QIcon;

namespace cendrel {

class LinuxRunLoop;

// The icon drawn for a symbol name, or a null icon for names we do not draw.
QIcon drawnSymbolIcon(const std::string& name);

class LinuxStatusBar final : public StatusBar {
public:
    // The run loop hears when a menu opens and closes.
    explicit LinuxStatusBar(std::shared_ptr<LinuxRunLoop> runLoop) : runLoop_(std::move(runLoop)) {}

    std::shared_ptr<StatusItem> statusItemWithLength(double length) override;
    std::shared_ptr<Image> imageWithSystemSymbolName(const std::string& name,
                                                     const std::string& accessibilityDescription) override;
    std::shared_ptr<Menu> newMenu() override;
    std::shared_ptr<MenuItem> newMenuItem(const std::string& title, const std::string& action,
                                          const std::string& keyEquivalent) override;
    std::shared_ptr<MenuItem> separatorItem() override;

private:
    std::shared_ptr<LinuxRunLoop> runLoop_;
};

} // namespace cendrel
