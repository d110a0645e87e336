#pragma once
// A valid JPEG that takes long to decode: grey noise, progressive, every coefficient sent
// first coarsely and then refined a bit at a time, up to `scans` scans. Each scan is new
// data, so the reader's guard against repeated scans lets it through; only patience (or
// Cancel) gets past it. Written by libjpeg-turbo's own encoder.

#include <QByteArray>

#include <algorithm>
#include <cstdio> // jpeglib.h needs FILE
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace slowjpeg {

inline std::vector<jpeg_scan_info> refiningScans(int scans)
{
    std::vector<jpeg_scan_info> s;
    auto add = [&s](int ss, int se, int ah, int al) {
        jpeg_scan_info i{};
        i.comps_in_scan = 1;
        i.Ss = ss, i.Se = se, i.Ah = ah, i.Al = al;
        s.push_back(i);
    };
    add(0, 0, 0, 1);
    add(0, 0, 1, 0);
    for (int k = 1; k < DCTSIZE2; ++k) {
        const int left = scans - int(s.size()), coefficients = DCTSIZE2 - k;
        const int low = std::clamp(left / coefficients - 1, 0, 7); // bits refined one by one
        add(k, k, 0, low);
        for (int a = low; a > 0; --a)
            add(k, k, a, a - 1);
    }
    return s;
}

/// With `scans` 0, libjpeg's own progression of 10 scans at quality 90, as a camera's
/// progressive photo has (noise stands in for the photo: it decodes no faster).
inline QByteArray refiningJpeg(int side, int scans = 499)
{
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = c.image_height = JDIMENSION(side);
    c.input_components = 1;
    c.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, scans > 0 ? 100 : 90, TRUE);
    const std::vector<jpeg_scan_info> script = refiningScans(scans);
    if (scans > 0) {
        c.scan_info = script.data();
        c.num_scans = int(script.size());
    } else {
        jpeg_simple_progression(&c);
    }
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(static_cast<size_t>(side));
    quint32 seed = 12345;
    while (c.next_scanline < c.image_height) {
        for (JSAMPLE& v : row)
            v = JSAMPLE((seed = seed * 1103515245u + 12345u) >> 24);
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    QByteArray out(reinterpret_cast<const char*>(mem), qsizetype(size));
    std::free(mem);
    return out;
}

} // namespace slowjpeg
