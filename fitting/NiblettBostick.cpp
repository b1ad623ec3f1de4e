#include "fitting/NiblettBostick.h"

#include "numerics/PhysicalConstants.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace mt1d::fitting {

namespace {
using physics::kPi;
}

std::vector<DepthPoint> NiblettBostick(std::span<const double> frequencies,
                                       std::span<const double> rhoA,
                                       std::span<const double> phaseDeg)
{
    if (rhoA.size() != frequencies.size() || phaseDeg.size() != frequencies.size()) {
        throw std::invalid_argument("Niblett–Bostick: the columns differ in length");
    }
    std::vector<DepthPoint> points;
    points.reserve(frequencies.size());
    for (std::size_t i = 0; i < frequencies.size(); ++i) {
        const double omega = 2.0 * kPi * frequencies[i];
        const double phase =
            std::clamp(phaseDeg[i], kBostickMinPhaseDeg, kBostickMaxPhaseDeg) * physics::kRadiansPerDegree;
        DepthPoint p;
        p.frequencyHz = frequencies[i];
        p.depthM = std::sqrt(rhoA[i] / (omega * kMu0));
        p.resistivityOhmM = rhoA[i] * (kPi / (2.0 * phase) - 1.0);
        points.push_back(p);
    }
    return points;
}

std::vector<DepthPoint> NiblettBostick(const FitData& data)
{
    return NiblettBostick(data.frequencies, data.rhoA, data.phaseDeg);
}

std::vector<DepthPoint> NiblettBostick(const sounding::Curve& curve)
{
    std::vector<double> f, rho, phase;
    for (const auto& r : curve.rows) {
        if (!r.usable || !(r.frequencyHz > 0.0) || !(r.rhoOhmM > 0.0) || !std::isfinite(r.frequencyHz) ||
            !std::isfinite(r.rhoOhmM) || !std::isfinite(r.phaseDeg)) {
            continue;
        }
        f.push_back(r.frequencyHz);
        rho.push_back(r.rhoOhmM);
        phase.push_back(r.phaseDeg);
    }
    return NiblettBostick(f, rho, phase);
}

double DepthOfInvestigation(std::span<const DepthPoint> points)
{
    double deepest = 0.0;
    for (const auto& p : points) deepest = std::max(deepest, p.depthM);
    return deepest;
}

double SkinDepth(double resistivityOhmM, double frequencyHz)
{
    return std::sqrt(2.0 * resistivityOhmM / (2.0 * kPi * frequencyHz * kMu0));
}

}  // namespace mt1d::fitting
