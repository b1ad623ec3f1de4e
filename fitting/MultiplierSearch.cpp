#include "fitting/MultiplierSearch.h"

#include <algorithm>
#include <cmath>

namespace mt1d::fitting {

namespace {

constexpr double kGolden = 0.6180339887498949;  // (√5 − 1)/2
constexpr double kMinInterval = 1e-3;           // decades

MultiplierSample Sample(const RmsOfMultiplier& rmsAt, double x) { return {x, rmsAt(x)}; }

// Golden sections on lo < mid.x < hi, mid lower than both ends, down to `tolerance`.
template <typename Keep>
void Refine(const RmsOfMultiplier& rmsAt, double lo, MultiplierSample mid, double hi, double tolerance, Keep keep)
{
    while (hi - lo > tolerance) {
        const bool left = mid.log10Mu - lo > hi - mid.log10Mu;  // probe the wider side
        const double x = left ? mid.log10Mu - (1.0 - kGolden) * (mid.log10Mu - lo)
                              : mid.log10Mu + (1.0 - kGolden) * (hi - mid.log10Mu);
        const MultiplierSample s = keep(Sample(rmsAt, x));
        if (s.rms < mid.rms) {
            (left ? hi : lo) = mid.log10Mu;
            mid = s;
        } else {
            (left ? lo : hi) = x;
        }
    }
}

}  // namespace

MultiplierSample SmallestRms(const RmsOfMultiplier& rmsAt, double start, SearchRange range, double tolerance)
{
    start = std::clamp(start, range.low, range.high);
    MultiplierSample best = Sample(rmsAt, start);
    auto keep = [&best](const MultiplierSample& s) {
        if (s.rms < best.rms) best = s;
        return s;
    };

    // Find the downhill direction from the start, or a bracket around it.
    const MultiplierSample s0 = best;
    const MultiplierSample up = keep(Sample(rmsAt, std::min(start + kSearchStep, range.high)));
    MultiplierSample behind = s0, ahead = up;
    double direction = 1.0;
    if (!(up.rms < s0.rms)) {
        const MultiplierSample down = keep(Sample(rmsAt, std::max(start - kSearchStep, range.low)));
        if (!(down.rms < s0.rms)) {
            Refine(rmsAt, down.log10Mu, s0, up.log10Mu, tolerance, keep);
            return best;
        }
        direction = -1.0;
        ahead = down;
    }
    // Walk downhill with growing steps until the RMS rises, then narrow the bracket.
    double step = kSearchStep;
    for (;;) {
        step *= 1.0 + kGolden;
        const double x = std::clamp(ahead.log10Mu + direction * step, range.low, range.high);
        if (x == ahead.log10Mu) return best;  // the smallest RMS lies at the end of the range
        const MultiplierSample next = keep(Sample(rmsAt, x));
        if (next.rms >= ahead.rms) {
            Refine(rmsAt, std::min(behind.log10Mu, next.log10Mu), ahead,
                   std::max(behind.log10Mu, next.log10Mu), tolerance, keep);
            return best;
        }
        behind = ahead;
        ahead = next;
    }
}

MultiplierSample LargestWithin(const RmsOfMultiplier& rmsAt, MultiplierSample from, double level,
                               SearchRange range, double tolerance)
{
    MultiplierSample inside = from;  // meets the level
    MultiplierSample outside{};      // passes it
    double step = kSearchStep;
    for (;;) {
        if (inside.log10Mu >= range.high) return inside;
        const MultiplierSample s = Sample(rmsAt, std::min(inside.log10Mu + step, range.high));
        if (s.rms > level) {
            outside = s;
            break;
        }
        inside = s;
        step *= 2.0;
    }
    // Regula falsi with the Illinois modification on g(x) = rms(x) − level.
    double gIn = inside.rms - level, gOut = outside.rms - level;
    int lastMoved = 0;
    while (inside.rms < level * (1.0 - tolerance) &&
           std::abs(outside.log10Mu - inside.log10Mu) > kMinInterval) {
        double x = inside.log10Mu - gIn * (outside.log10Mu - inside.log10Mu) / (gOut - gIn);
        const double lo = std::min(inside.log10Mu, outside.log10Mu);
        const double hi = std::max(inside.log10Mu, outside.log10Mu);
        if (!(x > lo && x < hi)) x = 0.5 * (lo + hi);
        const MultiplierSample s = Sample(rmsAt, x);
        if (s.rms <= level) {
            inside = s;
            gIn = s.rms - level;
            if (lastMoved == -1) gOut *= 0.5;
            lastMoved = -1;
        } else {
            outside = s;
            gOut = s.rms - level;
            if (lastMoved == 1) gIn *= 0.5;
            lastMoved = 1;
        }
    }
    return inside;
}

}  // namespace mt1d::fitting
