// The status item as a tray icon (a StatusNotifierItem, or XEmbed where only
// that is offered) with one QMenu.
#pragma once

#include "StatusBar.h"

#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

#include <array>
#include <chrono>
#include <functional>
#include <vector>

class QAction;

namespace cendrel {

// The one menu, which asks before it maps on screen.
class TrayMenu final : public QMenu {
public:
    // False when the opening was refused: the popup then never shows.
    std::function<bool()> mayShow;
    void setVisible(bool visible) override;
};

class TrayStatusItem final : public StatusItem {
public:
    TrayStatusItem(StatusItemObserver observer, std::chrono::milliseconds unseenMenuLimit);
    ~TrayStatusItem() override;

    void setIcon(StatusIcon icon) override;
    void setToolTip(const std::string& text) override;
    void setMenu(std::vector<MenuEntry> entries) override;
    void setChecked(std::size_t index, bool checked) override;
    // Where the panel draws the menu itself, it may stay up: the caller
    // counts it closed anyway.
    void closeMenu() override { menu_.hide(); }

    QMenu& menuForTesting() { return menu_; }
    QSystemTrayIcon& trayForTesting() { return tray_; }

private:
    void menuShown();
    void menuHidden();

    StatusItemObserver observer_;
    // Declared before the tray, which is destroyed first and lets go of it.
    TrayMenu menu_;
    QSystemTrayIcon tray_;
    std::vector<QAction*> actions_;
    bool open_ = false;
    // The opening being announced was refused; our own popup's show, which
    // follows at once, is dropped.
    bool refused_ = false;
    QTimer unseenMenuLimit_;
    std::array<QIcon, 3> icons_;
};

class TrayStatusBar final : public StatusBar {
public:
    // A menu the host says it shows, but that we cannot see, counts as closed
    // after `unseenMenuLimit`.
    explicit TrayStatusBar(std::chrono::milliseconds unseenMenuLimit = std::chrono::seconds(5))
        : unseenMenuLimit_(unseenMenuLimit)
    {
    }

    std::unique_ptr<StatusItem> makeStatusItem(StatusItemObserver observer) override;
    // A StatusNotifierWatcher with a host on the session bus, or else an
    // XEmbed tray on the X screen (GNOME Shell offers neither without its
    // AppIndicator extension).
    bool showsItems() override { return QSystemTrayIcon::isSystemTrayAvailable(); }
    // GNOME Shell is the one desktop that ships without a tray.
    std::string whatShowsItems() const override
    {
        return "Its icon and menu need a tray in the panel: on GNOME, the AppIndicator extension.";
    }

private:
    std::chrono::milliseconds unseenMenuLimit_;
};

} // namespace cendrel
