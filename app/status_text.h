// The status bar's text, told to assistive technology as well as drawn.
#pragma once

#include <QString>

class QMainWindow;
class QStatusBar;

namespace tallix {

// Shows `text` in the window's status bar, and shows the bar. A status bar draws its message
// itself, where no screen reader can read it: the text becomes the bar's accessible
// description too, which tells assistive technology of each change.
void showStatusText(QMainWindow& window, const QString& text);

// Takes the text away and hides the bar.
void hideStatusText(QStatusBar& bar);

}  // namespace tallix
