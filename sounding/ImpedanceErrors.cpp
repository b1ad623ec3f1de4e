#include "sounding/ImpedanceErrors.h"

#include "numerics/PhysicalConstants.h"

#include "sounding/ImpedanceMath.h"
#include "sounding/TextScan.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace mt1d::sounding {

std::string_view VarianceConventionName(VarianceConvention convention)
{
    return convention == VarianceConvention::kPart ? "part" : "complex";
}

std::optional<VarianceConvention> ParseVarianceConvention(std::string_view name)
{
    for (const auto c : {VarianceConvention::kComplex, VarianceConvention::kPart})
        if (EqualsIgnoreCase(Trim(name), VarianceConventionName(c))) return c;
    return std::nullopt;
}

std::string_view VarianceConventionNameList()
{
    return "complex|part";
}

double PartError(double variance, VarianceConvention convention)
{
    return std::sqrt(convention == VarianceConvention::kComplex ? 0.5 * variance : variance);
}

double VarianceForPartError(double partError, VarianceConvention convention)
{
    const double v = partError * partError;
    return convention == VarianceConvention::kComplex ? 2.0 * v : v;
}

double PhaseErrorDeg(double relative)
{
    return std::asin(std::min(1.0, relative)) * physics::kDegreesPerRadian;
}

ApparentValues ApparentFromImpedance(std::complex<double> z, double frequencyHz, std::optional<double> variance,
                                     VarianceConvention convention, double floor)
{
    ApparentValues out;
    out.rhoOhmM = ApparentResistivity(z, frequencyHz);
    out.phaseDeg = PhaseDegrees(z);
    const double magnitude = std::abs(z);
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    double relative = floor;
    if (variance && std::isfinite(*variance) && *variance >= 0.0) {
        out.fromVariance = true;
        relative = std::max(PartError(*variance, convention) / magnitude, floor);
    }
    if (!(magnitude > 0.0)) {
        // No phase and no relative error for Z = 0; the caller refuses the row for its ρa.
        out.relative = kInfinity;
        out.rhoErrOhmM = kInfinity;
        out.phaseErrDeg = 90.0;
        return out;
    }
    out.relative = relative;
    out.rhoErrOhmM = 2.0 * relative * out.rhoOhmM;
    out.phaseErrDeg = PhaseErrorDeg(relative);
    return out;
}

}  // namespace mt1d::sounding
