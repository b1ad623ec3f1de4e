#include "dims/CircularMean.h"

#include "numerics/PhysicalConstants.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace mt1d::dims {
namespace {

constexpr double kRadPerDeg = physics::kRadiansPerDegree;
// Quadrupled angles that cancel to this share of their weight have no mean direction.
constexpr double kNoDirection = 1e-9;

}  // namespace

double Mod90(double angleDeg)
{
    double a = std::fmod(angleDeg, 90.0);
    if (a < 0.0) a += 90.0;
    return a >= 90.0 ? 0.0 : a;  // −1e-17 + 90 rounds to 90
}

std::optional<CircularMean> Mod90Mean(const std::vector<double>& anglesDeg, const std::vector<double>& weights)
{
    if (anglesDeg.size() != weights.size())
        throw std::invalid_argument("Mod90Mean: as many weights as angles are needed");
    double c = 0.0, s = 0.0, total = 0.0;
    for (std::size_t i = 0; i < anglesDeg.size(); ++i) {
        const double w = weights[i];
        if (!(w > 0.0) || !std::isfinite(w) || !std::isfinite(anglesDeg[i])) continue;
        const double four = 4.0 * anglesDeg[i] * kRadPerDeg;
        c += w * std::cos(four);
        s += w * std::sin(four);
        total += w;
    }
    if (!(total > 0.0)) return std::nullopt;
    const double resultant = std::min(1.0, std::hypot(c, s) / total);
    if (resultant < kNoDirection) return std::nullopt;
    CircularMean m;
    m.meanDeg = Mod90(std::atan2(s, c) / (4.0 * kRadPerDeg));
    // R̄ = 1 (one angle, or all alike) gives −2·ln R̄ = −0, whose root would print as −0.
    m.sdDeg = std::sqrt(std::max(0.0, -2.0 * std::log(resultant))) / (4.0 * kRadPerDeg);
    return m;
}

}  // namespace mt1d::dims
