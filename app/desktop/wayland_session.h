#pragma once

namespace tallix {

// True where the session is a Wayland one: there the compositor keeps the window's place and
// state to itself, and Qt draws the windows' title bars itself.
bool onWayland();

}  // namespace tallix
