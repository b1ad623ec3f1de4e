#include "jobs/FitOptions.h"

namespace mt1d::jobs {

namespace {

void ResolveShift(FitOptions& r)
{
    if (r.surfaceRhoOhmM) {
        r.shift = fitting::ShiftMode::kFree;
        r.shiftReference = fitting::ShiftReference::kSurface;
        r.surfaceDepthM = r.surfaceDepthM.value_or(0.0);
    }
    if (r.shift == fitting::ShiftMode::kNone) {
        r.shiftReference.reset();
        r.surfaceRhoOhmM.reset();
        r.surfaceDepthM.reset();
        r.shiftPriorSd.reset();
        return;
    }
    r.shiftReference = r.shiftReference.value_or(fitting::ShiftReference::kMean);
    r.shiftPriorSd = r.shiftPriorSd.value_or(fitting::kDefaultShiftPriorSd);
}

}  // namespace

FitOptions Resolved(const FitOptions& options)
{
    FitOptions r = options;
    ResolveShift(r);
    if (options.method == fitting::Method::kLayered) {
        const fitting::LayeredOptions defaults;
        r.layers = options.layers.value_or(defaults.layers);
        r.maxIterations = options.maxIterations.value_or(defaults.maxIterations);
        r.starts = options.starts.value_or(fitting::DefaultStarts(*r.layers));
        r.seed = options.seed.value_or(kDefaultSeed);
        r.layerTops.clear();
        r.topDepthM.reset();
        r.bottomDepthM.reset();
        r.relativeTolerance = options.relativeTolerance.value_or(defaults.relativeTolerance);
        r.settledSteps = options.settledSteps.value_or(defaults.settledSteps);
        r.exactChi2PerValue = options.exactChi2PerValue.value_or(defaults.exactChi2PerValue);
        r.initialDamping = options.initialDamping.value_or(defaults.initialDamping);
        r.maxDamping = options.maxDamping.value_or(defaults.maxDamping);
        r.rmsTolerance.reset();
        r.roughnessTolerance.reset();
        r.stepCuts.reset();
        r.multiplierTolerance.reset();
        r.levelTolerance.reset();
        return r;
    }
    const fitting::OccamOptions defaults;
    r.layers = options.layerTops.empty() ? options.layers.value_or(defaults.mesh.layers) : options.layerTops.size();
    r.maxIterations = options.maxIterations.value_or(defaults.maxIterations);
    r.starts.reset();
    r.seed.reset();
    r.startResistivity.clear();
    r.startThickness.clear();
    r.fixed.clear();
    r.relativeTolerance.reset();
    r.settledSteps.reset();
    r.exactChi2PerValue.reset();
    r.initialDamping.reset();
    r.maxDamping.reset();
    r.rmsTolerance = options.rmsTolerance.value_or(defaults.rmsTolerance);
    r.roughnessTolerance = options.roughnessTolerance.value_or(defaults.roughnessTolerance);
    r.stepCuts = options.stepCuts.value_or(defaults.stepCuts);
    r.multiplierTolerance = options.multiplierTolerance.value_or(defaults.multiplierTolerance);
    r.levelTolerance = options.levelTolerance.value_or(defaults.levelTolerance);
    return r;
}

fitting::ShiftOptions ShiftOptionsOf(const FitOptions& options)
{
    const FitOptions r = Resolved(options);
    fitting::ShiftOptions s;
    s.mode = r.shift;
    if (r.shift == fitting::ShiftMode::kNone) return s;
    s.reference = *r.shiftReference;
    if (r.surfaceRhoOhmM) s.surface = fitting::SurfaceAnchor{*r.surfaceRhoOhmM, r.surfaceDepthM.value_or(0.0)};
    s.priorSd = r.shiftPriorSd;
    return s;
}

fitting::LayeredOptions LayeredOptionsOf(const FitOptions& options)
{
    const FitOptions r = Resolved(options);
    fitting::LayeredOptions o;
    o.shift = ShiftOptionsOf(r);
    o.layers = *r.layers;
    o.maxIterations = *r.maxIterations;
    o.starts = r.starts;
    o.seed = *r.seed;
    o.targetRms = r.targetRms;
    o.data.components = r.components;
    o.relativeTolerance = *r.relativeTolerance;
    o.settledSteps = *r.settledSteps;
    o.exactChi2PerValue = *r.exactChi2PerValue;
    o.initialDamping = *r.initialDamping;
    o.maxDamping = *r.maxDamping;
    if (!r.startResistivity.empty()) o.start = earth::LayeredModel{r.startResistivity, r.startThickness};
    o.fixed = r.fixed;
    return o;
}

fitting::OccamOptions OccamOptionsOf(const FitOptions& options)
{
    const FitOptions r = Resolved(options);
    fitting::OccamOptions o;
    o.shift = ShiftOptionsOf(r);
    o.maxIterations = *r.maxIterations;
    o.targetRms = r.targetRms;
    o.data.components = r.components;
    if (!r.layerTops.empty()) {
        o.mesh.layerTops = r.layerTops;
    } else {
        o.mesh.layers = *r.layers;
    }
    o.mesh.topDepthM = r.topDepthM;
    o.mesh.bottomDepthM = r.bottomDepthM;
    o.rmsTolerance = *r.rmsTolerance;
    o.roughnessTolerance = *r.roughnessTolerance;
    o.stepCuts = *r.stepCuts;
    o.multiplierTolerance = *r.multiplierTolerance;
    o.levelTolerance = *r.levelTolerance;
    return o;
}

}  // namespace mt1d::jobs
