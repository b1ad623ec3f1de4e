#include "gui/field/DimsFigure.h"

#include "dims/Wording.h"
#include "gui/common/Language.h"
#include "numerics/PhysicalConstants.h"

#include <algorithm>
#include <cmath>
#include <numeric>

using mt1d::gui::Ui;

namespace mt1d::gui::field {

namespace {

constexpr double kDegree = physics::kPi / 180.0;
constexpr double kMaxEllipseRadius = 0.25;      // decades
constexpr double kMostEllipsesAcross = 80.0;    // radii across the period range

// Rounds up to a multiple of `step`.
double RoundUp(double x, double step) { return std::ceil(x / step - 1e-12) * step; }

std::string Percent(double fraction) { return dims::Significant(std::round(fraction * 100.0), 3) + "%"; }

std::string Degrees(double deg) { return dims::Significant(std::round(deg * 10.0) / 10.0, 4) + "°"; }

}  // namespace

const std::vector<std::pair<double, Rgb>>& DivergingStops()
{
    // Blue for negative β, red for positive: the colours of ColorBrewer's RdBu, reversed.
    static const std::vector<std::pair<double, Rgb>> stops = {
        {-1.0, {33, 102, 172}}, {-0.5, {103, 169, 207}}, {0.0, {247, 247, 247}}, {0.5, {239, 138, 98}}, {1.0, {178, 24, 43}}};
    return stops;
}

Rgb DivergingColour(double value, double limit)
{
    if (!std::isfinite(value) || !(limit > 0.0) || !std::isfinite(limit)) return {160, 160, 160};
    const double t = std::clamp(value / limit, -1.0, 1.0);
    const auto& stops = DivergingStops();
    for (std::size_t i = 1; i < stops.size(); ++i) {
        if (t > stops[i].first) continue;
        const auto& [t0, c0] = stops[i - 1];
        const auto& [t1, c1] = stops[i];
        const double w = (t - t0) / (t1 - t0);
        const auto mix = [w](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * w)); };
        return {mix(c0.r, c1.r), mix(c0.g, c1.g), mix(c0.b, c1.b)};
    }
    return stops.back().second;
}

double BetaColourLimit(double maxSkewDeg, double largestAbsBetaDeg)
{
    const double limit = RoundUp(std::max(2.0 * maxSkewDeg, largestAbsBetaDeg), 5.0);
    return std::isfinite(limit) ? std::clamp(limit, 5.0, 45.0) : 45.0;
}

double BetaColourLimit(const dims::DimsResult& result)
{
    double largest = 0.0;
    for (const auto& row : result.rows) {
        if (row.betaDeg && std::isfinite(*row.betaDeg)) largest = std::max(largest, std::abs(*row.betaDeg));
    }
    return BetaColourLimit(result.options.maxSkewDeg, largest);
}

std::vector<PlotPoint> EllipseOutline(double cx, double cy, double semiMajor, double semiMinor, double azimuthDeg,
                                      int segments)
{
    // The major axis along (sin θ, cos θ), the minor one along (cos θ, −sin θ): θ clockwise
    // from +y (north) towards +x (east).
    const double s = std::sin(azimuthDeg * kDegree), c = std::cos(azimuthDeg * kDegree);
    std::vector<PlotPoint> points;
    points.reserve(static_cast<std::size_t>(segments) + 1);
    for (int k = 0; k <= segments; ++k) {
        const double t = 2.0 * physics::kPi * (k % segments) / segments;
        const double u = semiMajor * std::cos(t), v = semiMinor * std::sin(t);
        points.push_back({cx + u * s + v * c, cy + u * c - v * s});
    }
    return points;
}

std::vector<std::size_t> NotOneDRows(const dims::DimsResult& result)
{
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < result.rows.size(); ++i) {
        if (result.rows[i].oneD && !*result.rows[i].oneD) rows.push_back(i);
    }
    return rows;
}

DimsFigure MakeDimsFigure(const dims::DimsResult& result)
{
    DimsFigure figure;
    figure.maxSkewDeg = result.options.maxSkewDeg;
    figure.maxEllipticity = result.options.maxEllipticity;
    figure.betaLimit = BetaColourLimit(result);
    figure.siteStrikeDeg = result.strikeDeg;
    figure.notOneDRows = NotOneDRows(result);

    // The ellipses' size: half the median gap between neighbouring rows, in decades, but no
    // less than an 80th of the period range.
    std::vector<double> logs;
    for (const auto& row : result.rows) {
        if (row.periodS && row.phiMaxDeg && row.phiMinDeg) logs.push_back(std::log10(*row.periodS));
    }
    std::sort(logs.begin(), logs.end());
    std::vector<double> gaps;
    for (std::size_t i = 1; i < logs.size(); ++i) {
        if (logs[i] - logs[i - 1] > 1e-9) gaps.push_back(logs[i] - logs[i - 1]);
    }
    double radius = kMaxEllipseRadius;  // one row alone
    if (!gaps.empty()) {
        std::nth_element(gaps.begin(), gaps.begin() + static_cast<std::ptrdiff_t>(gaps.size() / 2), gaps.end());
        const double span = logs.back() - logs.front();
        radius = std::min(std::max(0.5 * gaps[gaps.size() / 2], span / kMostEllipsesAcross), kMaxEllipseRadius);
    }
    figure.ellipseRadius = radius;
    // Ellipses a diameter apart at least: the first row (shortest period), then every row a
    // diameter beyond the last one drawn.
    std::vector<std::size_t> order(result.rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return result.rows[a].periodS.value_or(HUGE_VAL) < result.rows[b].periodS.value_or(HUGE_VAL);
    });
    std::vector<bool> drawn(result.rows.size(), false);
    double lastDrawn = -HUGE_VAL;
    for (std::size_t i : order) {
        const auto& row = result.rows[i];
        if (!row.periodS || !row.phiMaxDeg || !row.phiMinDeg) continue;
        const double x = std::log10(*row.periodS);
        if (x - lastDrawn < 2.0 * radius * (1.0 - 1e-9)) continue;
        drawn[i] = true;
        lastDrawn = x;
    }

    for (std::size_t i = 0; i < result.rows.size(); ++i) {
        const auto& row = result.rows[i];
        if (!row.periodS) continue;
        const double period = *row.periodS;
        const bool notOneD = row.oneD && !*row.oneD;
        const auto bar = [&](double value, const std::optional<double>& sd, bool flagged) {
            const double e = sd && std::isfinite(*sd) ? *sd : 0.0;
            return BarPoint{i, period, value, value - e, value + e, flagged};
        };
        if (row.betaDeg) figure.beta.push_back(bar(*row.betaDeg, row.betaSdDeg, notOneD));
        if (row.ellipticity) figure.ellipticity.push_back(bar(*row.ellipticity, row.ellipticitySd, notOneD));
        if (row.strikeDeg) figure.strike.push_back(bar(*row.strikeDeg, row.strikeSdDeg, row.twoD));

        if (!drawn[i]) continue;
        const double phiMax = std::tan(*row.phiMaxDeg * kDegree);
        const double phiMin = std::tan(*row.phiMinDeg * kDegree);
        if (!(phiMax > 0.0) || !std::isfinite(phiMax) || !std::isfinite(phiMin)) continue;
        const double minor = radius * std::min(1.0, std::abs(phiMin) / phiMax);
        const double azimuth = row.alphaDeg ? *row.alphaDeg - row.betaDeg.value_or(0.0) : 0.0;
        figure.ellipses.push_back({i, period, EllipseOutline(std::log10(period), 0.0, radius, minor, azimuth),
                                   DivergingColour(row.betaDeg.value_or(0.0), figure.betaLimit), !notOneD});
    }

    // The summary line.
    const auto q = [](const std::string& t) { return QString::fromStdString(t); };
    QString text;
    if (result.computedRows == 0) {
        text = Ui::tr("没有可计算相位张量的频点");
    } else {
        text = Ui::tr("一维 %1 / %2 个频点（%3，|β| ≤ %4°，椭率 ≤ %5）；")
                   .arg(QString::number(result.oneDRows), QString::number(result.computedRows),
                        q(Percent(result.oneDFraction.value_or(0.0))), q(dims::Significant(figure.maxSkewDeg, 4)),
                        q(dims::Significant(figure.maxEllipticity, 4)));
        if (result.strikeDeg) {
            text += Ui::tr("测点走向 %1").arg(q(Degrees(*result.strikeDeg)));
            if (result.strikeSdDeg) text += QStringLiteral(" ± ") + q(Degrees(*result.strikeSdDeg));
            text += Ui::tr("（或 %1），据 %2 个二维频点")
                        .arg(q(Degrees(*result.strikeDeg + 90.0)), QString::number(result.twoDRows));
        } else {
            text += Ui::tr("没有二维频点，走向未定");
        }
    }
    figure.summary = text.toStdString();
    return figure;
}

}  // namespace mt1d::gui::field
