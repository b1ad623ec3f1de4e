#include "section/Placement.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace mt1d::section {

namespace {

// Sites closer than this along the profile are at one place (1 mm).
constexpr double kSamePlaceKm = 1e-6;

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

}  // namespace

double FarOffsetKm(std::vector<double> distancesKm)
{
    std::sort(distancesKm.begin(), distancesKm.end());
    std::vector<double> gaps;
    for (std::size_t i = 1; i < distancesKm.size(); ++i) {
        const double gap = distancesKm[i] - distancesKm[i - 1];
        if (gap > kSamePlaceKm) gaps.push_back(gap);
    }
    if (gaps.empty()) return 0.0;
    const double length = distancesKm.back() - distancesKm.front();
    return std::max(2.0 * Median(gaps), 0.1 * length);
}

Placement PlaceSites(std::span<const std::optional<GeoPoint>> locations, const std::optional<ProfileLine>& line,
                     std::optional<double> maxOffsetKm)
{
    Placement placement;
    std::vector<GeoPoint> points;
    std::vector<std::size_t> located;
    for (std::size_t i = 0; i < locations.size(); ++i) {
        if (locations[i]) {
            points.push_back(*locations[i]);
            located.push_back(i);
        }
    }
    if (points.empty()) {
        placement.byOrder = true;
        for (std::size_t i = 0; i < locations.size(); ++i) {
            placement.sites.push_back({i, static_cast<double>(i), 0.0, false});
        }
        return placement;
    }
    for (std::size_t i = 0; i < locations.size(); ++i) {
        if (!locations[i]) placement.unplaced.push_back(i);
    }
    placement.line = line ? *line : FitProfileLine(points);
    for (std::size_t k = 0; k < points.size(); ++k) {
        const ProfilePlace place = PlaceOnProfile(*placement.line, points[k]);
        placement.sites.push_back({located[k], place.distanceKm, place.offsetKm, false});
    }
    // The best-fitting line starts at the first site's foot; on the sphere that foot lies a
    // hair from 0, so distances are counted from the first site.
    if (!line) {
        double first = INFINITY;
        for (const auto& site : placement.sites) first = std::min(first, site.distanceKm);
        for (auto& site : placement.sites) site.distanceKm -= first;
    }
    std::vector<double> distances;
    for (const auto& site : placement.sites) distances.push_back(site.distanceKm);
    placement.farOffsetKm = maxOffsetKm ? *maxOffsetKm : FarOffsetKm(distances);
    for (auto& site : placement.sites) {
        site.farOff = placement.farOffsetKm > 0.0 && std::abs(site.offsetKm) > placement.farOffsetKm;
    }
    return placement;
}

std::vector<std::string> FarOffWarnings(const Placement& placement, std::span<const std::string> names)
{
    std::vector<std::string> warnings;
    for (const auto& site : placement.sites) {
        if (!site.farOff) continue;
        char text[160];
        std::snprintf(text, sizeof text, ": %.1f km off the profile (more than %.1f km); its place along the profile is uncertain",
                      std::abs(site.offsetKm), placement.farOffsetKm);
        warnings.push_back(names[site.index] + text);
    }
    return warnings;
}

std::vector<std::pair<double, double>> ColumnExtents(const std::vector<double>& distancesKm)
{
    const std::size_t n = distancesKm.size();
    std::vector<std::pair<double, double>> extents(n);
    // Groups of sites at one distance.
    std::vector<std::pair<std::size_t, std::size_t>> groups;  // [first, last)
    for (std::size_t i = 0; i < n;) {
        std::size_t j = i + 1;
        while (j < n && distancesKm[j] - distancesKm[i] < kSamePlaceKm) ++j;
        groups.emplace_back(i, j);
        i = j;
    }
    const auto at = [&](std::size_t g) { return distancesKm[groups[g].first]; };
    const std::size_t m = groups.size();
    for (std::size_t g = 0; g < m; ++g) {
        const double here = at(g);
        double left = 0.0, right = 0.0;
        if (m == 1) {
            left = here - 0.5;
            right = here + 0.5;
        } else {
            const double before = g > 0 ? 0.5 * (here - at(g - 1)) : 0.5 * (at(g + 1) - here);
            const double after = g + 1 < m ? 0.5 * (at(g + 1) - here) : before;
            left = here - before;
            right = here + after;
        }
        const auto [first, last] = groups[g];
        const double width = (right - left) / static_cast<double>(last - first);
        for (std::size_t i = first; i < last; ++i) {
            extents[i].first = left + width * static_cast<double>(i - first);
            extents[i].second = extents[i].first + width;
        }
    }
    return extents;
}

}  // namespace mt1d::section
