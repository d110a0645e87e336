#pragma once

class QFile;
class QString;

namespace tessellon {

/// Opens `path` for reading when it names a regular file (a link to one counts). The file
/// is opened without blocking and what was opened is checked afterwards, so a FIFO, a
/// device, a socket or a directory is refused at once, also one put in the file's place
/// between a look at the name and the open. Returns false with a reason in `error`.
bool openRegularFile(const QString& path, QFile& file, QString* error);

} // namespace tessellon
