#pragma once
// What `mt1d batch` runs for every site, read from its fit and sample options: a fit (--method
// occam or layered, with the options of mt1d fit) or a sampling run (--method sample, with the
// options of mt1d sample and the fit's --seed). The batch command and the Python module's
// survey pieces (examples/dask_survey.py) both check the options here, so that both refuse
// the same combinations with the same messages.
//
//     AddFitOptions(*command, fitValues);
//     AddSampleOptions(*command, sampleValues, SampleSeedOption::kShared);
//     ...                                          // once parsed:
//     const BatchMethod method = ParseBatchMethod(*command, fitValues, sampleValues);

#include "cli/FitOptions.h"
#include "cli/SampleOptions.h"
#include "jobs/FitOptions.h"
#include "sampling/SamplingOptions.h"

#include <CLI/CLI.hpp>

#include <optional>

namespace mt1d::cli {

// Whether --method asks for sampling; throws UsageError when it is none of occam, layered and
// sample.
bool BatchSamples(const FitOptionValues& fit);

struct BatchMethod {
    jobs::FitOptions fit;                             // the fit of every site, unless sampling
    std::optional<sampling::SamplingOptions> sample;  // set for --method sample
};

// Converts the options of the method --method names; throws UsageError for a value that
// cannot be used and for an option given on `command` that belongs to the other kind of run
// (the options that steer a fit with --method sample, those of mt1d sample with a fit).
BatchMethod ParseBatchMethod(const CLI::App& command, const FitOptionValues& fit, SampleOptionValues sample);

}  // namespace mt1d::cli
