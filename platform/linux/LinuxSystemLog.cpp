// Standard error, unbuffered, so that a journal or a terminal sees each line
// as it happens; desktop sessions collect it in the user's journal.
#include "LinuxSystemLog.h"

#include <cstdio>
#include <string>

namespace cendrel {

void LinuxSystemLog::log(std::string_view line)
{
    std::string text(line);
    text.push_back('\n');
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

} // namespace cendrel
