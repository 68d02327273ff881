// One line per call, unbuffered, so that a journal or a terminal sees each
// as it happens; desktop sessions collect standard error in the user's
// journal.
#include "StderrLog.h"

#include <cstdio>
#include <string>

namespace cendrel {

void StderrLog::log(std::string_view line)
{
    std::string text(line);
    text.push_back('\n');
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

} // namespace cendrel
