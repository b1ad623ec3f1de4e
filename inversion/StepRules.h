#pragma once
// The small rules of the damped iteration, kept apart so that their arithmetic can be
// checked step by step.

#include <algorithm>
#include <cmath>

namespace mt {

// After the rejected attempt number `attempt` of the singular value method, adds the
// value of slot n − attempt (held at slot 0 when there are fewer parameters than
// attempts) to every slot 0..n−1 in increasing order, in place: the earlier slots get its
// old value, the slot doubles and the later slots get its doubled value.
inline void RaiseDampingAfterRejection(float* damping, int n, int attempt)
{
    const int slot = std::max(n - attempt, 0);
    for (int k = 0; k < n; ++k) damping[k] = damping[k] + damping[slot];
}

// Multiplies the first n damping slots by `factor` (5 after a rejected constrained attempt,
// 0.4 after every accepted iteration), each product rounded to float.
inline void ScaleDamping(float* damping, int n, double factor)
{
    for (int k = 0; k < n; ++k) damping[k] = static_cast<float>(damping[k] * factor);
}

// One step component d (natural-log units, applied as p ← p·e^d) cut to the bounds of its
// parameter p: a component that would carry p past the bound it moves towards is
// shortened so that p lands on that bound, a p beyond that bound is brought back onto it,
// and a component no larger than `threshold` becomes zero. The bound on the other side is
// not consulted. Without logMode the same fractions are taken on linear distances.
inline float BoundedStepComponent(float d, float p, float upper, float lower, float threshold,
                                  bool logMode)
{
    float f = 0.0f;
    if (d > threshold) {
        f = logMode ? static_cast<float>((std::log(double(upper)) - std::log(double(p))) / d)
                    : (upper - p) / d;
    } else if (std::fabs(d) > threshold) {
        f = logMode ? static_cast<float>((std::log(double(lower)) - std::log(double(p))) / d)
                    : (lower - p) / d;
    }
    return f < 1.0f ? f * d : d;
}

}  // namespace mt
