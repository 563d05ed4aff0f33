// The call-up key in the forms the settings, Qt, X11 and the desktop portal write it.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "app/settings/settings.h"

namespace tallix {

// The modifier bits of the settings (HOTKEY_ALT ...) as X11 modifier masks.
uint16_t xcbModifiers(int mod);

// The trigger the portal expects for `preferred_trigger`, e.g. "CTRL+ALT+a".
QString portalTrigger(const HotkeyCombination& key);

// Reads a trigger as desktops describe it ("CTRL+ALT+a", "Ctrl+Alt+A", "Super+Shift+Q"):
// modifiers joined by '+', then one letter. Anything else (no modifier, another key, an empty
// description of a trigger the user removed) gives nothing.
std::optional<HotkeyCombination> parseTrigger(const QString& text);

// What the user reads, e.g. "Ctrl+Alt+A".
QString hotkeyText(const HotkeyCombination& key);

}  // namespace tallix
