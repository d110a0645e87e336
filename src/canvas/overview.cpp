#include "overview.h"

#include "availablememory.h"
#include "grid.h"
#include "surface.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tessellon {

namespace {

constexpr QRgb kOpaque = 0xFF000000u;
constexpr QRgb kWhiteRgb = 0xFFFFFFFFu;
constexpr QRgb kGridRgb = toRgb32(kGridColour);
// Past this many rectangles the damage is kept as their bounding box: cheaper to note than
// to work off rectangle by rectangle.
constexpr int kMaxDamageRects = 64;

qint64 bytesOf(QSize s)
{
    return qint64(s.width()) * s.height() * 4;
}

// The map reduced 2^k times, a part block at the right and bottom edges counting whole.
QSize halfSize(QSize map, int k)
{
    const int m = (1 << k) - 1;
    return {(map.width() + m) >> k, (map.height() + m) >> k};
}

inline QRgb darker(QRgb a, QRgb b) noexcept
{
    return std::min(a & 0xFF0000u, b & 0xFF0000u) | std::min(a & 0xFF00u, b & 0xFF00u) |
           std::min(a & 0xFFu, b & 0xFFu) | kOpaque;
}

// The copies of a map of `map` pixels: the first `halves` of 1/2, 1/4, 1/8, and `fit`.
qint64 copiesBytes(QSize map, int halves, QSize fit)
{
    qint64 bytes = bytesOf(fit);
    for (int k = 1; k <= halves; ++k)
        bytes += bytesOf(halfSize(map, k));
    return bytes;
}

const QRgb* rowOf(const QImage& img, int y)
{
    return reinterpret_cast<const QRgb*>(img.constScanLine(y));
}

QRgb* rowOf(QImage& img, int y)
{
    return reinterpret_cast<QRgb*>(img.scanLine(y));
}

// out[i] = the darkest of a[2i], a[2i + 1], b[2i], b[2i + 1], for n outputs.
void halveRun(const QRgb* a, const QRgb* b, QRgb* out, int n)
{
    int i = 0;
#if defined(__SSE2__)
    for (; i + 4 <= n; i += 4) {
        const auto* pa = reinterpret_cast<const __m128i*>(a + 2 * i);
        const auto* pb = reinterpret_cast<const __m128i*>(b + 2 * i);
        const __m128 lo = _mm_castsi128_ps(_mm_min_epu8(_mm_loadu_si128(pa), _mm_loadu_si128(pb)));
        const __m128 hi =
            _mm_castsi128_ps(_mm_min_epu8(_mm_loadu_si128(pa + 1), _mm_loadu_si128(pb + 1)));
        const __m128i even = _mm_castps_si128(_mm_shuffle_ps(lo, hi, _MM_SHUFFLE(2, 0, 2, 0)));
        const __m128i odd = _mm_castps_si128(_mm_shuffle_ps(lo, hi, _MM_SHUFFLE(3, 1, 3, 1)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_min_epu8(even, odd));
    }
#endif
    for (; i < n; ++i)
        out[i] = darker(darker(a[2 * i], a[2 * i + 1]), darker(b[2 * i], b[2 * i + 1]));
}

// A grid dot at (x, y) counts as white.
inline QRgb undotted(QRgb p, int x, int y) noexcept
{
    return isGridPosition(x, y) && (p | kOpaque) == kGridRgb ? kWhiteRgb : p;
}

// Two rows of a picture `width` pixels wide, rows y and y + 1 (the same row twice at the
// bottom edge), and the darkest pixel of the block under pixel ox of their half.
struct RowPair
{
    const QRgb* a;
    const QRgb* b;
    int width, y;

    QRgb block(int ox, bool noGrid) const noexcept
    {
        const int x0 = 2 * ox, x1 = std::min(x0 + 1, width - 1);
        if (!noGrid) return darker(darker(a[x0], a[x1]), darker(b[x0], b[x1]));
        return darker(darker(undotted(a[x0], x0, y), undotted(a[x1], x1, y)),
                      darker(undotted(b[x0], x0, y + 1), undotted(b[x1], x1, y + 1)));
    }
};

// Pixels `r` of `dst`, the half of `src`. With `noGrid` grid dots count as white: blocks
// that may hold one (every 15th column and row of the half) are done again pixel by pixel.
void halve(const QImage& src, QImage& dst, const QRect& r, bool noGrid)
{
    constexpr int kDotted = kGridSpacing / 2;
    const int pairs = std::min(r.right() + 1, src.width() / 2); // blocks two pixels wide
    for (int oy = r.top(); oy <= r.bottom(); ++oy) {
        const RowPair rows{rowOf(src, 2 * oy), rowOf(src, std::min(2 * oy + 1, src.height() - 1)),
                           src.width(), 2 * oy};
        QRgb* out = rowOf(dst, oy);
        const bool dottedRow = noGrid && oy > 0 && oy % kDotted == 0;
        if (pairs > r.left() && !dottedRow)
            halveRun(rows.a + 2 * r.left(), rows.b + 2 * r.left(), out + r.left(),
                     pairs - r.left());
        for (int ox = dottedRow ? r.left() : std::max(r.left(), pairs); ox <= r.right(); ++ox)
            out[ox] = rows.block(ox, noGrid);
        if (!noGrid || dottedRow) continue;
        for (int ox = std::max(1, (r.left() + kDotted - 1) / kDotted) * kDotted; ox <= r.right();
             ox += kDotted)
            out[ox] = rows.block(ox, true);
    }
}

// Edges of `dst` blocks over `src` pixels: block i covers [e[i], e[i + 1]).
std::vector<int> blockEdges(int src, int dst)
{
    std::vector<int> e(size_t(dst) + 1);
    for (int i = 0; i <= dst; ++i)
        e[size_t(i)] = int(qint64(i) * src / dst);
    return e;
}

// The blocks that meet source pixels [first, last], as [begin, end).
std::pair<int, int> blocksMeeting(const std::vector<int>& e, int first, int last)
{
    const auto begin = std::upper_bound(e.begin(), e.end(), first) - e.begin() - 1;
    const auto end = std::lower_bound(e.begin(), e.end(), last + 1) - e.begin();
    return {int(std::max<qsizetype>(begin, 0)), int(std::min<qsizetype>(end, e.size() - 1))};
}

} // namespace

Overview::Plan Overview::plan(QSize map, QSize view) const
{
    const double s =
        std::min(double(view.width()) / map.width(), double(view.height()) / map.height());
    QSize fit;
    if (s < 1.0 / 8)
        fit = QSize(std::max(1, int(map.width() * s)), std::max(1, int(map.height() * s)));
    // With the fitted copy, 1/2 + 1/4 + 1/8 may pass a third of the map; then the fitted
    // copy stands in for 1/8 and is made from 1/4.
    for (int halves = 3; halves >= (fit.isEmpty() ? 3 : 2); --halves)
        if (copiesBytes(map, halves, fit) <= bytesOf(map) / 3) return {halves, fit};
    return {0, {}};
}

bool Overview::prepare(QSize map, QSize view)
{
    if (map.isEmpty() || view.isEmpty()) {
        release();
        return false;
    }
    const Plan p = plan(map, view);
    if (p.halves == 0) {
        release();
        return false;
    }
    if (map == map_ && p.halves == halvesKept_) {
        if (p.fit == fit_.size()) return true;
        allocate(map, p); // only the view changed: the fitted copy anew, the others kept
        updateFit(halves_[size_t(halvesKept_ - 1)].rect());
        return ready();
    }
    release();
    if (copiesBytes(map, p.halves, p.fit) > availableMemory()) return false;
    for (int k = 0; k < p.halves; ++k)
        halves_[size_t(k)] = QImage(halfSize(map, k + 1), QImage::Format_RGB32);
    allocate(map, p);
    damage();
    return ready();
}

void Overview::allocate(QSize map, const Plan& p)
{
    map_ = map;
    halvesKept_ = p.halves;
    fit_ = p.fit.isEmpty() ? QImage() : QImage(p.fit, QImage::Format_RGB32);
    steps_.clear();
    for (int k = 0; k < p.halves; ++k) {
        if (halves_[size_t(k)].isNull()) return release();
        steps_.push_back({1.0 / (2 << k), &halves_[size_t(k)]});
    }
    if (p.fit.isEmpty()) return;
    if (fit_.isNull()) return release();
    const QSize src = halfSize(map, p.halves);
    fitColumns_ = blockEdges(src.width(), p.fit.width());
    fitRows_ = blockEdges(src.height(), p.fit.height());
    steps_.push_back({double(p.fit.width()) / map.width(), &fit_});
}

void Overview::release()
{
    for (QImage& h : halves_)
        h = QImage();
    fit_ = QImage();
    steps_.clear();
    halvesKept_ = 0;
    map_ = QSize();
    dirty_ = QRegion();
}

qint64 Overview::bytes() const
{
    qint64 n = fit_.sizeInBytes();
    for (const QImage& h : halves_)
        n += h.sizeInBytes();
    return n;
}

void Overview::damage(const QRect& area)
{
    if (!ready()) return;
    const QRect whole(QPoint(), map_);
    const QRect r = area.isNull() ? whole : area & whole;
    if (r.isEmpty()) return;
    dirty_ += r;
    if (dirty_.rectCount() > kMaxDamageRects) dirty_ = dirty_.boundingRect();
}

void Overview::sync(const Surface& map)
{
    if (!ready() || map.size() != map_) return;
    for (const QRect& r : dirty_)
        update(map, r);
    dirty_ = QRegion();
}

bool Overview::syncRows(const Surface& map, int rows)
{
    if (!ready() || map.size() != map_) return false;
    if (dirty_.isEmpty()) return false;
    // bands of whole 1/8 blocks, so that no block is reduced twice
    const int align = 1 << halvesKept_;
    const int top = dirty_.boundingRect().top() / align * align;
    const QRect band(0, top, map_.width(), (std::max(rows, 1) + align - 1) / align * align);
    for (const QRect& r : dirty_& band)
        update(map, r);
    dirty_ -= band;
    return !dirty_.isEmpty();
}

void Overview::update(const Surface& map, const QRect& area)
{
    QRect r = area;
    for (int k = 0; k < halvesKept_; ++k) {
        r = QRect(QPoint(r.left() / 2, r.top() / 2), QPoint(r.right() / 2, r.bottom() / 2));
        const QImage& src = k == 0 ? map.image() : halves_[size_t(k - 1)];
        halve(src, halves_[size_t(k)], r, k == 0);
    }
    updateFit(r);
}

// Pixels of the fitted copy over `sourceArea` of the smallest half copy.
void Overview::updateFit(const QRect& sourceArea)
{
    if (fit_.isNull()) return;
    const QImage& src = halves_[size_t(halvesKept_ - 1)];
    const auto [x0, x1] = blocksMeeting(fitColumns_, sourceArea.left(), sourceArea.right());
    const auto [y0, y1] = blocksMeeting(fitRows_, sourceArea.top(), sourceArea.bottom());
    for (int fy = y0; fy < y1; ++fy) {
        QRgb* out = rowOf(fit_, fy);
        std::fill(out + x0, out + x1, kWhiteRgb);
        for (int sy = fitRows_[size_t(fy)]; sy < fitRows_[size_t(fy) + 1]; ++sy) {
            const QRgb* line = rowOf(src, sy);
            for (int fx = x0; fx < x1; ++fx)
                for (int sx = fitColumns_[size_t(fx)]; sx < fitColumns_[size_t(fx) + 1]; ++sx)
                    out[fx] = darker(out[fx], line[sx]);
        }
    }
}

} // namespace tessellon
