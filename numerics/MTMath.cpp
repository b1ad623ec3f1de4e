#include "numerics/MTMath.h"

#include <cmath>

namespace mt {

double MinusOmegaMu0(float frequency)
{
    return -kTwoPi * static_cast<double>(frequency) * 4.0 * kPi * 1e-7;
}

Complex PropagationCoefficient(float frequency)
{
    return MinusOmegaMu0(frequency) * Complex(0.0, 1.0);
}

Complex Tanh(Complex z)
{
    const double x = 2.0 * z.real();
    const double y = 2.0 * z.imag();
    if (std::fabs(x) > kLogMaxDouble) {
        return Complex(x > 0.0 ? 1.0 : -1.0, 0.0);
    }
    const double denominator = std::cosh(x) + std::cos(y);
    return Complex(std::sinh(x), std::sin(y)) / denominator;
}

Complex GuardedAtanh(Complex u)
{
    if (std::norm(u) == 1.0) {
        u -= kAtanhGuard;
    }
    const Complex p = 1.0 + u;
    const Complex q = 1.0 - u;
    return std::log(p / q) / 2.0;
}

}  // namespace mt
