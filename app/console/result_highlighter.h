#pragma once

#include <QPalette>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

namespace tallix {

class FallbackFit;

// The colours of the console's kinds of line, made from a palette so that a
// dark one stays readable: each is the palette's text colour mixed with a
// hue of its own.
struct LineColours {
    QColor result;
    QColor error;
    QColor comment;
};
LineColours lineColours(const QPalette& palette);

// Colours result lines, error lines and comments (from "#" to the end of an
// input line). Only the colour of the characters changes: never the font
// (beyond the fallback sizes that keep every line as tall as the others), so
// a line keeps its height, and never the text, so a copy is what it was.
class ResultHighlighter : public QSyntaxHighlighter {
  public:
    // Lines are also fitted to the console's line height by `fit`, which
    // leaves their formats to this object.
    ResultHighlighter(QTextDocument* document, const QPalette& palette, FallbackFit* fit);
    void setPalette(const QPalette& palette);

  protected:
    void highlightBlock(const QString& text) override;

  private:
    void colour(const QString& text);
    void fitToLineHeight(const QString& text);

    FallbackFit* fit_;
    QTextCharFormat result_;
    QTextCharFormat error_;
    QTextCharFormat comment_;
};

}  // namespace tallix
