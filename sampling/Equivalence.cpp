#include "sampling/Equivalence.h"

#include "fitting/Misfit.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <sstream>

namespace mt1d::sampling {

std::string_view ToString(EquivalenceStatus status)
{
    switch (status) {
    case EquivalenceStatus::kCompleted: return "completed";
    case EquivalenceStatus::kCancelled: return "cancelled";
    case EquivalenceStatus::kInvalidInput: return "invalid-input";
    }
    return "unknown";
}

namespace {

// The first step away from the fitted value, in decades: the standard error, kept between a
// step that the bisection would not need and one that jumps past a narrow valley.
constexpr double kMinFirstStep = 0.02;
constexpr double kMaxFirstStep = 0.5;
// Outward steps double at most this often before the search gives up on reaching the limit
// (2^40 times the first step is beyond any bound).
constexpr std::size_t kMaxOutwardSteps = 40;

double& Parameter(earth::LayeredModel& m, std::size_t i)
{
    const std::size_t layers = m.resistivity.size();
    return i < layers ? m.resistivity[i] : m.thickness[i - layers];
}

double Parameter(const earth::LayeredModel& m, std::size_t i)
{
    const std::size_t layers = m.resistivity.size();
    return i < layers ? m.resistivity[i] : m.thickness[i - layers];
}

struct ProfilePoint {
    double rms = 0.0;
    earth::LayeredModel model;
};

class Profiler {
public:
    Profiler(const fitting::FitData& data, const fitting::LayeredFitResult& fit,
             std::vector<fitting::ParameterBounds> bounds, std::size_t maxIterations,
             const fitting::RunControl& control)
        : data_(data), fit_(fit), bounds_(std::move(bounds)), maxIterations_(maxIterations), control_(control)
    {
    }

    // The best model with parameter i fixed at 10^x, started from `warm`; nullopt when the fit
    // was refused or cancelled.
    std::optional<ProfilePoint> At(std::size_t i, double x, const earth::LayeredModel& warm)
    {
        fitting::LayeredOptions o;
        o.layers = fit_.model.resistivity.size();
        o.start = warm;
        Parameter(*o.start, i) = std::pow(10.0, x);
        o.fixed = fit_.fixed;
        o.fixed[i] = true;
        o.bounds = bounds_;
        o.starts = 1;
        o.maxIterations = maxIterations_;
        fitting::RunControl inner;
        inner.cancel = control_.cancel;
        const auto r = fitting::FitLayered(data_, o, inner);
        ++fits;
        if (r.report.status == fitting::FitStatus::kInvalidInput || r.report.status == fitting::FitStatus::kCancelled) {
            error = r.report.message;
            return std::nullopt;
        }
        return ProfilePoint{r.report.rms, r.model};
    }

    std::size_t fits = 0;
    std::string error;

private:
    const fitting::FitData& data_;
    const fitting::LayeredFitResult& fit_;
    std::vector<fitting::ParameterBounds> bounds_;
    std::size_t maxIterations_;
    const fitting::RunControl& control_;
};

struct End {
    double log10Value = 0.0;
    bool atBound = false;
    earth::LayeredModel model;
    bool ok = true;
};

// One end of the range of parameter i, searching in direction `sign` (±1).
End SearchEnd(Profiler& profiler, std::size_t i, double sign, double firstStep, double bound, double limit,
              double resolution, const earth::LayeredModel& best)
{
    End end;
    end.log10Value = std::log10(Parameter(best, i));
    end.model = best;
    double step = firstStep;
    std::optional<double> outside;
    for (std::size_t k = 0; k < kMaxOutwardSteps && !outside; ++k) {
        double x = end.log10Value + sign * step;
        const bool toBound = sign * (x - bound) >= 0.0;
        if (toBound) x = bound;
        const auto p = profiler.At(i, x, end.model);
        if (!p) {
            end.ok = false;
            return end;
        }
        if (p->rms <= limit) {
            end.log10Value = x;
            end.model = p->model;
            if (toBound) {
                end.atBound = true;
                return end;
            }
            step *= 2.0;
        } else {
            outside = x;
        }
    }
    if (!outside) return end;
    while (std::abs(*outside - end.log10Value) > resolution) {
        const double mid = 0.5 * (end.log10Value + *outside);
        const auto p = profiler.At(i, mid, end.model);
        if (!p) {
            end.ok = false;
            return end;
        }
        if (p->rms <= limit) {
            end.log10Value = mid;
            end.model = p->model;
        } else {
            outside = mid;
        }
    }
    return end;
}

std::string Check(const fitting::LayeredFitResult& fit, const fitting::FitData& data, const EquivalenceOptions& o)
{
    if (fit.report.status == fitting::FitStatus::kInvalidInput || fit.model.resistivity.empty()) {
        return "no layered fit to take ranges of";
    }
    const std::size_t layers = fit.model.resistivity.size();
    const std::size_t p = 2 * layers - 1;
    if (fit.model.thickness.size() + 1 != layers || fit.fixed.size() != p || fit.uncertainty.log10Sd.size() != p) {
        return "the layered fit is incomplete: its model, fixed flags and errors differ in size";
    }
    if (data.Count() == 0) return "no data: the ranges need the data the model was fitted to";
    if (!std::isfinite(o.tolerance) || !(o.tolerance > 0.0)) return "the RMS tolerance must be finite and positive";
    if (!std::isfinite(o.resolution) || !(o.resolution > 0.0)) return "the resolution must be finite and positive";
    if (!o.bounds.empty() && o.bounds.size() != p) {
        return "bounds: " + std::to_string(layers) + " layers have " + std::to_string(p) + " parameters, got " +
               std::to_string(o.bounds.size()) + " bounds";
    }
    return {};
}

}  // namespace

EquivalenceResult EquivalenceRanges(const fitting::LayeredFitResult& fit, const fitting::FitData& data,
                                    const EquivalenceOptions& options, const fitting::RunControl& control)
{
    EquivalenceResult result;
    if (std::string error = Check(fit, data, options); !error.empty()) {
        result.message = error;
        return result;
    }
    const std::size_t layers = fit.model.resistivity.size();
    const std::size_t p = 2 * layers - 1;

    // The bounds every constrained fit keeps, fixed once so the fits do not widen them.
    std::vector<fitting::ParameterBounds> bounds = options.bounds;
    if (bounds.empty()) {
        for (std::size_t i = 0; i < p; ++i) {
            fitting::ParameterBounds b = i < layers ? fitting::kDefaultResistivityBounds : fitting::kDefaultThicknessBounds;
            const double v = Parameter(fit.model, i);
            if (v < b.lower) b.lower = v / 10.0;
            if (v > b.upper) b.upper = v * 10.0;
            bounds.push_back(b);
        }
    }

    fitting::Misfit misfit(data);
    result.bestRms = fitting::Rms(misfit.Evaluate(fit.model.resistivity, fit.model.thickness), data.Count());
    result.rmsLimit = (1.0 + options.tolerance) * result.bestRms;

    Profiler profiler(data, fit, bounds, options.maxIterations, control);
    bool cancelled = false;
    for (std::size_t i = 0; i < p; ++i) {
        ParameterRange r;
        r.layer = i < layers ? i : i - layers;
        r.thickness = i >= layers;
        r.fixed = fit.fixed[i];
        r.value = r.lower = r.upper = Parameter(fit.model, i);
        r.log10Sd = fit.uncertainty.log10Sd[i];
        r.sdFactor = std::pow(10.0, r.log10Sd);
        r.lowerModel = r.upperModel = fit.model;
        if (!r.fixed && !cancelled) {
            const double first = std::clamp(r.log10Sd, kMinFirstStep, kMaxFirstStep);
            const End low = SearchEnd(profiler, i, -1.0, first, std::log10(bounds[i].lower), result.rmsLimit,
                                      options.resolution, fit.model);
            const End high = low.ok ? SearchEnd(profiler, i, +1.0, first, std::log10(bounds[i].upper),
                                                result.rmsLimit, options.resolution, fit.model)
                                    : End{};
            if (!low.ok || !high.ok) {
                if (!control.Cancelled()) {
                    result.status = EquivalenceStatus::kInvalidInput;
                    result.message = "a constrained fit was refused: " + profiler.error;
                    result.parameters.clear();
                    result.fits = profiler.fits;
                    return result;
                }
                cancelled = true;
            } else {
                r.lower = std::pow(10.0, low.log10Value);
                r.upper = std::pow(10.0, high.log10Value);
                r.lowerAtBound = low.atBound;
                r.upperAtBound = high.atBound;
                r.lowerModel = low.model;
                r.upperModel = high.model;
            }
        }
        result.parameters.push_back(std::move(r));
    }
    result.fits = profiler.fits;
    std::ostringstream s;
    s.precision(4);
    if (cancelled) {
        result.status = EquivalenceStatus::kCancelled;
        s << "cancelled after " << result.fits << " constrained fits; ranges not searched equal the fitted values";
    } else {
        result.status = EquivalenceStatus::kCompleted;
        s << "ranges of models within RMS " << result.rmsLimit << " (" << options.tolerance * 100.0
          << " % above the fit's " << result.bestRms << "), from " << result.fits << " constrained fits";
    }
    result.message = s.str();
    return result;
}

}  // namespace mt1d::sampling
