// The recorder panel: a small fixed-size tool window that takes the
// application's key presses while it is shown.
#pragma once

#include "RecorderPanel.h"

#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>

class QColor;
class QLabel;
class QKeyEvent;

namespace cendrel {

class X11KeyboardGrab;

// The key press a Qt key event stands for; nothing for a modifier key on its
// own or a key the tables do not place.
std::optional<KeyPress> keyPressFromEvent(const QKeyEvent& event);

// The contrast ratio of two colours as WCAG defines it, from 1 to 21.
double contrastRatio(const QColor& first, const QColor& second);

class QtRecorderPanel final : public RecorderPanel {
public:
    QtRecorderPanel(const RecorderTexts& texts, RecorderPanelObserver observer);
    ~QtRecorderPanel() override;

    void setPrompt(const std::string& text) override;
    void setCurrent(const std::string& text) override;
    // Wrapped over two lines where one is too short: it is text to copy.
    void setHint(const std::string& text) override;
    void show() override;
    void hide() override;

    QWidget& windowForTesting();

private:
    class Window;
    class KeyFilter;

    void closedByUser();
    // The grab follows the focus: taken when the panel becomes the active
    // window, let go when another window takes the focus.
    void focusChanged();
    void takeKeyboard();
    void stopTakingKeys();

    RecorderPanelObserver observer_;
    std::unique_ptr<Window> window_;
    std::unique_ptr<KeyFilter> keyFilter_;
    std::unique_ptr<X11KeyboardGrab> keyboardGrab_;
    // The window is on screen some time after show(), and an open menu may
    // hold the keyboard for a moment: the grab is tried again until then.
    QTimer grabRetry_;
    int grabTries_ = 0;
    bool shown_ = false;
    QLabel* prompt_ = nullptr;
    QLabel* current_ = nullptr;
    QLabel* hint_ = nullptr;
};

class QtPanels final : public Panels {
public:
    std::unique_ptr<RecorderPanel> makeRecorderPanel(const RecorderTexts& texts,
                                                     RecorderPanelObserver observer) override;
};

} // namespace cendrel
