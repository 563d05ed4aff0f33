#pragma once

#include <QString>

class QMessageBox;
class QWidget;

namespace tallix {

// The program's way of reporting its own problems: a modal box with the
// program name as caption, the warning icon and an OK button only.
void showWarning(QWidget* parent, const QString& text);

// What a screen reader says of a message box of the program: its text, and what OK does.
void describeMessageBox(QMessageBox& box);

}  // namespace tallix
