// A floating panel with a container view and text labels. Frames are in the
// window's coordinates: points, origin at the bottom-left corner, y upwards.
#pragma once

#include "Types.h"

#include <cstdint>
#include <memory>
#include <string>

namespace cendrel {

enum class FontWeight { regular, semibold };

// The system font. A weight is passed only when one is asked for
// (systemFontOfSize:weight:), otherwise the plain system font of that size.
struct Font {
    double size = 13;
    bool hasWeight = false;
    FontWeight weight = FontWeight::regular;
    friend bool operator==(const Font&, const Font&) = default;
};

enum class LabelColor { label, secondary, tertiary };

// AppKit's values; centred is 1 on Apple silicon.
enum class TextAlignment : int { left = 0, center = 1, right = 2 };

class View {
public:
    View() = default;
    View(const View&) = delete;
    View& operator=(const View&) = delete;
    virtual ~View() = default;
    virtual Rect bounds() = 0;
    virtual void setFrame(Rect frame) = 0;
    virtual void setAutoresizingMask(std::uint64_t mask) = 0;
    virtual void addSubview(std::shared_ptr<View> view) = 0;
};

// A plain, non-editable text label.
class Label : public View {
public:
    virtual void setStringValue(const std::string& text) = 0;
    virtual void setFont(Font font) = 0;
    virtual void setTextColor(LabelColor color) = 0;
    virtual void setAlignment(TextAlignment alignment) = 0;
};

class WindowDelegate {
public:
    virtual ~WindowDelegate() = default;
    // The user closed the window with its close button.
    virtual void windowWillClose() = 0;
};

class Panel {
public:
    Panel() = default;
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;
    virtual ~Panel() = default;
    virtual void setTitle(const std::string& title) = 0;
    virtual void setLevel(std::int64_t level) = 0;
    virtual void setFloatingPanel(bool floating) = 0;
    virtual void setHidesOnDeactivate(bool hides) = 0;
    virtual std::shared_ptr<View> contentView() = 0;
    virtual void setContentView(std::shared_ptr<View> view) = 0;
    // Held weakly, as AppKit does.
    virtual void setDelegate(std::weak_ptr<WindowDelegate> delegate) = 0;
    virtual void center() = 0;
    virtual void makeKeyAndOrderFront() = 0;
    virtual void orderOut() = 0;
};

class Panels {
public:
    Panels() = default;
    Panels(const Panels&) = delete;
    Panels& operator=(const Panels&) = delete;
    virtual ~Panels() = default;

    virtual std::shared_ptr<Panel> newPanel(Rect contentRect, std::uint64_t styleMask, std::uint64_t backing,
                                            bool defer) = 0;
    virtual std::shared_ptr<View> newView(Rect frame) = 0;
    virtual std::shared_ptr<Label> labelWithString(const std::string& text) = 0;
};

} // namespace cendrel
