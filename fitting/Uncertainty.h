#pragma once
// The linearised uncertainty of a fitted model. With J the Jacobian of the weighted
// predictions g/σ with respect to log10 of the free parameters at the fitted model, the
// posterior covariance of those log10 parameters is C = (JᵀJ)⁻¹ = (JᵀWJ)⁻¹ with W the
// inverse data variances. The errors are taken as given (no rescaling by the misfit).
//
// A standard error s in log10 is a multiplicative factor 10^s: the value lies within
// [x / 10^s, x · 10^s] at one standard error.
//
// Directions the data do not see make JᵀJ singular; their eigenvalues are raised to
// kEigenFloor times the largest before inverting, and standard errors are capped at
// kMaxLog10Sd decades, so the figures stay finite and say "undetermined" plainly.

#include <Eigen/Dense>

#include <cstddef>
#include <span>
#include <vector>

namespace mt1d::fitting {

inline constexpr double kEigenFloor = 1e-14;
inline constexpr double kMaxLog10Sd = 99.0;

struct Uncertainty {
    std::vector<double> log10Sd;      // per parameter; 0 for a fixed parameter
    std::vector<double> covariance;   // P × P, row-major, log10 units; 0 in fixed rows and columns
    std::vector<double> correlation;  // P × P, row-major; fixed rows and columns 0 but for the 1 on the diagonal
    // The decomposition C = V·diag(1/λ)·Vᵀ over the free parameters, kept for the error of a
    // combination of parameters: summed over the eigenvectors it stays exact where the
    // entries of C, dominated by an undetermined direction, would cancel.
    std::vector<std::size_t> freeIndex;  // parameter of each row of V
    Eigen::MatrixXd eigenvectors;        // V, one column per eigenvector
    Eigen::VectorXd inverseEigenvalues;  // 1/λ, floored as above
};

// `jacobian` has one column per parameter (P); `free` says which of them were fitted.
Uncertainty PosteriorUncertainty(const Eigen::MatrixXd& jacobian, const std::vector<bool>& free);

// The figures of the first `p` parameters of `u` (their marginals); combinations of them keep
// the full decomposition, so that parameters after the first p still count in their errors.
Uncertainty ModelPart(const Uncertainty& u, std::size_t p);

// Standard error of Σ_i weights_i · log10(x_i) (one weight per parameter; fixed ones add
// nothing; parameters beyond the weights' length count with weight 0), capped at kMaxLog10Sd.
double CombinationLog10Sd(const Uncertainty& u, std::span<const double> weights);

// Standard error of log10(x_a) + sign · log10(x_b) (sign ±1): of the conductance h/ρ with
// sign −1, of the transverse resistance h·ρ with sign +1.
double CombinedLog10Sd(const Uncertainty& u, std::size_t a, std::size_t b, double sign);

}  // namespace mt1d::fitting
