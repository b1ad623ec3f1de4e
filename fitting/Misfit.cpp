#include "fitting/Misfit.h"

#include <algorithm>
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
      log10RhoA_(data.FrequencyCount()),
      residuals_(Eigen::VectorXd::Zero(static_cast<Eigen::Index>(data.Count())))
{
    for (double sigma : sigmas_) weights_.push_back(1.0 / sigma);
}

double Misfit::Score()
{
    const std::size_t f = rhoA_.size();
    earth::LayeredEarth::Log10(rhoA_, log10RhoA_);
    double chi2 = 0.0;
    for (std::size_t i = 0; i < values_.size(); ++i) {
        const std::size_t k = kernelRows_[i];
        const double predicted = k < f ? log10RhoA_[k] : phase_[k - f];
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

// The weighted Jacobian entry of value i in a column of the kernel's layout.
namespace {
inline double KernelEntry(const earth::LayeredEarth::JacobianColumns& j, std::size_t column, std::size_t kernelRow,
                          std::size_t frequencies)
{
    return kernelRow < frequencies ? j.dLog10RhoA[column * j.stride + kernelRow]
                                   : j.dPhaseDeg[column * j.stride + kernelRow - frequencies];
}
}  // namespace

double Misfit::EvaluateWithJacobian(std::span<const double> resistivity, std::span<const double> thickness,
                                    std::size_t wanted)
{
    ++jacobianRuns_;
    const auto columns = earth_.ComputeWithJacobianColumns(resistivity, thickness, rhoA_, phase_);
    const std::size_t f = rhoA_.size();
    const auto n = static_cast<Eigen::Index>(values_.size());
    const std::size_t kept = std::min(wanted, columns.columns);
    jacobian_.resize(n, static_cast<Eigen::Index>(kept));
    for (std::size_t c = 0; c < kept; ++c) {
        double* out = jacobian_.col(static_cast<Eigen::Index>(c)).data();
        for (std::size_t i = 0; i < values_.size(); ++i) out[i] = KernelEntry(columns, c, kernelRows_[i], f) * weights_[i];
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
    const auto kernel = earth_.ComputeWithJacobianColumns(resistivity, thickness, rhoA_, phase_);
    const double chi2 = Score();
    const std::size_t f = rhoA_.size();
    const std::size_t count = values_.size();
    const auto n = static_cast<Eigen::Index>(columns.size());
    // The chosen columns, weighted and scaled, side by side; then their products.
    scaled_.resize(static_cast<Eigen::Index>(count), n);
    for (Eigen::Index k = 0; k < n; ++k) {
        const std::size_t c = columns[static_cast<std::size_t>(k)];
        const double s = scale[static_cast<std::size_t>(k)];
        double* out = scaled_.col(k).data();
        for (std::size_t i = 0; i < count; ++i) out[i] = KernelEntry(kernel, c, kernelRows_[i], f) * weights_[i] * s;
    }
    jtj.resize(n, n);
    jtr.resize(n);
    for (Eigen::Index a = 0; a < n; ++a) {
        jtr[a] = scaled_.col(a).dot(residuals_);
        for (Eigen::Index b = a; b < n; ++b) jtj(a, b) = jtj(b, a) = scaled_.col(a).dot(scaled_.col(b));
    }
    if (!jtj.allFinite() || !jtr.allFinite()) return std::numeric_limits<double>::infinity();
    return chi2;
}

}  // namespace mt1d::fitting
