#include "app/fallback_fit.h"

#include <QFontInfo>
#include <QTextLayout>
#include <QtMath>
#include <algorithm>

namespace tallix {

namespace {

// What the console writes that most console fonts lack: kanji, kana, full-width signs.
const QString FALLBACK_SAMPLE = QStringLiteral("漢字かなカナ「、。」０");

struct LineMetrics {
    qreal ascent = 0;
    qreal descent = 0;
    qreal height = 0;
};

LineMetrics lineMetrics(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLeadingIncluded(true);
    layout.endLayout();
    return {line.ascent(), line.descent(), line.height()};
}

QTextCharFormat sizedFormat(QFont font, qreal points) {
    font.setPointSizeF(points);
    QTextCharFormat format;
    format.setFont(font, QTextCharFormat::FontPropertiesAll);
    return format;
}

}  // namespace

FallbackSizes fallbackSizes(const QFont& consoleFont) {
    const qreal full = QFontInfo(consoleFont).pointSizeF();
    const LineMetrics console = lineMetrics(QStringLiteral("Ag"), consoleFont);
    // Fine enough to meet every pixel of line height, coarse enough for huge fonts.
    const qreal step = std::max(0.125, full / 128);
    FallbackSizes sizes{step, step};
    bool besideFound = false, aloneFound = false;
    QFont fallback = consoleFont;
    for (qreal points = full; points > step && !(besideFound && aloneFound); points -= step) {
        fallback.setPointSizeF(points);
        const LineMetrics own = lineMetrics(FALLBACK_SAMPLE, fallback);
        if (!besideFound && own.ascent <= console.ascent && own.descent <= console.descent &&
            own.height <= console.height) {
            sizes.beside = points;
            besideFound = true;
        }
        if (!aloneFound && qCeil(own.height) <= qCeil(console.height)) {
            sizes.alone = points;
            aloneFound = true;
        }
    }
    return sizes;
}

FallbackFit::FallbackFit(QTextDocument* document) : QSyntaxHighlighter(document) {}

void FallbackFit::setConsoleFont(const QFont& font) {
    face_ = QRawFont::fromFont(font);
    const FallbackSizes sizes = fallbackSizes(font);
    beside_ = sizedFormat(font, sizes.beside);
    alone_ = sizedFormat(font, sizes.alone);
    rehighlight();
}

// Text is shaped in runs of one script, and a run's line metrics are those of the face chosen
// for its script. Common characters (digits, blanks, signs) join the run before them, or at
// the start of a line the run after them: a "# " before kana is measured in the kana's face.
void FallbackFit::highlightBlock(const QString& text) {
    qsizetype start = 0;
    QChar::Script script = QChar::Script_Common;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar::Script own = text[i].script();
        if (own <= QChar::Script_Common || own == script) continue;
        if (script <= QChar::Script_Common) {
            script = own;
            continue;
        }
        fitRun(text, start, i, script);
        start = i;
        script = own;
    }
    fitRun(text, start, text.size(), script);
}

void FallbackFit::fitRun(const QString& text, qsizetype start, qsizetype end,
                         QChar::Script script) {
    // Latin and Common runs are shaped in the console font itself, missing glyphs or not.
    if (script <= QChar::Script_Latin) return;
    const bool lacking = std::any_of(text.begin() + start, text.begin() + end,
                                     [this](QChar ch) { return !face_.supportsCharacter(ch); });
    if (!lacking) return;
    const bool wholeLine = start == 0 && end == text.size();
    setFormat(int(start), int(end - start), wholeLine ? alone_ : beside_);
}

}  // namespace tallix
