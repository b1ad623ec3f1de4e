#include "dims/Skew.h"

#include <cmath>

namespace mt1d::dims {
namespace {

// Bahr's commutator [A, B] = Im(A*·B).
double Commutator(std::complex<double> a, std::complex<double> b)
{
    return a.real() * b.imag() - a.imag() * b.real();
}

// |z| without std::hypot, which guards against overflow at many times the cost; impedances of
// field data are nowhere near 1e150.
double Magnitude(std::complex<double> z)
{
    return std::sqrt(std::norm(z));
}

bool Finite(const Impedance& z)
{
    for (const auto& v : z)
        if (!std::isfinite(v.real()) || !std::isfinite(v.imag())) return false;
    return true;
}

}  // namespace

std::optional<double> SwiftSkew(const Impedance& z)
{
    if (!Finite(z)) return std::nullopt;
    const double d2 = Magnitude(z[1] - z[2]);
    if (!(d2 > 0.0)) return std::nullopt;
    return Magnitude(z[0] + z[3]) / d2;
}

std::optional<double> BahrSkew(const Impedance& z)
{
    if (!Finite(z)) return std::nullopt;
    const std::complex<double> s1 = z[0] + z[3], s2 = z[1] + z[2];
    const std::complex<double> d1 = z[0] - z[3], d2 = z[1] - z[2];
    const double norm = Magnitude(d2);
    if (!(norm > 0.0)) return std::nullopt;
    return std::sqrt(std::abs(Commutator(d1, s2) - Commutator(s1, d2))) / norm;
}

}  // namespace mt1d::dims
