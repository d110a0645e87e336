#include "keymapper.h"

#include "keymaptable.h"

#include <optional>

namespace tessellon {

namespace {

using keymap::KeyMapRow;
using keymap::KeyMatch;

std::optional<qint16> lookUp(KeyMatch match, quint32 value)
{
    for (const KeyMapRow& row : keymap::kKeyMap) {
        if (row.match == match && value >= row.first && value <= row.last)
            return static_cast<qint16>(row.code + (value - row.first));
    }
    return std::nullopt;
}

} // namespace

qint16 virtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers, quint32 keysym, quint32 scanCode)
{
    const auto key = static_cast<quint32>(qtKey);
    std::optional<qint16> code;
    if (keysym != 0) code = lookUp(KeyMatch::Keysym, keysym);
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    if (!code && keypad) code = lookUp(KeyMatch::KeypadKey, key);
    if (!code) code = lookUp(KeyMatch::Key, key);
    // A keypad key is not a main-block key, whatever character it produces (KP_Equal).
    if (keypad) return code.value_or(0);
    if (!code && scanCode != 0) code = lookUp(KeyMatch::ScanCode, scanCode);
    if (!code) code = lookUp(KeyMatch::Character, key);
    return code.value_or(0);
}

qint16 modifierState(Qt::KeyboardModifiers modifiers)
{
    qint16 state = 0;
    if (modifiers.testFlag(Qt::ShiftModifier)) state |= 1;
    if (modifiers.testFlag(Qt::ControlModifier)) state |= 2;
    if (modifiers.testFlag(Qt::AltModifier)) state |= 4;
    return state;
}

} // namespace tessellon
