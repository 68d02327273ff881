// Simulated login-item service for the application itself.
#pragma once

#include "LoginItems.h"

#include <deque>
#include <string>
#include <vector>

namespace cendrel {

class SimLoginItems final : public LoginItems {
public:
    // Takes the next queued status if any, else the stored one.
    std::int64_t status() override;
    // On success the stored status becomes 1 (enabled); a failure set with
    // failRegister() is returned instead and the status is left alone.
    std::optional<LoginItemError> registerMainApp() override;
    // On success the stored status becomes 0 (not registered).
    std::optional<LoginItemError> unregisterMainApp() override;

    // Any value, including ones the system never gives. Starts at 0.
    void setStatus(std::int64_t status) { status_ = status; }
    // Answers for the next status() calls, in order, before the stored
    // status is read again: lets the status change between two reads.
    void queueStatuses(std::vector<std::int64_t> statuses);
    // Every later registerMainApp() / unregisterMainApp() fails with the
    // error, until cleared with nothing.
    void failRegister(std::optional<LoginItemError> error) { registerError_ = std::move(error); }
    void failUnregister(std::optional<LoginItemError> error) { unregisterError_ = std::move(error); }

    // "status", "register", "unregister", in call order.
    const std::vector<std::string>& calls() const { return calls_; }

private:
    std::int64_t status_ = 0;
    std::deque<std::int64_t> queued_;
    std::optional<LoginItemError> registerError_;
    std::optional<LoginItemError> unregisterError_;
    std::vector<std::string> calls_;
};

} // namespace cendrel
