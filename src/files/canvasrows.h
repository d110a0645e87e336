#pragma once

#include "picturereaders.h"
#include "pixelpool.h"
#include "watcheddevice.h"

#include <QImage>

#include <vector>

namespace tessellon {

/// The canvas a decoder writes into, allocated through the pixel pool, and the start of
/// each of its rows, so that a C decoder can be handed plain row pointers.
struct CanvasRows
{
    QImage image;
    std::shared_ptr<PixelBlock> block;
    std::vector<uchar*> rows;

    /// Allocates a w x h canvas for the reader of `device`; false when memory runs out.
    bool allocate(const QIODevice& device, int w, int h)
    {
        OwnedPixels owned = allocateWatchedPixels(device, w, h);
        if (owned.image.isNull()) return false;
        image = std::move(owned.image);
        block = std::move(owned.block);
        rows.resize(size_t(h));
        for (int y = 0; y < h; ++y)
            rows[size_t(y)] = image.scanLine(y);
        return true;
    }

    /// The decoded picture, handed on with its block.
    PictureResult result() { return {std::move(image), QString(), std::move(block)}; }
};

} // namespace tessellon
