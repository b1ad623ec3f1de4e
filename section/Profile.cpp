#include "section/Profile.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

namespace mt1d::section {

namespace {

constexpr double kDegree = std::numbers::pi / 180.0;
// Ends closer than this do not define a line (1 m).
constexpr double kMinimumLineKm = 1e-3;

using Vector = std::array<double, 3>;

Vector Unit(const GeoPoint& p)
{
    const double phi = p.latitudeDeg * kDegree;
    const double lambda = p.longitudeDeg * kDegree;
    return {std::cos(phi) * std::cos(lambda), std::cos(phi) * std::sin(lambda), std::sin(phi)};
}

Vector Cross(const Vector& a, const Vector& b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

double Dot(const Vector& a, const Vector& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// A longitude difference brought into [−180°, 180°).
double WrapDegrees(double d) { return d - 360.0 * std::floor((d + 180.0) / 360.0); }

}  // namespace

ProfilePlace PlaceOnProfile(const ProfileLine& line, const GeoPoint& point)
{
    const Vector a = Unit(line.start);
    const Vector p = Unit(point);
    Vector pole = Cross(a, Unit(line.end));
    const double norm = std::sqrt(Dot(pole, pole));
    for (double& c : pole) c /= norm;
    // The foot of p on the great circle is p without its component along the pole; the angle
    // from a to it, turning towards the end, is the distance along the circle.
    const double across = Dot(p, pole);
    Vector foot = p;
    for (int i = 0; i < 3; ++i) foot[i] -= across * pole[i];
    const double along = std::atan2(Dot(Cross(a, foot), pole), Dot(a, foot));
    return {along * kEarthRadiusKm, std::asin(std::clamp(across, -1.0, 1.0)) * kEarthRadiusKm};
}

ProfileLine FitProfileLine(std::span<const GeoPoint> points)
{
    if (points.empty()) throw std::invalid_argument("a profile needs at least one site");
    // Mean position; longitudes relative to the first point so that a survey across ±180° holds together.
    const double lon0 = points.front().longitudeDeg;
    double meanLat = 0.0;
    double meanDLon = 0.0;
    for (const auto& p : points) {
        meanLat += p.latitudeDeg;
        meanDLon += WrapDegrees(p.longitudeDeg - lon0);
    }
    meanLat /= static_cast<double>(points.size());
    meanDLon /= static_cast<double>(points.size());
    const double meanLon = lon0 + meanDLon;
    const double eastPerDegree = kEarthRadiusKm * kDegree * std::cos(meanLat * kDegree);
    const double northPerDegree = kEarthRadiusKm * kDegree;

    std::vector<std::array<double, 2>> local;
    local.reserve(points.size());
    double sxx = 0.0, syy = 0.0, sxy = 0.0;
    for (const auto& p : points) {
        const double x = WrapDegrees(p.longitudeDeg - meanLon) * eastPerDegree;
        const double y = (p.latitudeDeg - meanLat) * northPerDegree;
        local.push_back({x, y});
        sxx += x * x;
        syy += y * y;
        sxy += x * y;
    }
    // Major axis of the 2×2 scatter matrix. atan2 gives 2θ in (−π, π], so θ is in (−π/2, π/2]
    // and the direction (cos θ, sin θ) never points west; due north it is θ = π/2.
    const double theta = 0.5 * std::atan2(2.0 * sxy, sxx - syy);
    double dx = std::cos(theta);
    double dy = std::sin(theta);
    if (std::abs(dx) < 1e-12) {  // due north–south: point north
        dx = 0.0;
        dy = 1.0;
    }
    double lo = 0.0, hi = 0.0;
    bool first = true;
    for (const auto& q : local) {
        const double t = q[0] * dx + q[1] * dy;
        lo = first ? t : std::min(lo, t);
        hi = first ? t : std::max(hi, t);
        first = false;
    }
    if (hi - lo < kMinimumLineKm) {
        const double mid = 0.5 * (lo + hi);
        lo = mid - 0.5;
        hi = mid + 0.5;
    }
    const auto toGeo = [&](double t) {
        return GeoPoint{meanLat + t * dy / northPerDegree, meanLon + t * dx / eastPerDegree};
    };
    return {toGeo(lo), toGeo(hi)};
}

ProfileLine ParseProfileLine(std::string_view text)
{
    std::array<double, 4> values{};
    std::size_t count = 0;
    std::size_t pos = 0;
    while (true) {
        const std::size_t comma = text.find(',', pos);
        std::string_view item = text.substr(pos, comma == std::string_view::npos ? std::string_view::npos : comma - pos);
        while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
        while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
        if (count == 4) throw std::invalid_argument("expected four numbers LAT1,LON1,LAT2,LON2, got more");
        double value = 0.0;
        const auto [end, ec] = std::from_chars(item.data(), item.data() + item.size(), value);
        if (item.empty() || ec != std::errc() || end != item.data() + item.size() || !std::isfinite(value)) {
            throw std::invalid_argument("expected four numbers LAT1,LON1,LAT2,LON2; \"" + std::string(item) +
                                        "\" is not a number");
        }
        values[count++] = value;
        if (comma == std::string_view::npos) break;
        pos = comma + 1;
    }
    if (count != 4) {
        throw std::invalid_argument("expected four numbers LAT1,LON1,LAT2,LON2, got " + std::to_string(count));
    }
    for (int i : {0, 2}) {
        if (std::abs(values[i]) > 90.0) {
            throw std::invalid_argument("latitude " + std::to_string(values[i]) + " is outside -90..90 degrees");
        }
        if (std::abs(values[i + 1]) > 360.0) {
            throw std::invalid_argument("longitude " + std::to_string(values[i + 1]) + " is outside -360..360 degrees");
        }
    }
    const ProfileLine line{{values[0], values[1]}, {values[2], values[3]}};
    if (GreatCircleKm(line.start, line.end) < kMinimumLineKm) {
        throw std::invalid_argument("the two ends of the profile are less than 1 m apart");
    }
    if (GreatCircleKm(line.start, line.end) > std::numbers::pi * kEarthRadiusKm - kMinimumLineKm) {
        throw std::invalid_argument("the two ends of the profile are antipodal; any great circle joins them");
    }
    return line;
}

double GreatCircleKm(const GeoPoint& a, const GeoPoint& b)
{
    const double dphi = (b.latitudeDeg - a.latitudeDeg) * kDegree;
    const double dlambda = (b.longitudeDeg - a.longitudeDeg) * kDegree;
    const double h = std::sin(dphi / 2) * std::sin(dphi / 2) +
                     std::cos(a.latitudeDeg * kDegree) * std::cos(b.latitudeDeg * kDegree) *
                         std::sin(dlambda / 2) * std::sin(dlambda / 2);
    return 2.0 * kEarthRadiusKm * std::asin(std::min(1.0, std::sqrt(h)));
}

}  // namespace mt1d::section
