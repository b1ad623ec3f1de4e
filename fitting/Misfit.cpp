#include "fitting/Misfit.h"

#include <cmath>
#include <limits>

namespace mt1d::fitting {

double Rms(double chi2, std::size_t count)
{
    if (count == 0) return 0.0;
    return std::sqrt(chi2 / static_cast<double>(count));
}

Misfit::Misfit(const FitData& data)
    : earth_(data.frequencies),
      values_(data.values),
      sigmas_(data.sigmas),
      kernelRows_(data.kernelRows),
      rhoA_(data.FrequencyCount()),
      phase_(data.FrequencyCount()),
      residuals_(Eigen::VectorXd::Zero(static_cast<Eigen::Index>(data.Count())))
{
}

double Misfit::Score()
{
    const std::size_t f = rhoA_.size();
    double chi2 = 0.0;
    for (std::size_t i = 0; i < values_.size(); ++i) {
        const std::size_t k = kernelRows_[i];
        const double predicted = k < f ? std::log10(rhoA_[k]) : phase_[k - f];
        const double r = (values_[i] - predicted) / sigmas_[i];
        residuals_[static_cast<Eigen::Index>(i)] = r;
        chi2 += r * r;
    }
    if (!std::isfinite(chi2)) return std::numeric_limits<double>::infinity();
    return chi2;
}

double Misfit::Evaluate(std::span<const double> resistivity, std::span<const double> thickness)
{
    ++forwardRuns_;
    earth_.Compute(resistivity, thickness, rhoA_, phase_);
    return Score();
}

double Misfit::EvaluateWithJacobian(std::span<const double> resistivity,
                                    std::span<const double> thickness)
{
    ++jacobianRuns_;
    const std::size_t p = resistivity.size() + thickness.size();
    kernelJacobian_.resize(2 * rhoA_.size() * p);
    earth_.ComputeWithJacobian(resistivity, thickness, rhoA_, phase_, kernelJacobian_);
    const auto n = static_cast<Eigen::Index>(values_.size());
    jacobian_.resize(n, static_cast<Eigen::Index>(p));
    for (Eigen::Index i = 0; i < n; ++i) {
        const double* row = kernelJacobian_.data() + kernelRows_[static_cast<std::size_t>(i)] * p;
        const double w = 1.0 / sigmas_[static_cast<std::size_t>(i)];
        for (std::size_t c = 0; c < p; ++c) jacobian_(i, static_cast<Eigen::Index>(c)) = row[c] * w;
    }
    const double chi2 = Score();
    if (!jacobian_.allFinite()) return std::numeric_limits<double>::infinity();
    return chi2;
}

double Misfit::EvaluateNormalEquations(std::span<const double> resistivity, std::span<const double> thickness,
                                       std::span<const std::size_t> columns, std::span<const double> scale,
                                       Eigen::MatrixXd& jtj, Eigen::VectorXd& jtr)
{
    ++jacobianRuns_;
    const std::size_t p = resistivity.size() + thickness.size();
    kernelJacobian_.resize(2 * rhoA_.size() * p);
    earth_.ComputeWithJacobian(resistivity, thickness, rhoA_, phase_, kernelJacobian_);
    const double chi2 = Score();
    const auto n = static_cast<Eigen::Index>(columns.size());
    jtj.setZero(n, n);
    jtr.setZero(n);
    // One row at a time: the row's weighted, scaled entries of the chosen columns, then their
    // products into the upper triangle.
    row_.resize(columns.size());
    for (std::size_t i = 0; i < values_.size(); ++i) {
        const double* kernelRow = kernelJacobian_.data() + kernelRows_[i] * p;
        const double w = 1.0 / sigmas_[i];
        for (std::size_t k = 0; k < columns.size(); ++k) row_[k] = kernelRow[columns[k]] * w * scale[k];
        const double r = residuals_[static_cast<Eigen::Index>(i)];
        for (Eigen::Index a = 0; a < n; ++a) {
            const double va = row_[static_cast<std::size_t>(a)];
            jtr[a] += va * r;
            for (Eigen::Index b = a; b < n; ++b) jtj(a, b) += va * row_[static_cast<std::size_t>(b)];
        }
    }
    for (Eigen::Index a = 0; a < n; ++a) {
        for (Eigen::Index b = 0; b < a; ++b) jtj(a, b) = jtj(b, a);
    }
    if (!jtj.allFinite() || !jtr.allFinite()) return std::numeric_limits<double>::infinity();
    return chi2;
}

}  // namespace mt1d::fitting
