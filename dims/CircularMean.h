#pragma once
// The weighted mean of angles defined modulo 90° (strikes from the phase tensor), and their
// spread.
//
// Angles modulo 90° become ordinary directions once multiplied by four: with
//     C = Σ wᵢ·cos 4θᵢ,  S = Σ wᵢ·sin 4θᵢ,  R̄ = √(C² + S²)/Σ wᵢ,
// the mean is ¼·atan2(S, C), brought into [0°, 90°), and the spread is the circular standard
// deviation ¼·√(−2·ln R̄) (Mardia & Jupp 2000, Directional Statistics, §2.3.4), which is the
// ordinary standard deviation for angles close together and grows without bound as they
// spread over the whole circle. So 1° and 89° average to 0°, not 45°.

#include <optional>
#include <vector>

namespace mt1d::dims {

struct CircularMean {
    double meanDeg = 0.0;  // in [0°, 90°)
    double sdDeg = 0.0;
};

// Angles in degrees with their weights (same length; non-negative and finite). Empty when the
// weights add up to nothing or the quadrupled angles cancel out (no preferred direction:
// R̄ below 1e-9).
std::optional<CircularMean> Mod90Mean(const std::vector<double>& anglesDeg, const std::vector<double>& weights);

// An angle brought into [0°, 90°).
double Mod90(double angleDeg);

}  // namespace mt1d::dims
