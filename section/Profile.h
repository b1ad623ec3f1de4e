#pragma once
// Where the sites of a survey lie along a profile.
//
// Positions are latitude and longitude in degrees (north and east positive) on a sphere of
// the Earth's mean radius; a profile is the great circle through its two ends. A site is
// placed by its foot on that circle: the distance along the circle from the start (negative
// before it) and its offset from the circle (positive to the left looking from start to end).
// Both are exact on the sphere, so a site on the line between the ends is at its great-circle
// distance from the start; the sphere differs from the ellipsoid by at most about 0.5 %.

#include <optional>
#include <span>
#include <string_view>

namespace mt1d::section {

inline constexpr double kEarthRadiusKm = 6371.0088;  // IUGG mean radius

struct GeoPoint {
    double latitudeDeg = 0.0;
    double longitudeDeg = 0.0;
};

struct ProfileLine {
    GeoPoint start;
    GeoPoint end;
};

struct ProfilePlace {
    double distanceKm = 0.0;  // along the profile from its start
    double offsetKm = 0.0;    // from the profile, positive to its left
};

// Requires start and end apart (and not antipodal): ParseProfileLine and FitProfileLine give
// only such lines.
ProfilePlace PlaceOnProfile(const ProfileLine& line, const GeoPoint& point);

// The line that fits the points best: the major axis of their scatter in a local frame (east
// and north in km about their mean position, longitudes scaled by the cosine of the mean
// latitude), from the outermost foot to the other. It runs from west to east, or from south to
// north when it points due north. Points that all coincide give a 1 km west–east line through
// them. Requires at least one point.
ProfileLine FitProfileLine(std::span<const GeoPoint> points);

// "LAT1,LON1,LAT2,LON2" in degrees. Throws std::invalid_argument saying what is wrong: not
// four numbers, a latitude outside ±90°, a longitude outside ±360°, or ends less than 1 m apart.
ProfileLine ParseProfileLine(std::string_view text);

// Great-circle distance in km (haversine).
double GreatCircleKm(const GeoPoint& a, const GeoPoint& b);

}  // namespace mt1d::section
