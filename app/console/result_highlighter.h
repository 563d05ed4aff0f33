#pragma once

#include <QPalette>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

namespace tallix {

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
// input line). Only the colour of the characters changes: never the font, so
// a line keeps its height, and never the text, so a copy is what it was.
class ResultHighlighter : public QSyntaxHighlighter {
  public:
    ResultHighlighter(QTextDocument* document, const QPalette& palette);
    void setPalette(const QPalette& palette);

  protected:
    void highlightBlock(const QString& text) override;

  private:
    QTextCharFormat result_;
    QTextCharFormat error_;
    QTextCharFormat comment_;
};

}  // namespace tallix
