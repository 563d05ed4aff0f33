#include "app/console_text.h"

namespace tallix {

namespace {

bool isLineBreak(QChar ch) {
    return ch == u'\r' || ch == u'\n' || ch == QChar::ParagraphSeparator;
}

}  // namespace

std::vector<PastePiece> splitPaste(const QString& text) {
    std::vector<PastePiece> pieces;
    qsizetype start = 0;
    const qsizetype end = text.indexOf(QChar::Null) < 0 ? text.size() : text.indexOf(QChar::Null);
    while (start < end) {
        qsizetype stop = start;
        while (stop < end && !isLineBreak(text[stop]))
            ++stop;
        if (stop == end) {
            pieces.push_back({text.mid(start, stop - start), false});
            break;
        }
        pieces.push_back({text.mid(start, stop - start), true});
        const bool crlf = text[stop] == u'\r' && stop + 1 < end && text[stop + 1] == u'\n';
        start = stop + (crlf ? 2 : 1);
    }
    return pieces;
}

QByteArray lineForEvaluation(const QString& line, qsizetype limit) {
    QByteArray utf8 = line.toUtf8();
    if (utf8.size() <= limit) return utf8;
    qsizetype cut = limit;
    // Step back over continuation bytes to the start of the character that does not fit.
    while (cut > 0 && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80)
        --cut;
    utf8.truncate(cut);
    return utf8;
}

}  // namespace tallix
