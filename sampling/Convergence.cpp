#include "sampling/Convergence.h"

#include <cmath>
#include <limits>
#include <vector>

namespace mt1d::sampling {

double SplitRhat(std::span<const RunningMoments> all)
{
    std::vector<RunningMoments> sequences;
    for (const auto& s : all) {
        if (s.Count() >= 2) sequences.push_back(s);
    }
    const std::size_t m = sequences.size();
    if (m < 2) return std::numeric_limits<double>::quiet_NaN();
    double n = 0.0, grandMean = 0.0, w = 0.0;
    for (const auto& s : sequences) {
        n += static_cast<double>(s.Count());
        grandMean += s.Mean();
        w += s.Variance();
    }
    const double md = static_cast<double>(m);
    n /= md;
    grandMean /= md;
    w /= md;
    double spread = 0.0;
    for (const auto& s : sequences) spread += (s.Mean() - grandMean) * (s.Mean() - grandMean);
    const double bOverN = spread / (md - 1.0);
    if (w == 0.0) return bOverN == 0.0 ? 1.0 : std::numeric_limits<double>::infinity();
    const double varPlus = (n - 1.0) / n * w + bOverN;
    return std::sqrt(varPlus / w);
}

}  // namespace mt1d::sampling
