#pragma once

class QWidget;

namespace tallix {

class Settings;

// The key under which the store remembers that the user was told.
inline constexpr char NO_HOTKEY_NOTICE_KEY[] = "NoHotkeyNoticeShown";

// Tells the user, the first time a session offers no call-up key (a Wayland desktop without a
// global-shortcuts portal), how to call the window up all the same: a shortcut of the
// desktop's own that runs the program, whose second launch shows the window. Said once: the
// store remembers it. The box does not wait for an answer.
void tellNoHotkeyOnce(QWidget* parent, Settings& settings);

}  // namespace tallix
