#include "python/src/CommandOptions.h"

#include "cli/BatchMethodOptions.h"
#include "cli/Cli.h"
#include "cli/DataOptions.h"
#include "cli/FitOptions.h"
#include "cli/SampleOptions.h"
#include "io/Excerpt.h"

#include <CLI/CLI.hpp>

namespace mt1d::python {

namespace {

// Characters of a parser's message quoted at most.
constexpr std::size_t kParserMessageLength = 400;

// Parses `args` into the options registered on `app`.
void Parse(CLI::App& app, const std::vector<std::string>& args)
{
    std::vector<std::string> reversed(args.rbegin(), args.rend());  // CLI11 takes them from the back
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        const std::string what = io::Excerpt(e.what(), kParserMessageLength);
        cli::RefuseUsage("选项有误：" + what, "the options cannot be used: " + what);
    }
    if (!app.remaining().empty()) {
        const std::string word = io::Excerpt(app.remaining().front());
        cli::RefuseUsage("未知选项 “" + word + "”", "unknown option '" + word + "'");
    }
}

std::vector<OptionHelp> HelpOf(const CLI::App& app)
{
    std::vector<OptionHelp> help;
    for (const CLI::Option* option : app.get_options()) {
        const std::string name = option->get_name();
        if (!name.starts_with("--") || name == "--help") continue;
        OptionHelp entry;
        entry.name = name;
        entry.flag = option->get_expected_max() == 0;
        entry.valueName = entry.flag ? std::string() : option->get_type_name();
        entry.description = option->get_description();
        help.push_back(std::move(entry));
    }
    return help;
}

}  // namespace

std::vector<OptionHelp> OptionsOf(OptionGroup group)
{
    CLI::App app;
    switch (group) {
    case OptionGroup::kData: {
        cli::DataOptionValues values;
        cli::AddDataOptions(app, values);
        return HelpOf(app);
    }
    case OptionGroup::kFit: {
        cli::FitOptionValues values;
        cli::AddFitOptions(app, values);
        return HelpOf(app);
    }
    case OptionGroup::kSample: {
        cli::SampleOptionValues values;
        cli::AddSampleOptions(app, values);
        cli::FitOptionValues shift;  // mt1d sample's static-shift options
        cli::AddShiftOptions(app, shift);
        return HelpOf(app);
    }
    }
    return {};
}

jobs::DataOptions ParseDataArgs(const std::vector<std::string>& args, const std::string& file)
{
    CLI::App app;
    cli::DataOptionValues values;
    cli::AddDataOptions(app, values);
    Parse(app, args);
    values.file = file;
    return cli::ParseDataOptions(values).options;
}

jobs::FitOptions ParseFitArgs(const std::vector<std::string>& args)
{
    CLI::App app;
    cli::FitOptionValues values;
    cli::AddFitOptions(app, values);
    Parse(app, args);
    return cli::ParseFitOptions(values);
}

sampling::SamplingOptions ParseSampleArgs(const std::vector<std::string>& args)
{
    CLI::App app;
    cli::SampleOptionValues values;
    cli::AddSampleOptions(app, values);
    Parse(app, args);
    return cli::ParseSampleOptions(values);
}

FitRequest ParseFitCommandArgs(const std::vector<std::string>& args, const std::string& file)
{
    CLI::App app;
    cli::DataOptionValues data;
    cli::FitOptionValues fit;
    cli::AddDataOptions(app, data);
    cli::AddFitOptions(app, fit);
    Parse(app, args);
    data.file = file;
    FitRequest request;
    request.data = cli::ParseDataOptions(data).options;
    request.fit = cli::ParseFitOptions(fit);
    return request;
}

SampleRequest ParseSampleCommandArgs(const std::vector<std::string>& args, const std::string& file)
{
    CLI::App app;
    cli::DataOptionValues data;
    cli::SampleOptionValues sample;
    cli::FitOptionValues shift;
    cli::AddDataOptions(app, data);
    cli::AddSampleOptions(app, sample);
    cli::AddShiftOptions(app, shift);
    Parse(app, args);
    data.file = file;
    SampleRequest request;
    request.data = cli::ParseDataOptions(data).options;
    request.sample = cli::ParseSampleOptions(sample);
    request.sample.shift = cli::ParseShiftOptionsOnly(shift);
    return request;
}

BatchRequest ParseBatchCommandArgs(const std::vector<std::string>& args, const std::string& file)
{
    CLI::App app;
    cli::DataOptionValues data;
    cli::FitOptionValues fit;
    cli::SampleOptionValues sample;
    cli::AddDataOptions(app, data);
    cli::AddFitOptions(app, fit);
    cli::AddSampleOptions(app, sample, cli::SampleSeedOption::kShared);
    Parse(app, args);
    // In the order mt1d batch checks them: --method, the data options, the method's options.
    cli::BatchSamples(fit);
    data.file = file;
    BatchRequest request;
    request.data = cli::ParseDataOptions(data).options;
    cli::BatchMethod method = cli::ParseBatchMethod(app, fit, sample);
    request.fit = method.fit;
    request.sample = std::move(method.sample);
    return request;
}

}  // namespace mt1d::python
