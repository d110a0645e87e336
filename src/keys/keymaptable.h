#pragma once

#include <Qt>

#include <array>

namespace tessellon::keymap {

/// What a row of the key map compares with; the mapper tries them in this order.
enum class KeyMatch {
    Keysym,    // X keysym of the event (the keypad keys)
    KeypadKey, // Qt key with Qt::KeypadModifier
    Key,       // Qt key: letters and named keys
    ScanCode,  // X keycode (evdev code + 8), the key's position on a US keyboard
    Character, // Qt key of a character, by a US layout
};

/// Values first..last map to the Windows codes code..code + (last - first).
struct KeyMapRow
{
    KeyMatch match;
    quint32 first;
    quint32 last;
    qint16 code;
};

constexpr KeyMapRow one(KeyMatch match, quint32 value, qint16 code)
{
    return {match, value, value, code};
}

constexpr KeyMapRow key(Qt::Key k, qint16 code)
{
    return one(KeyMatch::Key, k, code);
}

constexpr KeyMapRow character(Qt::Key k, qint16 code)
{
    return one(KeyMatch::Character, k, code);
}

constexpr KeyMapRow scan(quint32 keycode, qint16 code)
{
    return one(KeyMatch::ScanCode, keycode, code);
}

inline constexpr auto kKeyMap = std::to_array<KeyMapRow>({
    // Keypad by keysym: XK_KP_Space ... XK_KP_9.
    one(KeyMatch::Keysym, 0xff80, 32),       // KP_Space
    one(KeyMatch::Keysym, 0xff89, 9),        // KP_Tab
    one(KeyMatch::Keysym, 0xff8d, 108),      // KP_Enter: the code named "ENTER"
    {KeyMatch::Keysym, 0xff91, 0xff94, 112}, // KP_F1 ... KP_F4
    one(KeyMatch::Keysym, 0xff95, 36),       // KP_Home
    {KeyMatch::Keysym, 0xff96, 0xff99, 37},  // KP_Left, KP_Up, KP_Right, KP_Down
    {KeyMatch::Keysym, 0xff9a, 0xff9b, 33},  // KP_Prior, KP_Next
    one(KeyMatch::Keysym, 0xff9c, 35),       // KP_End
    one(KeyMatch::Keysym, 0xff9d, 12),       // KP_Begin (5 with NumLock off): Clear
    {KeyMatch::Keysym, 0xff9e, 0xff9f, 45},  // KP_Insert, KP_Delete
    {KeyMatch::Keysym, 0xffaa, 0xffaf, 106}, // KP_Multiply Add Separator Subtract Decimal Divide
    {KeyMatch::Keysym, 0xffb0, 0xffb9, 96},  // KP_0 ... KP_9
    one(KeyMatch::Keysym, 0xffe8, 92),       // Meta_R, which Qt names like the left one

    // Keypad by Qt key, when no keysym is known (other platforms, synthetic events).
    {KeyMatch::KeypadKey, Qt::Key_0, Qt::Key_9, 96},
    one(KeyMatch::KeypadKey, Qt::Key_Space, 32),
    one(KeyMatch::KeypadKey, Qt::Key_Asterisk, 106),
    one(KeyMatch::KeypadKey, Qt::Key_Plus, 107),
    one(KeyMatch::KeypadKey, Qt::Key_Comma, 108), // the separator key
    one(KeyMatch::KeypadKey, Qt::Key_Minus, 109),
    one(KeyMatch::KeypadKey, Qt::Key_Period, 110),
    one(KeyMatch::KeypadKey, Qt::Key_Slash, 111),

    // Letters, whatever Shift says, and the named keys.
    {KeyMatch::Key, Qt::Key_A, Qt::Key_Z, 65},
    key(Qt::Key_Cancel, 3),
    key(Qt::Key_Backspace, 8),
    key(Qt::Key_Tab, 9),
    key(Qt::Key_Backtab, 9),
    key(Qt::Key_Clear, 12),
    key(Qt::Key_Return, 13),
    key(Qt::Key_Enter, 108),
    key(Qt::Key_Shift, 16),
    key(Qt::Key_Control, 17),
    key(Qt::Key_Alt, 18),
    key(Qt::Key_AltGr, 18),
    key(Qt::Key_Pause, 19),
    key(Qt::Key_CapsLock, 20),
    key(Qt::Key_Escape, 27),
    {KeyMatch::Key, Qt::Key_PageUp, Qt::Key_PageDown, 33},
    key(Qt::Key_End, 35),
    key(Qt::Key_Home, 36),
    {KeyMatch::Key, Qt::Key_Left, Qt::Key_Down, 37}, // Left, Up, Right, Down
    key(Qt::Key_Select, 41),
    key(Qt::Key_Printer, 42),
    key(Qt::Key_Execute, 43),
    key(Qt::Key_Print, 44),
    key(Qt::Key_SysReq, 44),
    key(Qt::Key_Insert, 45),
    key(Qt::Key_Delete, 46),
    key(Qt::Key_Help, 47),
    key(Qt::Key_Meta, 91),
    key(Qt::Key_Super_L, 91),
    key(Qt::Key_Super_R, 92),
    key(Qt::Key_Menu, 93),
    key(Qt::Key_Sleep, 95),
    {KeyMatch::Key, Qt::Key_F1, Qt::Key_F24, 112},
    key(Qt::Key_NumLock, 144),
    key(Qt::Key_ScrollLock, 145),
    key(Qt::Key_Back, 166),
    key(Qt::Key_Forward, 167),
    key(Qt::Key_Refresh, 168),
    key(Qt::Key_Stop, 169),
    key(Qt::Key_Search, 170),
    key(Qt::Key_Favorites, 171),
    key(Qt::Key_HomePage, 172),
    key(Qt::Key_VolumeMute, 173),
    key(Qt::Key_VolumeDown, 174),
    key(Qt::Key_VolumeUp, 175),
    key(Qt::Key_MediaNext, 176),
    key(Qt::Key_MediaPrevious, 177),
    key(Qt::Key_MediaStop, 178),
    key(Qt::Key_MediaPlay, 179),
    key(Qt::Key_MediaTogglePlayPause, 179),
    key(Qt::Key_LaunchMail, 180),
    key(Qt::Key_Play, 250),
    key(Qt::Key_Zoom, 251),

    // Key positions of a US keyboard (X keycodes), for keys named by what they produce.
    {KeyMatch::ScanCode, 10, 18, 49}, // 1 ... 9
    scan(19, 48),                     // 0
    scan(20, 189),
    scan(21, 187), // - =
    scan(24, 81),
    scan(25, 87),
    scan(26, 69),
    scan(27, 82),
    scan(28, 84), // Q W E R T
    scan(29, 89),
    scan(30, 85),
    scan(31, 73),
    scan(32, 79),
    scan(33, 80), // Y U I O P
    scan(34, 219),
    scan(35, 221), // [ ]
    scan(38, 65),
    scan(39, 83),
    scan(40, 68),
    scan(41, 70),
    scan(42, 71), // A S D F G
    scan(43, 72),
    scan(44, 74),
    scan(45, 75),
    scan(46, 76), // H J K L
    scan(47, 186),
    scan(48, 222),
    scan(49, 192),
    scan(51, 220), // ; ' ` backslash
    scan(52, 90),
    scan(53, 88),
    scan(54, 67),
    scan(55, 86),
    scan(56, 66), // Z X C V B
    scan(57, 78),
    scan(58, 77), // N M
    scan(59, 188),
    scan(60, 190),
    scan(61, 191), // , . /
    scan(94, 226), // the extra key beside left Shift on ISO keyboards

    // Characters by a US layout, shifted ones mapped back to their key.
    character(Qt::Key_Space, 32),
    {KeyMatch::Character, Qt::Key_0, Qt::Key_9, 48},
    character(Qt::Key_ParenRight, 48),
    character(Qt::Key_Exclam, 49),
    character(Qt::Key_At, 50),
    character(Qt::Key_NumberSign, 51),
    character(Qt::Key_Dollar, 52),
    character(Qt::Key_Percent, 53),
    character(Qt::Key_AsciiCircum, 54),
    character(Qt::Key_Ampersand, 55),
    character(Qt::Key_Asterisk, 56),
    character(Qt::Key_ParenLeft, 57),
    character(Qt::Key_Semicolon, 186),
    character(Qt::Key_Colon, 186),
    character(Qt::Key_Equal, 187),
    character(Qt::Key_Plus, 187),
    character(Qt::Key_Comma, 188),
    character(Qt::Key_Less, 188),
    character(Qt::Key_Minus, 189),
    character(Qt::Key_Underscore, 189),
    character(Qt::Key_Period, 190),
    character(Qt::Key_Greater, 190),
    character(Qt::Key_Slash, 191),
    character(Qt::Key_Question, 191),
    character(Qt::Key_QuoteLeft, 192),
    character(Qt::Key_AsciiTilde, 192),
    character(Qt::Key_BracketLeft, 219),
    character(Qt::Key_BraceLeft, 219),
    character(Qt::Key_Backslash, 220),
    character(Qt::Key_Bar, 220),
    character(Qt::Key_BracketRight, 221),
    character(Qt::Key_BraceRight, 221),
    character(Qt::Key_Apostrophe, 222),
    character(Qt::Key_QuoteDbl, 222),
});

// The range rows rely on Qt numbering these keys consecutively.
static_assert(Qt::Key_Z - Qt::Key_A == 25 && Qt::Key_9 - Qt::Key_0 == 9);
static_assert(Qt::Key_F24 - Qt::Key_F1 == 23 && Qt::Key_PageDown - Qt::Key_PageUp == 1);
static_assert(Qt::Key_Up - Qt::Key_Left == 1 && Qt::Key_Right - Qt::Key_Left == 2 &&
              Qt::Key_Down - Qt::Key_Left == 3);

} // namespace tessellon::keymap
