// Simulated application. Gap: no event loop of its own, no Dock, no menu bar.
#include "SimApplication.h"

namespace cendrel {

void SimApplication::run()
{
    if (launched_)
        return;
    launched_ = true;
    if (auto delegate = delegate_.lock())
        delegate->applicationDidFinishLaunching();
}

void SimApplication::runModalAlert(const std::string& messageText, const std::string& informativeText)
{
    const SimAlert alert{messageText, informativeText};
    alerts_.push_back(alert);
    // A copy: the hook may replace itself or raise another alert.
    if (auto hook = onModalAlert)
        hook(alert);
}

std::optional<ActivationPolicy> SimApplication::activationPolicy() const
{
    if (policies_.empty())
        return std::nullopt;
    return policies_.back();
}

} // namespace cendrel
