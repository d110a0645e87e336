#pragma once

#include <QImage>
#include <QRegion>
#include <QSize>

#include <array>
#include <vector>

namespace tessellon {

class Surface;

/// Reduced copies of the map for looking at it zoomed out: 1/2, 1/4 and 1/8, each made from
/// the one before, and the whole map fitted into a view, made from the smallest of those.
/// A copy's pixel is the darkest of its block (the least of each channel), so a 1-pixel line
/// stays as dark as it is drawn. Grid dots count as white: the grid never shows in a copy,
/// and drawing or erasing it changes none. Damage is noted as it comes and worked off later,
/// all at once or a band of map rows at a time, never by reducing the whole map per paint.
class Overview
{
public:
    /// One zoomed-out step of the view.
    struct Step
    {
        double scale;
        const QImage* image;
    };

    /// Makes the copies for a map of `map` pixels shown in a view of `view` pixels. Copies
    /// that already fit are kept. False, with nothing kept, when together they would take
    /// more than a third of the map's memory or more than availableMemory().
    bool prepare(QSize map, QSize view);
    /// Gives the copies' memory back.
    void release();
    bool ready() const noexcept { return !steps_.empty(); }
    /// The zoomed-out steps, nearest first; empty when nothing is kept.
    const std::vector<Step>& steps() const noexcept { return steps_; }
    /// Bytes all copies take together.
    qint64 bytes() const;

    /// Notes that the map changed inside `area` (a null rectangle: everywhere).
    void damage(const QRect& area = QRect());
    /// True when the copies are made for a map of `map` pixels.
    bool keeps(QSize map) const noexcept { return ready() && map == map_; }
    /// True while some damage is not yet in the copies.
    bool dirty() const noexcept { return !dirty_.isEmpty(); }
    /// Brings every copy up to date with `map`, which must be the size prepared for.
    void sync(const Surface& map);
    /// Works off the damage in at most `rows` map rows; true while some is left.
    bool syncRows(const Surface& map, int rows);

private:
    struct Plan
    {
        int halves; // how many of the 1/2, 1/4, 1/8 copies are kept
        QSize fit;  // empty: no fitted copy
    };
    Plan plan(QSize map, QSize view) const;
    void allocate(QSize map, const Plan& p);
    void update(const Surface& map, const QRect& area);
    void updateFit(const QRect& sourceArea);

    std::array<QImage, 3> halves_;
    int halvesKept_ = 0;
    QImage fit_;
    std::vector<int> fitColumns_, fitRows_; // fitted pixel i covers source [e[i], e[i + 1])
    std::vector<Step> steps_;
    QRegion dirty_;
    QSize map_;
};

} // namespace tessellon
