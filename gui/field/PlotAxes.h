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

// Makes `axis` logarithmic (base 10); its labels follow ChooseLogTicks (LogTicks.h) for the
// axis's length on screen at each replot.
void MakeLogAxis(QCPAxis* axis, const QString& label);

// The range of positive values `low`..`high` (the extents of the bars, paired by index) on a
// log axis, widened by `marginDecades` at each end; `fallback` when there is none.
AxisRange LogRangeOf(std::span<const double> low, std::span<const double> high, double marginDecades,
                     AxisRange fallback);

// The range on a linear axis, widened by `marginFraction` of its width at each end (and by one
// unit when all values are equal).
AxisRange LinearRangeOf(std::span<const double> low, std::span<const double> high, double marginFraction,
                        AxisRange fallback);

// The range for points `value` with error bars `low`..`high` (paired by index): the points and
// their bars, but no bar reaches more than `reach` beyond the outermost point (decades on a log
// axis, the axis's unit on a linear one), so that one huge bar does not squeeze the data into
// a sliver; then widened by the margin (decades / fraction of the width). Bars cut by the range
// are marked where they leave it (CurvePlot).
AxisRange LogRangeWithBars(std::span<const double> value, std::span<const double> low, std::span<const double> high,
                           double reachDecades, double marginDecades, AxisRange fallback);
AxisRange LinearRangeWithBars(std::span<const double> value, std::span<const double> low,
                              std::span<const double> high, double reach, double marginFraction, AxisRange fallback);

// Fonts and margins the window's plots share; the Chinese labels need a CJK font.
void StylePlot(QCustomPlot* plot);

}  // namespace mt1d::gui::field
