#pragma once

#include <QByteArray>
#include <QFont>
#include <array>
#include <cstdint>
#include <optional>

namespace tallix {

// The console font as the store keeps it: a 60-byte little-endian logical-font
// record, the same bytes on every platform the program has run on.
struct LogFont {
    int32_t height = 0;  // < 0: character height in pixels; > 0: cell height
    int32_t width = 0;
    int32_t escapement = 0;
    int32_t orientation = 0;
    int32_t weight = 0;  // 100..900, 0 for "any"
    uint8_t italic = 0;
    uint8_t underline = 0;
    uint8_t strikeOut = 0;
    uint8_t charSet = 0;
    uint8_t outPrecision = 0;
    uint8_t clipPrecision = 0;
    uint8_t quality = 0;
    uint8_t pitchAndFamily = 0;       // low two bits: 1 fixed, 2 variable
    std::array<char, 32> faceName{};  // NUL-terminated UTF-8

    bool operator==(const LogFont&) const = default;
};

inline constexpr int LOGFONT_BYTES = 60;
inline constexpr uint8_t FIXED_PITCH = 1;
inline constexpr uint8_t VARIABLE_PITCH = 2;
inline constexpr uint8_t SHIFTJIS_CHARSET = 128;
inline constexpr uint8_t DEFAULT_CHARSET = 1;

LogFont defaultLogFont();

QByteArray encodeLogFont(const LogFont& font);
// Nothing unless the record has exactly LOGFONT_BYTES bytes.
std::optional<LogFont> decodeLogFont(const QByteArray& bytes);

// The face name, cut at a character boundary to what the record holds.
void setFaceName(LogFont& font, const QString& face);
QString faceName(const LogFont& font);

// Where the named face is not installed, the system font of the requested
// pitch stands in at the record's size.
QFont toQFont(const LogFont& font);
// Effects (underline, strike-out) are not part of a chosen font.
LogFont fromQFont(const QFont& font);

// Largest character height a stored record may ask for, in pixels: far above
// anything the font dialog offers, far below sizes that stall the rasteriser.
inline constexpr int MAX_FONT_PIXELS = 2048;

// Whether a record could have come from a chosen font: a height the console
// can show and a weight on the 0..1000 scale. The other fields are taken as
// they come.
bool isPlausible(const LogFont& font);

// The record a stored value gives: itself, or the default one when the value is
// not a record of LOGFONT_BYTES bytes or not a plausible one.
LogFont recordFromSetting(const QByteArray& stored);
// The font of recordFromSetting().
QFont fontFromSetting(const QByteArray& stored);

}  // namespace tallix
