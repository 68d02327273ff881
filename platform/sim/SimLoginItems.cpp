// Simulated login-item service. Gap: no approval step; a successful register
// enables at once.
#include "SimLoginItems.h"

namespace cendrel {

std::int64_t SimLoginItems::status()
{
    calls_.emplace_back("status");
    if (queued_.empty())
        return status_;
    const std::int64_t next = queued_.front();
    queued_.pop_front();
    return next;
}

std::optional<LoginItemError> SimLoginItems::registerMainApp()
{
    calls_.emplace_back("register");
    if (registerError_)
        return registerError_;
    status_ = loginItemStatusEnabled;
    return std::nullopt;
}

std::optional<LoginItemError> SimLoginItems::unregisterMainApp()
{
    calls_.emplace_back("unregister");
    if (unregisterError_)
        return unregisterError_;
    status_ = 0;
    return std::nullopt;
}

void SimLoginItems::queueStatuses(std::vector<std::int64_t> statuses)
{
    queued_.insert(queued_.end(), statuses.begin(), statuses.end());
}

} // namespace cendrel
