#include "cli/FitOptions.h"

#include "cli/Cli.h"
#include "report/Formatting.h"
#include "cli/CommonOptions.h"
#include "fitting/FitData.h"
#include "cli/OptionValues.h"

#include <initializer_list>
#include <utility>

namespace mt1d::cli {

namespace {

const std::vector<std::string> kMethodNames = {"occam", "layered"};
const std::vector<fitting::Method> kMethods = {fitting::Method::kOccam, fitting::Method::kLayered};
const std::vector<std::string> kComponentNames = {"rho", "phase", "both"};
const std::vector<fitting::FitComponents> kComponents = {fitting::FitComponents::kRho, fitting::FitComponents::kPhase,
                                                         fitting::FitComponents::kBoth};

bool Given(const CLI::Option* option) { return option != nullptr && option->count() > 0; }

// Refuses every given option of `options` with the reason `zh` / `en`.
void RefuseGiven(std::initializer_list<const CLI::Option*> options, const std::string& zh, const std::string& en)
{
    for (const CLI::Option* option : options) {
        if (Given(option)) {
            const std::string name = option->get_name();
            RefuseUsage(name + zh, name + en);
        }
    }
}

[[noreturn]] void RefuseFit(const std::string& message)
{
    throw InputError("无法拟合 (the fit cannot be made: " + message + ")");
}

}  // namespace

void AddFitOptions(CLI::App& command, FitOptionValues& values)
{
    const fitting::LayeredOptions layered;
    const fitting::OccamOptions occam;
    values.method = kMethodNames[0];
    command
        .add_option("--method", values.method,
                    "occam: the smoothest model of many fixed layers that fits the data to the\n"
                    "target RMS (Constable, Parker & Constable 1987); layered: the few-layer\n"
                    "model that fits best, from several seeded starts, with standard errors.\n"
                    "Default: occam")
        ->type_name("M");
    values.layersOption =
        command
            .add_option("--layers", values.layers,
                        "Layers of the model, the half-space included: 1 to " +
                            std::to_string(fitting::kMaxLayers) + " for layered fits\n(default " +
                            std::to_string(layered.layers) + "), " + std::to_string(fitting::kMinOccamLayers) +
                            " to " + std::to_string(fitting::kMaxOccamLayers) + " for occam (default " +
                            std::to_string(occam.mesh.layers) +
                            ", logarithmically\nspaced between the top and bottom depths).")
            ->type_name("N");
    values.layerTopsOption =
        command
            .add_option("--layer-tops", values.layerTops,
                        "occam: the top depth of every layer in m, separated by commas, the first\n"
                        "0 and the last the top of the half-space (instead of --layers,\n"
                        "--top-depth and --bottom-depth).")
            ->type_name("T1,T2,...");
    values.topDepthOption =
        command
            .add_option("--top-depth", values.topDepth,
                        "occam: top of the second layer in m. Default: a tenth of the skin depth at\n"
                        "the highest frequency.")
            ->type_name("M");
    values.bottomDepthOption =
        command
            .add_option("--bottom-depth", values.bottomDepth,
                        "occam: top of the half-space in m. Default: two skin depths at the lowest\n"
                        "frequency.")
            ->type_name("M");
    values.targetRms = io::NumberText(occam.targetRms);
    command
        .add_option("--target-rms", values.targetRms,
                    "The misfit to reach, RMS = sqrt(chi-square / N) over the fitted values.\n"
                    "occam stops there with the smoothest model; for layered fits it only\n"
                    "says whether the fit reached it. Default: " + values.targetRms)
        ->type_name("X");
    values.fit = kComponentNames[2];
    command
        .add_option("--fit", values.fit,
                    "What to fit: rho (log10 apparent resistivity), phase, or both. Default: both")
        ->type_name("WHAT");
    values.maxIterationsOption =
        command
            .add_option("--max-iterations", values.maxIterations,
                        "At most this many iterations, 1 to " + std::to_string(jobs::kMaxFitIterations) +
                            ": of the occam run (default " + std::to_string(occam.maxIterations) +
                            ")\nor of each layered start (default " + std::to_string(layered.maxIterations) + ").")
            ->type_name("N");
    values.startsOption =
        command
            .add_option("--starts", values.starts,
                        "layered: starting models, 1 to " + std::to_string(jobs::kMaxFitStarts) +
                            ", seeded around the Niblett-Bostick\nprofile; the best fit is kept. Default: " +
                            std::to_string(fitting::kStartsPerInterfaceSquared) + "·(N − 1)², from " +
                            std::to_string(fitting::kMinDefaultStarts) + " to " +
                            std::to_string(fitting::kMaxDefaultStarts) + "\n(2 layers: " +
                            std::to_string(fitting::DefaultStarts(2)) + ", 3: " +
                            std::to_string(fitting::DefaultStarts(3)) + ", 4: " +
                            std::to_string(fitting::DefaultStarts(4)) + ").")
            ->type_name("K");
    values.seedOption = command
                            .add_option("--seed", values.seed,
                                        "layered: seed of the starting models; the same seed gives the same fit.\n"
                                        "Default: " + std::to_string(layered.seed))
                            ->type_name("S");
}

jobs::FitOptions ParseFitOptions(const FitOptionValues& values)
{
    jobs::FitOptions options;
    options.method = kMethods[static_cast<std::size_t>(ParseChoice("--method", values.method, kMethodNames))];
    options.components = kComponents[static_cast<std::size_t>(ParseChoice("--fit", values.fit, kComponentNames))];
    const bool layered = options.method == fitting::Method::kLayered;
    if (layered) {
        RefuseGiven({values.layerTopsOption, values.topDepthOption, values.bottomDepthOption}, " 仅用于 --method occam",
                    " applies to --method occam only");
    } else {
        RefuseGiven({values.startsOption, values.seedOption}, " 仅用于 --method layered",
                    " applies to --method layered only");
    }
    if (Given(values.layerTopsOption)) {
        RefuseGiven({values.layersOption, values.topDepthOption, values.bottomDepthOption},
                    " 不能与 --layer-tops 同时使用（--layer-tops 已给出每一层）",
                    " does not go with --layer-tops, which gives every layer");
    }

    options.targetRms = ParsePositiveOption("--target-rms", values.targetRms);
    if (Given(values.maxIterationsOption)) {
        options.maxIterations = ParseCountOption("--max-iterations", values.maxIterations, 1, jobs::kMaxFitIterations);
    }
    if (layered) {
        if (Given(values.layersOption)) options.layers = ParseCountOption("--layers", values.layers, 1, fitting::kMaxLayers);
        if (Given(values.startsOption)) options.starts = ParseCountOption("--starts", values.starts, 1, jobs::kMaxFitStarts);
        if (Given(values.seedOption)) options.seed = ParseSeedOption("--seed", values.seed);
        return options;
    }
    if (Given(values.layersOption)) {
        options.layers =
            ParseCountOption("--layers", values.layers, fitting::kMinOccamLayers, fitting::kMaxOccamLayers);
    }
    if (Given(values.layerTopsOption)) options.layerTops = ParseNumberListOption("--layer-tops", values.layerTops);
    if (Given(values.topDepthOption)) options.topDepthM = ParsePositiveOption("--top-depth", values.topDepth);
    if (Given(values.bottomDepthOption)) options.bottomDepthM = ParsePositiveOption("--bottom-depth", values.bottomDepth);
    return options;
}

jobs::FitRecord RunFit(const jobs::LoadedCurve& loaded, const jobs::FitOptions& options,
                       const fitting::RunControl& control)
{
    jobs::FitRun run = jobs::FitCurve(loaded, options, {}, control);
    if (!run.record) RefuseFit(run.refusal);
    return std::move(*run.record);
}

}  // namespace mt1d::cli
