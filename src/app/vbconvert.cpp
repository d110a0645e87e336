#include "vbconvert.h"

#include <cmath>

namespace tessellon {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Length of the run of digits starting at `i`.
qsizetype digitRun(const QString& s, qsizetype i)
{
    qsizetype n = 0;
    while (i + n < s.size() && isDigit(s[i + n]))
        ++n;
    return n;
}

// True when `s` (already trimmed) is exactly sign? digits [. digits] [e sign? digits].
bool isDecimalSyntax(const QString& s)
{
    qsizetype i = 0;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) ++i;
    qsizetype mantissa = digitRun(s, i);
    i += mantissa;
    if (i < s.size() && s[i] == u'.') {
        ++i;
        const qsizetype fraction = digitRun(s, i);
        i += fraction;
        mantissa += fraction;
    }
    if (mantissa == 0) return false;
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
        ++i;
        if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) ++i;
        const qsizetype exponent = digitRun(s, i);
        if (exponent == 0) return false;
        i += exponent;
    }
    return i == s.size();
}

// For text of decimal syntax that the double type cannot hold: true when it is too small
// (it reads as 0), false when it is too large. Decided by the position of its first
// significant digit: before the point the exponent pushes it, or after.
bool isTooSmall(const QString& s)
{
    const qsizetype e = s.indexOf(u'e', 0, Qt::CaseInsensitive);
    const QString mantissa = e < 0 ? s : s.left(e);
    const long long exponent = e < 0 ? 0 : s.mid(e + 1).toLongLong();
    const qsizetype point = mantissa.indexOf(u'.');
    const qsizetype first = [&] {
        for (qsizetype i = 0; i < mantissa.size(); ++i)
            if (mantissa[i] >= u'1' && mantissa[i] <= u'9') return i;
        return qsizetype(-1);
    }();
    if (first < 0) return true; // all zeros
    const qsizetype pointAt = point < 0 ? mantissa.size() : point;
    const long long placeOfFirst = first < pointAt ? pointAt - first - 1 : pointAt - first;
    return placeOfFirst + exponent < 0;
}

} // namespace

std::optional<double> parseDecimal(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    const QString body = text.mid(begin, end - begin);
    if (!isDecimalSyntax(body)) return std::nullopt;
    // QByteArray reads in the C locale whatever the process locale says.
    bool ok = false;
    const double value = body.toLatin1().toDouble(&ok);
    if (!ok) return isTooSmall(body) ? std::optional<double>(0.0) : std::nullopt;
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<qint16> toInt16(const QString& text)
{
    const std::optional<double> value = parseDecimal(text);
    if (!value) return std::nullopt;
    // nearbyint rounds in the default mode, to nearest with halves to even.
    const double rounded = std::nearbyint(*value);
    if (rounded < -32768.0 || rounded > 32767.0) return std::nullopt;
    return static_cast<qint16>(rounded);
}

bool truthValue(const QString& text, bool& ok)
{
    const QString word = text.trimmed();
    ok = true;
    if (word.compare(u"true", Qt::CaseInsensitive) == 0) return true;
    if (word.compare(u"false", Qt::CaseInsensitive) == 0) return false;
    if (const std::optional<double> number = parseDecimal(word)) return *number != 0.0;
    ok = false;
    return false;
}

} // namespace tessellon
