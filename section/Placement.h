#pragma once
// Sites placed along a profile: the one rule the section, the profile fit (`mt1d profile`),
// the site map and the exports share.
//
// Sites with a location stand at their foot on the profile (Profile.h): the given line, or the
// line that fits them best, counted from the first site's foot (0 km). Sites without a
// location cannot be placed while others have one; when no site has one, all are placed one
// unit apart in their given order (byOrder).
//
// A site is far off the profile when its offset from the line exceeds FarOffsetKm of the
// placed sites: its distance along the profile then says little about where it is, and a
// warning names it.

#include "section/Profile.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace mt1d::section {

struct PlacedSite {
    std::size_t index = 0;    // into the caller's sites
    double distanceKm = 0.0;  // along the profile
    double offsetKm = 0.0;    // from the line, positive to its left; 0 by order
    bool farOff = false;
};

struct Placement {
    std::optional<ProfileLine> line;     // empty when placed by order
    bool byOrder = false;
    std::vector<PlacedSite> sites;       // in the caller's order
    std::vector<std::size_t> unplaced;   // indices of sites without a location, others having one
    double farOffsetKm = 0.0;            // the threshold used; 0 by order
};

// The offset beyond which a site is far off the profile: the larger of twice the median
// spacing of neighbouring sites along it and a tenth of its length (first to last site), so
// that a regular line tolerates the scatter of its own spacing and a sparse one a tenth of
// its extent. `distancesKm` in any order; 0 for fewer than two sites apart.
double FarOffsetKm(std::vector<double> distancesKm);

// Places the sites, each given by its location or none. An explicit `maxOffsetKm` replaces
// FarOffsetKm.
Placement PlaceSites(std::span<const std::optional<GeoPoint>> locations, const std::optional<ProfileLine>& line,
                     std::optional<double> maxOffsetKm = std::nullopt);

// One warning line per site far off the profile: "S12: 69.3 km off the profile (more than
// 12.0 km); its place along the profile is uncertain". `names` in the caller's order.
std::vector<std::string> FarOffWarnings(const Placement& placement, std::span<const std::string> names);

}  // namespace mt1d::section

namespace mt1d::section {

// The extent of each site's column along the profile, `distancesKm` ascending: each reaches
// halfway to its neighbours, the outer ones as far beyond their site as the half gap on their
// inner side (±0.5 when there is one site); sites at one distance (within 1 mm) share their
// column side by side in the given order. Returns [left, right] per site.
std::vector<std::pair<double, double>> ColumnExtents(const std::vector<double>& distancesKm);

}  // namespace mt1d::section
