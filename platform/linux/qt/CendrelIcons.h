// Cendrel's icons: one home for the drawings the tray and the recorder share.
#pragma once

#include "StatusBar.h"

#include <QIcon>

namespace cendrel {

// The status item's icon for a state.
QIcon stateIcon(StatusIcon which);
// Cendrel's own icon (the locked padlock), for its windows and notices; it
// carries the name "cendrel", under which the package installs it in the
// icon theme.
QIcon applicationIcon();

} // namespace cendrel
