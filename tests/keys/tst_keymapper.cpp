#include "keymapper.h"
#include "keynames.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QSet>
#include <QTest>

#include <vector>

using tessellon::KeyName;
using tessellon::modifierState;
using tessellon::virtualKeyCode;

namespace {

constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;
constexpr Qt::KeyboardModifiers kShift = Qt::ShiftModifier;
constexpr Qt::KeyboardModifiers kPad = Qt::KeypadModifier;

// One key press as X11 delivers it to Qt: key, modifiers, keysym and X keycode.
struct X11Key
{
    QByteArray label;
    int qtKey;
    Qt::KeyboardModifiers modifiers;
    quint32 keysym;
    quint32 scanCode;
    int expected;
};

const X11Key kFixedKeys[] = {
    {"a", Qt::Key_A, kNone, 0x61, 38, 65},
    {"Shift+a", Qt::Key_A, kShift, 0x41, 38, 65},
    {"w", Qt::Key_W, kNone, 0x77, 25, 87},
    {"1", Qt::Key_1, kNone, 0x31, 10, 49},
    {"Shift+1", Qt::Key_Exclam, kShift, 0x21, 10, 49},
    {"Shift+9", Qt::Key_ParenLeft, kShift, 0x28, 18, 57},
    {"Shift+0", Qt::Key_ParenRight, kShift, 0x29, 19, 48},
    {"BackSpace", Qt::Key_Backspace, kNone, 0xff08, 22, 8},
    {"Tab", Qt::Key_Tab, kNone, 0xff09, 23, 9},
    {"Shift+Tab", Qt::Key_Backtab, kShift, 0xfe20, 23, 9},
    {"Return", Qt::Key_Return, kNone, 0xff0d, 36, 13},
    {"Shift_L", Qt::Key_Shift, kShift, 0xffe1, 50, 16},
    {"Shift_R", Qt::Key_Shift, kShift, 0xffe2, 62, 16},
    {"Control_L", Qt::Key_Control, Qt::ControlModifier, 0xffe3, 37, 17},
    {"Control_R", Qt::Key_Control, Qt::ControlModifier, 0xffe4, 105, 17},
    {"Alt_L", Qt::Key_Alt, Qt::AltModifier, 0xffe9, 64, 18},
    {"AltGr", Qt::Key_AltGr, kNone, 0xfe03, 108, 18},
    {"Pause", Qt::Key_Pause, kNone, 0xff13, 127, 19},
    {"Caps_Lock", Qt::Key_CapsLock, kNone, 0xffe5, 66, 20},
    {"Escape", Qt::Key_Escape, kNone, 0xff1b, 9, 27},
    {"space", Qt::Key_Space, kNone, 0x20, 65, 32},
    {"Prior", Qt::Key_PageUp, kNone, 0xff55, 112, 33},
    {"Next", Qt::Key_PageDown, kNone, 0xff56, 117, 34},
    {"End", Qt::Key_End, kNone, 0xff57, 115, 35},
    {"Home", Qt::Key_Home, kNone, 0xff50, 110, 36},
    {"Left", Qt::Key_Left, kNone, 0xff51, 113, 37},
    {"Up", Qt::Key_Up, kNone, 0xff52, 111, 38},
    {"Right", Qt::Key_Right, kNone, 0xff53, 114, 39},
    {"Down", Qt::Key_Down, kNone, 0xff54, 116, 40},
    {"Print", Qt::Key_Print, kNone, 0xff61, 107, 44},
    {"Insert", Qt::Key_Insert, kNone, 0xff63, 118, 45},
    {"Delete", Qt::Key_Delete, kNone, 0xffff, 119, 46},
    {"Super_L", Qt::Key_Super_L, kNone, 0xffeb, 133, 91},
    {"Super_R", Qt::Key_Super_R, kNone, 0xffec, 134, 92},
    {"Meta_L", Qt::Key_Meta, kNone, 0xffe7, 133, 91},
    {"Meta_R", Qt::Key_Meta, kNone, 0xffe8, 134, 92},
    {"Menu", Qt::Key_Menu, kNone, 0xff67, 135, 93},
    {"Num_Lock", Qt::Key_NumLock, kNone, 0xff7f, 77, 144},
    {"Scroll_Lock", Qt::Key_ScrollLock, kNone, 0xff14, 78, 145},
    // Keypad with NumLock off: navigation codes, like Windows.
    {"KP_Insert", Qt::Key_Insert, kPad, 0xff9e, 90, 45},
    {"KP_End", Qt::Key_End, kPad, 0xff9c, 87, 35},
    {"KP_Down", Qt::Key_Down, kPad, 0xff99, 88, 40},
    {"KP_Next", Qt::Key_PageDown, kPad, 0xff9b, 89, 34},
    {"KP_Left", Qt::Key_Left, kPad, 0xff96, 83, 37},
    {"KP_Begin", Qt::Key_Clear, kPad, 0xff9d, 84, 12},
    {"KP_Right", Qt::Key_Right, kPad, 0xff98, 85, 39},
    {"KP_Home", Qt::Key_Home, kPad, 0xff95, 79, 36},
    {"KP_Up", Qt::Key_Up, kPad, 0xff97, 80, 38},
    {"KP_Prior", Qt::Key_PageUp, kPad, 0xff9a, 81, 33},
    {"KP_Delete", Qt::Key_Delete, kPad, 0xff9f, 91, 46},
    // Keypad operators.
    {"KP_Multiply", Qt::Key_Asterisk, kPad, 0xffaa, 63, 106},
    {"KP_Add", Qt::Key_Plus, kPad, 0xffab, 86, 107},
    {"KP_Enter", Qt::Key_Enter, kPad, 0xff8d, 104, 108},
    {"KP_Separator", Qt::Key_Comma, kPad, 0xffac, 91, 108},
    {"KP_Subtract", Qt::Key_Minus, kPad, 0xffad, 82, 109},
    {"KP_Decimal", Qt::Key_Period, kPad, 0xffae, 91, 110},
    {"KP_Decimal as comma", Qt::Key_Comma, kPad, 0xffae, 91, 110},
    {"KP_Divide", Qt::Key_Slash, kPad, 0xffaf, 106, 111},
    {"KP_Equal", Qt::Key_Equal, kPad, 0xffbd, 125, 0},
    // US punctuation, plain and shifted.
    {"semicolon", Qt::Key_Semicolon, kNone, 0x3b, 47, 186},
    {"colon", Qt::Key_Colon, kShift, 0x3a, 47, 186},
    {"equal", Qt::Key_Equal, kNone, 0x3d, 21, 187},
    {"plus", Qt::Key_Plus, kShift, 0x2b, 21, 187},
    {"comma", Qt::Key_Comma, kNone, 0x2c, 59, 188},
    {"less", Qt::Key_Less, kShift, 0x3c, 59, 188},
    {"minus", Qt::Key_Minus, kNone, 0x2d, 20, 189},
    {"underscore", Qt::Key_Underscore, kShift, 0x5f, 20, 189},
    {"period", Qt::Key_Period, kNone, 0x2e, 60, 190},
    {"greater", Qt::Key_Greater, kShift, 0x3e, 60, 190},
    {"slash", Qt::Key_Slash, kNone, 0x2f, 61, 191},
    {"question", Qt::Key_Question, kShift, 0x3f, 61, 191},
    {"grave", Qt::Key_QuoteLeft, kNone, 0x60, 49, 192},
    {"asciitilde", Qt::Key_AsciiTilde, kShift, 0x7e, 49, 192},
    {"bracketleft", Qt::Key_BracketLeft, kNone, 0x5b, 34, 219},
    {"braceleft", Qt::Key_BraceLeft, kShift, 0x7b, 34, 219},
    {"backslash", Qt::Key_Backslash, kNone, 0x5c, 51, 220},
    {"bar", Qt::Key_Bar, kShift, 0x7c, 51, 220},
    {"bracketright", Qt::Key_BracketRight, kNone, 0x5d, 35, 221},
    {"braceright", Qt::Key_BraceRight, kShift, 0x7d, 35, 221},
    {"apostrophe", Qt::Key_Apostrophe, kNone, 0x27, 48, 222},
    {"quotedbl", Qt::Key_QuoteDbl, kShift, 0x22, 48, 222},
    // Other layouts: digits and punctuation by position, letters by the layout.
    {"de Shift+7 slash", Qt::Key_Slash, kShift, 0x2f, 16, 55},
    {"fr ampersand on 1", Qt::Key_Ampersand, kNone, 0x26, 10, 49},
    {"de dead circumflex", Qt::Key_Dead_Circumflex, kNone, 0xfe52, 49, 192},
    {"fr a on the Q key", Qt::Key_A, kNone, 0x61, 24, 65},
    {"ru ef on the A key", 0x0424, kNone, 0x6c6, 38, 65},
    {"F25", Qt::Key_F25, kNone, 0xffd6, 0, 0},
    {"unknown", Qt::Key_unknown, kNone, 0, 0, 0},
};

// The fixed rows plus the keypad digits, the digit row, the letters and F1 to F16.
std::vector<X11Key> x11Keys()
{
    std::vector<X11Key> keys(std::begin(kFixedKeys), std::end(kFixedKeys));
    const quint32 padScan[] = {90, 87, 88, 89, 83, 84, 85, 79, 80, 81};
    for (int d = 0; d < 10; ++d)
        keys.push_back(
            {"KP_" + QByteArray::number(d), Qt::Key_0 + d, kPad, 0xffb0u + d, padScan[d], 96 + d});
    for (int d = 0; d < 10; ++d)
        keys.push_back({"digit " + QByteArray::number(d), Qt::Key_0 + d, kNone, 0x30u + d,
                        d == 0 ? 19u : 9u + d, 48 + d});
    const char* letters = "qwertyuiopasdfghjklzxcvbnm";
    const quint32 letterScan[] = {24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 38, 39, 40,
                                  41, 42, 43, 44, 45, 46, 52, 53, 54, 55, 56, 57, 58};
    for (int i = 0; i < 26; ++i) {
        const int upper = letters[i] - 'a' + 'A';
        keys.push_back({QByteArray(1, letters[i]), Qt::Key_A + upper - 'A', kNone,
                        quint32(letters[i]), letterScan[i], upper});
    }
    const quint32 fScan[] = {67, 68, 69, 70, 71, 72, 73, 74, 75, 76, 95, 96, 191, 192, 193, 194};
    for (int f = 0; f < 16; ++f)
        keys.push_back({"F" + QByteArray::number(f + 1), Qt::Key_F1 + f, kNone, 0xffbeu + f,
                        fScan[f], 112 + f});
    return keys;
}

} // namespace

class TestKeyMapper : public QObject
{
    Q_OBJECT

private slots:
    void x11_data();
    void x11();
    void everyNamedCodeHasAKey();
    void withoutNativeFields_data();
    void withoutNativeFields();
    void keyEvent();
    void modifiers_data();
    void modifiers();
};

void TestKeyMapper::x11_data()
{
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<quint32>("keysym");
    QTest::addColumn<quint32>("scanCode");
    QTest::addColumn<int>("expected");
    for (const X11Key& k : x11Keys())
        QTest::newRow(k.label.constData())
            << k.qtKey << k.modifiers << k.keysym << k.scanCode << k.expected;
}

void TestKeyMapper::x11()
{
    QFETCH(int, qtKey);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(quint32, keysym);
    QFETCH(quint32, scanCode);
    QFETCH(int, expected);
    QCOMPARE(virtualKeyCode(qtKey, modifiers, keysym, scanCode), expected);
}

void TestKeyMapper::everyNamedCodeHasAKey()
{
    // Every bindable code must be reachable from some real key press.
    QSet<int> reached;
    for (const X11Key& k : x11Keys())
        reached.insert(virtualKeyCode(k.qtKey, k.modifiers, k.keysym, k.scanCode));
    for (int code = 0; code < 256; ++code) {
        if (!KeyName(static_cast<qint16>(code)).isEmpty())
            QVERIFY2(reached.contains(code), qPrintable(KeyName(static_cast<qint16>(code))));
    }
}

void TestKeyMapper::withoutNativeFields_data()
{
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QString>("name");
    QTest::newRow("Shift+1") << int(Qt::Key_Exclam) << kShift << "1";
    QTest::newRow("Shift+2") << int(Qt::Key_At) << kShift << "2";
    QTest::newRow("Shift+w") << int(Qt::Key_W) << kShift << "W";
    QTest::newRow("keypad 5") << int(Qt::Key_5) << kPad << "Keypad 5";
    QTest::newRow("keypad 0") << int(Qt::Key_0) << kPad << "Keypad 0";
    QTest::newRow("keypad *") << int(Qt::Key_Asterisk) << kPad << "MULTIPLICATION SIGN (*)";
    QTest::newRow("main *") << int(Qt::Key_Asterisk) << kShift << "8";
    QTest::newRow("keypad +") << int(Qt::Key_Plus) << kPad << "PLUS SIGN (+)";
    QTest::newRow("keypad -") << int(Qt::Key_Minus) << kPad << "MINUS SIGN (-)";
    QTest::newRow("keypad .") << int(Qt::Key_Period) << kPad << "DECIMAL POINT (.)";
    QTest::newRow("keypad /") << int(Qt::Key_Slash) << kPad << "DIVISION SIGN (/)";
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << kPad << "ENTER";
    QTest::newRow("keypad Insert") << int(Qt::Key_Insert) << kPad << "INSERT";
    QTest::newRow("Return") << int(Qt::Key_Return) << kNone << "";
    QTest::newRow("F5") << int(Qt::Key_F5) << kNone << "F5";
    QTest::newRow("F16") << int(Qt::Key_F16) << kNone << "F16";
    QTest::newRow("F17") << int(Qt::Key_F17) << kNone << "";
    QTest::newRow("Up arrow") << int(Qt::Key_Up) << kNone << "";
    QTest::newRow("Alt") << int(Qt::Key_Alt) << Qt::KeyboardModifiers(Qt::AltModifier) << "";
    QTest::newRow("Ctrl") << int(Qt::Key_Control) << kNone << "CTRL";
}

void TestKeyMapper::withoutNativeFields()
{
    QFETCH(int, qtKey);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, name);
    QCOMPARE(KeyName(virtualKeyCode(qtKey, modifiers, 0, 0)), name);
}

void TestKeyMapper::keyEvent()
{
    // Shift+7 on a German layout: the native fields name the 7 key, Qt's key a slash. They
    // are X11's (keycode, keysym) or Windows' (scan code, virtual key) as the platform is.
    const QString platform = QGuiApplication::platformName();
    const bool xkb = platform == u"xcb" || platform.startsWith(u"wayland");
    const bool windows = platform == u"windows";
    const QKeyEvent event(QEvent::KeyPress, Qt::Key_Slash, Qt::ShiftModifier, windows ? 0x08 : 16,
                          windows ? 0x37 : 0x2f, 0);
    QCOMPARE(virtualKeyCode(event), xkb || windows ? 55 : 191);
    const QKeyEvent pad(QEvent::KeyPress, Qt::Key_Enter, Qt::KeypadModifier, windows ? 0x1c : 104,
                        windows ? 13 : 0xff8d, 0);
    QCOMPARE(virtualKeyCode(pad), 108);
}

void TestKeyMapper::modifiers_data()
{
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("state");
    QTest::newRow("none") << kNone << 0;
    QTest::newRow("shift") << kShift << 1;
    QTest::newRow("ctrl") << Qt::KeyboardModifiers(Qt::ControlModifier) << 2;
    QTest::newRow("alt") << Qt::KeyboardModifiers(Qt::AltModifier) << 4;
    QTest::newRow("ctrl+shift") << (Qt::ControlModifier | Qt::ShiftModifier) << 3;
    QTest::newRow("all") << (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier) << 7;
    QTest::newRow("meta only") << Qt::KeyboardModifiers(Qt::MetaModifier) << 0;
    QTest::newRow("keypad+shift") << (Qt::KeypadModifier | Qt::ShiftModifier) << 1;
}

void TestKeyMapper::modifiers()
{
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, state);
    QCOMPARE(modifierState(modifiers), state);
}

QTEST_MAIN(TestKeyMapper)
#include "tst_keymapper.moc"
