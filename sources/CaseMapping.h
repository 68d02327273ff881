// Upper-casing for key names, with the standard library alone.
#pragma once

#include <string>
#include <string_view>

namespace cendrel {

// Unicode's default full upper-case mapping (not tailored to any locale), so
// the text may grow: "ß" becomes "SS". Bytes that are not valid UTF-8 are
// kept as they are.
std::string uppercased(std::string_view utf8);

} // namespace cendrel
