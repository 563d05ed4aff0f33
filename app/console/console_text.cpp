#include "app/console/console_text.h"

namespace tallix {

namespace {

bool isLineBreak(QChar ch) {
    return ch == u'\r' || ch == u'\n' || ch == QChar::ParagraphSeparator;
}

}  // namespace

PasteReader::PasteReader(const QString& text) : text_(text) {
    const qsizetype nul = text_.indexOf(QChar::Null);
    if (nul >= 0) text_.truncate(nul);
}

bool PasteReader::next(PastePiece& piece) {
    const qsizetype end = text_.size();
    if (position_ >= end) return false;
    qsizetype stop = position_;
    while (stop < end && !isLineBreak(text_[stop]))
        ++stop;
    piece.text = text_.mid(position_, stop - position_);
    piece.endsLine = stop < end;
    const bool crlf = stop + 1 < end && text_[stop] == u'\r' && text_[stop + 1] == u'\n';
    position_ = stop + (crlf ? 2 : 1);
    return true;
}

QByteArray lineForEvaluation(QStringView line, qsizetype limit) {
    // Every character takes at least one byte, so what lies beyond the first
    // `limit` + 1 characters is cut anyway: a line of megabytes costs no more
    // than one that fits.
    QByteArray utf8 = line.left(limit + 1).toUtf8();
    if (utf8.size() <= limit) return utf8;
    qsizetype cut = limit;
    // Step back over continuation bytes to the start of the character that does not fit.
    while (cut > 0 && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80)
        --cut;
    utf8.truncate(cut);
    return utf8;
}

}  // namespace tallix
