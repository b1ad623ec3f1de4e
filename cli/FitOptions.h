#pragma once
// The options of `mt1d fit` that choose and steer the fit, which the commands built on it take
// as well: --method, --layers, --layer-tops, --top-depth, --bottom-depth, --target-rms, --fit,
// --max-iterations, --starts and --seed. Used like DataOptions.h:
//
//     AddFitOptions(*command, *fitValues);
//     ...                                               // once parsed:
//     const FitRequest request = ParseFitOptions(*fitValues);
//     const report::FitRecord record = RunFit(loaded, request);

#include "cli/DataOptions.h"
#include "report/FitRecord.h"
#include "fitting/LayeredFit.h"
#include "fitting/RunControl.h"
#include "fitting/OccamFit.h"

#include <CLI/CLI.hpp>

#include <string>

namespace mt1d::cli {

// Caps on what one command line may ask for: each bounds the time of a run, not its memory.
inline constexpr std::size_t kMaxFitIterations = 10'000;
inline constexpr std::size_t kMaxFitStarts = 10'000;

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
};

void AddFitOptions(CLI::App& command, FitOptionValues& values);

struct FitRequest {
    fitting::Method method = fitting::Method::kOccam;
    fitting::DataSelection data;      // the components to fit
    fitting::LayeredOptions layered;  // for --method layered
    fitting::OccamOptions occam;     // for --method occam
};

// Converts the values; throws UsageError for a value that cannot be used and for an option
// that does not apply to the method (--starts and --seed are for layered fits, --layer-tops,
// --top-depth and --bottom-depth for smooth ones; --layer-tops decides the layers alone).
// Whether given layer tops and depths make a mesh is the fit's to say (RunFit).
FitRequest ParseFitOptions(const FitOptionValues& values);

// Fits the loaded curve as asked; the record carries the curve's notes. Throws InputError when the fit refuses the data or the
// options (too few usable rows for the parameters, layer tops that do not increase, …); any
// other ending, successful or not, is in the record's report.
report::FitRecord RunFit(const LoadedCurve& loaded, const FitRequest& request,
                         const fitting::RunControl& control = {});

// Whether a fit reached what it was run for: a layered fit its minimum, a smooth fit its target.
bool FitSucceeded(const fitting::FitReport& report);

}  // namespace mt1d::cli
