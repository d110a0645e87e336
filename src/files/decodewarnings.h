#pragma once

#include <QString>

namespace tessellon {

/// Catches the warnings a decoder emits on this thread while the object lives: Qt's JPEG
/// reader reports data it had to make up (a scan cut short, corrupt codes) only as a
/// warning and still succeeds. Warnings are enabled for the time, whatever the logging
/// rules say, and every message goes on to the handler installed before. One at a time.
class DecodeWarnings
{
public:
    DecodeWarnings();
    ~DecodeWarnings();
    DecodeWarnings(const DecodeWarnings&) = delete;
    DecodeWarnings& operator=(const DecodeWarnings&) = delete;

    /// The first warning caught, or an empty string.
    QString first() const;
};

} // namespace tessellon
