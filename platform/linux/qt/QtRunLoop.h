// Qt's event loop as the main run loop.
#pragma once

#include "RunLoop.h"

#include <memory>

namespace cendrel {

class QtTimerHost;

class QtRunLoop final : public RunLoop {
public:
    QtRunLoop();
    ~QtRunLoop() override;

    std::unique_ptr<Timer> scheduleTimer(Seconds interval, bool repeats, std::function<void()> block) override;
    void post(std::function<void()> block) override;

private:
    std::unique_ptr<QtTimerHost> host_;
};

} // namespace cendrel
