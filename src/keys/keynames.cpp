#include "keynames.h"

#include <array>

namespace tessellon {

namespace {

/// How the codes of one row are named: the row's text alone, or the text followed by
/// a character or a number counted up from `base` along the row.
enum class Suffix { None, Character, Number };

struct KeyNameRow
{
    qint16 first;
    qint16 last;
    const char* text;
    Suffix suffix;
    int base;
};

constexpr std::array<KeyNameRow, 25> kKeyNames{{
    {8, 8, "BACKSPACE", Suffix::None, 0},
    {16, 16, "SHIFT", Suffix::None, 0},
    {17, 17, "CTRL", Suffix::None, 0},
    {19, 19, "PAUSE", Suffix::None, 0},
    {20, 20, "CAPS LOCK", Suffix::None, 0},
    {27, 27, "ESC", Suffix::None, 0},
    {32, 32, "SPACEBAR", Suffix::None, 0},
    {33, 33, "PAGE UP", Suffix::None, 0},
    {34, 34, "PAGE DOWN", Suffix::None, 0},
    {35, 35, "END", Suffix::None, 0},
    {36, 36, "HOME", Suffix::None, 0},
    {45, 45, "INSERT", Suffix::None, 0},
    {46, 46, "DELETE", Suffix::None, 0},
    {48, 57, "", Suffix::Character, '0'},
    {65, 90, "", Suffix::Character, 'A'},
    {93, 93, "MENU", Suffix::None, 0},
    {96, 105, "Keypad ", Suffix::Character, '0'},
    {106, 106, "MULTIPLICATION SIGN (*)", Suffix::None, 0},
    {107, 107, "PLUS SIGN (+)", Suffix::None, 0},
    {108, 108, "ENTER", Suffix::None, 0},
    {109, 109, "MINUS SIGN (-)", Suffix::None, 0},
    {110, 110, "DECIMAL POINT (.)", Suffix::None, 0},
    {111, 111, "DIVISION SIGN (/)", Suffix::None, 0},
    {112, 127, "F", Suffix::Number, 1},
    {144, 144, "NUM LOCK", Suffix::None, 0},
}};

constexpr int namedCodeCount()
{
    int n = 0;
    for (const KeyNameRow& row : kKeyNames)
        n += row.last - row.first + 1;
    return n;
}
static_assert(namedCodeCount() == 83, "the name table covers 83 key codes");

constexpr bool rowsAscend()
{
    for (std::size_t i = 0; i < kKeyNames.size(); ++i) {
        if (kKeyNames[i].first > kKeyNames[i].last) return false;
        if (i > 0 && kKeyNames[i - 1].last >= kKeyNames[i].first) return false;
    }
    return true;
}
static_assert(rowsAscend(), "rows ascend and do not overlap, so each code has one name");

} // namespace

QString KeyName(qint16 code)
{
    for (const KeyNameRow& row : kKeyNames) {
        if (code < row.first || code > row.last) continue;
        const int offset = code - row.first;
        QString name = QString::fromLatin1(row.text);
        if (row.suffix == Suffix::Character)
            name += QChar(row.base + offset);
        else if (row.suffix == Suffix::Number)
            name += QString::number(row.base + offset);
        return name;
    }
    return QString();
}

} // namespace tessellon
