#pragma once

#include <QString>

namespace tessellon {

/// The system calls a replace goes through, so that tests can fail any one of them. Each
/// returns nonzero on success, else zero with GetLastError() set, as the Win32 calls do.
/// `file` is a HANDLE.
struct FileCalls
{
    int (*write)(void* file, const void* data, unsigned long size, unsigned long* written);
    int (*flush)(void* file);
    int (*close)(void* file);
    /// Puts `temp` in the place of `target`: ReplaceFileW for an existing target, which keeps
    /// its attributes, security and creation time, else MoveFileExW, written through.
    int (*replace)(const wchar_t* temp, const wchar_t* target, bool exists);
};

/// What a ReplacingFile holds of the system while it is open.
struct ReplaceState
{
    QString target_; // the final path, links resolved, in the \\?\ form
    QString temp_;
    void* file_ = nullptr;         // HANDLE of the temporary
    void* lock_ = nullptr;         // a second handle, holding its lock until it is renamed or gone
    bool exists_ = false;          // whether the target was there
    unsigned long attributes_ = 0; // the old target's, for the new file
    void* security_ = nullptr;     // the old target's DACL (LocalFree), for the new file
};

} // namespace tessellon
