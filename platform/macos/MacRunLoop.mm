// RunLoop on macOS: NSTimer on the main run loop in the common modes, and
// blocks performed by the main run loop. No gap.
#import <CoreFoundation/CoreFoundation.h>
#import <Foundation/Foundation.h>

#include "MacBackend.h"

#include <utility>

namespace cendrel {

namespace {

class MacTimer final : public Timer {
public:
    MacTimer(Seconds interval, bool repeats, std::function<void()> block)
        : block_(std::make_shared<std::function<void()>>(std::move(block)))
    {
        // The run loop keeps the NSTimer and the NSTimer its block, which
        // holds the closure weakly: releasing this token ends it all.
        std::weak_ptr<std::function<void()>> weakBlock = block_;
        timer_ = [NSTimer scheduledTimerWithTimeInterval:interval.count()
                                                 repeats:repeats
                                                   block:^(NSTimer*) {
                                                     // Kept alive while it runs: it may release its
                                                     // own token.
                                                     std::shared_ptr<std::function<void()>> fire = weakBlock.lock();
                                                     if (fire && *fire) {
                                                         (*fire)();
                                                     }
                                                   }];
        // Scheduled in the default mode only, a timer would stop while a menu
        // is tracked; whether to wait for the menu is the caller's decision.
        [NSRunLoop.mainRunLoop addTimer:timer_ forMode:NSRunLoopCommonModes];
    }

    ~MacTimer() override { [timer_ invalidate]; }

private:
    std::shared_ptr<std::function<void()>> block_;
    NSTimer* timer_ = nil;
};

class MacRunLoop final : public RunLoop {
public:
    std::unique_ptr<Timer> scheduleTimer(Seconds interval, bool repeats, std::function<void()> block) override
    {
        return std::make_unique<MacTimer>(interval, repeats, std::move(block));
    }

    void post(std::function<void()> block) override { postToMainRunLoop(std::move(block)); }
};

} // namespace

// The main dispatch queue runs one block at a time: a block that runs an
// alert's modal loop would hold back every later one (hot-key presses, lock
// replies, the end of a grace hold) until the alert closed.
void postToMainRunLoop(std::function<void()> work)
{
    if (!work) {
        return;
    }
    CFRunLoopRef mainLoop = CFRunLoopGetMain();
    CFRunLoopPerformBlock(mainLoop, kCFRunLoopCommonModes, ^{
      work();
    });
    // Performed blocks do not wake a sleeping run loop by themselves.
    CFRunLoopWakeUp(mainLoop);
}

std::shared_ptr<RunLoop> makeMacRunLoop()
{
    return std::make_shared<MacRunLoop>();
}

} // namespace cendrel
