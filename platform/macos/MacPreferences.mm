// Preferences on macOS: the standard NSUserDefaults, read and written afresh
// at every call. No gap.
#import <Foundation/Foundation.h>

#include "MacBackend.h"
#include "MacStrings.h"

namespace cendrel {

namespace {

// NSInteger is 64 bits wide on arm64, the only target, so nothing is cut.
static_assert(sizeof(NSInteger) == sizeof(std::int64_t));

class MacPreferences final : public Preferences {
public:
    // integerForKey: answers 0 for a missing key, which is a valid key code:
    // presence is asked first.
    std::optional<std::int64_t> integer(const std::string& key) override
    {
        NSString* name = toNSString(key);
        if ([NSUserDefaults.standardUserDefaults objectForKey:name] == nil) {
            return std::nullopt;
        }
        return [NSUserDefaults.standardUserDefaults integerForKey:name];
    }

    // The store reports no failure; it writes on its own schedule.
    bool setInteger(const std::string& key, std::int64_t value) override
    {
        [NSUserDefaults.standardUserDefaults setInteger:value forKey:toNSString(key)];
        return true;
    }
};

} // namespace

std::shared_ptr<Preferences> makeMacPreferences()
{
    return std::make_shared<MacPreferences>();
}

} // namespace cendrel
