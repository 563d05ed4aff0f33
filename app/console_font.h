// The console font command. It lives with the program, not in the console, so that the console
// never opens a dialog and the dialogs never reach into the console.
#pragma once

class QWidget;

namespace tallix {

class Settings;

// Lets the user choose the console's font and keeps the choice in `settings`. An untouched
// dialog leaves the stored record as it was, byte for byte.
void chooseConsoleFont(QWidget& console, Settings& settings);

}  // namespace tallix
