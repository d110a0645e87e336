#include "keymapper.h"

#include <QKeyEvent>

namespace tessellon {

qint16 virtualKeyCode(const QKeyEvent& event)
{
    constexpr quint32 kReturn = 13, kKeypadEnter = 108, kLargestCode = 254;
    const quint32 code = event.nativeVirtualKey();
    if (code == 0 || code > kLargestCode)
        return virtualKeyCode(event.key(), event.modifiers(), 0, 0);
    // Windows gives both Enter keys one code; the bindings tell them apart, as on Linux.
    if (code == kReturn && event.modifiers().testFlag(Qt::KeypadModifier))
        return qint16(kKeypadEnter);
    return qint16(code);
}

} // namespace tessellon
