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
    if (!ok || !std::isfinite(value)) return std::nullopt;
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
