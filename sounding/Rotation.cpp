#include "sounding/Rotation.h"

#include "sounding/TextScan.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace mt1d::sounding {
namespace {

// Below this a sine or cosine is taken as exactly zero, so that rotating by a multiple of
// 90° moves elements without mixing in a 1e-17 share of their neighbours (and without
// making an element missing because a neighbour with that share is).
constexpr double kZeroWeight = 1e-15;

double Snap(double v)
{
    return std::abs(v) < kZeroWeight ? 0.0 : v;
}

}  // namespace

TensorRow RotatedRow(const TensorRow& row, double targetDeg)
{
    const double delta = targetDeg - row.rotationDeg;
    if (delta == 0.0) return row;
    const double rad = delta * std::numbers::pi / 180.0;
    const double c = Snap(std::cos(rad));
    const double s = Snap(std::sin(rad));
    const double r[2][2] = {{c, s}, {-s, c}};

    TensorRow out;
    out.frequencyHz = row.frequencyHz;
    out.rotationDeg = targetDeg;
    for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 2; ++j) {
            std::complex<double> value{};
            double variance = 0.0;
            bool missing = false;
            bool varianceKnown = true;
            for (int k = 0; k < 2; ++k) {
                for (int l = 0; l < 2; ++l) {
                    const double w = r[i][k] * r[j][l];
                    if (w == 0.0) continue;
                    const auto& e = row.z[static_cast<std::size_t>(2 * k + l)];
                    if (!e.value) {
                        missing = true;
                        continue;
                    }
                    value += w * *e.value;
                    if (e.variance) variance += w * w * *e.variance;
                    else varianceKnown = false;
                }
            }
            auto& target = out.z[static_cast<std::size_t>(2 * i + j)];
            if (missing) continue;
            target.value = value;
            if (varianceKnown) target.variance = variance;
        }
    }
    // The tipper relates Hz to the horizontal field: Hz = T·H = T·Rᵀ·H', so T' = T·Rᵀ,
    // T'_i = Σ_j R_ij·T_j, and its variances follow as those of Z.
    for (int i = 0; i < 2; ++i) {
        std::complex<double> value{};
        double variance = 0.0;
        bool missing = false;
        bool varianceKnown = true;
        for (int j = 0; j < 2; ++j) {
            const double w = r[i][j];
            if (w == 0.0) continue;
            const auto& e = row.tipper[static_cast<std::size_t>(j)];
            if (!e.value) {
                missing = true;
                continue;
            }
            value += w * *e.value;
            if (e.variance) variance += w * w * *e.variance;
            else varianceKnown = false;
        }
        auto& target = out.tipper[static_cast<std::size_t>(i)];
        if (missing) continue;
        target.value = value;
        if (varianceKnown) target.variance = variance;
    }
    return out;
}

void RotateTo(Sounding& sounding, double targetDeg)
{
    if (!std::isfinite(targetDeg)) throw std::invalid_argument("rotation angle is not a finite number");
    if (sounding.kind != DataKind::kImpedance)
        throw std::invalid_argument(
            "cannot rotate: the file holds only apparent resistivity and phase, no impedance tensor");
    if (sounding.tensor.empty()) return;
    const auto [lo, hi] = std::minmax_element(
        sounding.tensor.begin(), sounding.tensor.end(),
        [](const TensorRow& a, const TensorRow& b) { return a.rotationDeg < b.rotationDeg; });
    std::string from = FormatNumber(lo->rotationDeg) + "°";
    if (hi->rotationDeg != lo->rotationDeg) from += " to " + FormatNumber(hi->rotationDeg) + "°";
    for (auto& row : sounding.tensor) row = RotatedRow(row, targetDeg);
    sounding.notes.push_back("impedance tensor rotated from the file's frame (" + from +
                             " from north) to " + FormatNumber(targetDeg) + "°");
}

}  // namespace mt1d::sounding
