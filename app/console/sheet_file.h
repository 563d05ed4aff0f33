#pragma once

#include <QString>

class QPlainTextEdit;
class QTextDocument;

namespace tallix {

// The console's text as a sheet file holds it: UTF-8, one line per console
// line, the lines joined by LF.
QByteArray sheetBytes(const QTextDocument& document);

// Writes the sheet to `path` through a temporary file renamed into place, so
// that a failure leaves any earlier file whole. Returns an empty text, or why
// it failed.
QString saveSheet(const QTextDocument& document, const QString& path);

// Reads a sheet file into `text` (line breaks LF, CR LF or CR, all made LF).
// Returns an empty text, or why it failed.
QString readSheet(const QString& path, QString& text);

// Puts the sheet's lines in place of the console's text, marked as opened
// (not evaluated, results not yet told from input), as one undo step.
void showSheet(QPlainTextEdit& console, const QString& text);

}  // namespace tallix
