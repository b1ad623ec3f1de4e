#pragma once
// Synthetic soundings for the fitting tests: the response of a known layered earth, with or
// without noise on the impedance.
//
// Noise: Z = sqrt(ωμ0·ρa)·e^{iφ} gets independent Gaussian errors of relNoise·|Z| on its real
// and imaginary parts. To first order that makes δρa/ρa = 2·relNoise and δφ = relNoise
// radians, which are the errors the rows carry (as a processing code would report them).

#include "sounding/Curve.h"
#include "numerics/LayeredEarth.h"
#include "fitting/SeededRandom.h"

#include <cmath>
#include <complex>
#include <vector>

namespace testing_support {

inline constexpr double kPi = 3.141592653589793;
inline constexpr double kMu0 = 4e-7 * kPi;

// `count` frequencies evenly spaced in log from `highest` down to `lowest` (Hz).
inline std::vector<double> LogFrequencies(double highest, double lowest, std::size_t count)
{
    std::vector<double> f(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = count == 1 ? 0.0 : static_cast<double>(i) / static_cast<double>(count - 1);
        f[i] = highest * std::pow(lowest / highest, t);
    }
    return f;
}

// The curve of `model` at `frequencies`. With a generator, the impedance is perturbed as
// described above; without one the values are exact. Errors are relNoise-based either way.
inline mt1d::sounding::Curve SyntheticCurve(const mt1d::earth::LayeredModel& model,
                                            const std::vector<double>& frequencies, double relNoise,
                                            mt1d::fitting::SeededRandom* random = nullptr)
{
    mt1d::earth::LayeredEarth earth(frequencies);
    const auto response = earth.Compute(model);
    mt1d::sounding::Curve curve;
    curve.mode = mt1d::sounding::Mode::kDet;
    curve.floorPercent = 0.0;
    for (std::size_t i = 0; i < frequencies.size(); ++i) {
        const double omegaMu = 2.0 * kPi * frequencies[i] * kMu0;
        std::complex<double> z = std::polar(std::sqrt(omegaMu * response.rhoA[i]), response.phaseDeg[i] * kPi / 180.0);
        if (random != nullptr) {
            const double sigma = relNoise * std::abs(z);
            const double re = random->Gaussian(), im = random->Gaussian();
            z += std::complex<double>(sigma * re, sigma * im);
        }
        mt1d::sounding::CurveRow row;
        row.frequencyHz = frequencies[i];
        row.periodS = 1.0 / frequencies[i];
        row.rhoOhmM = std::norm(z) / omegaMu;
        row.rhoErrOhmM = 2.0 * relNoise * row.rhoOhmM;
        row.phaseDeg = std::arg(z) * 180.0 / kPi;
        row.phaseErrDeg = relNoise * 180.0 / kPi;
        row.usable = true;
        curve.rows.push_back(row);
    }
    return curve;
}

}  // namespace testing_support
