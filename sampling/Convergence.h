#pragma once
// Whether chains agree: the split R-hat of Gelman et al. (Bayesian Data Analysis, 3rd ed.,
// §11.4). Each chain's kept samples are cut into a first and a second half, giving m
// sequences of about n draws each. With the sequence means θ̄_j, their mean θ̄ and the
// sequence variances s_j² (divisor n − 1):
//     B = n/(m − 1) · Σ_j (θ̄_j − θ̄)²,   W = (1/m) · Σ_j s_j²,
//     var⁺ = (n − 1)/n · W + B/n,          R̂ = sqrt(var⁺ / W).
// R̂ near 1 says the sequences sample the same distribution; values above 1.1 say they do
// not yet. A chain that drifts shows as two halves that disagree, which is why the chains
// are split. n is taken as the mean sequence length when the halves differ by a draw.

#include <cstddef>
#include <cstdint>
#include <span>

namespace mt1d::sampling {

// Mean and variance of a stream of values, updated one value at a time (Welford).
class RunningMoments {
public:
    void Add(double x)
    {
        ++count_;
        const double delta = x - mean_;
        mean_ += delta / static_cast<double>(count_);
        m2_ += delta * (x - mean_);
    }

    std::uint64_t Count() const { return count_; }
    double Mean() const { return mean_; }
    // With divisor n − 1; 0 for fewer than two values.
    double Variance() const { return count_ < 2 ? 0.0 : m2_ / static_cast<double>(count_ - 1); }

private:
    std::uint64_t count_ = 0;
    double mean_ = 0.0;
    double m2_ = 0.0;
};

// R̂ of the given sequences (the halves of every chain). Sequences of fewer than two draws
// (the unfinished half of a cancelled chain) are left out. 1 when every sequence is constant
// at one value; +∞ when they are constant at different values; NaN when fewer than two
// sequences remain.
double SplitRhat(std::span<const RunningMoments> sequences);

}  // namespace mt1d::sampling
