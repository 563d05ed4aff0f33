#pragma once

#include <QString>

class QWidget;

namespace tallix {

// The program's way of reporting its own problems: a modal box with the
// program name as caption, the warning icon and an OK button only.
void showWarning(QWidget* parent, const QString& text);

}  // namespace tallix
