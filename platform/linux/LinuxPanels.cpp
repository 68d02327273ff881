// Fonts are sized in pixels, as macOS points are at 1x, so the panel keeps
// its proportions; the secondary and tertiary colours are the window text
// colour at reduced opacity, as AppKit's are.
#include "LinuxPanels.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include <cmath>
#include <vector>

namespace cendrel {

Rect qtFrameFromFlipped(Rect frame, double parentHeight)
{
    return {frame.x, parentHeight - (frame.y + frame.height), frame.width, frame.height};
}

namespace {

QRect toQRect(Rect rect)
{
    return {static_cast<int>(std::lround(rect.x)), static_cast<int>(std::lround(rect.y)),
            static_cast<int>(std::lround(rect.width)), static_cast<int>(std::lround(rect.height))};
}

// The widget, frame and subviews behind every view, plain or label.
class ViewCore {
public:
    ViewCore(QWidget* widget, Rect frame) : widget_(widget), frame_(frame) { widget_->resize(toQRect(frame).size()); }
    ViewCore(const ViewCore&) = delete;
    ViewCore& operator=(const ViewCore&) = delete;
    ~ViewCore()
    {
        if (widget_ && widget_->parentWidget() == nullptr) {
            delete widget_;
        }
    }

    Rect bounds() const { return {0, 0, frame_.width, frame_.height}; }
    void setFrame(Rect frame)
    {
        frame_ = frame;
        place();
    }
    void addSubview(std::shared_ptr<View> view);
    // Puts the view over the whole content area of a window.
    void fillWindow(QWidget* window)
    {
        widget_->setParent(window);
        parentHeight_ = frame_.height;
        frame_.x = 0;
        frame_.y = 0;
        place();
        widget_->show();
    }
    QWidget* widget() const { return widget_; }

private:
    void place()
    {
        if (widget_) {
            widget_->setGeometry(toQRect(parentHeight_ > 0 ? qtFrameFromFlipped(frame_, parentHeight_) : frame_));
        }
    }

    QPointer<QWidget> widget_;
    Rect frame_;
    double parentHeight_ = 0;
    // The view tree keeps its subviews, as AppKit's does.
    std::vector<std::shared_ptr<View>> subviews_;
};

class HasViewCore {
public:
    virtual ~HasViewCore() = default;
    virtual ViewCore& core() = 0;
};

void ViewCore::addSubview(std::shared_ptr<View> view)
{
    auto* child = dynamic_cast<HasViewCore*>(view.get());
    if (child == nullptr) {
        return;
    }
    ViewCore& core = child->core();
    core.widget_->setParent(widget_);
    core.parentHeight_ = frame_.height;
    core.place();
    core.widget_->show();
    subviews_.push_back(std::move(view));
}

class LinuxView final : public View, public HasViewCore {
public:
    LinuxView(QWidget* widget, Rect frame) : core_(widget, frame) {}
    Rect bounds() override { return core_.bounds(); }
    void setFrame(Rect frame) override { core_.setFrame(frame); }
    void setAutoresizingMask(std::uint64_t) override
    {
        // The panel has a fixed size; nothing ever resizes a view.
    }
    void addSubview(std::shared_ptr<View> view) override { core_.addSubview(std::move(view)); }
    ViewCore& core() override { return core_; }

private:
    ViewCore core_;
};

class LinuxLabel final : public Label, public HasViewCore {
public:
    explicit LinuxLabel(QLabel* label) : core_(label, {0, 0, 0, 0}), label_(label)
    {
        label_->setTextFormat(Qt::PlainText);
        label_->setTextInteractionFlags(Qt::NoTextInteraction);
    }
    Rect bounds() override { return core_.bounds(); }
    void setFrame(Rect frame) override
    {
        core_.setFrame(frame);
        fitText();
    }
    void setAutoresizingMask(std::uint64_t) override {}
    void addSubview(std::shared_ptr<View> view) override { core_.addSubview(std::move(view)); }
    ViewCore& core() override { return core_; }

    void setStringValue(const std::string& text) override
    {
        label_->setText(QString::fromStdString(text));
        fitText();
    }
    void setFont(Font font) override
    {
        font_ = QApplication::font();
        font_.setPixelSize(static_cast<int>(std::lround(font.size)));
        font_.setWeight(font.hasWeight && font.weight == FontWeight::semibold ? QFont::DemiBold : QFont::Normal);
        fitText();
    }
    void setTextColor(LabelColor color) override
    {
        QPalette palette = label_->palette();
        QColor text = QApplication::palette().color(QPalette::WindowText);
        text.setAlphaF(color == LabelColor::secondary ? 0.55f : color == LabelColor::tertiary ? 0.3f : 0.85f);
        palette.setColor(QPalette::WindowText, text);
        label_->setPalette(palette);
    }
    void setAlignment(TextAlignment alignment) override
    {
        const Qt::Alignment horizontal = alignment == TextAlignment::center  ? Qt::AlignHCenter
                                         : alignment == TextAlignment::right ? Qt::AlignRight
                                                                             : Qt::AlignLeft;
        label_->setAlignment(horizontal | Qt::AlignVCenter);
    }

private:
    // Modifier names run longer than macOS glyphs, and the desktop's font may
    // be wider than the system font: a line that does not fit its frame is
    // set smaller rather than cut off.
    void fitText()
    {
        QFont fitted = font_;
        const int width = label_->width();
        const QString text = label_->text();
        while (width > 0 && fitted.pixelSize() > 8 && QFontMetrics(fitted).horizontalAdvance(text) > width) {
            fitted.setPixelSize(fitted.pixelSize() - 1);
        }
        label_->setFont(fitted);
    }

    ViewCore core_;
    QLabel* label_;
    QFont font_ = QApplication::font();
};

class PanelWindow final : public QWidget {
public:
    std::weak_ptr<WindowDelegate> delegate;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        if (auto target = delegate.lock()) {
            target->windowWillClose();
        }
        event->accept();
    }
};

class LinuxPanel final : public Panel {
public:
    LinuxPanel(Rect contentRect, std::uint64_t styleMask) : size_(toQRect(contentRect).size())
    {
        window_ = new PanelWindow();
        Qt::WindowFlags flags = Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (styleMask & 0x2) {
            flags |= Qt::WindowCloseButtonHint;
        }
        window_->setWindowFlags(flags);
        window_->setFixedSize(size_);
        auto content = std::make_shared<LinuxView>(new QWidget(), Rect{0, 0, contentRect.width, contentRect.height});
        content->core().fillWindow(window_);
        content_ = std::move(content);
    }
    ~LinuxPanel() override { delete window_; }

    void setTitle(const std::string& title) override { window_->setWindowTitle(QString::fromStdString(title)); }
    void setLevel(std::int64_t level) override { setOnTop(level > 0); }
    void setFloatingPanel(bool floating) override { setOnTop(floating); }
    void setHidesOnDeactivate(bool) override
    {
        // A Qt tool window stays put when the application loses focus.
    }
    std::shared_ptr<View> contentView() override { return content_; }
    void setContentView(std::shared_ptr<View> view) override
    {
        auto* core = dynamic_cast<HasViewCore*>(view.get());
        if (core == nullptr) {
            return;
        }
        if (auto* old = dynamic_cast<HasViewCore*>(content_.get()); old != nullptr && old != core) {
            old->core().widget()->hide();
        }
        core->core().fillWindow(window_);
        content_ = std::move(view);
    }
    void setDelegate(std::weak_ptr<WindowDelegate> delegate) override { window_->delegate = std::move(delegate); }
    void center() override
    {
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (screen == nullptr) {
            return;
        }
        QRect frame(QPoint(0, 0), size_);
        frame.moveCenter(screen->availableGeometry().center());
        window_->move(frame.topLeft());
    }
    void makeKeyAndOrderFront() override
    {
        window_->show();
        window_->raise();
        window_->activateWindow();
    }
    void orderOut() override { window_->hide(); }

private:
    void setOnTop(bool onTop)
    {
        const bool visible = window_->isVisible();
        window_->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
        if (visible) {
            window_->show();
        }
    }

    QSize size_;
    PanelWindow* window_ = nullptr;
    std::shared_ptr<View> content_;
};

} // namespace

std::shared_ptr<Panel> LinuxPanels::newPanel(Rect contentRect, std::uint64_t styleMask, std::uint64_t, bool)
{
    return std::make_shared<LinuxPanel>(contentRect, styleMask);
}

std::shared_ptr<View> LinuxPanels::newView(Rect frame)
{
    return std::make_shared<LinuxView>(new QWidget(), frame);
}

std::shared_ptr<Label> LinuxPanels::labelWithString(const std::string& text)
{
    auto label = std::make_shared<LinuxLabel>(new QLabel());
    label->setStringValue(text);
    return label;
}

} // namespace cendrel
