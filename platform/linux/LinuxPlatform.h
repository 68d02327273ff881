// Builds the Linux/X11 platform: one QApplication, one X connection of our
// own, and every interface on top of them.
#pragma once

#include "Platform.h"

#include <string>

namespace cendrel {

// The absolute path of the running executable, as the autostart entry names it.
std::string runningExecutablePath();

} // namespace cendrel
