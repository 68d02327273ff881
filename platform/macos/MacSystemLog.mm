// SystemLog on macOS: NSLog, with the line always passed as an argument of a
// fixed format, never as the format itself. No gap.
#import <Foundation/Foundation.h>

#include "MacBackend.h"
#include "MacStrings.h"

namespace cendrel {

namespace {

class MacSystemLog final : public SystemLog {
public:
    void log(std::string_view line) override { NSLog(@"%@", toNSString(line)); }
};

} // namespace

std::shared_ptr<SystemLog> makeMacSystemLog()
{
    return std::make_shared<MacSystemLog>();
}

} // namespace cendrel
