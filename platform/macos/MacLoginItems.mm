// LoginItems on macOS: SMAppService's main application service. Its status is
// read afresh at every call. No gap.
#import <Foundation/Foundation.h>
#import <ServiceManagement/ServiceManagement.h>

#include "MacBackend.h"
#include "MacStrings.h"

namespace cendrel {

namespace {

static_assert(loginItemStatusEnabled == SMAppServiceStatusEnabled);

// The service reports a refusal through an NSError; an absent error on failure
// still gives a (empty) LoginItemError, so the core sees the refusal.
LoginItemError toLoginItemError(NSError* error)
{
    return LoginItemError{toStdString(error.description).value_or(""),
                          toStdString(error.localizedDescription).value_or("")};
}

class MacLoginItems final : public LoginItems {
public:
    std::int64_t status() override { return SMAppService.mainAppService.status; }

    std::optional<LoginItemError> registerMainApp() override
    {
        NSError* error = nil;
        if ([SMAppService.mainAppService registerAndReturnError:&error]) {
            return std::nullopt;
        }
        return toLoginItemError(error);
    }

    std::optional<LoginItemError> unregisterMainApp() override
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
