// Simulated keyboard layout. Gap: no dead keys and no keyboard types; each
// key gives one fixed text.
#include "SimKeyboardLayout.h"

#include <initializer_list>
#include <utility>

namespace cendrel {

SimKeyboardLayout::Table SimKeyboardLayout::usLayout()
{
    // clang-format off
    Table table{
        // Letters.
        {0, "a"}, {1, "s"}, {2, "d"}, {3, "f"}, {4, "h"}, {5, "g"}, {6, "z"}, {7, "x"}, {8, "c"}, {9, "v"},
        {11, "b"}, {12, "q"}, {13, "w"}, {14, "e"}, {15, "r"}, {16, "y"}, {17, "t"}, {31, "o"}, {32, "u"},
        {34, "i"}, {35, "p"}, {37, "l"}, {38, "j"}, {40, "k"}, {45, "n"}, {46, "m"},
        // Digits and punctuation.
        {18, "1"}, {19, "2"}, {20, "3"}, {21, "4"}, {23, "5"}, {22, "6"}, {26, "7"}, {28, "8"}, {25, "9"},
        {29, "0"}, {24, "="}, {27, "-"}, {30, "]"}, {33, "["}, {39, "'"}, {41, ";"}, {42, "\\"}, {43, ","},
        {44, "/"}, {47, "."}, {50, "`"},
        // Space, Return, Tab, Delete, Escape.
        {49, " "}, {36, "\r"}, {48, "\t"}, {51, "\x08"}, {53, "\x1b"},
        // Keypad; Clear types Escape's character.
        {65, "."}, {67, "*"}, {69, "+"}, {71, "\x1b"}, {75, "/"}, {76, "\x03"}, {78, "-"}, {81, "="},
        {82, "0"}, {83, "1"}, {84, "2"}, {85, "3"}, {86, "4"}, {87, "5"}, {88, "6"}, {89, "7"}, {91, "8"},
        {92, "9"},
        // Help, Home, Page Up, Forward Delete, End, Page Down and the arrows
        // give the old Mac character codes.
        {114, "\x05"}, {115, "\x01"}, {116, "\x0b"}, {117, "\x7f"}, {119, "\x04"}, {121, "\x0c"},
        {123, "\x1c"}, {124, "\x1d"}, {125, "\x1f"}, {126, "\x1e"},
    };
    // F1 to F20 all give the one function-key character.
    for (std::uint16_t key : std::initializer_list<std::uint16_t>{122, 120, 99, 118, 96, 97, 98, 100, 101, 109, 103,
                                                                   111, 105, 107, 113, 106, 64, 79, 80, 90})
        table[key] = "\x10";
    // clang-format on
    return table;
}

SimKeyboardLayout::Table SimKeyboardLayout::germanLayout()
{
    Table table = usLayout();
    table[6] = "y";
    table[16] = "z";
    table[27] = "ß";
    table[33] = "ü";
    table[41] = "ö";
    table[39] = "ä";
    return table;
}

std::optional<std::string> SimKeyboardLayout::characterForKey(std::uint16_t keyCode)
{
    ++translations_;
    if (unavailable_)
        return std::nullopt;
    auto found = table_.find(keyCode);
    if (found == table_.end() || found->second.empty())
        return std::nullopt;
    return found->second;
}

} // namespace cendrel
