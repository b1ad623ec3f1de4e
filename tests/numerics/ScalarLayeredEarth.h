#pragma once
// The reference for the field kernel: the textbook impedance recursion, one frequency at a
// time in std::complex<double>, written from the equations and nothing else.
//     time dependence e^{+iωt}, ω = 2πf, μ0 = 4π·10⁻⁷ H/m;
//     ζ_j = sqrt(iωμ0·ρ_j) (Ω),  k_j = sqrt(iωμ0/ρ_j) (1/m);
//     Z_{L−1} = ζ_{L−1};  Z_j = ζ_j·(Z_{j+1} + ζ_j·tanh(k_j h_j))/(ζ_j + Z_{j+1}·tanh(k_j h_j));
//     ρa = |Z_0|²/(ωμ0) in Ω·m,  φ = arg Z_0 in degrees (first quadrant).
// It shares no code and no reformulation with the kernel (which works with e^{−2kh} and a
// scaled impedance).

#include <cmath>
#include <complex>
#include <span>

namespace reference {

struct Point {
    double rhoA;
    double phaseDeg;
};

inline Point ScalarLayeredEarth(std::span<const double> rho, std::span<const double> h,
                                double frequency)
{
    using C = std::complex<double>;
    const double omegaMu0 = 2.0 * M_PI * frequency * 4e-7 * M_PI;
    const C iwm(0.0, omegaMu0);
    const std::size_t n = rho.size();
    C z = std::sqrt(iwm * rho[n - 1]);
    for (std::size_t j = n - 1; j-- > 0;) {
        const C zeta = std::sqrt(iwm * rho[j]);
        const C t = std::tanh(std::sqrt(iwm / rho[j]) * h[j]);
        z = zeta * (z + zeta * t) / (zeta + z * t);
    }
    return {std::norm(z) / omegaMu0, std::arg(z) * 180.0 / M_PI};
}

}  // namespace reference
