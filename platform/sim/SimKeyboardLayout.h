// Simulated keyboard layout: a table from macOS virtual key codes to the text
// each key types without modifiers. Starts with a US layout.
#pragma once

#include "KeyboardLayout.h"

#include <cstddef>
#include <map>
#include <string>

namespace cendrel {

class SimKeyboardLayout final : public KeyboardLayout {
public:
    using Table = std::map<std::uint16_t, std::string>;

    // US layout on an ANSI keyboard, as the system's translator gives it:
    // letters lower-case, Return "\r", function keys "\x10", arrows 0x1C–0x1F.
    static Table usLayout();
    // German-like: y and z swapped, "ß" on key 27, "ü" on 33, "ö" on 41, "ä" on 39.
    static Table germanLayout();

    // Nothing for keys missing from the table, when unavailable, or when the
    // table gives an empty text. Every call counts as a translation.
    std::optional<std::string> characterForKey(std::uint16_t keyCode) override;
    ShortcutNotation notation() override { return notation_; }

    void useLayout(Table table) { table_ = std::move(table); }
    // No current layout at all (no input source or no layout data).
    void setUnavailable(bool unavailable) { unavailable_ = unavailable; }
    void setNotation(ShortcutNotation notation) { notation_ = notation; }
    // characterForKey() calls so far, answered or not.
    std::size_t translationCount() const { return translations_; }

private:
    Table table_ = usLayout();
    bool unavailable_ = false;
    ShortcutNotation notation_ = ShortcutNotation::glyphs;
    std::size_t translations_ = 0;
};

} // namespace cendrel
