#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace tallix {

// One piece of pasted text: the characters up to a line break or the end.
struct PastePiece {
    QStringView text;
    bool endsLine = false;  // a line break followed; the line is to be evaluated
};

// Cuts pasted text into pieces at CR LF, lone CR and lone LF (and the
// document's own paragraph separator, which would start a line anyway), one
// at a time and without copying: a paste may be megabytes long. A NUL ends
// the text as the end would. The text must outlive the reader.
class PasteReader {
  public:
    explicit PasteReader(const QString& text);
    // The next piece, or false at the end.
    bool next(PastePiece& piece);
    // What has not been read yet, line breaks included.
    QStringView rest() const { return text_.mid(position_); }

  private:
    QStringView text_;
    qsizetype position_ = 0;
};

// The bytes of a console line the evaluator gets: its UTF-8 text, cut to at
// most `limit` bytes without splitting a character.
QByteArray lineForEvaluation(QStringView line, qsizetype limit);

}  // namespace tallix
