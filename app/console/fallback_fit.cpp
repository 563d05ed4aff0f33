#include "app/console/fallback_fit.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>
#include <utility>

#include "app/console/fallback_size.h"

namespace tallix {

namespace {

bool latinOnly(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar ch) { return ch.unicode() < 0x80; });
}

constexpr int FITTED = 1;                 // the state of a line holding fitted runs
constexpr qsizetype MOST_FORMATS = 4096;  // remembered formats; error lines repeat a few texts

}  // namespace

FallbackFit::FallbackFit(QTextDocument* document) : QObject(document), document_(document) {
    connect(document, &QTextDocument::contentsChange, this, &FallbackFit::contentsChanged);
}

void FallbackFit::setConsoleFont(const QFont& font) {
    consoleFont_ = font;
    face_ = QRawFont::fromFont(font);
    const QFont named = namedByItsFace(font);
    namesNoFace_ = named.families() != font.families();
    ownFace_.setFont(named, QTextCharFormat::FontPropertiesAll);
    fitted_.clear();
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
    if (latinOnly(text) && block.userState() != FITTED) return;
    const QList<QTextLayout::FormatRange> runs = fittedRuns(text);
    block.setUserState(runs.isEmpty() ? -1 : FITTED);
    QTextLayout* layout = block.layout();
    if (runs == layout->formats()) return;
    layout->setFormats(runs);
    fitting_ = true;
    document_->markContentsDirty(block.position(), block.length());
    fitting_ = false;
}

// Text is shaped in runs of one script, and a run's line metrics are those of the faces chosen
// for its script. Common characters (digits, blanks, signs) join the run before them, or at
// the start of a line the run after them: a "# " before kana is shaped with the kana.
QList<QTextLayout::FormatRange> FallbackFit::fittedRuns(const QString& text) {
    QList<QTextLayout::FormatRange> runs;
    if (latinOnly(text)) return runs;
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

// Each stretch the face lacks gets a fitted size. In a run of another script than Latin, the
// characters the face has are named in the console face at its full size too when the console
// font names no face: shaped with kana, a "# " would take the Japanese face's line metrics.
void FallbackFit::fitRun(const QString& text, qsizetype start, qsizetype end, QChar::Script script,
                         QList<QTextLayout::FormatRange>& runs) {
    if (start == end) return;
    const bool otherScript = script > QChar::Script_Latin;
    // A run the face has whole is shaped in it, whatever the font names.
    if (otherScript && stretchEnd(text, start, end) == end && !lacks(text, start)) return;
    for (qsizetype i = start; i < end;) {
        const qsizetype stop = stretchEnd(text, i, end);
        if (lacks(text, i)) {
            const bool wholeLine = i == 0 && stop == text.size();
            runs.append({int(i), int(stop - i), fittedFormat(text.sliced(i, stop - i), wholeLine)});
        } else if (otherScript && namesNoFace_) {
            runs.append({int(i), int(stop - i), ownFace_});
        }
        i = stop;
    }
}

QTextCharFormat FallbackFit::fittedFormat(const QString& lacking, bool wholeLine) {
    const QString key = (wholeLine ? QLatin1Char('1') : QLatin1Char('0')) + lacking;
    auto format = fitted_.constFind(key);
    if (format == fitted_.cend()) {
        if (fitted_.size() >= MOST_FORMATS) fitted_.clear();
        format = fitted_.insert(key, fallbackFormat(lacking, consoleFont_, wholeLine));
    }
    return *format;
}

// A character outside the console font's face; the halves of a surrogate pair are looked up
// as the one character they make.
bool FallbackFit::lacks(const QString& text, qsizetype at) const {
    const QChar ch = text[at];
    if (ch.isLowSurrogate() && at > 0 && text[at - 1].isHighSurrogate()) return lacks(text, at - 1);
    if (ch.isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate())
        return !face_.supportsCharacter(QChar::surrogateToUcs4(ch, text[at + 1]));
    return !face_.supportsCharacter(ch);
}

// The end of the stretch from `from`, before `end`, where the face lacks every character or
// none.
qsizetype FallbackFit::stretchEnd(const QString& text, qsizetype from, qsizetype end) const {
    const bool lacking = lacks(text, from);
    qsizetype stop = from + 1;
    while (stop < end && lacks(text, stop) == lacking)
        ++stop;
    return stop;
}

}  // namespace tallix
