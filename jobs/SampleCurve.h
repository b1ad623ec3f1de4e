#pragma once
// One sampling run of a loaded curve, from the curve to the record that `mt1d sample` prints
// and a batch writes per site: the usable rows (log10 ρa and phase, each weighted by its
// error, as the fits weight them), the sampler, and the record.

#include "jobs/LoadCurve.h"
#include "jobs/SampleRecord.h"
#include "sampling/SamplingOptions.h"

#include <optional>
#include <string>

namespace mt1d::jobs {

struct SampleRun {
    // The run, completed or cancelled (result.status says which); empty when refused.
    std::optional<SampleRecord> record;
    // Why the curve cannot be sampled: no usable rows, or options that make no prior (bounds
    // the wrong way round, fewer samples than chains). One sentence, without a prefix.
    std::string refusal;
};

// Never throws for a curve or options it cannot use: that is the refusal.
SampleRun SampleCurve(const LoadedCurve& loaded, const sampling::SamplingOptions& options,
                      const sampling::SamplingControl& control = {});

// The settings a run of `options` on this curve records (the prior's depth bounds taken from
// the data where not given), or nothing when the curve cannot be sampled: what a resumed batch
// compares with an earlier run's record.
std::optional<SampleSettings> SampleSettingsFor(const LoadedCurve& loaded, const sampling::SamplingOptions& options);

}  // namespace mt1d::jobs
