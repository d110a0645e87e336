#include "keymapper.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace tessellon {

qint16 virtualKeyCode(const QKeyEvent& event)
{
    // The platform never changes while the program runs.
    static const bool xkb = [] {
        const QString platform = QGuiApplication::platformName();
        return platform == u"xcb" || platform.startsWith(u"wayland");
    }();
    return virtualKeyCode(event.key(), event.modifiers(), xkb ? event.nativeVirtualKey() : 0,
                          xkb ? event.nativeScanCode() : 0);
}

} // namespace tessellon
