#pragma once
// Keyword options of the module read exactly as the command line reads its options: the
// keyword max_iterations is the option --max-iterations, its value the text Python writes for
// it, and the command line's own parsers (cli/DataOptions.h, cli/FitOptions.h,
// cli/SampleOptions.h) convert it, fill in the defaults and refuse what they refuse, with the
// same message. So mt1d.fit(path, **options) fits with the jobs::FitOptions that
// `mt1d fit FILE --options…` fits with, and writes the same record.
//
// An argument list holds "--name=value" for an option with a value and "--name" for a flag
// (the Python side makes it, python/mt1d/__init__.py). Values go after '=' so that one
// starting with '-' is never taken for an option.

#include "jobs/DataOptions.h"
#include "jobs/FitOptions.h"
#include "sampling/SamplingOptions.h"

#include <optional>
#include <string>
#include <vector>

namespace mt1d::python {

// The option groups of the commands, as the keyword functions take them.
enum class OptionGroup {
    kData,    // mt1d data: how a file becomes a curve (--mode … --max-ellipticity)
    kFit,     // mt1d fit: --method … and the stop criteria
    kSample,  // mt1d sample: --samples … --max-rho, and its own --seed
};

// One option as the command line's help shows it.
struct OptionHelp {
    std::string name;         // "--max-iterations"
    std::string valueName;    // "N"; empty for a flag
    std::string description;  // the help text, its "Default: …" included
    bool flag = false;
};

// The options of a group, in the order of the command's help.
std::vector<OptionHelp> OptionsOf(OptionGroup group);

// The data options of `args` for the sounding `file` (named in the record, never opened
// here). Throws cli::UsageError as `mt1d data` refuses them.
jobs::DataOptions ParseDataArgs(const std::vector<std::string>& args, const std::string& file);

// Throws cli::UsageError as `mt1d fit` refuses them.
jobs::FitOptions ParseFitArgs(const std::vector<std::string>& args);

// Throws cli::UsageError as `mt1d sample` refuses them.
sampling::SamplingOptions ParseSampleArgs(const std::vector<std::string>& args);

// The data and fit options of `args` together, checked in the order `mt1d fit FILE args…`
// checks them (the data options first); `file` is named, never opened.
struct FitRequest {
    jobs::DataOptions data;
    jobs::FitOptions fit;
};
FitRequest ParseFitCommandArgs(const std::vector<std::string>& args, const std::string& file);

// Likewise for `mt1d sample FILE args…`.
struct SampleRequest {
    jobs::DataOptions data;
    sampling::SamplingOptions sample;
};
SampleRequest ParseSampleCommandArgs(const std::vector<std::string>& args, const std::string& file);

// Likewise for the data and method options of `mt1d batch INPUT... args…` (--method occam,
// layered or sample, cli/BatchMethodOptions.h): refused with the batch's messages.
struct BatchRequest {
    jobs::DataOptions data;
    jobs::FitOptions fit;
    std::optional<sampling::SamplingOptions> sample;  // --method sample
};
BatchRequest ParseBatchCommandArgs(const std::vector<std::string>& args, const std::string& file);

}  // namespace mt1d::python
