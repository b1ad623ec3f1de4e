#include "batch/SurveyShift.h"

#include "numerics/PhysicalConstants.h"
#include "sounding/Modes.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>

namespace mt1d::batch {

namespace {

constexpr double kEarthRadiusKm = 6371.0088;  // IUGG mean radius
constexpr double kBandMargin = 1e-9;
// Distances are compared to the millimetre, so that sites the same distance away are ordered
// by name whatever rounding their coordinates took.
constexpr double kDistanceQuantumKm = 1e-6;

std::string Text(double v)
{
    std::ostringstream s;
    s.precision(4);
    s << v;
    return s.str();
}

// The mean log10 ρa of a curve's rows within [low, high] Hz; empty without such rows.
std::optional<double> Level(const SiteLevels::Curve& c, double low, double high)
{
    double sum = 0.0;
    std::size_t n = 0;
    for (std::size_t i = 0; i < c.frequencyHz.size() && i < c.rhoOhmM.size(); ++i) {
        const double f = c.frequencyHz[i], rho = c.rhoOhmM[i];
        // The band's edges with a margin of rounding: a frequency written as a period, or a
        // tenth of another, may miss an edge by an ulp.
        if (!(f >= low * (1.0 - kBandMargin) && f <= high * (1.0 + kBandMargin)) || !(rho > 0.0) || !std::isfinite(rho)) {
            continue;
        }
        sum += std::log10(rho);
        ++n;
    }
    if (n == 0) return std::nullopt;
    return sum / static_cast<double>(n);
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

bool Located(const SiteLevels& s)
{
    return s.latitudeDeg && s.longitudeDeg && std::isfinite(*s.latitudeDeg) && std::isfinite(*s.longitudeDeg);
}

}  // namespace

double SurfaceDistanceKm(double lat1Deg, double lon1Deg, double lat2Deg, double lon2Deg)
{
    const double rad = physics::kPi / 180.0;
    const double dLat = (lat2Deg - lat1Deg) * rad, dLon = (lon2Deg - lon1Deg) * rad;
    const double a = std::sin(dLat / 2) * std::sin(dLat / 2) +
                     std::cos(lat1Deg * rad) * std::cos(lat2Deg * rad) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2.0 * kEarthRadiusKm * std::asin(std::min(1.0, std::sqrt(a)));
}

SurveyShiftResult EstimateSurveyShifts(std::span<const SiteLevels> sites, const SurveyShiftOptions& options)
{
    SurveyShiftResult out;
    if (options.neighbours < 1) {
        out.error = "--shift-neighbours must be at least 1";
        return out;
    }
    if (options.radiusKm && !(std::isfinite(*options.radiusKm) && *options.radiusKm > 0.0)) {
        out.error = "--shift-radius must be finite and positive, not " + Text(*options.radiusKm);
        return out;
    }
    if (options.bandLowHz.has_value() != options.bandHighHz.has_value()) {
        out.error = "the shift band needs both its ends";
        return out;
    }
    if (options.bandLowHz) {
        const double low = *options.bandLowHz, high = *options.bandHighHz;
        if (!(std::isfinite(low) && std::isfinite(high) && low > 0.0 && high > low)) {
            out.error = "the shift band " + Text(low) + ":" + Text(high) + " Hz must be finite, positive and increasing";
            return out;
        }
        out.bandLowHz = low;
        out.bandHighHz = high;
    } else {
        // The highest decade every site reaches: below the lowest of the sites' top frequencies.
        double top = std::numeric_limits<double>::infinity();
        for (const SiteLevels& s : sites) {
            double siteTop = 0.0;
            for (const auto& c : s.curves) {
                for (double f : c.frequencyHz) siteTop = std::isfinite(f) ? std::max(siteTop, f) : siteTop;
            }
            if (siteTop > 0.0) top = std::min(top, siteTop);
        }
        if (!std::isfinite(top)) {
            out.error = "no site has a frequency to estimate static shifts from";
            return out;
        }
        out.bandHighHz = top;
        out.bandLowHz = top / 10.0;
    }

    // Every curve's level in the band, by site and mode.
    const std::size_t n = sites.size();
    std::vector<std::vector<std::optional<double>>> level(n);
    for (std::size_t i = 0; i < n; ++i) {
        for (const auto& c : sites[i].curves) level[i].push_back(Level(c, out.bandLowHz, out.bandHighHz));
    }
    const auto levelOf = [&](std::size_t site, sounding::Mode mode) -> std::optional<double> {
        for (std::size_t c = 0; c < sites[site].curves.size(); ++c) {
            if (sites[site].curves[c].mode == mode) return level[site][c];
        }
        return std::nullopt;
    };

    out.sites.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const SiteLevels& site = sites[i];
        SiteShift& result = out.sites[i];
        // The candidates by distance, then name, then place in the list.
        struct Candidate {
            double km;  // in kDistanceQuantumKm
            std::size_t index;
        };
        std::vector<Candidate> candidates;
        if (Located(site)) {
            for (std::size_t j = 0; j < n; ++j) {
                if (j == i || !Located(sites[j])) continue;
                const double km =
                    SurfaceDistanceKm(*site.latitudeDeg, *site.longitudeDeg, *sites[j].latitudeDeg, *sites[j].longitudeDeg);
                if (options.radiusKm && km > *options.radiusKm) continue;
                candidates.push_back({std::round(km / kDistanceQuantumKm), j});
            }
        }
        std::sort(candidates.begin(), candidates.end(), [&sites](const Candidate& a, const Candidate& b) {
            if (a.km != b.km) return a.km < b.km;
            if (sites[a.index].name != sites[b.index].name) return sites[a.index].name < sites[b.index].name;
            return a.index < b.index;
        });
        for (std::size_t c = 0; c < site.curves.size(); ++c) {
            const sounding::Mode mode = site.curves[c].mode;
            const std::string name(sounding::ModeName(mode));
            fitting::ModeFactor factor{mode, 1.0};
            std::vector<double> around;
            std::vector<std::string> used;
            for (const Candidate& cand : candidates) {
                if (around.size() >= options.neighbours) break;
                const auto l = levelOf(cand.index, mode);
                if (!l) continue;
                around.push_back(*l);
                used.push_back(sites[cand.index].name);
            }
            if (c == 0) result.neighbours = used;
            if (!level[i][c]) {
                result.notes.push_back("the " + name + " curve has no rows in the band; its factor is 1");
            } else if (around.size() < kMinShiftNeighbours) {
                result.notes.push_back("the " + name + " curve has " + std::to_string(around.size()) +
                                       " neighbour(s) with rows in the band, fewer than " +
                                       std::to_string(kMinShiftNeighbours) + "; its factor is 1");
            } else {
                const double raw = *level[i][c] - Median(around);
                const double held = fitting::ClampShiftUnknown(raw);
                if (held != raw) {
                    result.notes.push_back("the " + name + " factor " + Text(std::pow(10.0, raw)) +
                                           " is held at its bound of a decade");
                }
                factor.factor = std::pow(10.0, held);
            }
            result.factors.push_back(factor);
        }
    }
    return out;
}

}  // namespace mt1d::batch
