#pragma once

#include <QFont>
#include <QHash>
#include <QList>
#include <QObject>
#include <QRawFont>
#include <QTextCharFormat>
#include <QTextLayout>
#include <functional>

class QTextBlock;
class QTextDocument;

namespace tallix {

// Characters the console font has no glyph for (the Japanese of error lines, with most
// console fonts) come from a fallback face with its own ascent and descent, and the lines
// holding them grew taller or shorter than the others. This draws them at the largest size
// whose line still fits the console font's, so every line has the same height. Lines of Latin
// text alone, nearly all of them, are passed over at the cost of one look at each character.
class FallbackFit : public QObject {
  public:
    explicit FallbackFit(QTextDocument* document);

    // Call whenever the console font changes.
    void setConsoleFont(const QFont& font);

    // A line's layout holds one list of formats. Where another part of the
    // console sets them too (the colours of results), that part asks for the
    // fitted runs of each line it formats, and `refitAll` is called when
    // every line needs them again; this object then sets no format itself.
    void leaveFormatsTo(std::function<void()> refitAll);
    // The runs to draw in a fitted size; none for a line of Latin text.
    QList<QTextLayout::FormatRange> fittedRuns(const QString& text);

  private:
    void contentsChanged(int position, int removed, int added);
    void fitBlock(QTextBlock block);
    // text[start, end), one run of `script`: what the face lacks in a fitted size.
    void fitRun(const QString& text, qsizetype start, qsizetype end, QChar::Script script,
                QList<QTextLayout::FormatRange>& runs);
    QTextCharFormat fittedFormat(const QString& lacking, bool wholeLine);
    bool lacks(const QString& text, qsizetype at) const;
    qsizetype stretchEnd(const QString& text, qsizetype from, qsizetype end) const;

    QTextDocument* document_;
    QFont consoleFont_;
    QRawFont face_;                           // the console font's own face, without fallbacks
    QTextCharFormat ownFace_;                 // the console font, named by the face it resolves to
    bool namesNoFace_ = false;                // the console font names a family that is no face
    QHash<QString, QTextCharFormat> fitted_;  // by the text and whether it fills its line
    bool fitting_ = false;  // marking a line for layout again reports it as changed
    std::function<void()> refitAll_;
};

}  // namespace tallix
