#include "cli/FitOptions.h"

#include "cli/Cli.h"
#include "report/Formatting.h"
#include "cli/CommonOptions.h"
#include "fitting/FitData.h"
#include "cli/OptionValues.h"
#include "fitting/Damping.h"

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

// --shift and what goes with it; refuses a reference or prior without free factors and a
// mode reference with a surface resistivity.
void ParseShiftOptions(const FitOptionValues& values, jobs::FitOptions& options)
{
    const bool anchored = Given(values.surfaceRho.option);
    if (Given(values.shift.option)) {
        const int choice = ParseChoice("--shift", values.shift.text, {"none", "free"});
        options.shift = choice == 1 ? fitting::ShiftMode::kFree : fitting::ShiftMode::kNone;
        if (options.shift == fitting::ShiftMode::kNone && anchored) {
            RefuseUsage("--surface-rho 需要静态偏移因子，不能与 --shift none 同用",
                        "--surface-rho anchors static-shift factors; it cannot go with --shift none");
        }
    }
    if (anchored) options.shift = fitting::ShiftMode::kFree;
    if (options.shift == fitting::ShiftMode::kNone) {
        RefuseGiven({values.shiftReference.option, values.surfaceDepth.option, values.shiftPrior.option},
                    " 仅用于 --shift free 或 --surface-rho", " applies with --shift free or --surface-rho only");
        return;
    }
    if (Given(values.shiftReference.option)) {
        if (anchored) {
            RefuseUsage("--shift-reference 不能与 --surface-rho 同用：已知的地表电阻率确定所有因子",
                        "--shift-reference cannot go with --surface-rho: the known surface resistivity holds "
                        "every factor");
        }
        const int choice = ParseChoice("--shift-reference", values.shiftReference.text, {"mean", "xy", "yx"});
        options.shiftReference = choice == 0   ? fitting::ShiftReference::kMean
                                 : choice == 1 ? fitting::ShiftReference::kXy
                                               : fitting::ShiftReference::kYx;
    }
    if (anchored) {
        options.surfaceRhoOhmM = ParsePositiveOption("--surface-rho", values.surfaceRho.text);
        if (Given(values.surfaceDepth.option)) {
            options.surfaceDepthM = ParseNumberOption("--surface-depth", values.surfaceDepth.text, 0.0, 1e7, "0 to 1e7");
        }
    } else if (Given(values.surfaceDepth.option)) {
        RefuseUsage("--surface-depth 仅用于 --surface-rho", "--surface-depth applies with --surface-rho only");
    }
    if (Given(values.shiftPrior.option)) {
        options.shiftPriorSd = ParseNumberOption("--shift-prior", values.shiftPrior.text, 1e-3, 10.0, "1e-3 to 10");
    }
}

}  // namespace

fitting::ShiftOptions ParseShiftOptionsOnly(const FitOptionValues& values)
{
    jobs::FitOptions options;
    ParseShiftOptions(values, options);
    return jobs::ShiftOptionsOf(options);
}

namespace {

[[noreturn]] void RefuseFit(const std::string& message)
{
    RefuseInput("无法拟合", "the fit cannot be made: " + message);
}

}  // namespace

// The options of the stop criteria, in a group of their own in the help.
void AddStopCriteria(CLI::App& command, FitOptionValues& values);

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
    AddStopCriteria(command, values);
    AddShiftOptions(command, values);
}

namespace {

void AddCriterion(CLI::App& command, FitOptionValues::Criterion& criterion, const std::string& name,
                  const std::string& description, const std::string& defaultText)
{
    criterion.option = command.add_option(name, criterion.text, description + " Default: " + defaultText)
                           ->type_name("X")
                           ->group("Stop criteria");
}

}  // namespace

const std::vector<std::string>& StopCriterionOptionNames()
{
    static const std::vector<std::string> names = {
        "--relative-tolerance", "--settled-steps",        "--exact-chi2", "--initial-damping",
        "--max-damping",        "--rms-tolerance",        "--roughness-tolerance", "--step-cuts",
        "--multiplier-tolerance", "--level-tolerance"};
    return names;
}

void AddStopCriteria(CLI::App& command, FitOptionValues& values)
{
    const fitting::LayeredOptions layered;
    const fitting::OccamOptions occam;
    AddCriterion(command, values.relativeTolerance, "--relative-tolerance",
                 "layered: a step that lowers chi-square by less than this share of it is small;\n"
                 "0 to below 1.", report::NumberText(layered.relativeTolerance));
    AddCriterion(command, values.settledSteps, "--settled-steps",
                 "layered: small accepted steps in a row that end a start (a minimum), 1 to 100.",
                 std::to_string(layered.settledSteps));
    AddCriterion(command, values.exactChi2, "--exact-chi2",
                 "layered: chi-square per value at or below which the fit is exact, 0 or more.",
                 report::NumberText(layered.exactChi2PerValue));
    AddCriterion(command, values.initialDamping, "--initial-damping",
                 "layered: the damping of the first Levenberg-Marquardt step, 1e-12 up to the\n"
                 "ceiling.", report::NumberText(layered.initialDamping));
    AddCriterion(command, values.maxDamping, "--max-damping",
                 "layered: the ceiling of the damping; a start whose damping reaches it ends\n"
                 "with the status damping-exhausted.", report::NumberText(layered.maxDamping));
    AddCriterion(command, values.rmsTolerance, "--rms-tolerance",
                 "occam: the search for the target ends when an iteration lowers the RMS by\n"
                 "less than this share; 0 to below 1.", report::NumberText(occam.rmsTolerance));
    AddCriterion(command, values.roughnessTolerance, "--roughness-tolerance",
                 "occam: smoothing at the target ends when an iteration lowers the roughness\n"
                 "by less than this share; 0 to below 1.", report::NumberText(occam.roughnessTolerance));
    AddCriterion(command, values.stepCuts, "--step-cuts",
                 "occam: halvings of a step that does not improve the misfit, 0 to 60.",
                 std::to_string(occam.stepCuts));
    AddCriterion(command, values.multiplierTolerance, "--multiplier-tolerance",
                 "occam: width in decades of the Lagrange multiplier within which the smallest\n"
                 "RMS is located, 1e-4 to 1.", report::NumberText(occam.multiplierTolerance));
    AddCriterion(command, values.levelTolerance, "--level-tolerance",
                 "occam: how close below the target the chosen model must come, as a share of\n"
                 "the target, 1e-9 to 0.5.", report::NumberText(occam.levelTolerance));
}

void AddShiftOptions(CLI::App& command, FitOptionValues& values)
{
    const auto add = [&command](FitOptionValues::Criterion& c, const std::string& name, const std::string& type,
                                const std::string& description) {
        c.option = command.add_option(name, c.text, description)->type_name(type)->group("Static shift");
    };
    add(values.shift, "--shift", "S",
        "none or free: a static-shift factor s per curve (rho_observed = s * rho_model, the\n"
        "phase unchanged), fitted with the model; a fitted factor stays within 0.1 to 10 and\n"
        "is flagged when it ends on that bound. Default: none");
    add(values.shiftReference, "--shift-reference", "R",
        "With --shift free: what holds the overall level, which MT data cannot tell from the\n"
        "model (scaling every resistivity by c and every depth by sqrt(c) scales rho_a by c):\n"
        "mean (the factors' geometric mean is 1), xy or yx (that curve's factor is 1). Needs\n"
        "--mode xy+yx. Default: mean");
    add(values.surfaceRho, "--surface-rho", "OHMM",
        "A resistivity known just below the surface (a TEM or DC sounding, a borehole)\n"
        "anchors the level instead; every factor is then free, a single curve's too.");
    add(values.surfaceDepth, "--surface-depth", "M",
        "With --surface-rho: the anchor is the mean log resistivity over the top M metres.\n"
        "Default: 0 (the top layer)");
    add(values.shiftPrior, "--shift-prior", "SD",
        "The standard deviation of a Gaussian prior on log10 s of every free factor, a\n"
        "penalty in a fit and the prior of mt1d sample. Default: " + report::NumberText(fitting::kDefaultShiftPriorSd));
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
    if (layered) {
        RefuseGiven({values.rmsTolerance.option, values.roughnessTolerance.option, values.stepCuts.option,
                     values.multiplierTolerance.option, values.levelTolerance.option},
                    " 仅用于 --method occam", " applies to --method occam only");
    } else {
        RefuseGiven({values.relativeTolerance.option, values.settledSteps.option, values.exactChi2.option,
                     values.initialDamping.option, values.maxDamping.option},
                    " 仅用于 --method layered", " applies to --method layered only");
    }
    const auto number = [](const FitOptionValues::Criterion& c, const char* name, double lowest, double highest,
                           const char* range, std::optional<double>& into) {
        if (Given(c.option)) into = ParseNumberOption(name, c.text, lowest, highest, range);
    };
    const auto count = [](const FitOptionValues::Criterion& c, const char* name, std::size_t lowest, std::size_t highest,
                          std::optional<std::size_t>& into) {
        if (Given(c.option)) into = ParseCountOption(name, c.text, lowest, highest);
    };
    // Below 1, as a share: the largest double under 1.
    constexpr double kBelowOne = 1.0 - 1e-16;
    number(values.relativeTolerance, "--relative-tolerance", 0.0, kBelowOne, "0 to below 1", options.relativeTolerance);
    count(values.settledSteps, "--settled-steps", 1, 100, options.settledSteps);
    number(values.exactChi2, "--exact-chi2", 0.0, 1e300, "0 or more", options.exactChi2PerValue);
    number(values.initialDamping, "--initial-damping", fitting::kMinLambda, 1e300, "1e-12 or more", options.initialDamping);
    number(values.maxDamping, "--max-damping", fitting::kMinLambda, 1e300, "1e-12 or more", options.maxDamping);
    if (options.initialDamping && options.maxDamping && !(*options.initialDamping < *options.maxDamping)) {
        RefuseUsage("--initial-damping 须小于 --max-damping", "--initial-damping must lie below --max-damping");
    }
    if (options.initialDamping && !options.maxDamping && !(*options.initialDamping < fitting::kMaxLambda)) {
        RefuseUsage("--initial-damping 须小于阻尼上限", "--initial-damping must lie below the damping ceiling (--max-damping)");
    }
    number(values.rmsTolerance, "--rms-tolerance", 0.0, kBelowOne, "0 to below 1", options.rmsTolerance);
    number(values.roughnessTolerance, "--roughness-tolerance", 0.0, kBelowOne, "0 to below 1", options.roughnessTolerance);
    count(values.stepCuts, "--step-cuts", 0, 60, options.stepCuts);
    number(values.multiplierTolerance, "--multiplier-tolerance", 1e-4, 1.0, "1e-4 to 1", options.multiplierTolerance);
    number(values.levelTolerance, "--level-tolerance", 1e-9, 0.5, "1e-9 to 0.5", options.levelTolerance);
    if (Given(values.layerTopsOption)) {
        RefuseGiven({values.layersOption, values.topDepthOption, values.bottomDepthOption},
                    " 不能与 --layer-tops 同时使用（--layer-tops 已给出每一层）",
                    " does not go with --layer-tops, which gives every layer");
    }

    options.targetRms = ParsePositiveOption("--target-rms", values.targetRms);
    ParseShiftOptions(values, options);
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
