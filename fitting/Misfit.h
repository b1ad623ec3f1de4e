#pragma once
// The error-weighted misfit of a layered model to fit data, and its derivatives.
//
//     r_i = (d_i − g_i(m)) / σ_i,    χ² = Σ r_i²,    RMS = sqrt(χ² / N)
//
// where d_i is log10 ρa or φ in degrees (see FitData), g_i the same quantity of the model
// from the layered-earth kernel (e^{+iωt}, first-quadrant phase), and N the count of fitted
// values. The Jacobian is that of the weighted predictions g_i/σ_i with respect to log10 of
// every parameter, columns ordered as the kernel orders them (log10 ρ_0 .. log10 ρ_{L−1},
// then log10 h_0 .. log10 h_{L−2}).
//
// A model whose response is not finite (parameters far outside any earth) scores χ² = +∞, so
// a solver never takes a step to it.

#include "fitting/FitData.h"
#include "numerics/LayeredEarth.h"

#include <Eigen/Dense>

#include <cstddef>
#include <limits>
#include <span>
#include <vector>

namespace mt1d::fitting {

double Rms(double chi2, std::size_t count);

class Misfit {
public:
    explicit Misfit(const FitData& data);

    std::size_t Count() const { return values_.size(); }

    // χ² of the model; keeps the weighted residuals and the model's response.
    double Evaluate(std::span<const double> resistivity, std::span<const double> thickness);

    // As Evaluate, and also the weighted Jacobian: of every parameter, or of the first
    // `columns` (the resistivities, for a fit whose thicknesses stay fixed).
    double EvaluateWithJacobian(std::span<const double> resistivity, std::span<const double> thickness,
                                std::size_t columns = std::numeric_limits<std::size_t>::max());

    // As Evaluate, and the normal equations of the weighted Jacobian's columns `columns`
    // (parameter indices), column k scaled by `scale[k]`: with J_s those scaled columns,
    //     jtj = J_sᵀ J_s,   jtr = J_sᵀ r,
    // built straight from the kernel's rows, without the Jacobian below (which this call
    // leaves as it was). +∞ when χ², jtj or jtr is not finite.
    double EvaluateNormalEquations(std::span<const double> resistivity, std::span<const double> thickness,
                                   std::span<const std::size_t> columns, std::span<const double> scale,
                                   Eigen::MatrixXd& jtj, Eigen::VectorXd& jtr);

    // Of the last evaluation.
    const Eigen::VectorXd& Residuals() const { return residuals_; }
    const Eigen::MatrixXd& Jacobian() const { return jacobian_; }
    std::span<const double> RhoA() const { return rhoA_; }
    std::span<const double> PhaseDeg() const { return phase_; }

    // How often the kernel was asked for a response, and for a response with its Jacobian.
    std::size_t ForwardRuns() const { return forwardRuns_; }
    std::size_t JacobianRuns() const { return jacobianRuns_; }

private:
    double Score();

    earth::LayeredEarth earth_;
    std::vector<double> values_, sigmas_;
    std::vector<std::size_t> kernelRows_;
    std::vector<double> weights_;  // 1/σ per value
    std::vector<double> rhoA_, phase_, log10RhoA_;
    Eigen::VectorXd residuals_;
    Eigen::MatrixXd jacobian_, scaled_;
    std::size_t forwardRuns_ = 0, jacobianRuns_ = 0;
};

}  // namespace mt1d::fitting
