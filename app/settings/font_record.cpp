#include "app/settings/font_record.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace tallix {

namespace {

// Field offsets of the record.
constexpr int OFFSET_BYTES = 20;
constexpr int OFFSET_FACE = 28;
constexpr int FACE_BYTES = 32;

constexpr uint8_t STRING_PRECISION = 1;
constexpr uint8_t STROKE_PRECISION = 3;
constexpr uint8_t STROKE_CLIP_PRECISION = 2;
constexpr uint8_t DRAFT_QUALITY = 1;

void putInt(QByteArray& out, int offset, int32_t value) {
    qToLittleEndian<int32_t>(value, out.data() + offset);
}

int32_t getInt(const QByteArray& in, int offset) {
    return qFromLittleEndian<int32_t>(in.constData() + offset);
}

// Bytes of `utf8` that fit in `limit` without splitting a character.
qsizetype fittingPrefix(const QByteArray& utf8, qsizetype limit) {
    if (utf8.size() <= limit) return utf8.size();
    qsizetype cut = limit;
    while (cut > 0 && (static_cast<uint8_t>(utf8[cut]) & 0xC0) == 0x80)
        --cut;
    return cut;
}

QFont standIn(const LogFont& record) {
    const bool fixed = (record.pitchAndFamily & 3) == FIXED_PITCH;
    return QFontDatabase::systemFont(fixed ? QFontDatabase::FixedFont : QFontDatabase::GeneralFont);
}

// A positive height is the whole cell; find the pixel size whose line height
// comes closest to it.
int pixelSizeForCell(QFont font, int cellHeight) {
    font.setPixelSize(cellHeight);
    const int measured = QFontMetrics(font).height();
    if (measured <= 0) return cellHeight;
    return std::max(1, (cellHeight * cellHeight + measured / 2) / measured);
}

// Some monospaced faces do not declare themselves so; their glyphs tell.
bool isFixedPitch(const QFont& font) {
    const QFontMetricsF metrics(font);
    return QFontInfo(font).fixedPitch() ||
           (metrics.horizontalAdvance(u'i') == metrics.horizontalAdvance(u'M') &&
            metrics.horizontalAdvance(u'.') == metrics.horizontalAdvance(u'W'));
}

}  // namespace

LogFont defaultLogFont() {
    LogFont font;
    font.height = -13;
    font.weight = 400;
    font.charSet = SHIFTJIS_CHARSET;
    font.outPrecision = STRING_PRECISION;
    font.clipPrecision = STROKE_CLIP_PRECISION;
    font.quality = DRAFT_QUALITY;
    font.pitchAndFamily = FIXED_PITCH;
    setFaceName(font, QStringLiteral("FixedSys"));
    return font;
}

QByteArray encodeLogFont(const LogFont& font) {
    QByteArray out(LOGFONT_BYTES, '\0');
    const int32_t ints[] = {font.height, font.width, font.escapement, font.orientation,
                            font.weight};
    for (int i = 0; i < 5; ++i)
        putInt(out, 4 * i, ints[i]);
    const uint8_t bytes[] = {font.italic,  font.underline,     font.strikeOut,
                             font.charSet, font.outPrecision,  font.clipPrecision,
                             font.quality, font.pitchAndFamily};
    std::memcpy(out.data() + OFFSET_BYTES, bytes, sizeof bytes);
    std::memcpy(out.data() + OFFSET_FACE, font.faceName.data(), FACE_BYTES);
    return out;
}

std::optional<LogFont> decodeLogFont(const QByteArray& bytes) {
    if (bytes.size() != LOGFONT_BYTES) return std::nullopt;
    LogFont font;
    font.height = getInt(bytes, 0);
    font.width = getInt(bytes, 4);
    font.escapement = getInt(bytes, 8);
    font.orientation = getInt(bytes, 12);
    font.weight = getInt(bytes, 16);
    uint8_t* fields[] = {&font.italic,  &font.underline,     &font.strikeOut,
                         &font.charSet, &font.outPrecision,  &font.clipPrecision,
                         &font.quality, &font.pitchAndFamily};
    for (int i = 0; i < 8; ++i)
        *fields[i] = static_cast<uint8_t>(bytes[OFFSET_BYTES + i]);
    std::memcpy(font.faceName.data(), bytes.constData() + OFFSET_FACE, FACE_BYTES);
    return font;
}

void setFaceName(LogFont& font, const QString& face) {
    const QByteArray utf8 = face.toUtf8();
    font.faceName.fill('\0');
    std::memcpy(font.faceName.data(), utf8.constData(), fittingPrefix(utf8, FACE_BYTES - 1));
}

QString faceName(const LogFont& font) {
    // A record from elsewhere may fill all 32 bytes with no terminator.
    const auto end = std::find(font.faceName.begin(), font.faceName.end(), '\0');
    return QString::fromUtf8(font.faceName.data(), end - font.faceName.begin());
}

QFont toQFont(const LogFont& record) {
    const QString face = faceName(record);
    QFont font = QFontDatabase::hasFamily(face) ? QFont(face) : standIn(record);
    if (record.height < 0) {
        font.setPixelSize(-record.height);
    } else if (record.height > 0) {
        font.setPixelSize(pixelSizeForCell(font, record.height));
    }
    if (record.weight > 0) font.setWeight(QFont::Weight(std::clamp(record.weight, 1, 1000)));
    font.setItalic(record.italic != 0);
    font.setUnderline(record.underline != 0);
    font.setStrikeOut(record.strikeOut != 0);
    if ((record.pitchAndFamily & 3) == FIXED_PITCH) {
        font.setFixedPitch(true);
        font.setStyleHint(QFont::TypeWriter);
    }
    return font;
}

LogFont fromQFont(const QFont& font) {
    const QFontInfo actual(font);
    LogFont record;
    record.height = -actual.pixelSize();
    record.weight = font.weight();
    record.italic = font.italic() ? 1 : 0;
    record.charSet = DEFAULT_CHARSET;
    record.outPrecision = STROKE_PRECISION;
    record.clipPrecision = STROKE_CLIP_PRECISION;
    record.quality = DRAFT_QUALITY;
    record.pitchAndFamily = isFixedPitch(font) ? FIXED_PITCH : VARIABLE_PITCH;
    // The face actually used, not an alias such as "monospace".
    setFaceName(record, actual.family());
    return record;
}

bool isPlausible(const LogFont& font) {
    return font.height >= -MAX_FONT_PIXELS && font.height <= MAX_FONT_PIXELS && font.weight >= 0 &&
           font.weight <= 1000;
}

LogFont recordFromSetting(const QByteArray& stored) {
    const std::optional<LogFont> record = decodeLogFont(stored);
    return record && isPlausible(*record) ? *record : defaultLogFont();
}

QFont fontFromSetting(const QByteArray& stored) {
    return toQFont(recordFromSetting(stored));
}

}  // namespace tallix
