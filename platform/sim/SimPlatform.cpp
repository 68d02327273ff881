// The simulated platform as a whole, and the entry hook of a sim build of the program.
#include "SimPlatform.h"

namespace cendrel {

SimPlatform::SimPlatform()
    : application_(std::make_shared<SimApplication>()), runLoop_(std::make_shared<SimRunLoop>()),
      screens_(std::make_shared<SimScreens>()), statusBar_(std::make_shared<SimStatusBar>(runLoop_)),
      panels_(std::make_shared<SimPanels>()), userDefaults_(std::make_shared<SimUserDefaults>()),
      hotKeyEvents_(std::make_shared<SimHotKeyEvents>()), keyboardLayout_(std::make_shared<SimKeyboardLayout>()),
      loginItems_(std::make_shared<SimLoginItems>()), loader_(std::make_shared<SimLoader>()),
      systemLog_(std::make_shared<SimSystemLog>())
{
}

void SimPlatform::install(SystemFlavor flavor) const
{
    installPlatform({flavor, application_, runLoop_, screens_, statusBar_, panels_, userDefaults_, hotKeyEvents_,
                     keyboardLayout_, loginItems_, loader_, systemLog_});
}

// A sim build of the program runs against a fresh simulated platform: it
// launches, and run() returns at once.
bool installNativePlatform(int, char**)
{
    SimPlatform().install();
    return true;
}

} // namespace cendrel
