// A fixed-size Qt dialog laid out like the macOS panel (fonts in pixels, as
// points are at 1x; secondary and tertiary text as the window text faded
// toward the background, but never below 4.5:1 contrast), and an
// application-wide event filter standing in for AppKit's local key monitor.
// While it is shown and has the focus the panel holds the X keyboard grab,
// so a combination the window manager or another program answers to reaches
// the recorder, which can then say that it is taken; the owner who turns to
// another window types into that window. Gap: a key the position tables do
// not place is swallowed without a report.
#include "QtRecorderPanel.h"

#include "CendrelIcons.h"
#include "x11/X11KeyCodes.h"
#include "x11/X11KeyboardGrab.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace cendrel {

std::optional<KeyPress> keyPressFromEvent(const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
        return std::nullopt;
    default:
        break;
    }
    // Qt's native data is the X key code and state, on xcb as under Wayland
    // (XKB key codes and modifier masks).
    const auto keyCode = x11_keys::keyCodeFromXKeyCode(event.nativeScanCode());
    if (!keyCode)
        return std::nullopt;
    return KeyPress{*keyCode, x11_keys::modifiersFromXState(event.nativeModifiers())};
}

class QtRecorderPanel::Window final : public QWidget {
public:
    explicit Window(QtRecorderPanel& panel) : panel_(panel) {}

protected:
    void closeEvent(QCloseEvent* event) override
    {
        event->accept();
        panel_.closedByUser();
    }

    void changeEvent(QEvent* event) override
    {
        if (event->type() == QEvent::ActivationChange)
            panel_.focusChanged();
        QWidget::changeEvent(event);
    }

private:
    QtRecorderPanel& panel_;
};

// Sees each key press before Qt dispatches it, whichever of our windows has
// the focus, and keeps it from shortcuts and widgets alike.
class QtRecorderPanel::KeyFilter final : public QObject {
public:
    explicit KeyFilter(QtRecorderPanel& panel) : panel_(panel) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ShortcutOverride) {
            // Taken by us, so no shortcut (Ctrl+Q) fires in its place.
            event->accept();
            return true;
        }
        // Each press reaches its window once, before the focus widget.
        if (event->type() != QEvent::KeyPress || !watched->isWindowType())
            return false;
        if (const auto press = keyPressFromEvent(*static_cast<QKeyEvent*>(event))) {
            if (auto onKeyPress = panel_.observer_.onKeyPress)
                onKeyPress(*press);
        }
        return true;
    }

private:
    QtRecorderPanel& panel_;
};

double contrastRatio(const QColor& first, const QColor& second)
{
    // WCAG's relative luminance, from sRGB.
    const auto luminance = [](const QColor& colour) {
        const auto linear = [](float channel) {
            return channel <= 0.04045f ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
    };
    const double a = luminance(first);
    const double b = luminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

namespace {

// The text faded toward the background by `opacity`, and made stronger until
// it can be read (WCAG AA: 4.5:1).
QColor fadedText(const QColor& text, const QColor& background, double opacity)
{
    QColor faded;
    for (;; opacity = std::min(1.0, opacity + 0.05)) {
        const auto mix = [opacity](float ink, float paper) { return opacity * ink + (1 - opacity) * paper; };
        faded = QColor::fromRgbF(static_cast<float>(mix(text.redF(), background.redF())),
                                 static_cast<float>(mix(text.greenF(), background.greenF())),
                                 static_cast<float>(mix(text.blueF(), background.blueF())));
        if (opacity >= 1.0 || contrastRatio(faded, background) >= 4.5)
            return faded;
    }
}

QLabel* addLabel(QWidget& parent, const QRect& frame, int pixelSize, bool semibold, double opacity)
{
    auto* label = new QLabel(&parent);
    label->setGeometry(frame);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    QFont font = QApplication::font();
    font.setPixelSize(pixelSize);
    font.setWeight(semibold ? QFont::DemiBold : QFont::Normal);
    label->setFont(font);
    label->setProperty("fullPixelSize", pixelSize);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText,
                     fadedText(palette.color(QPalette::WindowText), parent.palette().color(QPalette::Window), opacity));
    label->setPalette(palette);
    return label;
}

// Modifier names run longer than macOS glyphs, and the desktop's font may be
// wider than the system font: a line that does not fit is set smaller rather
// than cut off.
void setFittedText(QLabel& label, const std::string& text)
{
    const QString qtext = QString::fromStdString(text);
    QFont font = label.font();
    font.setPixelSize(label.property("fullPixelSize").toInt());
    while (font.pixelSize() > 8 && QFontMetrics(font).horizontalAdvance(qtext) > label.width())
        font.setPixelSize(font.pixelSize() - 1);
    label.setFont(font);
    label.setText(qtext);
    // Read out by screen readers as what the line says.
    label.setAccessibleName(qtext);
}

} // namespace

QtRecorderPanel::QtRecorderPanel(const RecorderTexts& texts, RecorderPanelObserver observer)
    : observer_(std::move(observer)), window_(std::make_unique<Window>(*this)),
      keyFilter_(std::make_unique<KeyFilter>(*this))
{
    // A dialog with a close button only: nothing to minimise or maximise.
    window_->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                            Qt::WindowStaysOnTopHint);
    window_->setWindowTitle(QString::fromStdString(texts.title));
    window_->setWindowIcon(applicationIcon());
    window_->setAccessibleName(QString::fromStdString(texts.title));
    window_->setFixedSize(360, 150);
    // The macOS panel's frames count from the bottom of its 150 points;
    // these are the same frames counted from the top.
    prompt_ = addLabel(*window_, {20, 36, 320, 28}, 17, true, 0.85);
    current_ = addLabel(*window_, {20, 74, 320, 20}, 13, false, 0.55);
    hint_ = addLabel(*window_, {20, 114, 320, 18}, 11, false, 0.3);
    prompt_->setAccessibleDescription(QStringLiteral("What to do"));
    current_->setAccessibleDescription(QStringLiteral("The current shortcut"));
    hint_->setAccessibleDescription(QStringLiteral("Hint"));
    setPrompt(texts.prompt);
    setFittedText(*hint_, texts.hint);
    grabRetry_.setInterval(25);
    QObject::connect(&grabRetry_, &QTimer::timeout, window_.get(), [this] { takeKeyboard(); });
}

QtRecorderPanel::~QtRecorderPanel()
{
    stopTakingKeys();
}

void QtRecorderPanel::setPrompt(const std::string& text)
{
    setFittedText(*prompt_, text);
    // Announced with the window when it takes the focus.
    window_->setAccessibleDescription(prompt_->text());
}

void QtRecorderPanel::setCurrent(const std::string& text)
{
    setFittedText(*current_, text);
}

void QtRecorderPanel::setHint(const std::string& text)
{
    const QString qtext = QString::fromStdString(text);
    QFont font = hint_->font();
    font.setPixelSize(hint_->property("fullPixelSize").toInt());
    hint_->setFont(font);
    const bool wraps = QFontMetrics(font).horizontalAdvance(qtext) > 320;
    hint_->setWordWrap(wraps);
    hint_->setGeometry(wraps ? QRect(20, 96, 320, 48) : QRect(20, 114, 320, 18));
    hint_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    hint_->setText(qtext);
    hint_->setAccessibleName(qtext);
}

void QtRecorderPanel::show()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(0, 0), window_->size());
        frame.moveCenter(screen->availableGeometry().center());
        window_->move(frame.topLeft());
    }
    // Chosen again while minimised or behind other windows: back in front.
    window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
    window_->show();
    window_->raise();
    window_->activateWindow();
    qApp->removeEventFilter(keyFilter_.get());
    qApp->installEventFilter(keyFilter_.get());
    shown_ = true;
    // A grab from an earlier show may have ended with the window hidden.
    keyboardGrab_.reset();
    focusChanged();
}

void QtRecorderPanel::focusChanged()
{
    grabRetry_.stop();
    keyboardGrab_.reset();
    grabTries_ = 0;
    if (shown_ && window_->isActiveWindow())
        takeKeyboard();
}

void QtRecorderPanel::takeKeyboard()
{
    constexpr int triesForTwoSeconds = 80;
    keyboardGrab_ = X11KeyboardGrab::grab(window_->winId());
    if (keyboardGrab_ || ++grabTries_ >= triesForTwoSeconds)
        grabRetry_.stop();
    else if (!grabRetry_.isActive())
        grabRetry_.start();
}

void QtRecorderPanel::hide()
{
    stopTakingKeys();
    window_->hide();
}

QWidget& QtRecorderPanel::windowForTesting()
{
    return *window_;
}

void QtRecorderPanel::stopTakingKeys()
{
    shown_ = false;
    grabRetry_.stop();
    keyboardGrab_.reset();
    if (qApp != nullptr)
        qApp->removeEventFilter(keyFilter_.get());
}

void QtRecorderPanel::closedByUser()
{
    stopTakingKeys();
    if (auto onClose = observer_.onClose)
        onClose();
}

std::unique_ptr<RecorderPanel> QtPanels::makeRecorderPanel(const RecorderTexts& texts, RecorderPanelObserver observer)
{
    return std::make_unique<QtRecorderPanel>(texts, std::move(observer));
}

} // namespace cendrel
