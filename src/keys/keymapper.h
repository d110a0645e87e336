#pragma once

#include <Qt>
#include <QtGlobal>

class QKeyEvent;

namespace tessellon {

/// Windows virtual-key code of a key event, as the bindings store them; 0 for a key that
/// has no such code.
///
/// `keysym` and `scanCode` are the event's native fields as Qt reports them under X11 and
/// Wayland: the X keysym and the X keycode (the evdev code plus 8). Pass 0 for either when
/// unknown; the Qt key alone then decides, by a US layout. The lookup runs in this order:
///  1. the keysym, for the keypad keys (XK_KP_*), which Qt reports with the main keys' names;
///  2. a Qt key with Qt::KeypadModifier, for the keypad when no keysym is known;
///  3. the letters (Qt reports Key_A with or without Shift) and the named keys;
///  4. the scan code, by the key's position on a US keyboard, for the digit row and the
///     punctuation keys: Qt names a shifted key by its character (Key_Exclam for Shift+1),
///     and layouts differ in what those keys produce, while Windows codes them by the key;
///  5. the Qt key of a character, by a US layout (Key_Exclam is the 1 key's 49).
/// Keypad Enter gives 108, the code named "ENTER"; the main Return key gives 13. With
/// NumLock off the keypad keys give the navigation codes (Insert 45, End 35, ...); a keypad
/// key never takes the code of a main-block key that produces the same character.
qint16 virtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers, quint32 keysym, quint32 scanCode);

/// The same for a key event. On X11 and Wayland its native fields go through the lookup
/// above; on Windows its native virtual-key code is the code, the keypad's Enter taking 108
/// as above. An event without native fields (one a program made) is looked up by its Qt
/// key alone.
qint16 virtualKeyCode(const QKeyEvent& event);

/// The modifier state of key and mouse events: 1 Shift + 2 Ctrl + 4 Alt.
qint16 modifierState(Qt::KeyboardModifiers modifiers);

} // namespace tessellon
