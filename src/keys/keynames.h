#pragma once

#include <QString>

namespace tessellon {

/// The name shown for a bindable key code (a Windows virtual-key code), or "" for a code
/// that cannot be bound. 83 codes have a name.
QString KeyName(qint16 code);

} // namespace tessellon
