#include "section/DepthGrid.h"

#include <algorithm>
#include <cmath>

namespace mt1d::section {

double Log10RhoAt(std::span<const fitting::ReportLayer> layers, double depthM)
{
    std::size_t k = 0;
    while (k + 1 < layers.size() && layers[k + 1].topM <= depthM) ++k;
    return std::log10(layers[k].resistivityOhmM);
}

std::vector<double> SampleColumn(std::span<const fitting::ReportLayer> layers, const DepthGrid& grid)
{
    std::vector<double> column(grid.cells);
    for (std::size_t i = 0; i < grid.cells; ++i) column[i] = Log10RhoAt(layers, grid.CellCentreM(i));
    return column;
}

double NiceCeiling(double value)
{
    const double decade = std::pow(10.0, std::floor(std::log10(value)));
    for (const double step : {1.0, 2.0, 5.0}) {
        // A relative slack of 1e-9 keeps 2000 at 2000 when the power of ten rounds below.
        if (value <= step * decade * (1.0 + 1e-9)) return step * decade;
    }
    return 10.0 * decade;
}

double DefaultBottomM(std::span<const double> depthsOfInvestigationM)
{
    std::vector<double> known;
    for (const double d : depthsOfInvestigationM) {
        if (std::isfinite(d) && d > 0.0) known.push_back(d);
    }
    if (known.empty()) return 1000.0;
    std::sort(known.begin(), known.end());
    const std::size_t n = known.size();
    const double median = n % 2 == 1 ? known[n / 2] : 0.5 * (known[n / 2 - 1] + known[n / 2]);
    return NiceCeiling(median);
}

}  // namespace mt1d::section
