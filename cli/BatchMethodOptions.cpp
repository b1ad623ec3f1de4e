#include "cli/BatchMethodOptions.h"

#include "batch/SiteSample.h"
#include "cli/Cli.h"
#include "cli/CommonOptions.h"

#include <string>
#include <vector>

namespace mt1d::cli {

namespace {

// The options of mt1d fit that steer a fit, which a sampling run has no use for.
const std::vector<std::string> kFitOnlyOptionNames = {"--layers",     "--layer-tops",     "--top-depth", "--bottom-depth",
                                                      "--target-rms", "--fit",            "--max-iterations",
                                                      "--starts"};

bool Given(const CLI::Option* option) { return option != nullptr && option->count() > 0; }

// Refuses every option of `names` that was given, saying which method it belongs to.
void RefuseGivenOf(const CLI::App& command, const std::vector<std::string>& names, const std::string& zh,
                   const std::string& en)
{
    for (const std::string& name : names) {
        if (Given(command.get_option_no_throw(name))) RefuseUsage(name + zh, name + en);
    }
}

}  // namespace

bool BatchSamples(const FitOptionValues& fit)
{
    return ParseChoice("--method", fit.method, {"occam", "layered", batch::kSampleMethodName}) == 2;
}

BatchMethod ParseBatchMethod(const CLI::App& command, const FitOptionValues& fit, SampleOptionValues sample)
{
    BatchMethod method;
    if (BatchSamples(fit)) {
        RefuseGivenOf(command, kFitOnlyOptionNames, " 不能与 --method sample 同时使用",
                      " does not go with --method sample (it steers a fit)");
        RefuseGivenOf(command, StopCriterionOptionNames(), " 不能与 --method sample 同时使用",
                      " does not go with --method sample (it steers a fit)");
        if (Given(fit.seedOption)) sample.seed = fit.seed;
        method.sample = ParseSampleOptions(sample);
    } else {
        RefuseGivenOf(command, SampleOnlyOptionNames(), " 仅用于 --method sample", " applies to --method sample only");
        method.fit = ParseFitOptions(fit);
    }
    return method;
}

}  // namespace mt1d::cli
