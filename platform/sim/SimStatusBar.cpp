// Simulated status bar. Gap: nothing is drawn; a menu "opens" only when a
// test says so, and one status item's menu is open at a time.
#include "SimStatusBar.h"

#include "SimRunLoop.h"

#include <cassert>

namespace cendrel {

void SimStatusBarButton::setImage(std::shared_ptr<Image> image)
{
    image_ = std::move(image);
    ++imageSets_;
}

std::shared_ptr<SimImage> SimStatusBarButton::simImage() const
{
    return std::dynamic_pointer_cast<SimImage>(image_);
}

void SimMenu::addItem(std::shared_ptr<MenuItem> item)
{
    auto simItem = std::dynamic_pointer_cast<SimMenuItem>(item);
    assert(simItem && "not an entry of this status bar");
    if (!simItem)
        return;
    assert(!simItem->menu() && "entry already in another menu");
    simItem->menu_ = weak_from_this();
    items_.push_back(std::move(simItem));
}

std::vector<std::string> SimMenu::titles() const
{
    std::vector<std::string> titles;
    for (const auto& item : items_)
        titles.push_back(item->isSeparator() ? "---" : item->title());
    return titles;
}

std::shared_ptr<SimMenuItem> SimMenu::itemWithTitle(const std::string& title) const
{
    for (const auto& item : items_)
        if (!item->isSeparator() && item->title() == title)
            return item;
    return nullptr;
}

SimStatusItem::SimStatusItem(double length, bool hasButton)
    : length_(length), button_(hasButton ? std::make_shared<SimStatusBarButton>() : nullptr)
{
}

void SimStatusItem::setMenu(std::shared_ptr<Menu> menu)
{
    menu_ = std::dynamic_pointer_cast<SimMenu>(menu);
    ++menuCount_;
}

SimStatusBar::SimStatusBar(std::shared_ptr<SimRunLoop> runLoop) : runLoop_(std::move(runLoop)) {}

std::shared_ptr<StatusItem> SimStatusBar::statusItemWithLength(double length)
{
    auto item = std::make_shared<SimStatusItem>(length, !nextHasNoButton_);
    nextHasNoButton_ = false;
    items_.push_back(item);
    return item;
}

std::shared_ptr<Image> SimStatusBar::imageWithSystemSymbolName(const std::string& name,
                                                               const std::string& accessibilityDescription)
{
    if (!knownSymbols_.contains(name))
        return nullptr;
    return std::make_shared<SimImage>(name, accessibilityDescription);
}

std::shared_ptr<Menu> SimStatusBar::newMenu()
{
    return std::make_shared<SimMenu>();
}

std::shared_ptr<MenuItem> SimStatusBar::newMenuItem(const std::string& title, const std::string& action,
                                                    const std::string& keyEquivalent)
{
    return std::make_shared<SimMenuItem>(title, action, keyEquivalent);
}

std::shared_ptr<MenuItem> SimStatusBar::separatorItem()
{
    return std::make_shared<SimMenuItem>("", "", "", true);
}

std::vector<std::shared_ptr<SimStatusItem>> SimStatusBar::statusItems() const
{
    std::vector<std::shared_ptr<SimStatusItem>> live;
    for (const auto& weak : items_)
        if (auto item = weak.lock())
            live.push_back(std::move(item));
    return live;
}

std::shared_ptr<SimStatusItem> SimStatusBar::statusItem() const
{
    for (auto it = items_.rbegin(); it != items_.rend(); ++it)
        if (auto item = it->lock())
            return item;
    return nullptr;
}

std::optional<std::string> SimStatusBar::shownSymbol() const
{
    auto item = statusItem();
    auto button = item ? item->simButton() : nullptr;
    auto image = button ? button->simImage() : nullptr;
    if (!image)
        return std::nullopt;
    return image->symbolName();
}

std::shared_ptr<SimMenu> SimStatusBar::currentMenu() const
{
    auto item = statusItem();
    return item ? item->menu() : nullptr;
}

bool SimStatusBar::openMenu()
{
    if (openMenu_)
        return true;
    auto item = statusItem();
    if (!item || !item->menu())
        return false;
    openMenu_ = item->menu();
    runLoop_->beginMenuTracking();
    return true;
}

void SimStatusBar::closeMenu()
{
    if (!openMenu_)
        return;
    openMenu_.reset();
    runLoop_->endMenuTracking();
}

bool SimStatusBar::chooseMenuItem(const std::string& title)
{
    auto menu = openMenu_ ? openMenu_ : currentMenu();
    return menu && choose(menu->itemWithTitle(title));
}

bool SimStatusBar::pressKeyEquivalent(const std::string& key)
{
    if (!openMenu_ || key.empty())
        return false;
    for (const auto& item : openMenu_->items())
        if (!item->isSeparator() && item->isEnabled() && item->keyEquivalent() == key)
            return choose(item);
    return false;
}

bool SimStatusBar::choose(const std::shared_ptr<SimMenuItem>& item)
{
    if (!item || item->isSeparator() || !item->isEnabled())
        return false;
    bool sent = false;
    auto send = [&item, &sent] {
        if (item->action().empty())
            return;
        if (auto target = item->target()) {
            sent = true;
            target->performAction(item->action());
        }
    };
    if (!openMenu_) {
        send();
        return sent;
    }
    openMenu_.reset();
    runLoop_->endMenuTracking(send);
    return sent;
}

} // namespace cendrel
