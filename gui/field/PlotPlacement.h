#pragma once
// Where a legend or a label goes so that it covers no data: of a few candidate places, the one
// whose rectangle holds the fewest data pixels. When every place inside the plot covers some,
// the legend leaves the axis rect and sits above it, in a row of the plot's layout.

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <cstddef>
#include <span>
#include <vector>

class QCustomPlot;

namespace mt1d::gui::field {

struct Placement {
    std::size_t index = 0;    // of the candidate
    std::size_t covered = 0;  // data pixels inside it
};

// The candidate holding the fewest points; the first of equals, so candidates go in order of
// preference. No candidates: index 0, covered = points.size().
Placement LeastCovered(std::span<const QRectF> candidates, std::span<const QPointF> points);

// A box of `size` in each corner of `area`, `inset` pixels from its sides, in this order:
// top right, top left, bottom right, bottom left.
std::vector<QRectF> CornerBoxes(const QRectF& area, QSizeF size, double inset);

// Points every `stepPx` along the segment from a to b (both ends included), so that error bars
// and lines count as data where they run, not only at their ends.
void AddSegment(std::vector<QPointF>& points, QPointF a, QPointF b, double stepPx);

// Puts the legend of `plot` into the corner of its axis rect that covers none of `data`, or
// above the axis rect when every corner covers some. Judges on the plot's current layout;
// returns whether the legend moved (the plot must then be laid out again).
bool PlaceLegend(QCustomPlot* plot, std::span<const QPointF> data);

}  // namespace mt1d::gui::field
