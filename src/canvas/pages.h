#pragma once

#include <QtGlobal>

#include <cstddef>

namespace tessellon::pages {

/// The system's page size.
qsizetype size();

/// Address space of `bytes`, none of it committed; nullptr where the system offers none.
void* reserve(size_t bytes);
void unreserve(void* p, size_t bytes);

/// Whether the system commits a reserved page as it is first written (Linux), rather than
/// by commit() (Windows).
bool commitsOnTouch();
/// Commits the pages holding [p, p + bytes) of a reservation; false when refused.
bool commit(void* p, size_t bytes);

/// Gives the pages wholly inside [p, p + bytes) of a reservation back to the system; they
/// read as zeros afterwards.
void drop(void* p, size_t bytes);

/// Commits the pages wholly inside [p, p + bytes) at once. False when the system refused;
/// `unsupported` is then set if it never will.
bool populate(void* p, size_t bytes, bool& unsupported);

/// Memory of `bytes`, aligned for any row of pixels, committed; nullptr when refused.
void* allocate(size_t bytes);
void release(void* p);

} // namespace tessellon::pages
