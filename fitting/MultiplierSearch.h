#pragma once
// One-dimensional searches over the Lagrange multiplier of a smooth inversion. Each takes
// the RMS misfit of the model that a multiplier μ gives, as a function of x = log10 μ, and
// stays inside a range of x. Larger μ gives smoother models; the RMS is taken to have one
// minimum in x and to rise beyond it as μ grows (Constable, Parker & Constable 1987).

#include <functional>

namespace mt1d::fitting {

struct MultiplierSample {
    double log10Mu = 0.0;
    double rms = 0.0;
};

struct SearchRange {
    double low = 0.0;   // log10 μ
    double high = 0.0;  // log10 μ
};

using RmsOfMultiplier = std::function<double(double log10Mu)>;

inline constexpr double kSearchStep = 1.0;        // decades of μ per bracketing step
inline constexpr double kSearchTolerance = 0.02;  // decades: width at which a minimum is located
inline constexpr double kLevelTolerance = 1e-3;   // relative: how close below a level an intercept is

// The x in `range` with the smallest RMS, found by bracketing from `start` and narrowing by
// golden sections to `tolerance` decades. Returns the best sample evaluated.
MultiplierSample SmallestRms(const RmsOfMultiplier& rmsAt, double start, SearchRange range,
                             double tolerance = kSearchTolerance);

// The largest x ≥ `from.log10Mu` whose RMS does not exceed `level`, given that `from` meets
// it: steps up until the RMS passes the level or the range ends, then closes in on the
// crossing by regula falsi until the RMS lies within `tolerance` (relative) below the level
// (or the interval is narrower than a thousandth of a decade). Always returns a sample that
// meets the level.
MultiplierSample LargestWithin(const RmsOfMultiplier& rmsAt, MultiplierSample from, double level,
                               SearchRange range, double tolerance = kLevelTolerance);

}  // namespace mt1d::fitting
