#include "CaseMapping.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>

namespace cendrel {

namespace {

struct SimpleUpper {
    char32_t from;
    char32_t to;
};

struct ExpandingUpper {
    char32_t from;
    char32_t to[3];
};

#include "CaseMappingTables.inc"

static_assert(expandingWidth == std::size(ExpandingUpper{}.to));

// Decodes one scalar value at text[i]; advances i. Returns nothing for a
// malformed sequence, leaving i on the byte after the bad lead byte.
bool decode(std::string_view text, std::size_t& i, char32_t& out)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        out = lead;
        ++i;
        return true;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1Fu, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0Fu, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07u, minimum = 0x10000;
    } else {
        ++i;
        return false;
    }
    if (i + length > text.size()) {
        ++i;
        return false;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) {
            ++i;
            return false;
        }
        value = (value << 6) | (next & 0x3Fu);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++i;
        return false;
    }
    out = value;
    i += length;
    return true;
}

void encode(char32_t c, std::string& out)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void appendUpper(char32_t c, std::string& out)
{
    const auto expanding = std::lower_bound(std::begin(expandingUpper), std::end(expandingUpper), c,
                                            [](const ExpandingUpper& row, char32_t key) { return row.from < key; });
    if (expanding != std::end(expandingUpper) && expanding->from == c) {
        for (char32_t part : expanding->to) {
            if (part != 0)
                encode(part, out);
        }
        return;
    }
    const auto simple = std::lower_bound(std::begin(simpleUpper), std::end(simpleUpper), c,
                                         [](const SimpleUpper& row, char32_t key) { return row.from < key; });
    encode(simple != std::end(simpleUpper) && simple->from == c ? simple->to : c, out);
}

} // namespace

std::string uppercased(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const std::size_t start = i;
        char32_t c = 0;
        if (decode(utf8, i, c))
            appendUpper(c, out);
        else
            out.append(utf8.substr(start, i - start));
    }
    return out;
}

} // namespace cendrel
