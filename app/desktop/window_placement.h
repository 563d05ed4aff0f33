#pragma once

#include <QList>
#include <QRect>

#include "app/settings/settings.h"

namespace tallix {

// The smallest window that still shows the menu bar and a few console lines.
inline constexpr int MIN_WINDOW_WIDTH = 160;
inline constexpr int MIN_WINDOW_HEIGHT = 100;

// Where a stored rectangle can open, given the available area of each screen.
// A rectangle edited by hand, or stored on a larger desktop, can be too big
// to draw (gigabytes of window) or lie where no screen shows it. Its size is
// kept within the desktop's bounds and above a usable minimum. A window the
// screens show whole stays where it is; any other moves, keeping its size
// where it fits, wholly onto the screen that shows most of it (the nearest
// one when none shows any). Without screens it is kept as is.
WindowRect placeOnScreens(const WindowRect& stored, const QList<QRect>& screens);

}  // namespace tallix
