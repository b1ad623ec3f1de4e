#include "dims/ErrorPropagation.h"

#include "numerics/PhysicalConstants.h"

#include <cmath>
#include <numbers>

namespace mt1d::dims {
namespace {

constexpr double kDegPerRad = physics::kDegreesPerRadian;

}  // namespace

std::optional<double> PartStandardError(const sounding::ImpedanceElement& element)
{
    if (!element.value || !element.variance) return std::nullopt;
    const double variance = *element.variance;
    if (!std::isfinite(variance) || variance < 0.0) return std::nullopt;
    return std::sqrt(variance / 2.0);
}

std::optional<InvariantErrors> PropagateErrors(const Impedance& z, const std::array<double, 4>& partSd)
{
    const auto phi = PhaseTensorOf(z);
    if (!phi) return std::nullopt;
    return PropagateErrors(z, *phi, InvariantsOf(*phi), partSd);
}

std::optional<InvariantErrors> PropagateErrors(const Impedance& z, const Matrix2& phi,
                                               const PhaseTensorInvariants& inv,
                                               const std::array<double, 4>& partSd)
{
    if (!inv.ellipticity) return std::nullopt;

    // X⁻¹, row-major.
    const double x11 = z[0].real(), x12 = z[1].real(), x21 = z[2].real(), x22 = z[3].real();
    const double det = x11 * x22 - x12 * x21;
    const double xi[4] = {x22 / det, -x12 / det, -x21 / det, x11 / det};
    const Matrix2& f = phi;

    const double p = f[0] + f[3], q = f[1] - f[2], r = f[0] - f[3], t = f[1] + f[2];
    const double pq2 = p * p + q * q;
    const double rt2 = r * r + t * t;
    const double pi1 = inv.pi1, pi2 = inv.pi2, e = *inv.ellipticity;
    const bool alphaDefined = inv.alphaDeg.has_value();

    double varBeta = 0.0, varEll = 0.0, varStrike = 0.0;
    double varR = 0.0, varT = 0.0;  // for the ellipticity where Π1 = 0
    for (int k = 0; k < 4; ++k) {
        const int i = k / 2, j = k % 2;  // element (i, j)
        const double sd2 = partSd[static_cast<std::size_t>(k)] * partSd[static_cast<std::size_t>(k)];
        for (int part = 0; part < 2; ++part) {
            // dΦ_ab for a unit step of Re Z_ij (part 0) or Im Z_ij (part 1).
            double d[4];
            for (int a = 0; a < 2; ++a) {
                for (int b = 0; b < 2; ++b) {
                    const double xiAi = xi[2 * a + i];
                    d[2 * a + b] = part == 0 ? -xiAi * f[2 * j + b] : (j == b ? xiAi : 0.0);
                }
            }
            const double dp = d[0] + d[3], dq = d[1] - d[2], dr = d[0] - d[3], dt = d[1] + d[2];
            const double dBeta = 0.5 * (p * dq - q * dp) / pq2;
            const double dPi2 = (p * dp + q * dq) / (4.0 * pi2);
            varBeta += dBeta * dBeta * sd2;
            varR += dr * dr * sd2;
            varT += dt * dt * sd2;
            if (alphaDefined) {
                const double dAlpha = 0.5 * (r * dt - t * dr) / rt2;
                const double dPi1 = (r * dr + t * dt) / (4.0 * pi1);
                const double dE = (dPi1 - e * dPi2) / pi2;
                const double dStrike = dAlpha - dBeta;
                varEll += dE * dE * sd2;
                varStrike += dStrike * dStrike * sd2;
            }
        }
    }
    InvariantErrors out;
    out.betaDeg = std::sqrt(varBeta) * kDegPerRad;
    if (alphaDefined) {
        out.ellipticity = std::sqrt(varEll);
        out.strikeDeg = std::sqrt(varStrike) * kDegPerRad;
    } else {
        // Π1 = 0: the direction-averaged linear error of Π1, over Π2.
        out.ellipticity = 0.5 * std::sqrt((varR + varT) / 2.0) / pi2;
    }
    return out;
}

}  // namespace mt1d::dims
