#include "fitting/StaticShift.h"

#include "sounding/Modes.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace mt1d::fitting {

namespace {

std::string Number(double v)
{
    std::ostringstream s;
    s.precision(4);
    s << v;
    return s.str();
}

std::string Name(sounding::Mode m) { return std::string(sounding::ModeName(m)); }

bool PositiveFinite(double v) { return std::isfinite(v) && v > 0.0; }

constexpr double kLn10 = 2.302585092994046;

}  // namespace

std::string_view ToString(ShiftMode mode)
{
    switch (mode) {
    case ShiftMode::kNone: return "none";
    case ShiftMode::kFree: return "free";
    case ShiftMode::kFixed: return "fixed";
    }
    return "unknown";
}

std::string_view ToString(ShiftReference reference)
{
    switch (reference) {
    case ShiftReference::kMean: return "mean";
    case ShiftReference::kXy: return "xy";
    case ShiftReference::kYx: return "yx";
    case ShiftReference::kSurface: return "surface";
    }
    return "unknown";
}

std::size_t ShiftDesign::ExtraTerms() const
{
    std::size_t n = anchor ? 1 : 0;
    for (double sd : priorSd) n += sd > 0.0 ? 1 : 0;
    return n;
}

std::vector<double> ShiftDesign::CurveLog10(std::span<const double> u) const
{
    std::vector<double> out(fixedLog10);
    for (std::size_t c = 0; c < out.size(); ++c) {
        for (std::size_t k = 0; k < u.size() && k < Unknowns(); ++k) {
            out[c] += a(static_cast<Eigen::Index>(c), static_cast<Eigen::Index>(k)) * u[k];
        }
    }
    return out;
}

ShiftDesignResult MakeShiftDesign(const FitData& data, const ShiftOptions& options)
{
    ShiftDesignResult out;
    ShiftDesign& d = out.design;
    d.mode = options.mode;
    d.reference = options.reference;
    d.modes = data.curveModes.empty() ? std::vector<sounding::Mode>{data.mode} : data.curveModes;
    const std::size_t curves = d.modes.size();
    d.fixedLog10.assign(curves, 0.0);
    d.priorSd.assign(curves, 0.0);
    d.a = Eigen::MatrixXd::Zero(static_cast<Eigen::Index>(curves), 0);
    const auto curveOf = [&d](sounding::Mode m) -> std::optional<std::size_t> {
        for (std::size_t c = 0; c < d.modes.size(); ++c) {
            if (d.modes[c] == m) return c;
        }
        return std::nullopt;
    };
    if (options.mode == ShiftMode::kNone) return out;
    if (options.mode == ShiftMode::kFixed) {
        for (const ModeFactor& f : options.fixed) {
            const auto c = curveOf(f.mode);
            if (!c) {
                out.error = "a static-shift factor is given for the " + Name(f.mode) + " curve, which is not fitted";
                return out;
            }
            if (!PositiveFinite(f.factor)) {
                out.error = "the static-shift factor of the " + Name(f.mode) + " curve is " + Number(f.factor) +
                            "; it must be finite and positive";
                return out;
            }
            d.fixedLog10[*c] = std::log10(f.factor);
        }
        return out;
    }
    const double sd = options.priorSd.value_or(kDefaultShiftPriorSd);
    if (!PositiveFinite(sd)) {
        out.error = "the shift prior's standard deviation is " + Number(sd) + "; it must be finite and positive";
        return out;
    }
    const bool anchored = options.reference == ShiftReference::kSurface;
    if (anchored != options.surface.has_value()) {
        out.error = anchored ? "the surface reference needs a known surface resistivity"
                             : "a known surface resistivity anchors every factor; it takes no reference mode";
        return out;
    }
    if (anchored) {
        if (!PositiveFinite(options.surface->rhoOhmM)) {
            out.error = "the surface resistivity is " + Number(options.surface->rhoOhmM) +
                        " ohm-m; it must be finite and positive";
            return out;
        }
        if (!(std::isfinite(options.surface->depthM) && options.surface->depthM >= 0.0)) {
            out.error = "the surface depth is " + Number(options.surface->depthM) +
                        " m; it must be finite and not negative";
            return out;
        }
        d.anchor = options.surface;
        d.a = Eigen::MatrixXd::Identity(static_cast<Eigen::Index>(curves), static_cast<Eigen::Index>(curves));
    } else if (options.reference == ShiftReference::kMean) {
        if (curves < 2) {
            out.error = "free static shifts of a single curve need a known surface resistivity: MT data alone cannot "
                        "tell one curve's factor from the model (resistivities times c and depths times sqrt(c) "
                        "scale the apparent resistivity by c)";
            return out;
        }
        // log10 s_k − log10 s_{C−1} per unknown: the factors' log10 sum to 0 for every u.
        d.a = Eigen::MatrixXd::Zero(static_cast<Eigen::Index>(curves), static_cast<Eigen::Index>(curves - 1));
        for (std::size_t k = 0; k + 1 < curves; ++k) {
            d.a(static_cast<Eigen::Index>(k), static_cast<Eigen::Index>(k)) = 1.0;
            d.a(static_cast<Eigen::Index>(curves - 1), static_cast<Eigen::Index>(k)) = -1.0;
        }
        // For two curves one unknown moves both: log10 s_xy = u, log10 s_yx = −u.
    } else {
        const sounding::Mode ref = options.reference == ShiftReference::kXy ? sounding::Mode::kXy : sounding::Mode::kYx;
        const auto r = curveOf(ref);
        if (!r) {
            out.error = "the shift reference " + Name(ref) + " is not among the fitted curves";
            return out;
        }
        if (curves < 2) {
            out.error = "a reference curve needs a second curve to shift: use --mode xy+yx";
            return out;
        }
        d.a = Eigen::MatrixXd::Zero(static_cast<Eigen::Index>(curves), static_cast<Eigen::Index>(curves - 1));
        std::size_t k = 0;
        for (std::size_t c = 0; c < curves; ++c) {
            if (c == *r) continue;
            d.a(static_cast<Eigen::Index>(c), static_cast<Eigen::Index>(k++)) = 1.0;
        }
    }
    for (std::size_t c = 0; c < curves; ++c) {
        if (d.a.row(static_cast<Eigen::Index>(c)).squaredNorm() > 0.0) d.priorSd[c] = sd;
    }
    return out;
}

double SurfaceLog10Rho(std::span<const double> resistivity, std::span<const double> thickness, double depthM,
                       std::span<double> gradient)
{
    const std::size_t layers = resistivity.size();
    if (!gradient.empty()) std::fill(gradient.begin(), gradient.end(), 0.0);
    if (layers == 0) return 0.0;
    if (!(depthM > 0.0)) {
        if (!gradient.empty()) gradient[0] = 1.0;
        return std::log10(resistivity[0]);
    }
    // (1/D) ∫_0^D log10 ρ(z) dz over the layers the interval meets.
    double sum = 0.0;
    double top = 0.0;
    std::size_t last = layers - 1;  // the layer holding depth D
    for (std::size_t j = 0; j < layers; ++j) {
        const double bottom = j + 1 < layers ? top + thickness[j] : depthM;
        const double overlap = std::min(bottom, depthM) - top;
        if (overlap <= 0.0) break;
        sum += overlap * std::log10(resistivity[j]);
        if (!gradient.empty()) gradient[j] = overlap / depthM;
        if (bottom >= depthM) {
            last = j;
            break;
        }
        top = bottom;
    }
    const double mean = sum / depthM;
    if (!gradient.empty()) {
        // Thickening layer j above D pushes every interface below it down; the sum over those
        // interfaces telescopes to (log10 ρ_j − log10 ρ_last) / D per metre, times h_j ln 10
        // per unit of log10 h_j.
        for (std::size_t j = 0; j < last && j + 1 < layers; ++j) {
            gradient[layers + j] =
                (std::log10(resistivity[j]) - std::log10(resistivity[last])) / depthM * thickness[j] * kLn10;
        }
    }
    return mean;
}

std::optional<HalfSpaceEstimate> EstimateHalfSpace(const FitData& data)
{
    const std::size_t curves = data.CurveCount();
    if (curves > 2 || data.FrequencyCount() == 0) return std::nullopt;
    // Per curve, its row at each kernel frequency (or none).
    const std::span<const double> kernel = data.KernelFrequencies();
    const std::size_t none = data.FrequencyCount();
    std::vector<std::vector<std::size_t>> rowAt(curves, std::vector<std::size_t>(kernel.size(), none));
    for (std::size_t i = 0; i < data.FrequencyCount(); ++i) {
        // The first F values are row i's ρa (kernel row k) or, for phase alone, its φ (K + k).
        const std::size_t k = data.kernelRows[i] >= kernel.size() ? data.kernelRows[i] - kernel.size() : data.kernelRows[i];
        rowAt[data.CurveOfRow(i)][k] = i;
    }
    // log10 ρa's standard error of a row, from the ρa error (first order).
    const auto sdLog = [&data](std::size_t i) {
        return std::max(data.rhoErr[i] / (data.rhoA[i] * kLn10), 1e-6);
    };
    HalfSpaceEstimate e;
    e.curveLevels.assign(curves, 0.0);
    std::vector<double> levelWeight(curves, 0.0);
    double sumW = 0.0, sumWr = 0.0;
    // Kernel frequencies are highest first for several curves; a single curve's rows are in
    // the curve's order, highest first as read. Walk from the highest down.
    std::vector<std::size_t> order(kernel.size());
    for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
    std::stable_sort(order.begin(), order.end(), [&kernel](std::size_t a, std::size_t b) { return kernel[a] > kernel[b]; });
    bool started = false;
    for (const std::size_t k : order) {
        std::vector<std::size_t> rows;
        for (std::size_t c = 0; c < curves; ++c) {
            if (rowAt[c][k] != none) rows.push_back(rowAt[c][k]);
        }
        if (rows.size() != curves) {
            if (started) break;  // the run of shared rows ends
            continue;            // before the first frequency the curves share
        }
        bool flat = true;
        for (const std::size_t i : rows) flat = flat && std::abs(data.phaseDeg[i] - 45.0) <= kHalfSpacePhaseToleranceDeg;
        if (curves == 2) {
            const double combined = std::hypot(data.phaseErrDeg[rows[0]], data.phaseErrDeg[rows[1]]);
            flat = flat && std::abs(data.phaseDeg[rows[0]] - data.phaseDeg[rows[1]]) <= 2.0 * combined;
        }
        if (!flat) break;
        started = true;
        if (e.rows == 0) e.highHz = kernel[k];
        e.lowHz = kernel[k];
        ++e.rows;
        for (std::size_t c = 0; c < curves; ++c) {
            const double w = 1.0 / (sdLog(rows[c]) * sdLog(rows[c]));
            e.curveLevels[c] += w * std::log10(data.rhoA[rows[c]]);
            levelWeight[c] += w;
        }
        if (curves == 2) {
            const double var = sdLog(rows[0]) * sdLog(rows[0]) + sdLog(rows[1]) * sdLog(rows[1]);
            sumW += 1.0 / var;
            sumWr += std::log10(data.rhoA[rows[0]] / data.rhoA[rows[1]]) / var;
        }
    }
    if (e.rows < kMinHalfSpaceRows) return std::nullopt;
    for (std::size_t c = 0; c < curves; ++c) e.curveLevels[c] /= levelWeight[c];
    if (curves == 2) {
        e.log10Ratio = sumWr / sumW;
        e.log10Sd = 1.0 / std::sqrt(sumW);
    } else {
        e.log10Sd = 1.0 / std::sqrt(levelWeight[0]);
    }
    return e;
}

std::vector<double> StartingShifts(const ShiftDesign& design, const std::optional<HalfSpaceEstimate>& estimate)
{
    const std::size_t n = design.Unknowns();
    std::vector<double> u(n, 0.0);
    if (n == 0 || !estimate) return u;
    const std::size_t curves = design.Curves();
    // The wanted log10 factor of each curve, then u by least squares through the design.
    Eigen::VectorXd target = Eigen::VectorXd::Zero(static_cast<Eigen::Index>(curves));
    if (design.anchor) {
        if (estimate->curveLevels.size() != curves) return u;
        for (std::size_t c = 0; c < curves; ++c) {
            target[static_cast<Eigen::Index>(c)] = estimate->curveLevels[c] - std::log10(design.anchor->rhoOhmM);
        }
    } else {
        if (curves != 2) return u;
        const double r = estimate->log10Ratio;
        switch (design.reference) {
        case ShiftReference::kMean: target << r / 2.0, -r / 2.0; break;
        case ShiftReference::kXy: target << 0.0, -r; break;
        case ShiftReference::kYx: target << r, 0.0; break;
        case ShiftReference::kSurface: break;
        }
        // The reference names a mode; put its curve's target at 0 whatever the order.
        if (design.reference == ShiftReference::kXy && design.modes[0] != sounding::Mode::kXy) target = -target;
        if (design.reference == ShiftReference::kYx && design.modes[1] != sounding::Mode::kYx) target = -target;
    }
    for (std::size_t c = 0; c < curves; ++c) target[static_cast<Eigen::Index>(c)] -= design.fixedLog10[c];
    const Eigen::VectorXd solved = design.a.colPivHouseholderQr().solve(target);
    for (std::size_t k = 0; k < n; ++k) {
        const double v = solved[static_cast<Eigen::Index>(k)];
        u[k] = std::isfinite(v) ? ClampShiftUnknown(v) : 0.0;
    }
    return u;
}

double ClampShiftUnknown(double u) { return std::clamp(u, -kMaxAbsLog10Shift, kMaxAbsLog10Shift); }

std::string HalfSpaceNote(const FitData& data, const HalfSpaceEstimate& estimate)
{
    std::ostringstream s;
    s.precision(3);
    if (data.CurveCount() == 2) {
        const auto modes = data.curveModes;
        s << "at the highest frequencies (" << estimate.lowHz << " to " << estimate.highHz << " Hz, " << estimate.rows
          << " rows) both curves see one half-space: the ratio of their apparent resistivities, "
          << Name(modes[0]) << "/" << Name(modes[1]) << " = " << std::pow(10.0, estimate.log10Ratio) << " (x/÷ "
          << std::pow(10.0, estimate.log10Sd) << "), estimates the relative static shift";
    } else {
        s << "at the highest frequencies (" << estimate.lowHz << " to " << estimate.highHz << " Hz, " << estimate.rows
          << " rows) the curve sees a half-space of apparent resistivity " << std::pow(10.0, estimate.curveLevels[0])
          << " ohm-m";
    }
    return s.str();
}

FitData Unshifted(const FitData& data, std::span<const double> curveLog10)
{
    FitData out = data;
    for (std::size_t i = 0; i < out.FrequencyCount(); ++i) {
        const double s = std::pow(10.0, curveLog10[out.CurveOfRow(i)]);
        out.rhoA[i] /= s;
        out.rhoErr[i] /= s;
    }
    const std::size_t k = out.KernelFrequencies().size();
    for (std::size_t v = 0; v < out.Count(); ++v) {
        if (out.kernelRows[v] < k) out.values[v] -= curveLog10[out.CurveOfValue(v)];
    }
    return out;
}

std::string ReferenceWord(const ShiftDesign& design)
{
    if (design.mode == ShiftMode::kFixed) return "fixed";
    return std::string(ToString(design.reference));
}

StaticShiftReport MakeShiftReport(const ShiftDesign& design, std::span<const double> u,
                                  std::span<const double> log10Sd, const std::optional<HalfSpaceEstimate>& estimate,
                                  const FitData& data)
{
    StaticShiftReport r;
    r.reference = ReferenceWord(design);
    const std::vector<double> level = design.CurveLog10(u);
    for (std::size_t c = 0; c < design.Curves(); ++c) {
        CurveShift shift;
        shift.mode = design.modes[c];
        shift.factor = std::pow(10.0, level[c]);
        // The reference curve's factor is held, not fitted: no standard error.
        const bool fitted = design.Unknowns() > 0 && design.a.row(static_cast<Eigen::Index>(c)).squaredNorm() > 0.0;
        if (design.mode == ShiftMode::kFree && fitted && c < log10Sd.size()) shift.log10Sd = log10Sd[c];
        shift.atBound = design.mode == ShiftMode::kFree && fitted &&
                        std::abs(level[c]) >= kMaxAbsLog10Shift - kShiftBoundTolerance;
        r.curves.push_back(shift);
    }
    r.halfSpace = estimate;
    if (estimate) r.note = HalfSpaceNote(data, *estimate);
    std::string bound;
    std::size_t onBound = 0;
    for (const CurveShift& c : r.curves) {
        if (!c.atBound) continue;
        bound += (onBound++ == 0 ? "" : " and ") + Name(c.mode) + " (x" + Number(c.factor) + ")";
    }
    if (onBound > 0) {
        if (!r.note.empty()) r.note += "; ";
        r.note += (onBound == 1 ? "the factor of " : "the factors of ") + bound +
                  (onBound == 1 ? " ended on its bound" : " ended on their bound") +
                  " of a decade: the curves differ by more than a static shift explains (3-D effects or a wrong "
                  "rotation?), so a 1-D model of them is doubtful";
    }
    return r;
}

}  // namespace mt1d::fitting
