#include "Shortcut.h"

#include "CaseMapping.h"
#include "Platform.h"

#include <array>
#include <limits>
#include <string_view>

namespace cendrel {

namespace {

// NSEventModifierFlags bits that count as shortcut modifiers.
constexpr std::uint64_t eventFlagShift = 0x20000;
constexpr std::uint64_t eventFlagControl = 0x40000;
constexpr std::uint64_t eventFlagOption = 0x80000;
constexpr std::uint64_t eventFlagCommand = 0x100000;

struct SpecialKey {
    std::uint32_t keyCode;
    std::string_view glyph;
    std::string_view name;
};

// Keys whose layout text is a control character or nothing useful.
constexpr std::array<SpecialKey, 26> specialKeys{{
    {36, "↩", "Return"},     {48, "⇥", "Tab"},     {49, "Space", "Space"}, {51, "⌫", "Backspace"}, {53, "⎋", "Escape"},
    {96, "F5", "F5"},        {97, "F6", "F6"},     {98, "F7", "F7"},       {99, "F3", "F3"},       {100, "F8", "F8"},
    {101, "F9", "F9"},       {103, "F11", "F11"},  {109, "F10", "F10"},    {111, "F12", "F12"},    {115, "↖", "Home"},
    {116, "⇞", "Page Up"},   {117, "⌦", "Delete"}, {118, "F4", "F4"},      {119, "↘", "End"},      {120, "F2", "F2"},
    {121, "⇟", "Page Down"}, {122, "F1", "F1"},    {123, "←", "Left"},     {124, "→", "Right"},    {125, "↓", "Down"},
    {126, "↑", "Up"},
}};

struct ModifierText {
    std::uint32_t bit;
    std::string_view glyph;
    std::string_view name;
};

// In the order they are written.
constexpr std::array<ModifierText, 4> modifierTexts{{
    {Shortcut::controlKey, "⌃", "Ctrl"},
    {Shortcut::optionKey, "⌥", "Alt"},
    {Shortcut::shiftKey, "⇧", "Shift"},
    {Shortcut::cmdKey, "⌘", "Super"},
}};

const SpecialKey* findSpecialKey(std::uint32_t keyCode)
{
    if (keyCode < 36 || keyCode > 126)
        return nullptr;
    for (const SpecialKey& key : specialKeys) {
        if (key.keyCode == keyCode)
            return &key;
    }
    return nullptr;
}

// Stored values come from outside the program as well; only what fits the
// 32-bit field is taken.
std::optional<std::uint32_t> storedField(std::int64_t value)
{
    if (value < 0 || value > std::int64_t{std::numeric_limits<std::uint32_t>::max()})
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

} // namespace

Shortcut Shortcut::load()
{
    UserDefaults& defaults = *platform().userDefaults;
    if (!defaults.hasObject(keyCodeKey))
        return defaultShortcut();
    const std::int64_t storedKeyCode = defaults.integer(keyCodeKey);
    const std::int64_t storedModifiers = defaults.integer(carbonModifiersKey);
    if (storedModifiers == 0)
        return defaultShortcut();
    const auto keyCode = storedField(storedKeyCode);
    const auto modifiers = storedField(storedModifiers);
    if (!keyCode || !modifiers)
        return defaultShortcut();
    return Shortcut{*keyCode, *modifiers};
}

std::optional<Shortcut> Shortcut::from(const Event& event)
{
    const std::uint64_t flags = event.modifierFlags;
    std::uint32_t mask = 0;
    if (flags & eventFlagCommand)
        mask |= cmdKey;
    if (flags & eventFlagShift)
        mask |= shiftKey;
    if (flags & eventFlagOption)
        mask |= optionKey;
    if (flags & eventFlagControl)
        mask |= controlKey;
    if (mask == 0)
        return std::nullopt;
    return Shortcut{event.keyCode, mask};
}

std::string Shortcut::displayString() const
{
    const bool glyphs = platform().keyboardLayout->notation() == ShortcutNotation::glyphs;
    std::string text;
    for (const ModifierText& modifier : modifierTexts) {
        if ((carbonModifiers & modifier.bit) == 0)
            continue;
        if (glyphs) {
            text += modifier.glyph;
        } else {
            text += modifier.name;
            text += '+';
        }
    }
    text += keyName(keyCode);
    return text;
}

std::string Shortcut::keyName(std::uint32_t keyCode)
{
    if (const SpecialKey* special = findSpecialKey(keyCode)) {
        const bool glyphs = platform().keyboardLayout->notation() == ShortcutNotation::glyphs;
        return std::string(glyphs ? special->glyph : special->name);
    }
    if (auto typed = character(keyCode))
        return uppercased(*typed);
    return "Key " + std::to_string(keyCode);
}

std::optional<std::string> Shortcut::character(std::uint32_t keyCode)
{
    // The layout takes 16-bit key codes; a wider one (only ever from a
    // preference written outside the program) types nothing.
    if (keyCode > std::numeric_limits<std::uint16_t>::max())
        return std::nullopt;
    auto typed = platform().keyboardLayout->characterForKey(static_cast<std::uint16_t>(keyCode));
    if (typed && typed->empty())
        return std::nullopt;
    return typed;
}

} // namespace cendrel
