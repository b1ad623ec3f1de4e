#include "lci/LateralWeights.h"

#include "lci/LciOptions.h"

#include <algorithm>
#include <cmath>

namespace mt1d::lci {

double MedianSpacingKm(std::span<const double> distancesKm)
{
    std::vector<double> spacing;
    for (std::size_t k = 1; k < distancesKm.size(); ++k) {
        const double d = std::abs(distancesKm[k] - distancesKm[k - 1]);
        if (d > 0.0) spacing.push_back(d);
    }
    if (spacing.empty()) return kDefaultReferenceDistanceKm;
    std::sort(spacing.begin(), spacing.end());
    const std::size_t m = spacing.size() / 2;
    return spacing.size() % 2 == 1 ? spacing[m] : 0.5 * (spacing[m - 1] + spacing[m]);
}

std::vector<double> LinkWeights(std::span<const double> distancesKm, double referenceKm, double power)
{
    std::vector<double> w;
    const double closest = kMinSpacingFraction * referenceKm;
    for (std::size_t k = 1; k < distancesKm.size(); ++k) {
        const double d = std::max(std::abs(distancesKm[k] - distancesKm[k - 1]), closest);
        w.push_back(std::pow(referenceKm / d, power));
    }
    return w;
}

double EqualTraceLateralWeight(std::size_t sites, double verticalTrace, std::size_t unknowns,
                               std::span<const double> linkWeights)
{
    // Each link adds its weight twice to the diagonal for every unknown.
    double lateral = 0.0;
    for (double w : linkWeights) lateral += 2.0 * w * static_cast<double>(unknowns);
    const double vertical = static_cast<double>(sites) * verticalTrace;
    if (!(lateral > 0.0) || !(vertical > 0.0)) return 1.0;
    return vertical / lateral;
}

}  // namespace mt1d::lci
