#include "Shortcut.h"

#include "Platform.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string_view>

namespace cendrel {

namespace {

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

// What the keys that type characters are labelled on a US keyboard: their
// name when the layout says nothing of them (no keyboard on the seat yet), so
// that the owner never reads a bare number. Indexed by key code from 0.
constexpr std::string_view usKeyLabels[] = {"A", "S", "D", "F",  "H", "G", "Z", "X", "C", "V", "§", "B", "Q",
                                            "W", "E", "R", "Y",  "T", "1", "2", "3", "4", "6", "5", "=", "9",
                                            "7", "-", "8", "0",  "]", "O", "U", "[", "I", "P", "",  "L", "J",
                                            "'", "K", ";", "\\", ",", "/", "N", "M", ".", "",  "",  "`"};

struct ModifierText {
    Modifier modifier;
    std::uint32_t carbonBit;
    std::string_view glyph;
    std::string_view name;
};

// In the order they are written. Caps Lock is never recorded, but a stored
// shortcut may carry it, and is then kept as stored: dropping it would take
// the plain combination from every other program. It has no text.
constexpr std::array<ModifierText, 5> modifierTexts{{
    {Modifier::control, 0x1000, "⌃", "Ctrl"},
    {Modifier::option, 0x800, "⌥", "Alt"},
    {Modifier::shift, 0x200, "⇧", "Shift"},
    {Modifier::command, 0x100, "⌘", "Super"},
    {Modifier::capsLock, 0x400, "", ""},
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
std::optional<std::uint32_t> storedField(std::optional<std::int64_t> value)
{
    if (!value || *value < 0 || *value > std::int64_t{std::numeric_limits<std::uint32_t>::max()})
        return std::nullopt;
    return static_cast<std::uint32_t>(*value);
}

bool usesGlyphs()
{
    return platform().keyboardLayout->notation() == ShortcutNotation::glyphs;
}

} // namespace

Shortcut Shortcut::load()
{
    Preferences& preferences = *platform().preferences;
    const auto storedKeyCode = preferences.integer(keyCodeKey);
    if (!storedKeyCode)
        return defaultShortcut();
    const auto keyCode = storedField(storedKeyCode);
    const auto mask = storedField(preferences.integer(carbonModifiersKey));
    if (!keyCode || !mask)
        return defaultShortcut();
    const Modifiers modifiers = modifiersFromCarbon(*mask);
    const Shortcut stored{*keyCode, modifiers};
    if (modifiers.shortcutModifiers().empty() || stored.takesTypedText())
        return defaultShortcut();
    return stored;
}

bool Shortcut::save() const
{
    Preferences& preferences = *platform().preferences;
    const bool keySaved = preferences.setInteger(keyCodeKey, std::int64_t{keyCode});
    const bool modifiersSaved = preferences.setInteger(carbonModifiersKey, std::int64_t{carbonModifiers()});
    return keySaved && modifiersSaved;
}

std::optional<Shortcut> Shortcut::from(const KeyPress& press)
{
    const Modifiers modifiers = press.modifiers.shortcutModifiers();
    if (modifiers.empty())
        return std::nullopt;
    return Shortcut{press.keyCode, modifiers};
}

bool Shortcut::takesTypedText() const
{
    return modifiers.shortcutModifiers() == Modifiers{Modifier::shift} && typesCharacter(keyCode);
}

std::uint32_t Shortcut::carbonModifiers() const
{
    std::uint32_t mask = 0;
    for (const ModifierText& modifier : modifierTexts) {
        if (modifiers.contains(modifier.modifier))
            mask |= modifier.carbonBit;
    }
    return mask;
}

Modifiers Shortcut::modifiersFromCarbon(std::uint32_t mask)
{
    Modifiers modifiers;
    for (const ModifierText& modifier : modifierTexts) {
        if ((mask & modifier.carbonBit) != 0)
            modifiers.insert(modifier.modifier);
    }
    return modifiers;
}

std::string Shortcut::displayString() const
{
    const bool glyphs = usesGlyphs();
    std::string text;
    for (const ModifierText& modifier : modifierTexts) {
        if (!modifiers.contains(modifier.modifier))
            continue;
        if (modifier.name.empty())
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

std::string Shortcut::keySymbol() const
{
    if (keyCode <= std::numeric_limits<KeyCode>::max()) {
        if (auto name = platform().keyboardLayout->keySymbolName(static_cast<KeyCode>(keyCode)))
            return *name;
    }
    return keyName(keyCode);
}

std::string Shortcut::keyName(std::uint32_t keyCode)
{
    if (const SpecialKey* special = findSpecialKey(keyCode))
        return std::string(usesGlyphs() ? special->glyph : special->name);
    if (auto typed = character(keyCode))
        return platform().keyboardLayout->uppercase(*typed);
    if (keyCode < std::size(usKeyLabels) && !usKeyLabels[keyCode].empty())
        return std::string(usKeyLabels[keyCode]);
    return "Key " + std::to_string(keyCode);
}

std::optional<std::string> Shortcut::character(std::uint32_t keyCode)
{
    // The layout takes 16-bit key codes; a wider one (only ever from a
    // preference written outside the program) types nothing.
    if (keyCode > std::numeric_limits<KeyCode>::max())
        return std::nullopt;
    auto typed = platform().keyboardLayout->characterForKey(static_cast<KeyCode>(keyCode));
    if (typed && typed->empty())
        return std::nullopt;
    return typed;
}

bool Shortcut::typesCharacter(std::uint32_t keyCode)
{
    constexpr std::uint32_t spaceKeyCode = 49;
    if (keyCode == spaceKeyCode)
        return true;
    if (findSpecialKey(keyCode) != nullptr || keyCode > std::numeric_limits<KeyCode>::max())
        return false;
    // Without a layout to ask (no keyboard yet), the keys of the main block
    // are taken to type, so that the doubt never costs the owner a letter.
    constexpr std::uint32_t lastMainBlockKeyCode = 50;
    const auto typed = platform().keyboardLayout->characterForKey(static_cast<KeyCode>(keyCode));
    if (!typed)
        return keyCode <= lastMainBlockKeyCode;
    return std::ranges::any_of(*typed, [](char byte) {
        const auto code = static_cast<unsigned char>(byte);
        return code >= 0x20 && code != 0x7f;
    });
}

} // namespace cendrel
