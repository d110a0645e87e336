#pragma once

#include <QtEndian>

namespace tessellon {

/// A little-endian number of type T at `p` (headers and pixel words of bitmap files).
template <typename T> T le(const void* p)
{
    return qFromLittleEndian<T>(p);
}

/// Stores `v` little-endian at `p`.
template <typename T> void putLe(void* p, T v)
{
    qToLittleEndian<T>(v, p);
}

} // namespace tessellon
