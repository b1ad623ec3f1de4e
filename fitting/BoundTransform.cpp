#include "fitting/BoundTransform.h"

#include <algorithm>
#include <cmath>

namespace mt1d::fitting {

double ToUnbounded(double x, LogBounds bounds)
{
    const double width = bounds.upper - bounds.lower;
    const double inside =
        std::clamp(x, bounds.lower + kBoundMargin * width, bounds.upper - kBoundMargin * width);
    return std::log((inside - bounds.lower) / (bounds.upper - inside));
}

double FromUnbounded(double u, LogBounds bounds)
{
    // Written with the exponential of −|u| so that neither branch overflows.
    const double width = bounds.upper - bounds.lower;
    if (u >= 0.0) return bounds.lower + width / (1.0 + std::exp(-u));
    const double e = std::exp(u);
    return bounds.lower + width * e / (1.0 + e);
}

double BoundSlope(double x, LogBounds bounds)
{
    return (x - bounds.lower) * (bounds.upper - x) / (bounds.upper - bounds.lower);
}

}  // namespace mt1d::fitting
