// LoginItems on macOS: SMAppService's main application service. Its status is
// read afresh at every call; what each status means is in MacRules. No gap.
#import <Foundation/Foundation.h>
#import <ServiceManagement/ServiceManagement.h>

#include "MacBackend.h"
#include "MacRules.h"
#include "MacStrings.h"

namespace cendrel {

namespace {

static_assert(SMAppServiceStatusEnabled == static_cast<long>(mac::LoginItemStatus::enabled) &&
              SMAppServiceStatusRequiresApproval == static_cast<long>(mac::LoginItemStatus::requiresApproval));

// A refusal that came without an NSError still reaches the core as one, with
// empty texts.
LoginItemError toLoginItemError(NSError* error)
{
    return LoginItemError{toStdString(error.description).value_or(""),
                          toStdString(error.localizedDescription).value_or("")};
}

class MacLoginItems final : public LoginItems {
public:
    bool isEnabled() override { return mac::loginItemEnabled(SMAppService.mainAppService.status); }
    bool needsApproval() override { return mac::loginItemNeedsApproval(SMAppService.mainAppService.status); }
    void openSettings() override { [SMAppService openSystemSettingsLoginItems]; }

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
