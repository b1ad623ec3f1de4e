#include "jobs/SampleCurve.h"

#include "fitting/FitData.h"
#include "jobs/FitCurve.h"
#include "sampling/Prior.h"
#include "sampling/Sampler.h"

#include <cmath>
#include <utility>

namespace mt1d::jobs {

namespace {

// Both components, as the misfit of a fit of both weighs them.
fitting::SelectedData SampledData(const LoadedCurve& loaded) { return SelectLoaded(loaded, fitting::FitComponents::kBoth); }

}  // namespace

SampleRun SampleCurve(const LoadedCurve& loaded, const sampling::SamplingOptions& options,
                      const sampling::SamplingControl& control)
{
    SampleRun run;
    const fitting::SelectedData selected = SampledData(loaded);
    if (!selected.Ok()) {
        run.refusal = selected.error;
        return run;
    }
    sampling::SamplingResult result = sampling::Sample(selected.data, options, control);
    if (result.status == sampling::SamplingStatus::kInvalidInput) {
        run.refusal = result.message;
        return run;
    }
    run.record = MakeSampleRecord(loaded.site, loaded.options, options.samples, selected.data.Count(),
                                  loaded.curve.notes, std::move(result));
    return run;
}

std::optional<SampleSettings> SampleSettingsFor(const LoadedCurve& loaded, const sampling::SamplingOptions& options)
{
    const fitting::SelectedData selected = SampledData(loaded);
    if (!selected.Ok()) return std::nullopt;
    const sampling::PriorFromData made = sampling::MakePrior(selected.data, options.prior);
    if (!made.Ok()) return std::nullopt;
    // As MakeSampleRecord reads them off the run's result.
    SampleSettings s;
    s.samples = options.samples;
    s.burnIn = options.burnIn;
    s.chains = sampling::ResolvedChains(options);
    s.temperatures = options.tempering.temperatures;
    s.maxLayers = made.prior.maxInterfaces + 1;
    s.seed = options.seed;
    s.minDepthM = std::pow(10.0, made.prior.minLog10Depth);
    s.maxDepthM = std::pow(10.0, made.prior.maxLog10Depth);
    s.minRhoOhmM = std::pow(10.0, made.prior.minLog10Rho);
    s.maxRhoOhmM = std::pow(10.0, made.prior.maxLog10Rho);
    return s;
}

}  // namespace mt1d::jobs
