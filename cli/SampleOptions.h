#pragma once
// The options of `mt1d sample` that set up the sampling run, for the commands that sample a
// sounding (sample, and batch with --method sample): --samples, --burn-in, --chains,
// --temperatures, --max-layers, --seed and the prior's bounds --min-depth, --max-depth,
// --min-rho, --max-rho. Used like DataOptions.h:
//
//     AddSampleOptions(*command, *sampleValues);
//     ...                                                   // once parsed:
//     const sampling::SamplingOptions options = ParseSampleOptions(*sampleValues);
//     const jobs::SampleRecord record = RunSample(loaded, options, control);

#include "cli/DataOptions.h"
#include "jobs/SampleRecord.h"
#include "sampling/SamplingOptions.h"

#include <CLI/CLI.hpp>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mt1d::cli {

// Caps on what one command line may ask for; each bounds the time of a run (10^9 samples take
// about ten minutes on two cores), the sampler bounds its memory itself.
inline constexpr std::uint64_t kMaxSamples = 1'000'000'000;
inline constexpr std::uint64_t kMaxBurnIn = 1'000'000'000;
// The command's default number of chains: fixed rather than one per core, so that a seed gives
// the same result on any machine, and four, so that R-hat compares eight half-chains.
inline constexpr std::size_t kDefaultSampleChains = 4;

struct SampleOptionValues {
    std::string samples;
    std::string burnIn;
    std::string chains;
    std::string temperatures;
    std::string maxLayers;
    std::string seed;
    std::string minDepth;
    std::string maxDepth;
    std::string minRho;
    std::string maxRho;
    CLI::Option* minDepthOption = nullptr;
    CLI::Option* maxDepthOption = nullptr;
};

// Whether AddSampleOptions registers --seed. A command that has a --seed of its own already
// (batch, from the fit options) shares it: it puts the value given there into
// SampleOptionValues::seed before ParseSampleOptions.
enum class SampleSeedOption { kRegister, kShared };

void AddSampleOptions(CLI::App& command, SampleOptionValues& values,
                      SampleSeedOption seedOption = SampleSeedOption::kRegister);

// The names of the options AddSampleOptions registers (--seed excepted), for a command that
// takes them only with some of its methods.
const std::vector<std::string>& SampleOnlyOptionNames();

// Converts the values; throws UsageError (naming the option and quoting the value) for a
// value that is not a number of the option's range. Whether the bounds make a prior (the
// lower below the upper) is the sampler's to say (RunSample).
sampling::SamplingOptions ParseSampleOptions(const SampleOptionValues& values);

// Samples the loaded curve (log10 ρa and phase, each weighted by its error); the record
// carries the curve's notes. Throws InputError when the curve has no usable rows or the
// sampler refuses the options (bounds that make no prior, fewer samples than chains); a
// cancelled run is returned as such (status kCancelled).
jobs::SampleRecord RunSample(const jobs::LoadedCurve& loaded, const sampling::SamplingOptions& options,
                               const sampling::SamplingControl& control = {});

}  // namespace mt1d::cli
