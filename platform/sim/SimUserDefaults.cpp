// Simulated preference store; it persists nothing beyond the object's life.
#include "SimUserDefaults.h"

namespace cendrel {

bool SimUserDefaults::hasObject(const std::string& key)
{
    reads_.push_back("hasObject " + key);
    return values_.contains(key);
}

std::int64_t SimUserDefaults::integer(const std::string& key)
{
    reads_.push_back("integer " + key);
    return value(key).value_or(0);
}

void SimUserDefaults::setInteger(std::int64_t value, const std::string& key)
{
    values_[key] = value;
    writes_.emplace_back(key, value);
}

std::optional<std::int64_t> SimUserDefaults::value(const std::string& key) const
{
    auto found = values_.find(key);
    if (found == values_.end())
        return std::nullopt;
    return found->second;
}

} // namespace cendrel
