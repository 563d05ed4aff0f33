#pragma once

#include <QFont>
#include <QString>
#include <QTextCharFormat>

namespace tallix {

// A console font may name no face of its own ("monospace", or a stand-in for a face this
// machine lacks); fontconfig then picks a face per script, and for kana one with Japanese
// glyphs, whose ascent and descent alone make the line. Named by the face it resolves to for
// Latin text, the font keeps that face first for every script, its line metrics included,
// and the glyphs it lacks still come from the fallback faces.
QFont namedByItsFace(const QFont& consoleFont);

// The format for `text`, which the console font's face lacks, on a console line: the largest
// size at which it keeps within the console font's ascent and descent, measured in the faces
// that really draw it. Text that fills its line (`wholeLine`) makes a line exactly as tall as a
// console line: at the largest size that does, or else drawn at two thirds of the console
// size and measured at the full one, as a subscript is, when no size of the fallback face
// meets the console's line height to the pixel.
QTextCharFormat fallbackFormat(const QString& text, const QFont& consoleFont, bool wholeLine);

}  // namespace tallix
