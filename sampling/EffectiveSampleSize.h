#pragma once
// Effective sample size (ESS): how many independent draws a correlated chain's samples are
// worth for the mean of a quantity, n / τ with the integrated autocorrelation time
//     τ = 1 + 2 Σ_{t≥1} ρ_t.
// The sum is cut with Geyer's initial monotone sequence (C. J. Geyer, Practical Markov chain
// Monte Carlo, Statistical Science 7 (1992) 473–483, §3.3): the sums of neighbouring pairs
// Γ_k = ρ_{2k} + ρ_{2k+1} are added while they are positive, each made no larger than the one
// before. Several chains are combined as in Gelman et al., Bayesian Data Analysis, 3rd ed.,
// §11.5 (the form the Stan reference manual uses): with the within-chain variance W, the
// pooled variance var⁺ (Convergence.h) and the chains' mean autocovariance at lag t,
//     ρ̂_t = 1 − (W − mean_j γ̂_{t,j}) / var⁺,   ESS = m·n / τ̂,
// so that chains that disagree (var⁺ ≫ W) count for little. The chains are cut to the length
// of the shortest. The autocovariances γ̂_t = (1/n) Σ_{i<n−t} (x_i − x̄)(x_{i+t} − x̄) are
// computed with a fast Fourier transform (Eigen's). As in Stan, τ̂ is kept at least 1/log10(mn)
// so that an antithetic chain's ESS stays below mn·log10(mn).

#include <span>
#include <vector>

namespace mt1d::sampling {

// ESS of one chain's values; NaN for fewer than 4 values, n when the values are constant.
double EffectiveSampleSize(std::span<const double> chain);

// ESS of the chains together; NaN when the shortest has fewer than 4 values, and the count of
// values when every chain is constant at one value (0 when at different values: they say
// nothing about one mean).
double CombinedEffectiveSampleSize(const std::vector<std::vector<double>>& chains);

// Both at once, each chain's autocovariances computed once (again only for a chain longer
// than the shortest).
struct ChainsEss {
    std::vector<double> chains;  // EffectiveSampleSize of each
    double combined = 0.0;       // CombinedEffectiveSampleSize
};
ChainsEss EffectiveSampleSizes(const std::vector<std::vector<double>>& chains);

}  // namespace mt1d::sampling
