#include "sounding/ImpedanceMath.h"

#include "numerics/PhysicalConstants.h"

#include <cmath>

namespace mt1d::sounding {

double ApparentResistivity(std::complex<double> z, double frequencyHz)
{
    return physics::kApparentResistivityFactor * std::norm(z) / frequencyHz;
}

double PhaseDegrees(std::complex<double> z)
{
    return std::atan2(z.imag(), z.real()) * physics::kDegreesPerRadian;
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
    // Each element with the squared magnitude of its partner: 4·|Z_det|² times its weight.
    const std::array<std::pair<const ImpedanceElement*, double>, 4> terms = {{
        {&xx, std::norm(*yy.value)},
        {&xy, std::norm(*yx.value)},
        {&yx, std::norm(*xy.value)},
        {&yy, std::norm(*xx.value)},
    }};
    double sum = 0.0;
    double weight = 0.0;
    double leftOut = 0.0;
    bool any = false;
    for (std::size_t k = 0; k < terms.size(); ++k) {
        const auto& [element, w] = terms[k];
        weight += w;
        if (element->variance) {
            sum += w * *element->variance;
            any = true;
        } else {
            out.leftOut[k] = true;
            leftOut += w;
        }
    }
    out.leftOutShare = weight > 0.0 ? leftOut / weight : 1.0;
    if (any && a2 > 0.0 && out.leftOutShare <= kMaxLeftOutShare) out.variance = sum / (4.0 * a2);
    return out;
}

ModeImpedance BerdichevskyImpedance(const TensorRow& row)
{
    const auto& xy = row[Component::kXy];
    const auto& yx = row[Component::kYx];
    ModeImpedance out;
    out.z = 0.5 * (*xy.value - *yx.value);
    if (xy.variance && yx.variance) out.variance = 0.25 * (*xy.variance + *yx.variance);
    out.leftOut[1] = !xy.variance;
    out.leftOut[2] = !yx.variance;
    out.leftOutShare = 0.5 * ((xy.variance ? 0.0 : 1.0) + (yx.variance ? 0.0 : 1.0));
    return out;
}

}  // namespace mt1d::sounding
