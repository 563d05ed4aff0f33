#pragma once

#include <QFont>
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
// console fonts) come from a fallback face with a larger ascent and descent, and the lines
// holding them grew taller than the others. This draws them at the largest size whose line
// still fits the console font's, so every line has the same height. Lines of Latin text alone,
// nearly all of them, are passed over at the cost of one look at each character.
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
    // The runs to draw in a fallback size; none for a line of Latin text.
    QList<QTextLayout::FormatRange> fittedRuns(const QString& text) const;

  private:
    void contentsChanged(int position, int removed, int added);
    void fitBlock(QTextBlock block);
    // text[start, end), one run of `script`: in the fallback size if the face lacks any of it.
    void fitRun(const QString& text, qsizetype start, qsizetype end, QChar::Script script,
                QList<QTextLayout::FormatRange>& runs) const;

    QTextDocument* document_;
    QRawFont face_;           // the console font's own face, without fallbacks
    QTextCharFormat beside_;  // fallback text on a line with console-font text
    QTextCharFormat alone_;   // fallback text filling a line by itself
    bool fitting_ = false;    // marking a line for layout again reports it as changed
    std::function<void()> refitAll_;
};

// Fallback sizes, in points, for a console font: `beside` keeps within the console font's
// ascent and descent; `alone` makes a line of its own as tall as a console line.
struct FallbackSizes {
    qreal beside = 0;
    qreal alone = 0;
};
FallbackSizes fallbackSizes(const QFont& consoleFont);

}  // namespace tallix
