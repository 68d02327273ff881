// UserDefaults on macOS: the standard NSUserDefaults, read and written afresh
// at every call. No gap.
#import <Foundation/Foundation.h>

#include "MacBackend.h"
#include "MacStrings.h"

namespace cendrel {

namespace {

class MacUserDefaults final : public UserDefaults {
public:
    bool hasObject(const std::string& key) override
    {
        return [NSUserDefaults.standardUserDefaults objectForKey:toNSString(key)] != nil;
    }

    // NSInteger is 64 bits wide on arm64, the only target, so nothing is cut.
    std::int64_t integer(const std::string& key) override
    {
        return [NSUserDefaults.standardUserDefaults integerForKey:toNSString(key)];
    }

    void setInteger(std::int64_t value, const std::string& key) override
    {
        [NSUserDefaults.standardUserDefaults setInteger:value forKey:toNSString(key)];
    }
};

static_assert(sizeof(NSInteger) == sizeof(std::int64_t));

} // namespace

std::shared_ptr<UserDefaults> makeMacUserDefaults()
{
    return std::make_shared<MacUserDefaults>();
}

} // namespace cendrel
