#include "app/console/fallback_fit.h"

#include <QFontInfo>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QtMath>
#include <algorithm>

namespace tallix {

namespace {

constexpr int FITTED = 1;  // the state of a line holding fitted runs

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

FallbackFit::FallbackFit(QTextDocument* document) : QObject(document), document_(document) {
    connect(document, &QTextDocument::contentsChange, this, &FallbackFit::contentsChanged);
}

void FallbackFit::setConsoleFont(const QFont& font) {
    face_ = QRawFont::fromFont(font);
    const FallbackSizes sizes = fallbackSizes(font);
    beside_ = sizedFormat(font, sizes.beside);
    alone_ = sizedFormat(font, sizes.alone);
    if (refitAll_) {
        refitAll_();
        return;
    }
    for (QTextBlock block = document_->begin(); block.isValid(); block = block.next())
        fitBlock(block);
}

void FallbackFit::leaveFormatsTo(std::function<void()> refitAll) {
    disconnect(document_, &QTextDocument::contentsChange, this, &FallbackFit::contentsChanged);
    refitAll_ = std::move(refitAll);
    refitAll_();
}

void FallbackFit::contentsChanged(int position, int, int added) {
    if (fitting_) return;
    const QTextBlock last = document_->findBlock(position + added);
    for (QTextBlock block = document_->findBlock(position); block.isValid(); block = block.next()) {
        fitBlock(block);
        if (block == last) break;
    }
}

// A line's state says whether it holds fitted runs; lines that never did are left alone
// without making them a layout of their own before they are shown.
void FallbackFit::fitBlock(QTextBlock block) {
    const QString text = block.text();
    const bool latinOnly =
        std::all_of(text.begin(), text.end(), [](QChar ch) { return ch.unicode() < 0x80; });
    if (latinOnly && block.userState() != FITTED) return;
    const QList<QTextLayout::FormatRange> runs =
        latinOnly ? QList<QTextLayout::FormatRange>() : fittedRuns(text);
    block.setUserState(runs.isEmpty() ? -1 : FITTED);
    QTextLayout* layout = block.layout();
    if (runs == layout->formats()) return;
    layout->setFormats(runs);
    fitting_ = true;
    document_->markContentsDirty(block.position(), block.length());
    fitting_ = false;
}

// Text is shaped in runs of one script, and a run's line metrics are those of the face chosen
// for its script. Common characters (digits, blanks, signs) join the run before them, or at
// the start of a line the run after them: a "# " before kana is measured in the kana's face.
QList<QTextLayout::FormatRange> FallbackFit::fittedRuns(const QString& text) const {
    QList<QTextLayout::FormatRange> runs;
    if (std::all_of(text.begin(), text.end(), [](QChar ch) { return ch.unicode() < 0x80; }))
        return runs;
    qsizetype start = 0;
    QChar::Script script = QChar::Script_Common;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar::Script own = text[i].script();
        if (own <= QChar::Script_Common || own == script) continue;
        if (script <= QChar::Script_Common) {
            script = own;
            continue;
        }
        fitRun(text, start, i, script, runs);
        start = i;
        script = own;
    }
    fitRun(text, start, text.size(), script, runs);
    return runs;
}

void FallbackFit::fitRun(const QString& text, qsizetype start, qsizetype end, QChar::Script script,
                         QList<QTextLayout::FormatRange>& runs) const {
    // Latin and Common runs are shaped in the console font itself, missing glyphs or not.
    if (script <= QChar::Script_Latin) return;
    const bool lacking = std::any_of(text.begin() + start, text.begin() + end,
                                     [this](QChar ch) { return !face_.supportsCharacter(ch); });
    if (!lacking) return;
    const bool wholeLine = start == 0 && end == text.size();
    runs.append({int(start), int(end - start), wholeLine ? alone_ : beside_});
}

}  // namespace tallix
