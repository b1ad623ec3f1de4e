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
    : earth_(std::vector<double>(data.KernelFrequencies().begin(), data.KernelFrequencies().end())),
      values_(data.values),
      sigmas_(data.sigmas),
      kernelRows_(data.kernelRows),
      rhoA_(data.KernelFrequencies().size()),
      phase_(data.KernelFrequencies().size()),
      log10RhoA_(data.KernelFrequencies().size()),
      residuals_(Eigen::VectorXd::Zero(static_cast<Eigen::Index>(data.Count())))
{
    for (double sigma : sigmas_) weights_.push_back(1.0 / sigma);
    for (std::size_t i = 0; i < data.Count(); ++i) valueCurve_.push_back(data.CurveOfValue(i));
}

void Misfit::SetShiftDesign(const ShiftDesign& design)
{
    shift_ = design;
    shiftColumns_ = design.Unknowns();
    extraRows_ = design.ExtraTerms();
    shiftU_.assign(shiftColumns_, 0.0);
    curveLog10_ = design.CurveLog10(shiftU_);
    residuals_ = Eigen::VectorXd::Zero(static_cast<Eigen::Index>(values_.size() + extraRows_));
}

void Misfit::SetShifts(std::span<const double> u)
{
    if (!shift_) return;
    shiftU_.assign(u.begin(), u.end());
    shiftU_.resize(shiftColumns_, 0.0);
    curveLog10_ = shift_->CurveLog10(shiftU_);
}

double Misfit::Score(std::span<const double> resistivity, std::span<const double> thickness)
{
    const std::size_t f = rhoA_.size();
    earth::LayeredEarth::Log10(rhoA_, log10RhoA_);
    double chi2 = 0.0;
    const bool shifted = shift_.has_value();
    for (std::size_t i = 0; i < values_.size(); ++i) {
        const std::size_t k = kernelRows_[i];
        double predicted = k < f ? log10RhoA_[k] : phase_[k - f];
        if (shifted && k < f) predicted += curveLog10_[valueCurve_[i]];
        const double r = (values_[i] - predicted) / sigmas_[i];
        residuals_[static_cast<Eigen::Index>(i)] = r;
        chi2 += r * r;
    }
    dataChi2_ = chi2;
    if (shifted) {
        // The design's terms: each free factor's prior about 1, then the anchor.
        auto row = static_cast<Eigen::Index>(values_.size());
        for (std::size_t c = 0; c < shift_->priorSd.size(); ++c) {
            if (!(shift_->priorSd[c] > 0.0)) continue;
            const double r = -curveLog10_[c] / shift_->priorSd[c];
            residuals_[row++] = r;
            chi2 += r * r;
        }
        if (shift_->anchor) {
            anchorGradient_.assign(resistivity.size() + thickness.size(), 0.0);
            const double surface = SurfaceLog10Rho(resistivity, thickness, shift_->anchor->depthM, anchorGradient_);
            const double r = (std::log10(shift_->anchor->rhoOhmM) - surface) / kSurfaceRhoLog10Sd;
            residuals_[row++] = r;
            chi2 += r * r;
        }
    }
    if (!std::isfinite(chi2)) return std::numeric_limits<double>::infinity();
    return chi2;
}

void Misfit::FillExtraRows(Eigen::MatrixXd& target, std::span<const std::size_t> modelColumns,
                           std::span<const double> scale, std::size_t firstShiftColumn) const
{
    if (!shift_) return;
    const std::size_t f = rhoA_.size();
    // The data rows' shift columns: d(log10 ρa)/du_k = A(c, k), weighted.
    for (std::size_t k = 0; k < shiftColumns_; ++k) {
        double* out = target.col(static_cast<Eigen::Index>(firstShiftColumn + k)).data();
        for (std::size_t i = 0; i < values_.size(); ++i) {
            out[i] = kernelRows_[i] < f
                         ? shift_->a(static_cast<Eigen::Index>(valueCurve_[i]), static_cast<Eigen::Index>(k)) * weights_[i]
                         : 0.0;
        }
    }
    auto row = static_cast<Eigen::Index>(values_.size());
    for (std::size_t c = 0; c < shift_->priorSd.size(); ++c) {
        if (!(shift_->priorSd[c] > 0.0)) continue;
        for (std::size_t m = 0; m < modelColumns.size(); ++m) target(row, static_cast<Eigen::Index>(m)) = 0.0;
        for (std::size_t k = 0; k < shiftColumns_; ++k) {
            target(row, static_cast<Eigen::Index>(firstShiftColumn + k)) =
                shift_->a(static_cast<Eigen::Index>(c), static_cast<Eigen::Index>(k)) / shift_->priorSd[c];
        }
        ++row;
    }
    if (shift_->anchor) {
        for (std::size_t m = 0; m < modelColumns.size(); ++m) {
            const std::size_t p = modelColumns[m];
            const double g = p < anchorGradient_.size() ? anchorGradient_[p] : 0.0;
            target(row, static_cast<Eigen::Index>(m)) = g / kSurfaceRhoLog10Sd * (scale.empty() ? 1.0 : scale[m]);
        }
        for (std::size_t k = 0; k < shiftColumns_; ++k) target(row, static_cast<Eigen::Index>(firstShiftColumn + k)) = 0.0;
    }
}

double Misfit::Evaluate(std::span<const double> resistivity, std::span<const double> thickness)
{
    ++forwardRuns_;
    earth_.Compute(resistivity, thickness, rhoA_, phase_);
    return Score(resistivity, thickness);
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
    jacobian_.resize(n + static_cast<Eigen::Index>(extraRows_), static_cast<Eigen::Index>(kept + shiftColumns_));
    for (std::size_t c = 0; c < kept; ++c) {
        double* out = jacobian_.col(static_cast<Eigen::Index>(c)).data();
        for (std::size_t i = 0; i < values_.size(); ++i) out[i] = KernelEntry(columns, c, kernelRows_[i], f) * weights_[i];
    }
    const double chi2 = Score(resistivity, thickness);
    if (shift_) {
        modelColumns_.resize(kept);
        for (std::size_t c = 0; c < kept; ++c) modelColumns_[c] = c;
        FillExtraRows(jacobian_, modelColumns_, {}, kept);
    }
    if (!jacobian_.allFinite()) return std::numeric_limits<double>::infinity();
    return chi2;
}

double Misfit::EvaluateNormalEquations(std::span<const double> resistivity, std::span<const double> thickness,
                                       std::span<const std::size_t> columns, std::span<const double> scale,
                                       Eigen::MatrixXd& jtj, Eigen::VectorXd& jtr)
{
    ++jacobianRuns_;
    const auto kernel = earth_.ComputeWithJacobianColumns(resistivity, thickness, rhoA_, phase_);
    const double chi2 = Score(resistivity, thickness);
    const std::size_t f = rhoA_.size();
    const std::size_t count = values_.size();
    const auto modelColumns = static_cast<Eigen::Index>(columns.size());
    const auto n = modelColumns + static_cast<Eigen::Index>(shiftColumns_);
    // The chosen columns, weighted and scaled, side by side, then the shifts'; their products.
    scaled_.resize(static_cast<Eigen::Index>(count + extraRows_), n);
    FillExtraRows(scaled_, columns, scale, columns.size());
    for (Eigen::Index k = 0; k < modelColumns; ++k) {
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
