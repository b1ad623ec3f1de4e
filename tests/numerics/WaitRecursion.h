#pragma once
// An independent oracle for the layered-earth response: the classical impedance recursion
//     Z_j = η_j (Z_{j+1} + η_j T_j) / (η_j + Z_{j+1} T_j),  T_j = tanh(k_j h_j),
// written with std::tanh and no inverse hyperbolic tangent. Only ratios of the intrinsic
// impedances matter, so η_j = sqrt(ρ_j); R = Z_0 / η_0 is the normalised surface impedance.

#include <cmath>
#include <complex>
#include <vector>

namespace oracle {

struct Response {
    double appRes;
    double phase;  // 2·arg(R) − π/4, radians
};

inline Response Layered(const std::vector<double>& resistivity,
                        const std::vector<double>& thickness, double frequency)
{
    using C = std::complex<double>;
    const double omegaMu0 = 2.0 * M_PI * frequency * 4.0e-7 * M_PI;
    const int n = static_cast<int>(resistivity.size());
    C z = std::sqrt(resistivity[n - 1]);
    for (int j = n - 2; j >= 0; --j) {
        const double eta = std::sqrt(resistivity[j]);
        const C k = std::sqrt(C(0.0, -omegaMu0 / resistivity[j]));
        const C t = std::tanh(k * thickness[j]);
        z = eta * (z + eta * t) / (eta + z * t);
    }
    const C r = z / std::sqrt(resistivity[0]);
    return {std::norm(r) * resistivity[0], 2.0 * std::arg(r) - M_PI / 4.0};
}

}  // namespace oracle
