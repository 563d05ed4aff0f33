// Choosing the console font: the font dialog opened on the record in force, and what its
// choice makes of that record.
#pragma once

#include <QFont>
#include <optional>

#include "app/settings/font_record.h"

class QFontDialog;
class QWidget;

namespace tallix {

// The font as the dialog lists it: the face actually drawn and the style entry of that face
// with the font's weight and slant, so that the dialog opens on exactly this font instead of
// the face's first style.
QFont fontForDialog(const QFont& font);

// The record after a choice: the aspects the user left as they were (face, style, size) keep
// their fields byte for byte; an untouched dialog gives back `current` itself.
LogFont applyChoice(const LogFont& current, const QFont& opened, const QFont& chosen);

// Lets the user choose a font, starting from `current`; nothing on Cancel.
std::optional<LogFont> chooseFontRecord(QWidget* parent, const LogFont& current);

// The dialog's sample field, tall enough for the text in the font it shows.
void keepSampleReadable(QFontDialog& dialog);

// Names and describes the dialog's fields for assistive technology, in Japanese.
void describeFontControls(QFontDialog& dialog);

}  // namespace tallix
