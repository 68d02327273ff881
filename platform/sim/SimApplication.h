// Simulated application object: records what the program asks of it; run()
// finishes launching and returns at once, since the sim loop never blocks.
#pragma once

#include "Application.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace cendrel {

struct SimAlert {
    std::string messageText;
    std::string informativeText;
    friend bool operator==(const SimAlert&, const SimAlert&) = default;
};

class SimApplication final : public Application {
public:
    void setDelegate(std::weak_ptr<ApplicationDelegate> delegate) override { delegate_ = std::move(delegate); }
    // The first call delivers applicationDidFinishLaunching() to the delegate,
    // if it still lives; later calls launch nothing. Returns without running
    // the loop: tests drive it through SimRunLoop.
    void run() override;
    void setActivationPolicy(ActivationPolicy policy) override { policies_.push_back(policy); }
    // Only raises the flag: the process goes on, and nothing else runs.
    void terminate() override { ++terminateCount_; }
    void activateIgnoringOtherApps(bool flag) override { activations_.push_back(flag); }
    // Recorded, then onModalAlert runs while the alert is up; returns after it.
    void runModalAlert(const std::string& messageText, const std::string& informativeText) override;

    std::shared_ptr<ApplicationDelegate> delegate() const { return delegate_.lock(); }
    bool launched() const { return launched_; }
    // The last policy set; nothing before the first.
    std::optional<ActivationPolicy> activationPolicy() const;
    const std::vector<ActivationPolicy>& activationPolicies() const { return policies_; }
    // The flag of each activateIgnoringOtherApps() call, in order.
    const std::vector<bool>& activations() const { return activations_; }
    bool terminated() const { return terminateCount_ > 0; }
    std::size_t terminateCount() const { return terminateCount_; }
    const std::vector<SimAlert>& alerts() const { return alerts_; }

    // Runs while an alert is up, after it has been recorded.
    std::function<void(const SimAlert&)> onModalAlert;

private:
    std::weak_ptr<ApplicationDelegate> delegate_;
    bool launched_ = false;
    std::vector<ActivationPolicy> policies_;
    std::vector<bool> activations_;
    std::size_t terminateCount_ = 0;
    std::vector<SimAlert> alerts_;
};

} // namespace cendrel
