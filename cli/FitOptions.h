#pragma once
// The options of `mt1d fit` that choose and steer the fit, which the commands built on it take
// as well: --method, --layers, --layer-tops, --top-depth, --bottom-depth, --target-rms, --fit,
// --max-iterations, --starts and --seed. Used like DataOptions.h:
//
//     AddFitOptions(*command, *fitValues);
//     ...                                               // once parsed:
//     const jobs::FitOptions options = ParseFitOptions(*fitValues);
//     const jobs::FitRecord record = RunFit(loaded, options);

#include "cli/DataOptions.h"
#include "fitting/RunControl.h"
#include "jobs/FitCurve.h"
#include "jobs/FitOptions.h"

#include <CLI/CLI.hpp>

#include <string>

namespace mt1d::cli {

struct FitOptionValues {
    std::string method;
    std::string layers;
    std::string layerTops;
    std::string topDepth;
    std::string bottomDepth;
    std::string targetRms;
    std::string fit;
    std::string maxIterations;
    std::string starts;
    std::string seed;
    CLI::Option* layersOption = nullptr;
    CLI::Option* layerTopsOption = nullptr;
    CLI::Option* topDepthOption = nullptr;
    CLI::Option* bottomDepthOption = nullptr;
    CLI::Option* maxIterationsOption = nullptr;
    CLI::Option* startsOption = nullptr;
    CLI::Option* seedOption = nullptr;
    // Stop criteria: each a value as typed and its option.
    struct Criterion {
        std::string text;
        CLI::Option* option = nullptr;
    };
    Criterion relativeTolerance, settledSteps, exactChi2, initialDamping, maxDamping;   // layered
    Criterion rmsTolerance, roughnessTolerance, stepCuts, multiplierTolerance, levelTolerance;  // occam
    // Static shifts: --shift, --shift-reference, --surface-rho, --surface-depth, --shift-prior.
    Criterion shift, shiftReference, surfaceRho, surfaceDepth, shiftPrior;
};

void AddFitOptions(CLI::App& command, FitOptionValues& values);

// The static-shift options alone (--shift, --shift-reference, --surface-rho, --surface-depth,
// --shift-prior), for a command that takes them without the fit's (sample), and their value;
// throws UsageError as ParseFitOptions does for them.
void AddShiftOptions(CLI::App& command, FitOptionValues& values);
fitting::ShiftOptions ParseShiftOptionsOnly(const FitOptionValues& values);

// The names of the stop criteria's options, for a command that takes them only with fits.
const std::vector<std::string>& StopCriterionOptionNames();

// Converts the values into the options of a fit; throws UsageError for a value that cannot
// be used and for an option that does not apply to the method (--starts and --seed are for
// layered fits, --layer-tops, --top-depth and --bottom-depth for Occam fits; --layer-tops
// decides the layers alone). Whether given layer tops and depths make a mesh is the fit's to
// say (RunFit).
jobs::FitOptions ParseFitOptions(const FitOptionValues& values);

// Fits the loaded curve as asked (jobs/FitCurve.h). Throws InputError when the fit refuses the
// data or the options (too few usable rows for the parameters, layer tops that do not
// increase, …); any other ending, successful or not, is in the record's report.
jobs::FitRecord RunFit(const jobs::LoadedCurve& loaded, const jobs::FitOptions& options,
                       const fitting::RunControl& control = {});

}  // namespace mt1d::cli
