// Simulated panels, views and labels: everything set on them is kept as data,
// and the user can close a panel with its close button. Key presses typed into
// the application go through SimRunLoop::sendEventToApplication().
#pragma once

#include "Panels.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace cendrel {

// What every sim view keeps, labels included. Reach it from any View with
// simViewState().
class SimViewState {
public:
    SimViewState() = default;
    explicit SimViewState(Rect initialFrame) : frame(initialFrame) {}
    SimViewState(const SimViewState&) = delete;
    SimViewState& operator=(const SimViewState&) = delete;
    virtual ~SimViewState() = default;

    Rect frame;
    std::uint64_t autoresizingMask = 0;
    // In the order added.
    std::vector<std::shared_ptr<View>> subviews;
};

// The sim state of a view made by SimPanels; null for a view from elsewhere.
SimViewState* simViewState(View* view);
inline SimViewState* simViewState(const std::shared_ptr<View>& view)
{
    return simViewState(view.get());
}

class SimView final : public View, public SimViewState {
public:
    explicit SimView(Rect initialFrame) : SimViewState(initialFrame) {}
    Rect bounds() override { return {0, 0, frame.width, frame.height}; }
    void setFrame(Rect newFrame) override { frame = newFrame; }
    void setAutoresizingMask(std::uint64_t mask) override { autoresizingMask = mask; }
    void addSubview(std::shared_ptr<View> view) override { subviews.push_back(std::move(view)); }
};

// A label as labelWithString: gives it: non-editable, system font 13 pt,
// the default label colour, natural alignment (nothing set).
class SimLabel final : public Label, public SimViewState {
public:
    explicit SimLabel(std::string text) : texts_{std::move(text)} {}
    Rect bounds() override { return {0, 0, frame.width, frame.height}; }
    void setFrame(Rect newFrame) override { frame = newFrame; }
    void setAutoresizingMask(std::uint64_t mask) override { autoresizingMask = mask; }
    void addSubview(std::shared_ptr<View> view) override { subviews.push_back(std::move(view)); }
    void setStringValue(const std::string& text) override { texts_.push_back(text); }
    void setFont(Font font) override { font_ = font; }
    void setTextColor(LabelColor color) override { color_ = color; }
    void setAlignment(TextAlignment alignment) override { alignment_ = alignment; }

    const std::string& text() const { return texts_.back(); }
    // The text it was made with, then every setStringValue(), in order.
    const std::vector<std::string>& texts() const { return texts_; }
    Font font() const { return font_; }
    LabelColor textColor() const { return color_; }
    // Nothing until set: AppKit's natural alignment.
    std::optional<TextAlignment> alignment() const { return alignment_; }
    bool isEditable() const { return false; }

private:
    std::vector<std::string> texts_;
    Font font_{};
    LabelColor color_ = LabelColor::label;
    std::optional<TextAlignment> alignment_;
};

class SimPanel final : public Panel {
public:
    SimPanel(Rect contentRect, std::uint64_t styleMask, std::uint64_t backing, bool defer);

    void setTitle(const std::string& title) override;
    void setLevel(std::int64_t level) override;
    void setFloatingPanel(bool floating) override;
    void setHidesOnDeactivate(bool hides) override;
    std::shared_ptr<View> contentView() override { return contentView_; }
    void setContentView(std::shared_ptr<View> view) override;
    void setDelegate(std::weak_ptr<WindowDelegate> delegate) override;
    void center() override;
    void makeKeyAndOrderFront() override;
    void orderOut() override;

    // The user clicks the close button: on a visible panel the delegate's
    // windowWillClose() runs, then the panel hides. False, and nothing done,
    // when the panel is not on screen.
    bool clickCloseButton();

    Rect contentRect() const { return contentRect_; }
    std::uint64_t styleMask() const { return styleMask_; }
    std::uint64_t backing() const { return backing_; }
    bool defer() const { return defer_; }
    const std::string& title() const { return title_; }
    std::int64_t level() const { return level_; }
    bool isFloatingPanel() const { return floating_; }
    bool hidesOnDeactivate() const { return hidesOnDeactivate_; }
    std::shared_ptr<WindowDelegate> delegate() const { return delegate_.lock(); }
    bool isVisible() const { return visible_; }
    bool isKeyWindow() const { return key_; }
    std::size_t centerCount() const { return centerCount_; }
    std::size_t orderFrontCount() const { return orderFrontCount_; }
    std::size_t orderOutCount() const { return orderOutCount_; }
    // Every call made on the panel, in order: "setTitle <title>", "setLevel 3",
    // "setFloatingPanel 1", "setHidesOnDeactivate 0", "setContentView",
    // "setDelegate", "center", "makeKeyAndOrderFront", "orderOut".
    const std::vector<std::string>& calls() const { return calls_; }
    // The sim labels in the content view's tree, depth first in subview order.
    std::vector<std::shared_ptr<SimLabel>> labels() const;

private:
    Rect contentRect_;
    std::uint64_t styleMask_;
    std::uint64_t backing_;
    bool defer_;
    std::string title_;
    // NSNormalWindowLevel; NSPanel does not float until told to.
    std::int64_t level_ = 0;
    bool floating_ = false;
    bool hidesOnDeactivate_ = true;
    std::shared_ptr<View> contentView_;
    std::weak_ptr<WindowDelegate> delegate_;
    bool visible_ = false;
    bool key_ = false;
    std::size_t centerCount_ = 0;
    std::size_t orderFrontCount_ = 0;
    std::size_t orderOutCount_ = 0;
    std::vector<std::string> calls_;
};

class SimPanels final : public Panels {
public:
    std::shared_ptr<Panel> newPanel(Rect contentRect, std::uint64_t styleMask, std::uint64_t backing,
                                    bool defer) override;
    std::shared_ptr<View> newView(Rect frame) override { return std::make_shared<SimView>(frame); }
    std::shared_ptr<Label> labelWithString(const std::string& text) override;

    // Every panel made, oldest first; the window server keeps them.
    const std::vector<std::shared_ptr<SimPanel>>& panels() const { return panels_; }
    std::size_t panelCount() const { return panels_.size(); }
    // The newest panel, or null.
    std::shared_ptr<SimPanel> lastPanel() const { return panels_.empty() ? nullptr : panels_.back(); }
    std::size_t labelCount() const { return labelCount_; }

private:
    std::vector<std::shared_ptr<SimPanel>> panels_;
    std::size_t labelCount_ = 0;
};

} // namespace cendrel
