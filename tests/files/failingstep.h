#pragma once
// Where the fake system calls of failingcalls.h (one of each platform) fail.

#include <QtGlobal>

namespace failing {

enum class Step { None, Write, Sync, Close, Rename };
inline Step gStep = Step::None;
inline qint64 gAt = 0; // the byte of the file a failing write reaches
inline qint64 gWritten = 0;

} // namespace failing
