#pragma once

#include <QString>

namespace tallix {

// Takes the permission to take the focus that the launcher gave this process, and clears it
// from the environment so that no program started later inherits it. Wayland launchers put an
// xdg-activation token in XDG_ACTIVATION_TOKEN; GNOME's menus and the custom shortcuts it runs
// give DESKTOP_STARTUP_ID instead. Empty when there is neither.
QString takeLauncherToken();

}  // namespace tallix
