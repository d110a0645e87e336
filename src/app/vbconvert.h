#pragma once

#include <QString>

#include <cmath>
#include <optional>

namespace tessellon {

/// The decimal number written in `text`, or nothing when the text is no number.
/// Accepted: blanks (spaces, tabs) around, an optional sign, digits with an optional
/// fraction (".5" and "5." too) and an optional exponent ("1e3", "2.5E-1").
/// Refused: empty text, hexadecimal and octal forms ("&H10", "0x10"), "inf", "nan",
/// thousands separators and anything after the number.
std::optional<double> parseDecimal(const QString& text);

/// Text to a signed 16-bit number: parseDecimal, then rounded to the nearest whole
/// number with an exact half going to the even neighbour. A result outside
/// -32768..32767 fails, so "32767.5" fails while "-32768.5" gives -32768.
std::optional<qint16> toInt16(const QString& text);

/// Rounds to the nearest whole number, an exact half to the even neighbour.
inline int roundHalfEven(double v)
{
    return int(std::nearbyint(v));
}

/// Text read as a truth value. "true" and "false" in any letter case, and numbers
/// (zero is false, any other number true), blanks around allowed. For any other text
/// `ok` is set to false and the result is false.
bool truthValue(const QString& text, bool& ok);

} // namespace tessellon
