#pragma once
// PNG and JPEG files of every colour type and coding the readers take, written by libpng's
// and libjpeg-turbo's own encoders from samples set here, with the picture each must read
// as worked out from those samples, not by any decoder.

#include <QByteArray>
#include <QImage>
#include <QtMath>

#include <png.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace encodermaker {

/// A PNG variant: colour type (0 grey, 2 RGB, 3 palette, 4 grey-alpha, 6 RGBA), bits a
/// sample, Adam7 or not, a tRNS chunk (a colour key, or palette alphas).
struct Png
{
    int w = 9, h = 7;
    int type = 2;
    int depth = 8;
    bool interlaced = false;
    bool trns = false;
};

// 16-bit levels that catch truncation instead of rounding (0x0081 rounds up to 1).
constexpr std::array<quint16, 8> kLevels16 = {0x0000, 0xFFFF, 0x0081, 0x0080,
                                              0x7F80, 0x8080, 0x1280, 0xC0DE};
constexpr std::array<quint16, 4> kAlpha8 = {0, 255, 128, 77};
constexpr std::array<QRgb, 6> kColours = {0xFFFFFFFF, 0xFF000000, 0xFFFF0000,
                                          0xFF00FF00, 0xFF0000FF, 0xFF123456};

inline int paletteSize(const Png& p)
{
    return std::min(int(kColours.size()), 1 << p.depth);
}

inline int levels(const Png& p)
{
    return p.depth == 16 ? int(kLevels16.size()) : p.type == 3 ? paletteSize(p) : 1 << p.depth;
}

// The sample of channel `c` at (x, y), in the PNG's depth; indices for a palette.
inline quint16 sample(const Png& p, int x, int y, int c)
{
    const int k = (x * 7 + y * 3 + c * 5 + x * y) % levels(p);
    if (p.type == 3) return quint16(k);
    if (p.depth == 16) return kLevels16[size_t(k)];
    return quint16(p.depth == 8 ? k * 37 % 256 : k);
}

inline int channels(const Png& p)
{
    return std::array<int, 7>{1, 0, 3, 1, 2, 0, 4}[size_t(p.type)];
}

// Any sample at `depth` as 8 bits: small depths scaled up exactly, 16 bits rounded.
inline int eight(int v, int depth)
{
    return depth == 16 ? qRound(v / 257.0) : v * 255 / ((1 << depth) - 1);
}

inline int onWhite(int c, int a)
{
    return qRound((c * a + 255.0 * (255 - a)) / 255.0);
}

// The alpha of a palette entry under tRNS, and the colour key's grey level or colour.
inline int paletteAlpha(int i)
{
    return i < 4 ? int(kAlpha8[size_t(i)]) : 255;
}
inline int keyLevel(const Png& p)
{
    return sample(p, 1, 0, 0);
}

/// The picture `p` must read as: alpha, or a tRNS key, on white.
inline QImage expected(const Png& p)
{
    QImage img(p.w, p.h, QImage::Format_RGB32);
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x) {
            int rgb[3], a = 255;
            if (p.type == 3) {
                const int i = sample(p, x, y, 0);
                const QRgb c = kColours[size_t(i)];
                rgb[0] = qRed(c), rgb[1] = qGreen(c), rgb[2] = qBlue(c);
                if (p.trns) a = paletteAlpha(i);
            } else {
                const bool colour = p.type & 2;
                bool keyed = p.trns;
                for (int c = 0; c < 3; ++c) {
                    const int s = sample(p, x, y, colour ? c : 0);
                    keyed = keyed && s == (colour ? sample(p, 1, 0, c) : keyLevel(p));
                    rgb[c] = eight(s, p.depth);
                }
                if (p.type & 4) a = eight(sample(p, x, y, colour ? 3 : 1), p.depth);
                if (keyed) a = 0;
            }
            img.setPixel(x, y, qRgb(onWhite(rgb[0], a), onWhite(rgb[1], a), onWhite(rgb[2], a)));
        }
    return img;
}

inline void appendBytes(png_structp png, png_bytep data, size_t n)
{
    static_cast<QByteArray*>(png_get_io_ptr(png))
        ->append(reinterpret_cast<char*>(data), qsizetype(n));
}

// One stored row of `p`, packed at its depth, 16-bit samples big-endian.
inline std::vector<png_byte> pngRow(const Png& p, int y)
{
    const int n = channels(p);
    std::vector<png_byte> row(size_t((p.w * n * p.depth + 7) / 8));
    for (int x = 0; x < p.w; ++x)
        for (int c = 0; c < n; ++c) {
            const int v = sample(p, x, y, c);
            const int bit = (x * n + c) * p.depth;
            if (p.depth == 16) {
                row[size_t(bit / 8)] = png_byte(v >> 8);
                row[size_t(bit / 8 + 1)] = png_byte(v);
            } else {
                row[size_t(bit / 8)] |= png_byte(v << (8 - p.depth - bit % 8));
            }
        }
    return row;
}

inline void pngTransparency(png_structp png, png_infop info, const Png& p)
{
    if (p.type == 3) {
        png_byte alphas[4];
        const int n = std::min(4, paletteSize(p));
        for (int i = 0; i < n; ++i)
            alphas[i] = png_byte(paletteAlpha(i));
        png_set_tRNS(png, info, alphas, n, nullptr);
        return;
    }
    png_color_16 key{};
    key.gray = keyLevel(p);
    key.red = sample(p, 1, 0, 0), key.green = sample(p, 1, 0, 1), key.blue = sample(p, 1, 0, 2);
    png_set_tRNS(png, info, nullptr, 0, &key);
}

/// The bytes of PNG `p`, written by libpng.
inline QByteArray png(const Png& p)
{
    QByteArray out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, appendBytes, nullptr);
    png_set_IHDR(png, info, png_uint_32(p.w), png_uint_32(p.h), p.depth, p.type,
                 p.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (p.type == 3) {
        png_color colours[kColours.size()];
        for (size_t i = 0; i < kColours.size(); ++i)
            colours[i] = {png_byte(qRed(kColours[i])), png_byte(qGreen(kColours[i])),
                          png_byte(qBlue(kColours[i]))};
        png_set_PLTE(png, info, colours, paletteSize(p));
    }
    if (p.trns) pngTransparency(png, info, p);
    std::vector<std::vector<png_byte>> rows;
    std::vector<png_bytep> pointers;
    for (int y = 0; y < p.h; ++y)
        rows.push_back(pngRow(p, y));
    for (auto& r : rows)
        pointers.push_back(r.data());
    png_set_rows(png, info, pointers.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

/// A JPEG variant: coded in colour, grey, CMYK or YCCK; progressive, arithmetic-coded,
/// with restart markers.
struct Jpeg
{
    J_COLOR_SPACE space = JCS_YCbCr;
    bool progressive = false;
    bool arithmetic = false;
    int restartRows = 0;
    bool subsampled = false; // 4:2:0, with greys only, whose colour cannot bleed
};

constexpr int kJpegBlock = 16; // one colour a whole MCU, so that only rounding changes it
constexpr int kJpegSide = 2 * kJpegBlock;

inline int grey(QRgb c)
{
    return qRound(0.299 * qRed(c) + 0.587 * qGreen(c) + 0.114 * qBlue(c));
}

// The colour of block (x, y) of the test JPEG, and its ink when written as CMYK.
inline QRgb jpegColour(const Jpeg& j, int bx, int by)
{
    const QRgb c =
        std::array<QRgb, 4>{0xFFC03020, 0xFF20A0E0, 0xFFFFFFFF, 0xFF404040}[size_t(by * 2 + bx)];
    return j.subsampled ? qRgb(grey(c), grey(c), grey(c)) : c;
}
inline std::array<int, 4> jpegInk(int bx, int by)
{
    return std::array<std::array<int, 4>, 4>{
        {{0, 128, 200, 40}, {200, 30, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 191}}}[size_t(by * 2 + bx)];
}

/// What the JPEG's block must read as, within the coding's rounding.
inline QRgb jpegExpected(const Jpeg& j, int bx, int by)
{
    if (j.space == JCS_CMYK || j.space == JCS_YCCK) {
        const auto ink = jpegInk(bx, by);
        const auto left = [&](int c) {
            return qRound((255 - ink[size_t(c)]) * (255 - ink[3]) / 255.0);
        };
        return qRgb(left(0), left(1), left(2));
    }
    const QRgb c = jpegColour(j, bx, by);
    if (j.space == JCS_GRAYSCALE) {
        const int g = grey(c);
        return qRgb(g, g, g);
    }
    return c;
}

/// The bytes of JPEG `j` of kJpegSide square, written by libjpeg-turbo at full quality.
/// CMYK is stored inverted, as Adobe's writers do (the Adobe marker says so).
inline QByteArray jpeg(const Jpeg& j)
{
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    const bool ink = j.space == JCS_CMYK || j.space == JCS_YCCK;
    c.image_width = c.image_height = kJpegSide;
    c.input_components = j.space == JCS_GRAYSCALE ? 1 : ink ? 4 : 3;
    c.in_color_space = j.space == JCS_GRAYSCALE ? JCS_GRAYSCALE : ink ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_colorspace(&c, j.space);
    jpeg_set_quality(&c, 100, TRUE);
    for (int i = 0; i < c.num_components; ++i) {
        const bool luma = i == 0 || i == 3; // Y, and K beside it in YCCK
        c.comp_info[i].h_samp_factor = c.comp_info[i].v_samp_factor = j.subsampled && luma ? 2 : 1;
    }
    c.arith_code = j.arithmetic;
    c.restart_in_rows = j.restartRows;
    if (j.progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(size_t(kJpegSide * c.input_components));
    while (c.next_scanline < c.image_height) {
        const int by = int(c.next_scanline) / kJpegBlock;
        for (int x = 0; x < kJpegSide; ++x) {
            JSAMPLE* s = row.data() + x * c.input_components;
            const QRgb colour = jpegColour(j, x / kJpegBlock, by);
            const auto k = jpegInk(x / kJpegBlock, by);
            if (ink)
                for (int i = 0; i < 4; ++i)
                    s[i] = JSAMPLE(255 - k[size_t(i)]);
            else if (j.space == JCS_GRAYSCALE)
                s[0] = JSAMPLE(grey(colour));
            else
                s[0] = JSAMPLE(qRed(colour)), s[1] = JSAMPLE(qGreen(colour)),
                s[2] = JSAMPLE(qBlue(colour));
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    QByteArray out(reinterpret_cast<const char*>(mem), qsizetype(size));
    free(mem);
    return out;
}

/// Every legal colour type and depth, plain and Adam7, with and without tRNS where the
/// type allows it.
inline std::vector<Png> everyPng()
{
    const std::pair<int, std::vector<int>> depths[] = {
        {0, {1, 2, 4, 8, 16}}, {2, {8, 16}}, {3, {1, 2, 4, 8}}, {4, {8, 16}}, {6, {8, 16}}};
    std::vector<Png> out;
    for (const auto& [type, list] : depths)
        for (int depth : list)
            for (int variant = 0; variant < 4; ++variant) {
                Png p;
                p.type = type, p.depth = depth, p.interlaced = variant & 1, p.trns = variant & 2;
                if (!(p.trns && (type & 4))) out.push_back(p); // alpha types have no tRNS
            }
    return out;
}

inline QByteArray name(const Png& p)
{
    return "PNG type " + QByteArray::number(p.type) + ", " + QByteArray::number(p.depth) + "-bit" +
           (p.interlaced ? ", Adam7" : "") + (p.trns ? ", tRNS" : "");
}

/// Every coding the JPEG reader takes, by name.
inline std::vector<std::pair<const char*, Jpeg>> everyJpeg()
{
    return {{"baseline", {}},
            {"progressive", {JCS_YCbCr, true}},
            {"arithmetic", {JCS_YCbCr, false, true}},
            {"arithmetic progressive", {JCS_YCbCr, true, true}},
            {"restart markers", {JCS_YCbCr, false, false, 1}},
            {"grey", {JCS_GRAYSCALE}},
            {"RGB", {JCS_RGB}},
            {"CMYK", {JCS_CMYK}},
            {"CMYK progressive", {JCS_CMYK, true}},
            {"YCCK", {JCS_YCCK}},
            {"4:2:0", {JCS_YCbCr, false, false, 0, true}}};
}

} // namespace encodermaker
