// The program entry: the application and its one controller, for the life of
// the process.

#include "AppDelegate.h"
#include "Platform.h"

#include <memory>

namespace {
std::shared_ptr<cendrel::Application> app;
std::shared_ptr<cendrel::AppDelegate> delegate;
} // namespace

int main(int argc, char** argv)
{
    if (!cendrel::installNativePlatform(argc, argv))
        return 1;
    app = cendrel::platform().application;
    delegate = std::make_shared<cendrel::AppDelegate>();
    app->setDelegate(delegate);
    app->run();
    return 0;
}
