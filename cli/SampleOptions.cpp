#include "cli/SampleOptions.h"

#include "cli/Cli.h"
#include "report/Formatting.h"
#include "fitting/FitData.h"
#include "cli/OptionValues.h"
#include "sampling/Prior.h"
#include "jobs/SampleCurve.h"
#include "sampling/Sampler.h"

#include <limits>
#include <string>
#include <utility>

namespace mt1d::cli {

namespace {

constexpr std::size_t kMaxLayers = sampling::kMaxInterfacesLimit + 1;

std::string Text(double value) { return io::NumberText(value); }

}  // namespace

const std::vector<std::string>& SampleOnlyOptionNames()
{
    static const std::vector<std::string> names = {"--samples",  "--burn-in",   "--chains",
                                                   "--temperatures", "--max-layers", "--min-depth",
                                                   "--max-depth", "--min-rho",  "--max-rho"};
    return names;
}

void AddSampleOptions(CLI::App& command, SampleOptionValues& values, SampleSeedOption seedOption)
{
    const sampling::SamplingOptions defaults;
    values.samples = std::to_string(defaults.samples);
    command
        .add_option("--samples", values.samples,
                    "Models kept after burn-in, over all chains together, 1 to " + std::to_string(kMaxSamples) +
                        "\n(at least one per chain). Default: " + values.samples)
        ->type_name("N");
    values.burnIn = std::to_string(defaults.burnIn);
    command
        .add_option("--burn-in", values.burnIn,
                    "Steps of each chain before models are kept, 0 to " + std::to_string(kMaxBurnIn) +
                        "; the proposal\nwidths adapt during them only. Default: " + values.burnIn)
        ->type_name("N");
    values.chains = std::to_string(kDefaultSampleChains);
    command
        .add_option("--chains", values.chains,
                    "Independent chains, 1 to " + std::to_string(sampling::kMaxChains) +
                        ", run on one thread per core; R-hat compares\ntheir halves. The result "
                        "depends on the seed and the chains, not on the machine.\nDefault: " +
                        values.chains)
        ->type_name("K");
    values.temperatures = "1";
    command
        .add_option("--temperatures", values.temperatures,
                    "Parallel tempering: each chain runs with T − 1 hotter companions (up to\n"
                    "temperature 10) that exchange models with it, 1 to " +
                        std::to_string(sampling::kMaxTemperatures) +
                        ". A run then takes about T times as\nlong; worth it when R-hat stays at "
                        "1.1 or more (3 is a good start). Default: 1 (none)")
        ->type_name("T");
    values.maxLayers = std::to_string(sampling::kDefaultMaxInterfaces + 1);
    command
        .add_option("--max-layers", values.maxLayers,
                    "The most layers a model may have, the half-space included, 1 to " +
                        std::to_string(kMaxLayers) + ";\nevery count from 1 up is equally likely "
                        "before the data are seen. Default: " + values.maxLayers)
        ->type_name("L");
    values.seed = std::to_string(defaults.seed);
    if (seedOption == SampleSeedOption::kRegister) {
        command
            .add_option("--seed", values.seed,
                        "Seed of the chains' generators, 0 to 2^64 − 1; the same seed and chains give the\n"
                        "same output (but for the timings in \"ess\"). Default: " + values.seed)
            ->type_name("S");
    }
    values.minDepthOption =
        command
            .add_option("--min-depth", values.minDepth,
                        "The shallowest interface depth in m. Default: a quarter of the skin depth\n"
                        "at the highest frequency (over its apparent resistivity).")
            ->type_name("M");
    values.maxDepthOption =
        command
            .add_option("--max-depth", values.maxDepth,
                        "The deepest interface depth in m. Default: the largest skin depth of any row.")
            ->type_name("M");
    values.minRho = Text(sampling::kDefaultMinRhoOhmM);
    values.maxRho = Text(sampling::kDefaultMaxRhoOhmM);
    command
        .add_option("--min-rho", values.minRho,
                    "The lowest layer resistivity in ohm-m (log10 ρ of each layer is uniform\n"
                    "between --min-rho and --max-rho). Default: " + values.minRho)
        ->type_name("OHMM");
    command.add_option("--max-rho", values.maxRho, "The highest layer resistivity in ohm-m. Default: " + values.maxRho)
        ->type_name("OHMM");
}

sampling::SamplingOptions ParseSampleOptions(const SampleOptionValues& values)
{
    sampling::SamplingOptions options;
    options.samples = ParseCountOption("--samples", values.samples, 1, kMaxSamples);
    options.burnIn = ParseCountOption("--burn-in", values.burnIn, 0, kMaxBurnIn);
    options.chains = ParseCountOption("--chains", values.chains, 1, sampling::kMaxChains);
    options.tempering.temperatures =
        ParseCountOption("--temperatures", values.temperatures, 1, sampling::kMaxTemperatures);
    options.prior.maxInterfaces = ParseCountOption("--max-layers", values.maxLayers, 1, kMaxLayers) - 1;
    options.seed = ParseSeedOption("--seed", values.seed);
    if (values.minDepthOption != nullptr && values.minDepthOption->count() > 0) {
        options.prior.minDepthM = ParsePositiveOption("--min-depth", values.minDepth);
    }
    if (values.maxDepthOption != nullptr && values.maxDepthOption->count() > 0) {
        options.prior.maxDepthM = ParsePositiveOption("--max-depth", values.maxDepth);
    }
    options.prior.minRhoOhmM = ParsePositiveOption("--min-rho", values.minRho);
    options.prior.maxRhoOhmM = ParsePositiveOption("--max-rho", values.maxRho);
    return options;
}

jobs::SampleRecord RunSample(const jobs::LoadedCurve& loaded, const sampling::SamplingOptions& options,
                               const sampling::SamplingControl& control)
{
    jobs::SampleRun run = jobs::SampleCurve(loaded, options, control);
    if (!run.record) RefuseInput("无法采样", "the sounding cannot be sampled: " + run.refusal);
    return std::move(*run.record);
}

}  // namespace mt1d::cli
