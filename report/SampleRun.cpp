#include "report/SampleRun.h"

#include "fitting/FitData.h"
#include "sampling/Sampler.h"

#include <utility>

namespace mt1d::report {

SampleRun SampleCurve(const SiteSummary& site, const CurveSettings& settings, const sounding::Curve& curve,
                      const sampling::SamplingOptions& options, const sampling::SamplingControl& control)
{
    SampleRun run;
    // Both components, as the misfit of a fit of both weighs them.
    const fitting::SelectedData selected = fitting::SelectData(curve, {});
    if (!selected.Ok()) {
        run.refusal = selected.error;
        return run;
    }
    sampling::SamplingResult result = sampling::Sample(selected.data, options, control);
    if (result.status == sampling::SamplingStatus::kInvalidInput) {
        run.refusal = result.message;
        return run;
    }
    run.record = MakeSampleRecord(site, settings, options.samples, selected.data.Count(), curve.notes, std::move(result));
    return run;
}

}  // namespace mt1d::report
