#include "sounding/ImpedanceMath.h"

#include <cmath>

namespace mt1d::sounding {

double ApparentResistivity(std::complex<double> z, double frequencyHz)
{
    return 0.2 * std::norm(z) / frequencyHz;
}

double PhaseDegrees(std::complex<double> z)
{
    return std::atan2(z.imag(), z.real()) * (180.0 / std::numbers::pi);
}

ModeImpedance DeterminantImpedance(const TensorRow& row)
{
    const auto& xx = row[Component::kXx];
    const auto& xy = row[Component::kXy];
    const auto& yx = row[Component::kYx];
    const auto& yy = row[Component::kYy];
    ModeImpedance out;
    // std::sqrt of a complex number is the principal root, cut along the negative real axis.
    out.z = std::sqrt(*xx.value * *yy.value - *xy.value * *yx.value);
    const double a2 = std::norm(out.z);
    if (xx.variance && xy.variance && yx.variance && yy.variance && a2 > 0.0) {
        const double sum = std::norm(*yy.value) * *xx.variance + std::norm(*xx.value) * *yy.variance +
                           std::norm(*yx.value) * *xy.variance + std::norm(*xy.value) * *yx.variance;
        out.sigma = std::sqrt(sum / (4.0 * a2));
    }
    return out;
}

ModeImpedance BerdichevskyImpedance(const TensorRow& row)
{
    const auto& xy = row[Component::kXy];
    const auto& yx = row[Component::kYx];
    ModeImpedance out;
    out.z = 0.5 * (*xy.value - *yx.value);
    if (xy.variance && yx.variance) out.sigma = 0.5 * std::sqrt(*xy.variance + *yx.variance);
    return out;
}

}  // namespace mt1d::sounding
