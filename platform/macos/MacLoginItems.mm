// LoginItems on macOS: SMAppService's main application service. Its status is
// read afresh at every call. Gap: "requires approval" and "not found" both
// count as not enabled.
#import <Foundation/Foundation.h>
#import <ServiceManagement/ServiceManagement.h>

#include "MacBackend.h"
#include "MacStrings.h"

namespace cendrel {

namespace {

// A refusal that came without an NSError still reaches the core as one, with
// empty texts.
LoginItemError toLoginItemError(NSError* error)
{
    return LoginItemError{toStdString(error.description).value_or(""),
                          toStdString(error.localizedDescription).value_or("")};
}

class MacLoginItems final : public LoginItems {
public:
    bool isEnabled() override { return SMAppService.mainAppService.status == SMAppServiceStatusEnabled; }

    std::optional<LoginItemError> enable() override
    {
        NSError* error = nil;
        if ([SMAppService.mainAppService registerAndReturnError:&error]) {
            return std::nullopt;
        }
        return toLoginItemError(error);
    }

    std::optional<LoginItemError> disable() override
    {
        NSError* error = nil;
        if ([SMAppService.mainAppService unregisterAndReturnError:&error]) {
            return std::nullopt;
        }
        return toLoginItemError(error);
    }
};

} // namespace

std::shared_ptr<LoginItems> makeMacLoginItems()
{
    return std::make_shared<MacLoginItems>();
}

} // namespace cendrel
