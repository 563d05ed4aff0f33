#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace tallix {

// One piece of pasted text: the characters up to a line break or the end.
struct PastePiece {
    QString text;
    bool endsLine = false;  // a line break followed; the line is to be evaluated
};

// Cuts pasted text into pieces at CR LF, lone CR and lone LF (and the
// document's own paragraph separator, which would start a line anyway).
// A NUL ends the text as the end would.
std::vector<PastePiece> splitPaste(const QString& text);

// The bytes of a console line the evaluator gets: its UTF-8 text, cut to at
// most `limit` bytes without splitting a character.
QByteArray lineForEvaluation(const QString& line, qsizetype limit);

}  // namespace tallix
