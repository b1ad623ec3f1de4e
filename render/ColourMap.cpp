#include "render/ColourMap.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace mt1d::section {

namespace {

struct Stop {
    double at;
    int r, g, b;
};

constexpr std::array<Stop, 6> kStops{{{0.0, 200, 0, 0},
                                      {0.2, 255, 128, 0},
                                      {0.4, 255, 230, 0},
                                      {0.6, 60, 200, 60},
                                      {0.8, 0, 190, 230},
                                      {1.0, 0, 40, 200}}};

}  // namespace

QColor ColourAtFraction(double fraction)
{
    const double f = std::isfinite(fraction) ? std::clamp(fraction, 0.0, 1.0) : 0.0;
    std::size_t k = 1;
    while (k + 1 < kStops.size() && kStops[k].at < f) ++k;
    const Stop& a = kStops[k - 1];
    const Stop& b = kStops[k];
    const double t = (f - a.at) / (b.at - a.at);
    const auto mix = [t](int x, int y) { return static_cast<int>(std::lround(x + t * (y - x))); };
    return QColor(mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b));
}

QColor BelowInvestigationVeil() { return QColor(210, 210, 210, 190); }

}  // namespace mt1d::section
