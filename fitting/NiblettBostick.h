#pragma once
// The Niblett–Bostick transform: an approximate resistivity–depth profile read straight off a
// sounding curve, and the depth of investigation that goes with it.
//
// For each row (ω = 2πf, μ0 = 4π·10⁻⁷ H/m, φ the impedance phase in radians, first quadrant):
//     depth       D   = sqrt(ρa / (ω μ0))            (Bostick depth, the skin depth / √2)
//     resistivity ρNB = ρa · (π / (2φ) − 1)          (Bostick's phase form; ρa over a half-space)
// Phases outside the first quadrant, which no layered earth produces but noisy data may, are
// held to 1°..89° so that ρNB stays finite and positive.

#include "sounding/Curve.h"

#include "numerics/PhysicalConstants.h"
#include "fitting/FitData.h"

#include <span>
#include <vector>

namespace mt1d::fitting {

using physics::kMu0;  // H/m
inline constexpr double kBostickMinPhaseDeg = 1.0;         // keeps ρNB finite
inline constexpr double kBostickMaxPhaseDeg = 89.0;        // keeps ρNB positive

struct DepthPoint {
    double frequencyHz = 0.0;
    double depthM = 0.0;
    double resistivityOhmM = 0.0;
};

// One point per row. The three spans have the same length.
std::vector<DepthPoint> NiblettBostick(std::span<const double> frequencies,
                                       std::span<const double> rhoA,
                                       std::span<const double> phaseDeg);

// Of the rows a fit uses.
std::vector<DepthPoint> NiblettBostick(const FitData& data);

// Of the usable rows of a curve whose frequency and ρa are finite and positive.
std::vector<DepthPoint> NiblettBostick(const sounding::Curve& curve);

// The depth of investigation of a sounding: the greatest Bostick depth among its points (the
// longest period sees deepest); 0 when there are none.
double DepthOfInvestigation(std::span<const DepthPoint> points);

// Skin depth sqrt(2ρ / (ω μ0)) in metres of a uniform earth of resistivity rho at frequency f.
double SkinDepth(double resistivityOhmM, double frequencyHz);

}  // namespace mt1d::fitting
