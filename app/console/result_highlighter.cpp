#include "app/console/result_highlighter.h"

#include "app/console/fallback_fit.h"
#include "app/console/line_marks.h"
#include "engine/engine.h"

namespace tallix {

namespace {

QColor mixed(const QColor& a, const QColor& b, double share) {
    const double rest = 1.0 - share;
    return QColor::fromRgbF(static_cast<float>(a.redF() * rest + b.redF() * share),
                            static_cast<float>(a.greenF() * rest + b.greenF() * share),
                            static_cast<float>(a.blueF() * rest + b.blueF() * share));
}

bool isErrorLine(const QString& text) {
    return text.startsWith(QLatin1String("ERR"));
}

// A result the console put in, or a line of an opened sheet that reads as one.
bool looksLikeResult(const QTextBlock& line, const QString& text) {
    switch (originOf(line)) {
        case LineOrigin::Result:
            return true;
        case LineOrigin::Opened:
            return has_output_shape(text.toStdString());
        case LineOrigin::Typed:
            break;
    }
    return false;
}

}  // namespace

// Half the text colour keeps the contrast of the text against the background
// whether the palette is light or dark.
LineColours lineColours(const QPalette& palette) {
    const QColor text = palette.color(QPalette::Text);
    return LineColours{mixed(text, palette.color(QPalette::Link), 0.5),
                       mixed(text, QColor(255, 0, 0), 0.5),
                       mixed(text, palette.color(QPalette::Base), 0.45)};
}

ResultHighlighter::ResultHighlighter(QTextDocument* document, const QPalette& palette,
                                     FallbackFit* fit)
    : QSyntaxHighlighter(document), fit_(fit) {
    setPalette(palette);
    if (fit_) fit_->leaveFormatsTo([this] { rehighlight(); });
}

void ResultHighlighter::setPalette(const QPalette& palette) {
    const LineColours colours = lineColours(palette);
    result_.setForeground(colours.result);
    error_.setForeground(colours.error);
    comment_.setForeground(colours.comment);
    rehighlight();
}

void ResultHighlighter::highlightBlock(const QString& text) {
    colour(text);
    fitToLineHeight(text);
}

// The fallback size goes over the colour, character by character.
void ResultHighlighter::fitToLineHeight(const QString& text) {
    if (!fit_) return;
    for (const QTextLayout::FormatRange& run : fit_->fittedRuns(text)) {
        for (int at = run.start; at < run.start + run.length; ++at) {
            QTextCharFormat fitted = format(at);
            fitted.merge(run.format);
            setFormat(at, 1, fitted);
        }
    }
}

void ResultHighlighter::colour(const QString& text) {
    if (looksLikeResult(currentBlock(), text)) {
        setFormat(0, static_cast<int>(text.size()), isErrorLine(text) ? error_ : result_);
        return;
    }
    const qsizetype comment = text.indexOf(u'#');
    if (comment >= 0)
        setFormat(static_cast<int>(comment), static_cast<int>(text.size() - comment), comment_);
}

}  // namespace tallix
