#include "fitting/LayeredFit.h"

#include "fitting/BoundTransform.h"
#include "fitting/Damping.h"
#include "fitting/Misfit.h"
#include "fitting/NiblettBostick.h"
#include "fitting/StartModels.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>

namespace mt1d::fitting {

namespace {

// "resistivity of layer 2", "thickness of layer 1": 1-based, as the user counts layers.
std::string ParameterName(std::size_t index, std::size_t layers)
{
    if (index < layers) return "resistivity of layer " + std::to_string(index + 1);
    return "thickness of layer " + std::to_string(index - layers + 1);
}

std::string Number(double v)
{
    std::ostringstream s;
    s << v;
    return s.str();
}

// The fixed layout of one fit: which parameters move, within which bounds.
struct Setup {
    std::size_t layers = 0;
    std::vector<bool> free;
    std::vector<LogBounds> bounds;      // log10, per parameter
    std::vector<std::size_t> freeIndex; // parameter of each free unknown
    std::vector<double> userStart;      // log10, per parameter; empty without a user model
};

std::vector<double> Log10Parameters(const earth::LayeredModel& model)
{
    std::vector<double> x;
    for (double r : model.resistivity) x.push_back(std::log10(r));
    for (double h : model.thickness) x.push_back(std::log10(h));
    return x;
}

earth::LayeredModel ModelOf(const std::vector<double>& x, std::size_t layers)
{
    earth::LayeredModel m;
    for (std::size_t j = 0; j < layers; ++j) m.resistivity.push_back(std::pow(10.0, x[j]));
    for (std::size_t j = layers; j < x.size(); ++j) m.thickness.push_back(std::pow(10.0, x[j]));
    return m;
}

// The stop criteria, each against the range LayeredOptions states.
std::string CheckStopCriteria(const LayeredOptions& o)
{
    if (!(o.relativeTolerance >= 0.0 && o.relativeTolerance < 1.0)) {
        return "the relative tolerance " + Number(o.relativeTolerance) + " must lie from 0 up to (not including) 1";
    }
    if (o.settledSteps < 1) return "the settled steps must be at least 1, not 0";
    if (!(o.exactChi2PerValue >= 0.0) || !std::isfinite(o.exactChi2PerValue)) {
        return "the exact chi-square per value " + Number(o.exactChi2PerValue) + " must be finite and not negative";
    }
    if (!std::isfinite(o.maxDamping)) return "the damping ceiling " + Number(o.maxDamping) + " must be finite";
    if (!(o.initialDamping >= kMinLambda && o.initialDamping < o.maxDamping)) {
        return "the initial damping " + Number(o.initialDamping) + " must lie from " + Number(kMinLambda) +
               " up to the damping ceiling " + Number(o.maxDamping);
    }
    return {};
}

// Checks the options against the data; fills `setup` or says what is wrong.
std::string Prepare(const FitData& data, const LayeredOptions& o, std::size_t shiftUnknowns, Setup& setup)
{
    const std::size_t layers = o.layers;
    if (layers < 1 || layers > kMaxLayers) {
        return "a layered fit takes 1 to " + std::to_string(kMaxLayers) + " layers, not " +
               std::to_string(layers);
    }
    const std::size_t p = 2 * layers - 1;
    setup.layers = layers;
    if (o.starts && *o.starts < 1) return "a layered fit needs at least one start";
    if (std::string error = CheckStopCriteria(o); !error.empty()) return error;
    if (!o.fixed.empty() && o.fixed.size() != p) {
        return "fixed parameters: " + std::to_string(layers) + " layers have " + std::to_string(p) +
               " parameters, got " + std::to_string(o.fixed.size()) + " flags";
    }
    if (!o.bounds.empty() && o.bounds.size() != p) {
        return "bounds: " + std::to_string(layers) + " layers have " + std::to_string(p) +
               " parameters, got " + std::to_string(o.bounds.size()) + " bounds";
    }
    if (o.start) {
        const auto& m = *o.start;
        if (m.resistivity.size() != layers || m.thickness.size() + 1 != layers) {
            return "the starting model has " + std::to_string(m.resistivity.size()) +
                   " resistivities and " + std::to_string(m.thickness.size()) + " thicknesses; " +
                   std::to_string(layers) + " layers need " + std::to_string(layers) + " and " +
                   std::to_string(layers - 1);
        }
        setup.userStart = Log10Parameters(m);
        for (std::size_t i = 0; i < p; ++i) {
            const double v = i < layers ? m.resistivity[i] : m.thickness[i - layers];
            if (!std::isfinite(v) || v <= 0.0) {
                return "the starting model's " + ParameterName(i, layers) + " is " + Number(v) +
                       "; it must be finite and positive";
            }
        }
    }
    setup.free.assign(p, true);
    for (std::size_t i = 0; i < o.fixed.size(); ++i) setup.free[i] = !o.fixed[i];
    const bool anyFixed = std::find(setup.free.begin(), setup.free.end(), false) != setup.free.end();
    if (anyFixed && !o.start) {
        return "fixed parameters keep the values of the starting model; give a starting model";
    }
    setup.bounds.resize(p);
    for (std::size_t i = 0; i < p; ++i) {
        ParameterBounds b = i < layers ? kDefaultResistivityBounds : kDefaultThicknessBounds;
        if (!o.bounds.empty()) {
            b = o.bounds[i];
            if (!std::isfinite(b.lower) || !std::isfinite(b.upper) || b.lower <= 0.0) {
                return "bounds of the " + ParameterName(i, layers) + " (" + Number(b.lower) + " to " +
                       Number(b.upper) + ") must be finite and positive";
            }
            if (!(b.lower < b.upper)) {
                return "bounds of the " + ParameterName(i, layers) + ": the lower bound " +
                       Number(b.lower) + " is not below the upper bound " + Number(b.upper);
            }
        }
        LogBounds lb{std::log10(b.lower), std::log10(b.upper)};
        if (!setup.userStart.empty() && setup.free[i]) {
            const double v = setup.userStart[i];
            if (o.bounds.empty()) {
                // Default bounds make room for the user's value.
                lb.lower = std::min(lb.lower, v - 1.0);
                lb.upper = std::max(lb.upper, v + 1.0);
            } else if (v < lb.lower || v > lb.upper) {
                return "the starting model's " + ParameterName(i, layers) + " (" +
                       Number(std::pow(10.0, v)) + ") lies outside its bounds " + Number(b.lower) +
                       " to " + Number(b.upper);
            }
        }
        setup.bounds[i] = lb;
        if (setup.free[i]) setup.freeIndex.push_back(i);
    }
    if (data.Count() < setup.freeIndex.size() + shiftUnknowns) {
        return std::to_string(data.Count()) + " data values cannot determine " +
               std::to_string(setup.freeIndex.size() + shiftUnknowns) +
               " free parameters; fit fewer layers, fix parameters or use more rows";
    }
    return {};
}

// Levenberg–Marquardt from one start, in the unbounded unknowns u of the free parameters.
class StartRun {
public:
    StartRun(Misfit& misfit, const Setup& setup)
        : misfit_(misfit), setup_(setup), shiftCount_(misfit.ShiftUnknowns())
    {
    }

    struct Outcome {
        std::vector<double> x;  // log10 parameters
        std::vector<double> shifts;  // the shift design's unknowns
        double chi2 = std::numeric_limits<double>::infinity();
        std::size_t iterations = 0;
        FitStatus status = FitStatus::kMaxIterations;
        std::vector<HistoryEntry> history;
    };

    Outcome Run(std::vector<double> x0, const std::vector<double>& shifts0, const LayeredOptions& options,
                const RunControl& control, Progress& progress, double bestChi2)
    {
        Outcome out;
        const std::size_t free = setup_.freeIndex.size();
        const std::size_t n = free + shiftCount_;
        Eigen::VectorXd u(static_cast<Eigen::Index>(n));
        for (std::size_t k = 0; k < free; ++k) {
            const std::size_t i = setup_.freeIndex[k];
            u[static_cast<Eigen::Index>(k)] = ToUnbounded(x0[i], setup_.bounds[i]);
        }
        // The shift unknowns are log10 factors themselves, held near 0 by their prior.
        for (std::size_t k = 0; k < shiftCount_; ++k) u[static_cast<Eigen::Index>(free + k)] = shifts0[k];
        out.x = ToParameters(u, x0);
        out.shifts = ShiftsOf(u);
        uNow_ = u;
        out.chi2 = Linearise(out.x, out.shifts);
        const double count = static_cast<double>(misfit_.Count());
        out.history.push_back({0, Rms(out.chi2, misfit_.Count()), std::nullopt, 0.0});
        if (!std::isfinite(out.chi2)) {  // a start the kernel cannot compute
            out.status = FitStatus::kNonFiniteMisfit;
            return out;
        }
        if (n == 0) {  // nothing to move
            out.status = FitStatus::kConverged;
            return out;
        }

        Damping damping(options.initialDamping, options.maxDamping);
        std::size_t smallSteps = 0;  // accepted steps in a row that barely lowered χ²
        for (std::size_t iteration = 1; iteration <= options.maxIterations; ++iteration) {
            if (control.Cancelled()) {
                out.status = FitStatus::kCancelled;
                return out;
            }
            out.iterations = iteration;
            bool accepted = false;
            double decrease = 0.0;
            double predicted = 0.0;
            if (SolveStep(damping.Lambda(), predicted)) {
                uTrial_ = u + step_;
                for (std::size_t k = 0; k < shiftCount_; ++k) {
                    const auto i = static_cast<Eigen::Index>(free + k);
                    uTrial_[i] = ClampShiftUnknown(uTrial_[i]);
                }
                ToParameters(uTrial_, out.x, xTrial_);
                shiftsTrial_ = ShiftsOf(uTrial_);
                const double chi2Trial = Evaluate(xTrial_, shiftsTrial_);
                if (chi2Trial < out.chi2 && predicted > 0.0) {
                    const double chi2New = Linearise(xTrial_, shiftsTrial_);
                    if (std::isfinite(chi2New)) {
                        decrease = out.chi2 - chi2New;
                        damping.Accept(decrease / predicted);
                        u = uTrial_;
                        uNow_ = u;
                        out.x = xTrial_;
                        out.shifts = shiftsTrial_;
                        out.chi2 = chi2New;
                        accepted = true;
                    } else {
                        Linearise(out.x, out.shifts);  // its derivatives are not finite: stay where we were
                    }
                }
            }
            if (!accepted) damping.Reject();
            out.history.push_back({iteration, Rms(out.chi2, misfit_.Count()), std::nullopt, damping.Lambda()});

            progress.iteration = iteration;
            progress.rms = Rms(out.chi2, misfit_.Count());
            progress.bestRms = Rms(std::min(bestChi2, out.chi2), misfit_.Count());
            progress.multiplier = damping.Lambda();
            control.Report(progress);

            const bool exact = out.chi2 <= options.exactChi2PerValue * count;
            if (accepted) {
                smallSteps = decrease <= options.relativeTolerance * (out.chi2 + decrease) ? smallSteps + 1 : 0;
            }
            if (exact || smallSteps >= options.settledSteps) {
                out.status = FitStatus::kConverged;
                return out;
            }
            if (damping.Exhausted()) {
                // Every step was refused. At a minimum that is rounding: the undamped
                // (Gauss–Newton) step then promises less than the tolerance. Otherwise the
                // run is stuck where the misfit still falls, and says so.
                double promised = 0.0;
                const bool stationary =
                    SolveStep(kMinLambda, promised) && promised <= options.relativeTolerance * out.chi2;
                out.status = stationary ? FitStatus::kConverged : FitStatus::kDampingExhausted;
                return out;
            }
        }
        out.status = FitStatus::kMaxIterations;
        return out;
    }

private:
    // The damped step (JᵀJ + λ·D) δ = Jᵀr at the current linearisation, into step_, with the
    // decrease of χ² the linear model predicts for it. False when it cannot be solved.
    // A shift unknown on its bound whose descent points outwards is held there: its row and
    // column leave the system, so the run can settle on the bound (the trial steps are clamped).
    bool SolveStep(double lambda, double& predicted)
    {
        d_ = a_.diagonal();
        const double dFloor = std::max(d_.maxCoeff(), 1.0) * 1e-12;
        for (Eigen::Index k = 0; k < d_.size(); ++k) d_[k] = std::max(d_[k], dFloor);
        damped_ = a_;
        damped_.diagonal() += lambda * d_;
        gHeld_ = g_;
        const std::size_t free = setup_.freeIndex.size();
        for (std::size_t k = 0; k < shiftCount_; ++k) {
            const auto i = static_cast<Eigen::Index>(free + k);
            const double v = uNow_.size() > i ? uNow_[i] : 0.0;
            if (std::abs(v) < kMaxAbsLog10Shift - kShiftBoundTolerance || gHeld_[i] * v <= 0.0) continue;
            damped_.row(i).setZero();
            damped_.col(i).setZero();
            damped_(i, i) = 1.0;
            gHeld_[i] = 0.0;
        }
        solver_.compute(damped_);
        step_ = solver_.solve(gHeld_);
        if (solver_.info() != Eigen::Success || !step_.allFinite()) return false;
        predicted = step_.dot(gHeld_ + lambda * d_.cwiseProduct(step_));
        return true;
    }

    void ToParameters(const Eigen::VectorXd& u, const std::vector<double>& base, std::vector<double>& x) const
    {
        x = base;
        for (std::size_t i = 0; i < x.size(); ++i) {
            if (!setup_.free[i] && !setup_.userStart.empty()) x[i] = setup_.userStart[i];
        }
        for (std::size_t k = 0; k < setup_.freeIndex.size(); ++k) {
            const std::size_t i = setup_.freeIndex[k];
            x[i] = FromUnbounded(u[static_cast<Eigen::Index>(k)], setup_.bounds[i]);
        }
    }

    std::vector<double> ShiftsOf(const Eigen::VectorXd& u) const
    {
        const std::size_t free = setup_.freeIndex.size();
        std::vector<double> s(shiftCount_);
        for (std::size_t k = 0; k < shiftCount_; ++k) s[k] = u[static_cast<Eigen::Index>(free + k)];
        return s;
    }

    std::vector<double> ToParameters(const Eigen::VectorXd& u, const std::vector<double>& base) const
    {
        std::vector<double> x;
        ToParameters(u, base, x);
        return x;
    }

    // The model of log10 parameters x, into rho_ and h_.
    void SetModel(const std::vector<double>& x)
    {
        const std::size_t layers = setup_.layers;
        rho_.resize(layers);
        h_.resize(layers - 1);
        for (std::size_t j = 0; j < layers; ++j) rho_[j] = std::pow(10.0, x[j]);
        for (std::size_t j = 0; j + 1 < layers; ++j) h_[j] = std::pow(10.0, x[layers + j]);
    }

    double Evaluate(const std::vector<double>& x, const std::vector<double>& shifts)
    {
        SetModel(x);
        misfit_.SetShifts(shifts);
        return misfit_.Evaluate(rho_, h_);
    }

    // χ² at x with the normal equations a_ = JᵀJ, g_ = Jᵀr in the unknowns u.
    double Linearise(const std::vector<double>& x, const std::vector<double>& shifts)
    {
        SetModel(x);
        misfit_.SetShifts(shifts);
        const std::size_t n = setup_.freeIndex.size();
        slope_.resize(n);
        for (std::size_t k = 0; k < n; ++k) {
            const std::size_t i = setup_.freeIndex[k];
            slope_[k] = BoundSlope(x[i], setup_.bounds[i]);
        }
        return misfit_.EvaluateNormalEquations(rho_, h_, setup_.freeIndex, slope_, a_, g_);
    }

    Misfit& misfit_;
    const Setup& setup_;
    Eigen::MatrixXd a_, damped_;
    Eigen::VectorXd g_, gHeld_, d_, step_, uTrial_, uNow_;
    Eigen::LDLT<Eigen::MatrixXd> solver_;
    std::size_t shiftCount_ = 0;
    std::vector<double> xTrial_, shiftsTrial_, rho_, h_, slope_;
};

std::string Summary(const LayeredFitResult& r, std::size_t startsRun, std::size_t startsPlanned,
                    std::size_t maxIterations, double maxDamping)
{
    std::ostringstream s;
    s.precision(4);
    switch (r.report.status) {
    case FitStatus::kConverged: s << "converged at RMS " << r.report.rms; break;
    case FitStatus::kMaxIterations:
        s << "stopped at the limit of " << maxIterations
          << " iterations before the misfit settled, at RMS " << r.report.rms;
        break;
    case FitStatus::kCancelled: s << "cancelled; the best model so far has RMS " << r.report.rms; break;
    case FitStatus::kDampingExhausted:
        s << "did not converge: the damping passed its ceiling of " << maxDamping
          << " while the misfit was still falling, at RMS " << r.report.rms;
        break;
    default: break;
    }
    s << " after " << r.report.iterations << " iterations; best of " << startsRun << " start"
      << (startsRun == 1 ? "" : "s");
    if (startsRun < startsPlanned) s << " (of " << startsPlanned << " planned)";
    if (startsRun > 1) {
        s << ", " << r.startsNearBest << " of which reached the same misfit";
        if (r.startsNearBest < kFewStartsAtBest) s << " (" << kFewStartsNote << ")";
    }
    return s.str();
}

}  // namespace

std::size_t DefaultStarts(std::size_t layers)
{
    const std::size_t interfaces = layers > 1 ? layers - 1 : 0;
    // Above the cap the product is not formed, so that no layer count overflows it.
    if (interfaces > kMaxDefaultStarts) return kMaxDefaultStarts;
    return std::clamp(kStartsPerInterfaceSquared * interfaces * interfaces, kMinDefaultStarts,
                      kMaxDefaultStarts);
}

LayeredFitResult FitLayered(const FitData& data, const LayeredOptions& options, const RunControl& control)
{
    LayeredFitResult result;
    result.report.method = Method::kLayered;
    result.report.mode = data.mode;
    result.report.status = FitStatus::kInvalidInput;
    if (data.Count() == 0 || data.sigmas.size() != data.Count() || data.kernelRows.size() != data.Count()) {
        result.report.message = "nothing to fit: no data values";
        return result;
    }
    const ShiftDesignResult design = MakeShiftDesign(data, options.shift);
    if (!design.Ok()) {
        result.report.message = design.error;
        return result;
    }
    const bool shifted = options.shift.Active();
    Setup setup;
    if (std::string error = Prepare(data, options, design.design.Unknowns(), setup); !error.empty()) {
        result.report.message = error;
        return result;
    }
    const std::size_t layers = setup.layers;
    const std::size_t p = 2 * layers - 1;

    // With shifts, the starts follow the data with the starting factors taken out.
    std::optional<HalfSpaceEstimate> estimate;
    std::vector<double> shifts0;
    if (shifted) {
        estimate = EstimateHalfSpace(data);
        shifts0 = StartingShifts(design.design, estimate);
        result.report.niblettBostick = NiblettBostick(Unshifted(data, design.design.CurveLog10(shifts0)));
    } else {
        result.report.niblettBostick = NiblettBostick(data);
    }
    result.report.depthOfInvestigationM = DepthOfInvestigation(result.report.niblettBostick);

    // The starts: the user's model first, then seeded ones with the fixed values put in.
    std::vector<std::vector<double>> starts;
    if (!setup.userStart.empty()) starts.push_back(setup.userStart);
    const std::size_t seeded = options.starts.value_or(DefaultStarts(layers)) - starts.size();
    for (auto& s : SeededStarts(result.report.niblettBostick, layers, seeded, options.seed)) {
        for (std::size_t i = 0; i < p; ++i) {
            if (!setup.free[i]) s[i] = setup.userStart[i];
        }
        starts.push_back(std::move(s));
    }

    Misfit misfit(data);
    if (shifted) misfit.SetShiftDesign(design.design);
    StartRun runner(misfit, setup);
    StartRun::Outcome best;
    bool cancelled = false;
    std::size_t startsRun = 0;
    std::vector<double> startChi2;
    Progress progress;
    progress.method = Method::kLayered;
    progress.startCount = starts.size();
    for (std::size_t k = 0; k < starts.size(); ++k) {
        if (k > 0 && control.Cancelled()) {
            cancelled = true;
            break;
        }
        progress.start = k + 1;
        auto outcome = runner.Run(starts[k], shifts0, options, control, progress, best.chi2);
        ++startsRun;
        result.totalIterations += outcome.iterations;
        startChi2.push_back(outcome.chi2);
        result.startRms.push_back(Rms(outcome.chi2, data.Count()));
        if (outcome.status == FitStatus::kCancelled) cancelled = true;
        if (outcome.chi2 < best.chi2 || k == 0) {
            best = std::move(outcome);
            result.bestStart = k;
        }
        progress.iteration = best.iterations;
        progress.rms = result.startRms.back();
        progress.bestRms = Rms(best.chi2, data.Count());
        control.Report(progress);
        if (cancelled) break;
    }

    if (!std::isfinite(best.chi2)) {
        result = LayeredFitResult{};
        result.report.method = Method::kLayered;
        result.report.mode = data.mode;
        result.report.status = cancelled ? FitStatus::kCancelled : FitStatus::kNonFiniteMisfit;
        result.report.message =
            "the misfit is not finite at any start (the layered-earth response or the weighted residuals "
            "overflow): narrow the bounds or check the errors";
        return result;
    }

    // The uncertainty of the best model, in log10 of the parameters themselves. Fixed
    // parameters keep the user's values exactly, not as they come back through log10.
    result.model = ModelOf(best.x, layers);
    for (std::size_t i = 0; i < p; ++i) {
        if (setup.free[i]) continue;
        (i < layers ? result.model.resistivity[i] : result.model.thickness[i - layers]) =
            i < layers ? options.start->resistivity[i] : options.start->thickness[i - layers];
    }
    misfit.SetShifts(best.shifts);
    const double chi2 = misfit.EvaluateWithJacobian(result.model.resistivity, result.model.thickness);
    result.fixed.assign(p, false);
    for (std::size_t i = 0; i < p; ++i) result.fixed[i] = !setup.free[i];
    if (shifted) {
        // The shift unknowns count as parameters of the covariance; the model's figures are
        // their marginals, and each curve's factor a combination of the unknowns.
        std::vector<bool> free = setup.free;
        free.resize(p + design.design.Unknowns(), true);
        const Uncertainty all = PosteriorUncertainty(misfit.Jacobian(), free);
        std::vector<double> curveSd;
        for (std::size_t c = 0; c < design.design.Curves(); ++c) {
            std::vector<double> weights(free.size(), 0.0);
            for (std::size_t k = 0; k < design.design.Unknowns(); ++k) {
                weights[p + k] = design.design.a(static_cast<Eigen::Index>(c), static_cast<Eigen::Index>(k));
            }
            curveSd.push_back(CombinationLog10Sd(all, weights));
        }
        result.uncertainty = ModelPart(all, p);
        result.report.staticShift = MakeShiftReport(design.design, best.shifts, curveSd, estimate, data);
        result.shiftLog10 = design.design.CurveLog10(best.shifts);
    } else {
        result.uncertainty = PosteriorUncertainty(misfit.Jacobian(), setup.free);
    }
    for (double sd : result.uncertainty.log10Sd) result.sdFactor.push_back(std::pow(10.0, sd));
    for (std::size_t j = 0; j + 1 < layers; ++j) {
        const double h = result.model.thickness[j], rho = result.model.resistivity[j];
        result.products.push_back({h / rho, h * rho,
                                   CombinedLog10Sd(result.uncertainty, layers + j, j, -1.0),
                                   CombinedLog10Sd(result.uncertainty, layers + j, j, +1.0)});
    }
    const double bestRms = Rms(shifted ? misfit.DataChi2() : chi2, data.Count());
    for (double c : startChi2) {
        if (Rms(c, data.Count()) <= Rms(chi2, data.Count()) * (1.0 + kSameMinimumTolerance)) ++result.startsNearBest;
    }
    result.forwardRuns = misfit.ForwardRuns();
    result.jacobianRuns = misfit.JacobianRuns();

    auto& report = result.report;
    report.status = cancelled ? FitStatus::kCancelled : best.status;
    report.rms = bestRms;
    report.iterations = best.iterations;
    report.targetReached = bestRms <= options.targetRms;
    report.history = std::move(best.history);
    report.layers = ReportLayers(result.model);
    for (std::size_t j = 0; j < layers; ++j) {
        report.layers[j].log10RhoSd = result.uncertainty.log10Sd[j];
        if (j + 1 < layers) report.layers[j].log10ThicknessSd = result.uncertainty.log10Sd[layers + j];
    }
    report.response = ModelResponse(result.model, data.KernelFrequencies());
    report.message = Summary(result, startsRun, starts.size(), options.maxIterations, options.maxDamping);
    return result;
}

LayeredFitResult FitLayered(const sounding::Curve& curve, const LayeredOptions& options,
                            const RunControl& control)
{
    auto selected = SelectData(curve, options.data);
    if (!selected.Ok()) {
        LayeredFitResult result;
        result.report.method = Method::kLayered;
        result.report.mode = curve.mode;
        result.report.message = selected.error;
        return result;
    }
    auto result = FitLayered(selected.data, options, control);
    if (result.report.status != FitStatus::kInvalidInput) {
        std::vector<double> frequencies;
        for (const auto& r : curve.rows) {
            if (std::isfinite(r.frequencyHz) && r.frequencyHz > 0.0) frequencies.push_back(r.frequencyHz);
        }
        result.report.response = ModelResponse(result.model, frequencies);
    }
    return result;
}

}  // namespace mt1d::fitting
