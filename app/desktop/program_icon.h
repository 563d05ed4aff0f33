#pragma once

#include <QIcon>

namespace tallix {

// The program's icon at 16 and 32 pixels, for the window, the tray and the About box.
QIcon programIcon();

}  // namespace tallix
