#include "jobs/FitOptions.h"

namespace mt1d::jobs {

FitOptions Resolved(const FitOptions& options)
{
    FitOptions r = options;
    if (options.method == fitting::Method::kLayered) {
        const fitting::LayeredOptions defaults;
        r.layers = options.layers.value_or(defaults.layers);
        r.maxIterations = options.maxIterations.value_or(defaults.maxIterations);
        r.starts = options.starts.value_or(fitting::DefaultStarts(*r.layers));
        r.seed = options.seed.value_or(kDefaultSeed);
        r.layerTops.clear();
        r.topDepthM.reset();
        r.bottomDepthM.reset();
        return r;
    }
    const fitting::OccamOptions defaults;
    r.layers = options.layerTops.empty() ? options.layers.value_or(defaults.mesh.layers) : options.layerTops.size();
    r.maxIterations = options.maxIterations.value_or(defaults.maxIterations);
    r.starts.reset();
    r.seed.reset();
    return r;
}

fitting::LayeredOptions LayeredOptionsOf(const FitOptions& options)
{
    const FitOptions r = Resolved(options);
    fitting::LayeredOptions o;
    o.layers = *r.layers;
    o.maxIterations = *r.maxIterations;
    o.starts = r.starts;
    o.seed = *r.seed;
    o.targetRms = r.targetRms;
    o.data.components = r.components;
    return o;
}

fitting::OccamOptions OccamOptionsOf(const FitOptions& options)
{
    const FitOptions r = Resolved(options);
    fitting::OccamOptions o;
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
    return o;
}

}  // namespace mt1d::jobs
