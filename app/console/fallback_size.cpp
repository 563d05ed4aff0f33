#include "app/console/fallback_size.h"

#include <QFontInfo>
#include <QTextLayout>
#include <QtMath>
#include <algorithm>

namespace tallix {

namespace {

struct LineMetrics {
    qreal ascent = 0;
    qreal descent = 0;
    int height = 0;
};

// The metrics of a console line holding `text` in `format`, laid out as the console lays it.
LineMetrics lineMetrics(const QString& text, const QFont& consoleFont,
                        const QTextCharFormat& format = {}) {
    QTextLayout layout(text, consoleFont);
    layout.setFormats({{0, int(text.size()), format}});
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLeadingIncluded(true);
    layout.endLayout();
    return {line.ascent(), line.descent(), qCeil(line.height())};
}

QTextCharFormat fontFormat(const QFont& font) {
    QTextCharFormat format;
    format.setFont(font, QTextCharFormat::FontPropertiesAll);
    return format;
}

QTextCharFormat sizedFormat(QFont font, qreal points) {
    font.setPointSizeF(points);
    return fontFormat(font);
}

// Qt draws a subscript at two thirds of its font's size but takes the line's ascent and
// descent from the font at its full size: the console face's own, here. With the subscript's
// offset at 0 the glyphs stay on the baseline.
QTextCharFormat fullHeightFormat(const QFont& ownFace) {
    QTextCharFormat format = fontFormat(ownFace);
    format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    format.setSubScriptBaseline(0);
    return format;
}

// The largest size, in points and no larger than the console font's, that `fits`. Sizes are
// whole steps, fine enough to meet every pixel of line height and coarse enough for huge
// fonts; line metrics grow with the size, so halving finds the largest.
template <typename Fits>
qreal largestFitting(qreal full, Fits fits) {
    if (fits(full)) return full;
    const qreal step = std::max(0.125, full / 128);
    qsizetype fitting = 1, tooLarge = qsizetype(full / step);
    while (tooLarge - fitting > 1) {
        const qsizetype middle = (fitting + tooLarge) / 2;
        (fits(middle * step) ? fitting : tooLarge) = middle;
    }
    return fitting * step;
}

}  // namespace

QFont namedByItsFace(const QFont& consoleFont) {
    QFont named = consoleFont;
    named.setFamilies({QFontInfo(consoleFont).family()});
    return named;
}

QTextCharFormat fallbackFormat(const QString& text, const QFont& consoleFont, bool wholeLine) {
    const QFont ownFace = namedByItsFace(consoleFont);
    const LineMetrics console = lineMetrics(QStringLiteral("Ag"), consoleFont);
    const qreal points = largestFitting(QFontInfo(consoleFont).pointSizeF(), [&](qreal size) {
        const LineMetrics own = lineMetrics(text, consoleFont, sizedFormat(ownFace, size));
        if (wholeLine) return own.height <= console.height;
        return own.ascent <= console.ascent && own.descent <= console.descent &&
               own.height <= console.height;
    });
    const QTextCharFormat sized = sizedFormat(ownFace, points);
    if (!wholeLine || lineMetrics(text, consoleFont, sized).height == console.height) return sized;
    const QTextCharFormat fullHeight = fullHeightFormat(ownFace);
    return lineMetrics(text, consoleFont, fullHeight).height == console.height ? fullHeight : sized;
}

}  // namespace tallix
