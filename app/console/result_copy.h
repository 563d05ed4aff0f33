#pragma once

#include <QString>
#include <QTextBlock>

namespace tallix {

// The result a "copy result" takes for the line holding the caret: that line
// itself when it is a result, else the result line below it.
struct ResultToCopy {
    enum class Kind { Number, Error, Nothing };
    Kind kind = Kind::Nothing;
    QString text;  // a number without digit-group separators, or the error line
};
ResultToCopy resultToCopy(const QTextBlock& caretLine);

// A number as other programs read it: the shown digits without the "'"
// between digit groups ("1'234.5" gives "1234.5", "1.5e20" stays).
QString plainNumber(const QString& shown);

// Puts the result of `caretLine` on the clipboard (nothing for an error line
// or a line without a result); returns what to tell the user.
QString copyResult(const QTextBlock& caretLine);

}  // namespace tallix
