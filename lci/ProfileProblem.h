#pragma once
// The joint problem of a laterally constrained inversion, linearised about a model of the
// whole profile as the Occam fit linearises one site (OccamFit.h):
//     x(μ) = (JᵀJ + μ R)⁻¹ Jᵀ (r + J x_k),
// with x the unknowns of every site stacked in profile order, J = blockdiag(J_s) the weighted
// Jacobians of the sites, r their weighted residuals and R the regularisation operator
//     R = blockdiag(∂ᵀ∂) + W · Σ_k w_k (e_k − e_{k+1})(e_k − e_{k+1})ᵀ ⊗ I,
// so that xᵀR x = Σ_s |∂x_s|² + W Σ_k w_k |x_{k+1} − x_k|² (LciOptions.h). JᵀJ + μR is block
// tridiagonal with diagonal coupling blocks (BlockTridiagonal.h).
//
// The forward models and the Jacobian blocks of the sites run on threads (SiteThreads.h);
// sums over sites and the solve run in site order on the calling thread.

#include "lci/BlockTridiagonal.h"
#include "lci/SiteParameters.h"
#include "fitting/FitData.h"
#include "fitting/Roughness.h"

#include <Eigen/Dense>

#include <atomic>
#include <cstddef>
#include <optional>
#include <vector>

namespace mt1d::lci {

// The scores of one model of the profile.
struct ProfileScore {
    std::vector<double> chi2;  // per site
    double rms = 0.0;          // of the whole profile
    double vertical = 0.0;     // Σ_s |∂x_s|²
    double lateral = 0.0;      // Σ_k w_k |x_{k+1} − x_k|², without W
    double regularisation = 0.0;  // vertical + W · lateral
};

class ProfileProblem {
public:
    // `sites` in profile order; `linkWeights` w_k (one fewer than the sites); `vertical` the
    // roughness kind of the smooth form (the layered form has no vertical term).
    ProfileProblem(std::vector<const fitting::FitData*> sites, SiteParameters parameters,
                   fitting::RoughnessKind vertical, std::vector<double> linkWeights,
                   double lateralWeight, std::size_t threads);

    std::size_t Sites() const { return sites_.size(); }
    std::size_t Unknowns() const { return parameters_.Count(); }
    std::size_t ValueCount() const { return values_; }
    const SiteParameters& Parameters() const { return parameters_; }

    // The scores of x (legal, Sites()·Unknowns() values). A site whose response is not finite
    // scores χ² = +∞, and so does the profile.
    ProfileScore Score(const Eigen::VectorXd& x);

    // Site s's vertical roughness in x.
    double SiteRoughness(const Eigen::VectorXd& x, std::size_t s) const;

    // Linearises at x (legal): afterwards Candidate(μ) gives x(μ). Returns false when a site's
    // Jacobian is not finite.
    bool Linearise(const Eigen::VectorXd& x);

    // log10 of the multiplier that balances the two terms, tr(JᵀJ) / tr(R): the centre of the
    // multiplier search.
    double Balance() const;

    // x(μ), legalised; empty when the system cannot be solved or its solution is not finite.
    std::optional<Eigen::VectorXd> Candidate(double multiplier);

    std::size_t ForwardRuns() const { return forwardRuns_.load(); }
    std::size_t JacobianRuns() const { return jacobianRuns_.load(); }

private:
    std::vector<const fitting::FitData*> sites_;
    SiteParameters parameters_;
    fitting::RoughnessKind kind_;
    Eigen::MatrixXd verticalOperator_;  // ∂ᵀ∂ (zero in the layered form)
    bool hasVertical_ = false;
    std::vector<double> linkWeights_;
    double lateralWeight_ = 1.0;
    std::size_t threads_ = 1;
    std::size_t values_ = 0;

    std::vector<Eigen::MatrixXd> normal_;  // J_sᵀJ_s
    std::vector<Eigen::VectorXd> rhs_;     // J_sᵀ(r_s + J_s x_s)
    std::vector<Eigen::MatrixXd> blocks_;  // work space of Candidate
    std::vector<Eigen::VectorXd> coupling_;
    BlockTridiagonal solver_;
    std::atomic<std::size_t> forwardRuns_{0}, jacobianRuns_{0};
};

}  // namespace mt1d::lci
