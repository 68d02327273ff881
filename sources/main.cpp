// The program entry: the application and its one controller, for the life of
// the process.

#include "AppDelegate.h"
#include "Platform.h"

#include <memory>

namespace {
// Set once and never cleared, nor destroyed when exit() runs: the controller
// lives exactly as long as the process, whichever way the process ends.
std::shared_ptr<cendrel::Application>& app = *new std::shared_ptr<cendrel::Application>;
std::shared_ptr<cendrel::AppDelegate>& delegate = *new std::shared_ptr<cendrel::AppDelegate>;
} // namespace

int main(int argc, char** argv)
{
    if (const auto status = cendrel::installNativePlatform(argc, argv))
        return *status;
    app = cendrel::platform().application;
    delegate = std::make_shared<cendrel::AppDelegate>();
    app->run([weak = std::weak_ptr(delegate)] {
        if (auto controller = weak.lock())
            controller->applicationDidFinishLaunching();
    });
    return 0;
}
