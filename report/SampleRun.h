#pragma once
// One sampling run of a derived curve, from the curve to the record that `mt1d sample` prints
// and a batch writes per site: the usable rows (log10 ρa and phase, each weighted by its
// error, as the fits weight them), the sampler, and the record. Both `mt1d sample` and
// `mt1d batch --method sample` call this, so that a batch's file is the command's output.

#include "sounding/CurveDerivation.h"
#include "report/FitRecord.h"
#include "report/SampleRecord.h"
#include "sampling/SamplingOptions.h"
#include "report/SiteSummary.h"

#include <optional>
#include <string>

namespace mt1d::report {

struct SampleRun {
    // The run, completed or cancelled (result.status says which); empty when refused.
    std::optional<SampleRecord> record;
    // Why the curve cannot be sampled: no usable rows, or options that make no prior (bounds
    // the wrong way round, fewer samples than chains). One sentence, without a prefix.
    std::string refusal;
};

// Never throws for a curve or options it cannot use: that is the refusal.
SampleRun SampleCurve(const SiteSummary& site, const CurveSettings& settings, const sounding::Curve& curve,
                      const sampling::SamplingOptions& options, const sampling::SamplingControl& control = {});

}  // namespace mt1d::report
