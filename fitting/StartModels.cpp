#include "fitting/StartModels.h"

#include "fitting/SeededRandom.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace mt1d::fitting {

namespace {

struct LogPoint {
    double log10Depth;
    double log10Rho;
};

// The profile in log10, sorted by depth, without the points whose depth or resistivity has no
// finite logarithm (a row at 1e308 Hz has a depth of 0). With none left, one point at
// kFallbackDepthM of the geometric mean of the resistivities that have one, or of
// kFallbackResistivityOhmM.
std::vector<LogPoint> LogProfile(std::span<const DepthPoint> profile)
{
    std::vector<LogPoint> points;
    double sum = 0.0;
    std::size_t finiteRho = 0;
    for (const auto& p : profile) {
        const LogPoint point{std::log10(p.depthM), std::log10(p.resistivityOhmM)};
        if (std::isfinite(point.log10Rho)) {
            sum += point.log10Rho;
            ++finiteRho;
        }
        if (std::isfinite(point.log10Depth) && std::isfinite(point.log10Rho)) points.push_back(point);
    }
    if (points.empty()) {
        const double log10Rho = finiteRho > 0 ? sum / static_cast<double>(finiteRho) : std::log10(kFallbackResistivityOhmM);
        points.push_back({std::log10(kFallbackDepthM), log10Rho});
    }
    std::sort(points.begin(), points.end(),
              [](const LogPoint& a, const LogPoint& b) { return a.log10Depth < b.log10Depth; });
    return points;
}

// log10 ρ of the profile at a log10 depth: linear between points, constant beyond the ends
// (a NaN depth, which no caller should pass, takes the top end).
double Interpolate(const std::vector<LogPoint>& points, double z)
{
    if (!(z > points.front().log10Depth)) return points.front().log10Rho;
    if (!(z < points.back().log10Depth)) return points.back().log10Rho;
    const auto upper = std::lower_bound(points.begin(), points.end(), z,
                                        [](const LogPoint& p, double v) { return p.log10Depth < v; });
    const auto lower = upper - 1;
    const double span = upper->log10Depth - lower->log10Depth;
    if (span <= 0.0) return upper->log10Rho;
    const double t = (z - lower->log10Depth) / span;
    return lower->log10Rho + t * (upper->log10Rho - lower->log10Rho);
}

// Mean log10 ρ of the profile between two log10 depths (the geometric mean of ρ), or the
// profile at the middle when no point falls inside.
double LayerMean(const std::vector<LogPoint>& points, double zTop, double zBottom)
{
    double sum = 0.0;
    std::size_t n = 0;
    for (const auto& p : points) {
        if (p.log10Depth >= zTop && p.log10Depth < zBottom) {
            sum += p.log10Rho;
            ++n;
        }
    }
    if (n > 0) return sum / static_cast<double>(n);
    const double mid = std::isfinite(zTop) ? (std::isfinite(zBottom) ? 0.5 * (zTop + zBottom) : zTop)
                                           : zBottom;
    return Interpolate(points, mid);
}

// The parameters of a start with interfaces at the log10 depths `z` (sorted).
std::vector<double> StartAt(const std::vector<LogPoint>& points, const std::vector<double>& z)
{
    const std::size_t layers = z.size() + 1;
    std::vector<double> p(2 * layers - 1);
    const double inf = INFINITY;
    for (std::size_t j = 0; j < layers; ++j) {
        const double top = j == 0 ? -inf : z[j - 1];
        const double bottom = j + 1 == layers ? inf : z[j];
        p[j] = LayerMean(points, top, bottom);
    }
    double above = 0.0;  // depth of the layer's top in metres
    for (std::size_t j = 0; j + 1 < layers; ++j) {
        const double depth = std::pow(10.0, z[j]);
        p[layers + j] = std::log10(depth - above);
        above = depth;
    }
    return p;
}

}  // namespace

std::vector<std::vector<double>> SeededStarts(std::span<const DepthPoint> profile,
                                              std::size_t layers, std::size_t count,
                                              std::uint64_t seed)
{
    if (profile.empty()) throw std::invalid_argument("starting models need a Niblett–Bostick profile");
    if (layers == 0) throw std::invalid_argument("a model needs at least one layer");
    const auto points = LogProfile(profile);
    double zLow = points.front().log10Depth;
    double zHigh = points.back().log10Depth;
    if (zHigh - zLow < 2.0 * kStartDepthMarginDecades) {  // a single point or a narrow band
        const double mid = 0.5 * (zLow + zHigh);
        zLow = mid - kStartDepthMarginDecades;
        zHigh = mid + kStartDepthMarginDecades;
    }
    const std::size_t interfaces = layers - 1;

    SeededRandom random(seed);
    std::vector<std::vector<double>> starts;
    starts.reserve(count);
    for (std::size_t k = 0; k < count; ++k) {
        std::vector<double> z(interfaces);
        if (k == 0) {
            for (std::size_t i = 0; i < interfaces; ++i) {
                z[i] = zLow + (zHigh - zLow) * (static_cast<double>(i) + 0.5) / static_cast<double>(interfaces);
            }
        } else {
            for (auto& v : z) {
                v = random.Uniform(zLow - kStartDepthMarginDecades, zHigh + kStartDepthMarginDecades);
            }
            std::sort(z.begin(), z.end());
            for (std::size_t i = 1; i < interfaces; ++i) {
                z[i] = std::max(z[i], z[i - 1] + kStartMinSeparationDecades);
            }
        }
        auto p = StartAt(points, z);
        if (k > 0) {
            for (std::size_t j = 0; j < layers; ++j) p[j] += kStartLog10RhoSpread * random.Gaussian();
        }
        starts.push_back(std::move(p));
    }
    return starts;
}

}  // namespace mt1d::fitting
