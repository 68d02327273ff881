// Simulated panels. Gaps: nothing is laid out or drawn (frames and autoresizing
// masks are kept as set, a new content view is not resized to the content
// area), and panels do not take the key-window flag from one another.
#include "SimPanels.h"

namespace cendrel {

SimViewState* simViewState(View* view)
{
    return dynamic_cast<SimViewState*>(view);
}

SimPanel::SimPanel(Rect contentRect, std::uint64_t styleMask, std::uint64_t backing, bool defer)
    : contentRect_(contentRect), styleMask_(styleMask), backing_(backing), defer_(defer),
      contentView_(std::make_shared<SimView>(Rect{0, 0, contentRect.width, contentRect.height}))
{
}

void SimPanel::setTitle(const std::string& title)
{
    title_ = title;
    calls_.push_back("setTitle " + title);
}

void SimPanel::setLevel(std::int64_t level)
{
    level_ = level;
    calls_.push_back("setLevel " + std::to_string(level));
}

void SimPanel::setFloatingPanel(bool floating)
{
    floating_ = floating;
    calls_.push_back(floating ? "setFloatingPanel 1" : "setFloatingPanel 0");
}

void SimPanel::setHidesOnDeactivate(bool hides)
{
    hidesOnDeactivate_ = hides;
    calls_.push_back(hides ? "setHidesOnDeactivate 1" : "setHidesOnDeactivate 0");
}

void SimPanel::setContentView(std::shared_ptr<View> view)
{
    contentView_ = std::move(view);
    calls_.emplace_back("setContentView");
}

void SimPanel::setDelegate(std::weak_ptr<WindowDelegate> delegate)
{
    delegate_ = std::move(delegate);
    calls_.emplace_back("setDelegate");
}

void SimPanel::center()
{
    ++centerCount_;
    calls_.emplace_back("center");
}

void SimPanel::makeKeyAndOrderFront()
{
    visible_ = true;
    key_ = true;
    ++orderFrontCount_;
    calls_.emplace_back("makeKeyAndOrderFront");
}

void SimPanel::orderOut()
{
    visible_ = false;
    key_ = false;
    ++orderOutCount_;
    calls_.emplace_back("orderOut");
}

bool SimPanel::clickCloseButton()
{
    if (!visible_)
        return false;
    if (auto delegate = delegate_.lock())
        delegate->windowWillClose();
    visible_ = false;
    key_ = false;
    return true;
}

namespace {
void collectLabels(const std::shared_ptr<View>& view, std::vector<std::shared_ptr<SimLabel>>& labels)
{
    if (auto label = std::dynamic_pointer_cast<SimLabel>(view))
        labels.push_back(std::move(label));
    if (auto* state = simViewState(view))
        for (const auto& subview : state->subviews)
            collectLabels(subview, labels);
}
} // namespace

std::vector<std::shared_ptr<SimLabel>> SimPanel::labels() const
{
    std::vector<std::shared_ptr<SimLabel>> found;
    collectLabels(contentView_, found);
    return found;
}

std::shared_ptr<Panel> SimPanels::newPanel(Rect contentRect, std::uint64_t styleMask, std::uint64_t backing, bool defer)
{
    auto panel = std::make_shared<SimPanel>(contentRect, styleMask, backing, defer);
    panels_.push_back(panel);
    return panel;
}

std::shared_ptr<Label> SimPanels::labelWithString(const std::string& text)
{
    ++labelCount_;
    return std::make_shared<SimLabel>(text);
}

} // namespace cendrel
