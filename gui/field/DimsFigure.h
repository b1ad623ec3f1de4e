#pragma once
// What the dimensionality tab draws, worked out from an analysis without any widget: the
// phase-tensor ellipses as polygons in the plot's coordinates, their fill colours, the points
// and error bars of β, the ellipticity and the strike, the threshold lines, the rows that are
// not 1-D and the text of the summary. The tab only copies these into its plots.
//
// Ellipses. One per row with a phase tensor, centred at (log10 T, 0) in a plane whose units
// are equal on both axes (decades of period), north up and east to the right, as a map shows
// them. The major semi-axis is the same for every ellipse: half the median spacing of the
// rows' log10 periods, so that neighbours just touch, but at least an 80th of the period
// range and at most a quarter decade; the minor one is that times Φmin/Φmax (tensor values,
// tan of the angles; |Φmin| when det Φ < 0). Where rows lie closer than a diameter (a hundred
// frequencies over seven decades), a row gets an ellipse only a diameter beyond the last one
// drawn, from the shortest period on; the plots of β and the ellipticity show every row. The
// major axis points α − β clockwise from north (Caldwell, Bibby & Brown 2004, fig. 2); a
// circle when α is undefined. The fill is β on a diverging scale, white at 0.

#include "dims/Dimensionality.h"

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mt1d::gui::field {

struct Rgb {
    int r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The diverging scale's stops, from −1 (blue) through 0 (white) to +1 (red).
const std::vector<std::pair<double, Rgb>>& DivergingStops();
// The colour of `value` on [−limit, limit], clamped at the ends; grey for a value that is not
// finite or a limit that is not positive.
Rgb DivergingColour(double value, double limit);

// The colour range of β: ± the larger of twice the 1-D threshold and the largest |β| of the
// rows, rounded up to 5°, at most 45°.
double BetaColourLimit(double maxSkewDeg, double largestAbsBetaDeg);
double BetaColourLimit(const dims::DimsResult& result);

struct PlotPoint {
    double x = 0.0;
    double y = 0.0;
};

// The outline (closed: the last point repeats the first) of an ellipse centred at (cx, cy)
// with its first semi-axis `semiMajor` pointing `azimuthDeg` clockwise from +y.
std::vector<PlotPoint> EllipseOutline(double cx, double cy, double semiMajor, double semiMinor, double azimuthDeg,
                                      int segments = 48);

struct EllipseShape {
    std::size_t row = 0;  // index into the analysis's rows (and the sounding's)
    double periodS = 0.0;
    std::vector<PlotPoint> outline;
    Rgb fill;
    bool oneD = false;
};

// A value with its error bar against period.
struct BarPoint {
    std::size_t row = 0;
    double periodS = 0.0;
    double value = 0.0;
    double low = 0.0;   // value − one standard error (the value itself without one)
    double high = 0.0;  // value + one standard error
    bool flagged = false;  // β, ellipticity: the row is not 1-D; strike: the row is 2-D
};

struct DimsFigure {
    std::vector<EllipseShape> ellipses;  // in the rows' order
    double ellipseRadius = 0.0;  // the major semi-axis, decades
    double betaLimit = 0.0;      // the colour range ±betaLimit, degrees
    std::vector<BarPoint> beta;         // degrees
    std::vector<BarPoint> ellipticity;
    std::vector<BarPoint> strike;       // degrees from north, [0°, 90°)
    double maxSkewDeg = 0.0;            // threshold lines at ±maxSkewDeg
    double maxEllipticity = 0.0;        // and at maxEllipticity
    std::optional<double> siteStrikeDeg;
    std::vector<std::size_t> notOneDRows;  // rows whose oneD is false, ascending
    std::string summary;                   // one line for the tab, UTF-8
};

// The rows an analysis finds not 1-D (oneD false; rows without a verdict are not among them).
std::vector<std::size_t> NotOneDRows(const dims::DimsResult& result);

DimsFigure MakeDimsFigure(const dims::DimsResult& result);

}  // namespace mt1d::gui::field
