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
// With static shifts (StaticShift.h, SetShiftDesign), the prediction of log10 ρa of a value of
// curve c is the model's plus log10 s_c, with log10 s = fixed + A·u for the design's unknowns u;
// χ² then also holds the design's terms (a prior per free factor, the surface anchor), as rows
// after the N data rows of the residuals and the Jacobian, and the Jacobian gains one column
// per unknown after the model's columns. Count() stays N.
//
// A model whose response is not finite (parameters far outside any earth) scores χ² = +∞, so
// a solver never takes a step to it.

#include "fitting/FitData.h"
#include "fitting/StaticShift.h"
#include "numerics/LayeredEarth.h"

#include <Eigen/Dense>

#include <cstddef>
#include <limits>
#include <optional>
#include <span>
#include <vector>

namespace mt1d::fitting {

double Rms(double chi2, std::size_t count);

class Misfit {
public:
    explicit Misfit(const FitData& data);

    std::size_t Count() const { return values_.size(); }

    // The shifts of the design (StaticShift.h), with its unknowns at 0.
    void SetShiftDesign(const ShiftDesign& design);
    // The design's unknowns for the next evaluations (as many as it has).
    void SetShifts(std::span<const double> u);
    std::size_t ShiftUnknowns() const { return shiftColumns_; }
    // χ² of the data alone at the last evaluation (the returned χ² less the design's terms).
    double DataChi2() const { return dataChi2_; }

    // χ² of the model; keeps the weighted residuals and the model's response.
    double Evaluate(std::span<const double> resistivity, std::span<const double> thickness);

    // As Evaluate, and also the weighted Jacobian: of every parameter, or of the first
    // `columns` (the resistivities, for a fit whose thicknesses stay fixed); then the columns
    // of the shift unknowns.
    double EvaluateWithJacobian(std::span<const double> resistivity, std::span<const double> thickness,
                                std::size_t columns = std::numeric_limits<std::size_t>::max());

    // As Evaluate, and the normal equations of the weighted Jacobian's columns `columns`
    // (parameter indices), column k scaled by `scale[k]`: with J_s those scaled columns,
    //     jtj = J_sᵀ J_s,   jtr = J_sᵀ r,
    // built straight from the kernel's rows, without the Jacobian below (which this call
    // leaves as it was); the shift unknowns' columns, unscaled, follow those. +∞ when χ², jtj
    // or jtr is not finite.
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
    double Score(std::span<const double> resistivity, std::span<const double> thickness);
    // Into `target` (rows: the data, then the design's terms): the shift unknowns' columns from
    // `firstShiftColumn` on, and the terms' rows of the model columns (`modelColumns` the
    // parameters of target's first columns, each scaled by `scale`, empty for 1).
    void FillExtraRows(Eigen::MatrixXd& target, std::span<const std::size_t> modelColumns,
                       std::span<const double> scale, std::size_t firstShiftColumn) const;

    earth::LayeredEarth earth_;
    std::vector<double> values_, sigmas_;
    std::vector<std::size_t> kernelRows_;
    std::vector<double> weights_;  // 1/σ per value
    std::vector<double> rhoA_, phase_, log10RhoA_;
    // Static shifts: the curve of each value, and per value the design's weighted column entry.
    std::optional<ShiftDesign> shift_;
    std::vector<std::size_t> valueCurve_;
    std::vector<double> shiftU_, curveLog10_;
    std::size_t shiftColumns_ = 0, extraRows_ = 0;
    std::vector<double> anchorGradient_;
    double dataChi2_ = 0.0;
    std::vector<std::size_t> modelColumns_;
    Eigen::VectorXd residuals_;
    Eigen::MatrixXd jacobian_, scaled_;
    std::size_t forwardRuns_ = 0, jacobianRuns_ = 0;
};

}  // namespace mt1d::fitting
