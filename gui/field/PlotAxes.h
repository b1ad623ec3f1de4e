#pragma once
// Axes of the sounding window's plots: logarithmic axes with decade labels, and ranges that
// take in every point with its error bar and a margin, since QCustomPlot's own rescaling
// looks at the points only and would cut bars at the edges.

#include <QString>

#include <span>

class QCPAxis;
class QCustomPlot;

namespace mt1d::gui::field {

// A range to show: [lower, upper].
struct AxisRange {
    double lower = 0.0;
    double upper = 0.0;
};

// Makes `axis` logarithmic (base 10) with labels at the decades.
void MakeLogAxis(QCPAxis* axis, const QString& label);

// The range of positive values `low`..`high` (the extents of the bars, paired by index) on a
// log axis, widened by `marginDecades` at each end; `fallback` when there is none.
AxisRange LogRangeOf(std::span<const double> low, std::span<const double> high, double marginDecades,
                     AxisRange fallback);

// The range on a linear axis, widened by `marginFraction` of its width at each end (and by one
// unit when all values are equal).
AxisRange LinearRangeOf(std::span<const double> low, std::span<const double> high, double marginFraction,
                        AxisRange fallback);

// Fonts and margins the window's plots share; the Chinese labels need a CJK font.
void StylePlot(QCustomPlot* plot);

}  // namespace mt1d::gui::field
