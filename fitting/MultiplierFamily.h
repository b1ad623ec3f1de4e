#pragma once
// The candidate models of one Occam iteration for every Lagrange multiplier μ > 0 from one
// factorisation:
//     m(μ) = (JᵀJ + μ ∂ᵀ∂)⁻¹ Jᵀd,
// J the weighted Jacobian (N × n), ∂ the roughness operator (r × n, Roughness.h) and d the
// weighted data of the linearised problem. Solving that n × n system afresh for each μ costs
// n³/3 per multiplier, a dozen or more of them per iteration; here one reduction per
// iteration serves them all, each multiplier then costing O(N·n).
//
// The reduction (Eldén's standard form, in the notation below):
//  1. L = [E; ∂] with E the first k = n − r unit rows is lower triangular and banded for
//     first and second differences; with z = L m = (a, y), y = ∂m is the penalised part and
//     a the first k values of m, which the roughness does not see.
//  2. H = J L⁻¹ = [A K] splits the same way. A's QR, A = Q_A R_A, eliminates a:
//         a = R_A⁻¹ Q_Aᵀ (d − K y),
//     and leaves y(μ) = argmin μ|y|² + |X y − d|² with X = (I − Q_A Q_Aᵀ) K.
//  3. y(μ) = (XᵀX + μI)⁻¹ Xᵀd = Xᵀ(XXᵀ + μI)⁻¹ d: of the two Gram matrices the smaller,
//     G (s × s, s = min(N, r)), is reduced once to tridiagonal form G = Q T Qᵀ (Householder,
//     the first stage of a symmetric eigen-decomposition), and each μ solves the tridiagonal
//     T + μI in O(s) and applies Q in O(s²).
//  4. m = L⁻¹ (a, y) by banded forward substitution.
// Where the reduction does not apply (no roughness rows, or data blind to the directions
// the roughness does not penalise, as phase-only data are to a uniform shift of log10 ρ),
// Prepare says so and the caller solves the n × n system directly. Data that see those
// directions only faintly (phase alone, away from a uniform model) make a poorly determined a
// that the reduction computes less accurately than a direct solve: callers keep such data
// on the direct path.

#include <Eigen/Dense>

namespace mt1d::fitting {

class MultiplierFamily {
public:
    // `roughness` is ∂ (r × n); the form applies when [E; ∂] is lower triangular.
    explicit MultiplierFamily(const Eigen::MatrixXd& roughness);

    // Reduces for the linearisation J (N × n) and weighted data d (N). False when the form
    // does not apply; Solve must then not be called.
    bool Prepare(const Eigen::Ref<const Eigen::MatrixXd>& j, const Eigen::Ref<const Eigen::VectorXd>& d);

    // m(μ) for μ > 0; false when T + μI is not positive definite in floating point.
    bool Solve(double mu, Eigen::VectorXd& m);

private:
    Eigen::Index n_ = 0, k_ = 0, r_ = 0, band_ = 0;
    bool banded_ = false;
    Eigen::MatrixXd l_;     // L = [E; ∂], n × n
    Eigen::MatrixXd h_;     // H = J L⁻¹, N × n
    Eigen::MatrixXd qa_;    // Q_A, N × k
    Eigen::MatrixXd ra_;    // R_A, k × k
    Eigen::MatrixXd x_;     // X, N × r
    Eigen::VectorXd d_;     // d
    bool dataSpace_ = false;  // G = XXᵀ (N × N) rather than XᵀX (r × r)
    Eigen::Tridiagonalization<Eigen::MatrixXd> tri_;
    Eigen::VectorXd alpha_, beta_;  // T's diagonal and subdiagonal
    Eigen::VectorXd c_;             // Qᵀ(Xᵀd) or Qᵀd
    Eigen::VectorXd w_, pivots_, y_, z_;
};

}  // namespace mt1d::fitting
