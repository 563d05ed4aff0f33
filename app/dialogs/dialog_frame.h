// The dialogs room: Options, the font dialog, About, the help window and message boxes, all in
// the frame below. They use the settings store and the program icon, never the console.
#pragma once

class QDialog;

namespace tallix {

// The frame every dialog of the program asks for: a title and a close button, no minimise or
// maximise button, and at least as wide as a title bar needs to show the whole title. It is
// modal to its window only. Call it once the dialog has its title and layout.
void useDialogFrame(QDialog& dialog);

}  // namespace tallix
