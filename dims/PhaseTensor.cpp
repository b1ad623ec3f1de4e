#include "dims/PhaseTensor.h"

#include "numerics/PhysicalConstants.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace mt1d::dims {
namespace {

constexpr double kDegPerRad = physics::kDegreesPerRadian;
// A determinant of X this small against the square of the largest |Z_ij| is rounding noise:
// X is singular (a 1-D tensor of phase 90° has Re Z of order 1e-16·|Z|).
constexpr double kSingular = 1e-12;
// A Π1 this small against Π2 is what rounding leaves of a 1-D tensor: α is undefined.
constexpr double kRoundingShare = 1e-12;

}  // namespace

std::optional<Matrix2> PhaseTensorOf(const Impedance& z)
{
    const double x11 = z[0].real(), x12 = z[1].real(), x21 = z[2].real(), x22 = z[3].real();
    const double y11 = z[0].imag(), y12 = z[1].imag(), y21 = z[2].imag(), y22 = z[3].imag();
    for (const double v : {x11, x12, x21, x22, y11, y12, y21, y22})
        if (!std::isfinite(v)) return std::nullopt;
    const double det = x11 * x22 - x12 * x21;
    // std::norm, not std::abs: no square root (hypot is slow), and |Z| of field data is far
    // from where its square would overflow.
    const double scale2 = std::max({std::norm(z[0]), std::norm(z[1]), std::norm(z[2]), std::norm(z[3])});
    if (!(std::abs(det) > kSingular * scale2)) return std::nullopt;
    // X⁻¹ = [[x22, −x12], [−x21, x11]] / det.
    const Matrix2 phi = {(x22 * y11 - x12 * y21) / det, (x22 * y12 - x12 * y22) / det,
                         (x11 * y21 - x21 * y11) / det, (x11 * y22 - x21 * y12) / det};
    for (const double v : phi)
        if (!std::isfinite(v)) return std::nullopt;
    return phi;
}

PhaseTensorInvariants InvariantsOf(const Matrix2& phi)
{
    const double r = phi[0] - phi[3];  // Φ11 − Φ22
    const double t = phi[1] + phi[2];  // Φ12 + Φ21
    const double p = phi[0] + phi[3];  // Φ11 + Φ22
    const double q = phi[1] - phi[2];  // Φ12 − Φ21
    PhaseTensorInvariants inv;
    // Plain square roots (std::hypot guards against overflow at a tenfold cost; phase tensor
    // elements are tangents of phases, nowhere near 1e150).
    inv.pi1 = 0.5 * std::sqrt(r * r + t * t);
    inv.pi2 = 0.5 * std::sqrt(p * p + q * q);
    inv.phiMax = inv.pi2 + inv.pi1;
    inv.phiMin = inv.pi2 - inv.pi1;
    if (inv.pi2 > 0.0) {
        inv.betaDeg = 0.5 * std::atan2(q, p) * kDegPerRad;
        inv.ellipticity = inv.pi1 / inv.pi2;
    }
    if (inv.pi1 > kRoundingShare * inv.pi2) inv.alphaDeg = 0.5 * std::atan2(t, r) * kDegPerRad;
    return inv;
}

double PhaseTensorAngleDeg(double value)
{
    return std::atan(value) * kDegPerRad;
}

}  // namespace mt1d::dims
