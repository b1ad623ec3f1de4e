#include "fitting/OccamFit.h"

#include "fitting/Misfit.h"
#include "fitting/MultiplierFamily.h"
#include "fitting/MultiplierSearch.h"
#include "fitting/NiblettBostick.h"
#include "fitting/StaticShift.h"
#include "fitting/Uncertainty.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>

namespace mt1d::fitting {

namespace {

// One model of the run with its scores.
struct State {
    Eigen::VectorXd m;  // log10 ρ per layer, then the shift design's unknowns
    double rms = std::numeric_limits<double>::infinity();
    double roughness = 0.0;
    double multiplier = 0.0;
};

std::string Number(double v)
{
    std::ostringstream s;
    s << v;
    return s.str();
}

std::string CheckOptions(const FitData& data, const OccamOptions& o, std::size_t layers)
{
    if (data.Count() == 0) return "nothing to fit: no data values";
    if (!std::isfinite(o.targetRms) || o.targetRms <= 0.0) return "the target RMS must be finite and positive";
    if (!std::isfinite(o.chi2Slack) || o.chi2Slack < 0.0) {
        return "the chi-square slack must be finite and not negative";
    }
    if (!(o.rmsTolerance >= 0.0 && o.rmsTolerance < 1.0)) {
        return "the RMS tolerance " + Number(o.rmsTolerance) + " must lie from 0 up to (not including) 1";
    }
    if (!(o.roughnessTolerance >= 0.0 && o.roughnessTolerance < 1.0)) {
        return "the roughness tolerance " + Number(o.roughnessTolerance) + " must lie from 0 up to (not including) 1";
    }
    if (o.stepCuts > kMaxStepCuts) {
        return "the step cuts must be at most " + std::to_string(kMaxStepCuts) + ", not " + std::to_string(o.stepCuts);
    }
    if (!(o.multiplierTolerance >= kMinMultiplierTolerance && o.multiplierTolerance <= kMaxMultiplierTolerance)) {
        return "the multiplier tolerance " + Number(o.multiplierTolerance) + " must lie from " +
               Number(kMinMultiplierTolerance) + " to " + Number(kMaxMultiplierTolerance) + " decades";
    }
    if (!(o.levelTolerance >= kMinLevelTolerance && o.levelTolerance <= kMaxLevelTolerance)) {
        return "the level tolerance " + Number(o.levelTolerance) + " must lie from " + Number(kMinLevelTolerance) +
               " to " + Number(kMaxLevelTolerance);
    }
    if (!o.startResistivity.empty()) {
        if (o.startResistivity.size() != layers) {
            return "the starting model has " + std::to_string(o.startResistivity.size()) +
                   " resistivities for " + std::to_string(layers) + " layers";
        }
        for (std::size_t j = 0; j < layers; ++j) {
            const double v = o.startResistivity[j];
            if (!std::isfinite(v) || v <= 0.0) {
                return "the starting resistivity of layer " + std::to_string(j + 1) + " must be finite and positive";
            }
        }
    }
    return {};
}

class Occam {
public:
    Occam(const FitData& data, std::vector<double> thickness, RoughnessKind kind, const ShiftDesign* shift)
        : misfit_(data),
          thickness_(std::move(thickness)),
          kind_(kind),
          family_(RoughnessOperator(thickness_.size() + 1, kind))
    {
        const std::size_t n = thickness_.size() + 1;
        layers_ = n;
        if (shift != nullptr) {
            misfit_.SetShiftDesign(*shift);
            shifts_ = shift->Unknowns();
        }
        const Eigen::MatrixXd d = RoughnessOperator(n, kind);
        // The roughness does not see the shift unknowns; their priors (rows of the misfit)
        // hold them.
        c_ = Eigen::MatrixXd::Zero(static_cast<Eigen::Index>(n + shifts_), static_cast<Eigen::Index>(n + shifts_));
        c_.topLeftCorner(static_cast<Eigen::Index>(n), static_cast<Eigen::Index>(n)) = d.transpose() * d;
        traceC_ = c_.trace();
        rho_.resize(n);
        // Phase alone hardly sees a uniform shift of log10 ρ, the direction the roughness does
        // not penalise: the reduction would divide by that faint sensitivity, so such fits
        // solve each multiplier directly.
        seesUniformShift_ = data.components != FitComponents::kPhase;
    }

    Misfit& Data() { return misfit_; }

    State Score(const Eigen::VectorXd& m, double multiplier)
    {
        State s;
        s.m = m;
        const auto n = static_cast<Eigen::Index>(layers_);
        s.m.head(n) = m.head(n).cwiseMax(kOccamMinLog10Rho).cwiseMin(kOccamMaxLog10Rho);
        for (std::size_t k = 0; k < shifts_; ++k) {
            const auto i = n + static_cast<Eigen::Index>(k);
            s.m[i] = ClampShiftUnknown(m[i]);
        }
        for (Eigen::Index j = 0; j < n; ++j) rho_[static_cast<std::size_t>(j)] = std::pow(10.0, s.m[j]);
        if (shifts_ > 0) misfit_.SetShifts({s.m.data() + layers_, shifts_});
        s.rms = Rms(misfit_.Evaluate(rho_, thickness_), misfit_.Count());
        s.roughness = Roughness({s.m.data(), layers_}, kind_);
        s.multiplier = multiplier;
        return s;
    }

    // Linearises at m: after this, Candidate(x) gives the model of multiplier 10^x. One
    // reduction serves every multiplier (MultiplierFamily.h); where it does not apply, each
    // multiplier solves (JᵀJ + μ∂ᵀ∂) m = Jᵀd directly.
    void Linearise(const Eigen::VectorXd& m)
    {
        for (std::size_t j = 0; j < layers_; ++j) rho_[j] = std::pow(10.0, m[static_cast<Eigen::Index>(j)]);
        if (shifts_ > 0) misfit_.SetShifts({m.data() + layers_, shifts_});
        misfit_.EvaluateWithJacobian(rho_, thickness_, layers_);
        const Eigen::MatrixXd& j = misfit_.Jacobian();
        d_ = misfit_.Residuals() + j * m;
        // The reduction serves the roughness of the layers alone: with shift unknowns each
        // multiplier is solved directly.
        direct_ = !seesUniformShift_ || shifts_ > 0 || !family_.Prepare(j, d_);
        if (direct_) {
            b_ = j.transpose() * j;
            rhs_ = j.transpose() * d_;
            // The trace of the product itself, not |J|² summed in another order: phase alone
            // leaves the uniform shift to rounding, and a start of the search one rounding
            // away leads such a fit elsewhere.
            traceB_ = b_.trace();
        } else {
            traceB_ = j.squaredNorm();
        }
        cache_.clear();
    }

    // log10 of the multiplier that balances the data and roughness terms: the centre of the
    // search range.
    double Balance() const
    {
        if (!(traceC_ > 0.0) || !(traceB_ > 0.0)) return 0.0;
        return std::log10(traceB_ / traceC_);
    }

    double CandidateRms(double log10Mu)
    {
        const double mu = std::pow(10.0, log10Mu);
        Eigen::VectorXd m;
        bool solved = false;
        if (!direct_) {
            solved = family_.Solve(mu, m);
        } else {
            const Eigen::MatrixXd a = b_ + mu * c_;
            const Eigen::LDLT<Eigen::MatrixXd> solver(a);
            m = solver.solve(rhs_);
            solved = solver.info() == Eigen::Success && m.allFinite();
        }
        if (!solved) {
            cache_.push_back({log10Mu, State{}});
            return std::numeric_limits<double>::infinity();
        }
        cache_.push_back({log10Mu, Score(m, mu)});
        return cache_.back().second.rms;
    }

    // The model sampled at log10Mu; an empty one (rms +∞) if there was none or it failed.
    State Candidate(double log10Mu) const
    {
        for (const auto& entry : cache_) {
            if (entry.first == log10Mu) return entry.second;
        }
        return State{};
    }

private:
    Misfit misfit_;
    std::size_t layers_ = 0, shifts_ = 0;
    std::vector<double> thickness_;
    RoughnessKind kind_;
    MultiplierFamily family_;
    bool direct_ = true;
    bool seesUniformShift_ = true;
    Eigen::MatrixXd c_, b_;
    Eigen::VectorXd rhs_, d_;
    double traceB_ = 0.0, traceC_ = 0.0;
    std::vector<double> rho_;
    std::vector<std::pair<double, State>> cache_;
};

// What the run knows when it ends, for its message.
struct Ending {
    FitStatus status = FitStatus::kMaxIterations;
    std::size_t iterations = 0;
    double target = 1.0;
    std::size_t maxIterations = 0;
    std::optional<double> smallestRms;  // set once the target was given up as out of reach
    bool relaxed = false;               // and the run then went on at the relaxed level
    double chi2Slack = 0.0;
};

std::string Summary(const Ending& e, const State& s)
{
    std::ostringstream o;
    o.precision(4);
    const bool atTarget = s.rms <= e.target;
    if (e.status == FitStatus::kCancelled) {
        o << "cancelled; the model so far has RMS " << s.rms << ", roughness " << s.roughness;
    } else if (atTarget) {
        if (e.status == FitStatus::kMaxIterations) {
            o << "stopped at the limit of " << e.maxIterations << " iterations at the target RMS " << e.target
              << " (RMS " << s.rms << ", roughness " << s.roughness << ") before the model stopped smoothing";
        } else {
            o << "reached the target RMS " << e.target << " with the smoothest model found: RMS " << s.rms
              << ", roughness " << s.roughness;
        }
    } else {
        o << "the target RMS " << e.target << " was not reached";
        if (e.status == FitStatus::kMaxIterations) o << " within the limit of " << e.maxIterations << " iterations";
        if (e.smallestRms && e.relaxed) {
            o << ": the misfit stopped falling at RMS " << *e.smallestRms << "; the smoothest model within "
              << e.chi2Slack << " of its chi-square has RMS " << s.rms << ", roughness " << s.roughness;
        } else if (e.smallestRms) {
            o << ": the misfit stopped falling at RMS " << *e.smallestRms
              << ", with no iteration left to smooth the model at that level: RMS " << s.rms << ", roughness "
              << s.roughness;
        } else {
            o << ": RMS " << s.rms << ", roughness " << s.roughness;
        }
    }
    o << " after " << e.iterations << " iteration" << (e.iterations == 1 ? "" : "s");
    return o.str();
}

}  // namespace

OccamFitResult FitOccam(const FitData& data, const OccamOptions& options, const RunControl& control)
{
    OccamFitResult result;
    auto& report = result.report;
    report.method = Method::kOccam;
    report.mode = data.mode;
    report.status = FitStatus::kInvalidInput;
    if (data.Count() == 0) {
        report.message = "nothing to fit: no data values";
        return result;
    }
    const Mesh mesh = SmoothMesh(data, options.mesh);
    if (!mesh.Ok()) {
        report.message = mesh.error;
        return result;
    }
    const std::size_t n = mesh.tops.size();
    if (std::string error = CheckOptions(data, options, n); !error.empty()) {
        report.message = error;
        return result;
    }
    report.niblettBostick = NiblettBostick(data);
    report.depthOfInvestigationM = DepthOfInvestigation(report.niblettBostick);
    result.layerTops = mesh.tops;
    const double target = options.targetRms;

    const ShiftDesignResult design = MakeShiftDesign(data, options.shift);
    if (!design.Ok()) {
        report.message = design.error;
        return result;
    }
    const bool shifted = options.shift.Active();
    const std::size_t shiftUnknowns = design.design.Unknowns();
    std::optional<HalfSpaceEstimate> estimate;
    std::vector<double> shifts0;
    if (shifted) {
        estimate = EstimateHalfSpace(data);
        shifts0 = StartingShifts(design.design, estimate);
    }
    Occam occam(data, ThicknessesOf(mesh.tops), options.roughness, shifted ? &design.design : nullptr);
    Eigen::VectorXd m0(static_cast<Eigen::Index>(n + shiftUnknowns));
    if (options.startResistivity.empty()) {
        // The geometric mean of the observed ρa, each curve's taken at its starting factor.
        const std::vector<double> level = shifted ? design.design.CurveLog10(shifts0) : std::vector<double>{};
        double mean = 0.0;
        for (std::size_t i = 0; i < data.rhoA.size(); ++i) {
            mean += std::log10(data.rhoA[i]) - (shifted ? level[data.CurveOfRow(i)] : 0.0);
        }
        m0.head(static_cast<Eigen::Index>(n)).setConstant(mean / static_cast<double>(data.rhoA.size()));
    } else {
        for (std::size_t j = 0; j < n; ++j) m0[static_cast<Eigen::Index>(j)] = std::log10(options.startResistivity[j]);
    }
    for (std::size_t k = 0; k < shiftUnknowns; ++k) m0[static_cast<Eigen::Index>(n + k)] = shifts0[k];
    State current = occam.Score(m0, 0.0);
    if (!std::isfinite(current.rms)) {
        report.status = FitStatus::kNonFiniteMisfit;
        report.message =
            "the misfit of the starting model is not finite (the layered-earth response or the weighted "
            "residuals overflow): check the errors and the starting model";
        return result;
    }
    report.history.push_back({0, current.rms, current.roughness, 0.0});

    Progress progress;
    progress.method = Method::kOccam;
    Ending ending;
    ending.target = target;
    ending.maxIterations = options.maxIterations;
    ending.chi2Slack = options.chi2Slack;
    // The RMS each iteration aims at: the target, or, once the target proves out of reach,
    // the smallest RMS found plus the χ² slack.
    double level = target;
    const double count = static_cast<double>(data.Count());
    std::size_t accepted = 0;
    double log10Mu = 0.0;
    std::vector<State> visited{current};  // every accepted model
    bool linearised = false;               // the linearisation belongs to the current model
    // When the RMS stops falling above the target: relax the level once, and go on from the
    // smoothest model so far that meets it (the last models are often the roughest, and the
    // smoothing works best from a smooth one); or give up.
    const auto stalled = [&](const State& at) {
        if (ending.smallestRms || options.chi2Slack <= 0.0) return false;
        ending.smallestRms = at.rms;
        // Going back is an iteration too: at the limit the run ends with the model it has.
        if (accepted >= options.maxIterations) return true;
        ending.relaxed = true;
        level = std::sqrt((at.rms * at.rms * count + options.chi2Slack) / count);
        const State* smoothest = &current;
        for (const auto& v : visited) {
            if (v.rms <= level && v.roughness < smoothest->roughness) smoothest = &v;
        }
        if (smoothest != &current) {
            // Going back counts as an iteration, so that the history ends with the model given.
            current = *smoothest;
            linearised = false;
            if (current.multiplier > 0.0) log10Mu = std::log10(current.multiplier);  // 0 for the start
            ++accepted;
            report.history.push_back({accepted, current.rms, current.roughness, current.multiplier});
        }
        return true;
    };
    bool finished = false;
    SearchRange range;
    const auto rmsAt = [&occam](double x) { return occam.CandidateRms(x); };
    const auto smallestRms = [&](double from) {
        return SmallestRms(rmsAt, from, range, options.multiplierTolerance);
    };
    const auto largestWithin = [&](MultiplierSample from) {
        return LargestWithin(rmsAt, from, level, range, options.levelTolerance);
    };
    // Every pass accepts a model or ends the run, but for the one pass that finds the misfit
    // stalled and relaxes the level: the count of accepted models alone bounds the run.
    bool firstPass = true;
    while (accepted < options.maxIterations && !finished) {
        if (control.Cancelled()) {
            ending.status = FitStatus::kCancelled;
            break;
        }
        if (!linearised) occam.Linearise(current.m);
        linearised = true;
        if (firstPass) {
            firstPass = false;
            const double centre = occam.Balance();
            range = {centre - 8.0, centre + 8.0};
            log10Mu = centre;
        }
        const bool wasAtLevel = current.rms <= level;
        const auto settle = [&] {
            ending.status = ending.smallestRms ? FitStatus::kTargetNotReached : FitStatus::kTargetReached;
            finished = true;
        };
        MultiplierSample chosen;
        State next;  // empty (rms +∞) until a candidate is found
        if (wasAtLevel) {
            // Phase 2: the largest multiplier that holds the level.
            const MultiplierSample here{log10Mu, rmsAt(log10Mu)};
            if (here.rms <= level) {
                chosen = largestWithin(here);
                next = occam.Candidate(chosen.log10Mu);
            } else {
                const MultiplierSample least = smallestRms(log10Mu);
                if (least.rms <= level) {
                    chosen = largestWithin(least);
                    next = occam.Candidate(chosen.log10Mu);
                }
            }
            if (!(next.roughness < current.roughness) || next.m.size() != current.m.size()) {
                // The linearisation at a rough model may hold the level at no multiplier, or
                // only with a rougher model: step from the current model towards the smoother
                // model of the last multiplier, as far as the level allows. Roughness is
                // convex, so any such step smooths.
                const State smoother = occam.Candidate(log10Mu);
                next = State{};
                chosen = {log10Mu, smoother.rms};
                if (smoother.m.size() == current.m.size() && smoother.roughness < current.roughness) {
                    double fraction = 1.0;
                    for (std::size_t k = 0; k < options.stepCuts && next.m.size() == 0; ++k) {
                        fraction *= 0.5;
                        State trial = occam.Score(current.m + fraction * (smoother.m - current.m), smoother.multiplier);
                        if (trial.rms <= level && trial.roughness < current.roughness) next = std::move(trial);
                    }
                }
                if (next.m.size() == 0) {
                    settle();  // no smoother model at the level
                    break;
                }
            }
        } else {
            // Phase 1: the smallest misfit, or the smoothest model at the level when it gets there.
            chosen = smallestRms(log10Mu);
            if (chosen.rms <= level) chosen = largestWithin(chosen);
            next = occam.Candidate(chosen.log10Mu);  // empty when every multiplier failed
            if (next.m.size() == current.m.size() && !(next.rms < current.rms)) {
                // The linearisation overshoots: step back towards the current model.
                const State cut = std::move(next);
                next = State{};
                double fraction = 1.0;
                for (std::size_t k = 0; k < options.stepCuts && !(next.rms < current.rms); ++k) {
                    fraction *= 0.5;
                    next = occam.Score(current.m + fraction * (cut.m - current.m), cut.multiplier);
                }
            }
            if (!(next.rms < current.rms)) {
                if (!stalled(current)) {
                    ending.status = FitStatus::kTargetNotReached;
                    break;
                }
                continue;  // the same model, now at the relaxed level
            }
        }

        const State previous = std::move(current);
        current = std::move(next);
        visited.push_back(current);
        linearised = false;
        log10Mu = chosen.log10Mu;
        ++accepted;
        report.history.push_back({accepted, current.rms, current.roughness, current.multiplier});
        progress.iteration = accepted;
        progress.rms = progress.bestRms = current.rms;
        progress.roughness = current.roughness;
        progress.multiplier = current.multiplier;
        control.Report(progress);

        if (current.rms <= level) {
            if (wasAtLevel &&
                previous.roughness - current.roughness <= options.roughnessTolerance * previous.roughness) {
                settle();
            }
        } else if (previous.rms - current.rms <= options.rmsTolerance * previous.rms && !stalled(current)) {
            ending.status = FitStatus::kTargetNotReached;
            finished = true;
        }
    }
    ending.iterations = accepted;

    for (std::size_t j = 0; j < n; ++j) result.model.resistivity.push_back(std::pow(10.0, current.m[static_cast<Eigen::Index>(j)]));
    result.model.thickness = ThicknessesOf(mesh.tops);
    result.multiplier = current.multiplier;
    result.forwardRuns = occam.Data().ForwardRuns();
    result.jacobianRuns = occam.Data().JacobianRuns();
    report.status = ending.status;
    report.rms = current.rms;
    report.roughness = current.roughness;
    report.iterations = accepted;
    report.targetReached = current.rms <= target;
    report.layers = ReportLayers(result.model);
    report.response = ModelResponse(result.model, data.KernelFrequencies());
    report.message = Summary(ending, current);
    if (shifted) {
        // The misfit at the final model, for the data's RMS and the factors' standard errors
        // (linearised, with the roughness left out: what the data and the priors say).
        const Eigen::VectorXd& m = current.m;
        occam.Linearise(m);
        const Misfit& misfit = occam.Data();
        report.rms = Rms(misfit.DataChi2(), data.Count());
        std::vector<bool> free(n + shiftUnknowns, true);
        const Uncertainty all = PosteriorUncertainty(misfit.Jacobian(), free);
        std::vector<double> curveSd;
        for (std::size_t c = 0; c < design.design.Curves(); ++c) {
            std::vector<double> weights(free.size(), 0.0);
            for (std::size_t k = 0; k < shiftUnknowns; ++k) {
                weights[n + k] = design.design.a(static_cast<Eigen::Index>(c), static_cast<Eigen::Index>(k));
            }
            curveSd.push_back(CombinationLog10Sd(all, weights));
        }
        const std::vector<double> u(m.data() + n, m.data() + n + shiftUnknowns);
        report.staticShift = MakeShiftReport(design.design, u, curveSd, estimate, data);
        result.shiftLog10 = design.design.CurveLog10(u);
    }
    return result;
}

OccamFitResult FitOccam(const sounding::Curve& curve, const OccamOptions& options, const RunControl& control)
{
    auto selected = SelectData(curve, options.data);
    if (!selected.Ok()) {
        OccamFitResult result;
        result.report.method = Method::kOccam;
        result.report.mode = curve.mode;
        result.report.message = selected.error;
        return result;
    }
    auto result = FitOccam(selected.data, options, control);
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
