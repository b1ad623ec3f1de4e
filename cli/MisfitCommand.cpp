// mt1d misfit: a given layered model scored against a measured sounding, as the fits score
// their models.

#include "cli/Cli.h"
#include "cli/CommonOptions.h"
#include "cli/DataOptions.h"
#include "cli/OptionValues.h"
#include "cli/Subcommand.h"
#include "fitting/OccamMesh.h"
#include "jobs/ScoreModel.h"
#include "report/MisfitWriters.h"

#include <memory>

namespace mt1d::cli {

namespace {

struct MisfitCommandValues {
    DataOptionValues data;
    std::string model;
    std::string fit = "both";
    std::string format;
    CLI::Option* modelOption = nullptr;
};

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts(1);
    for (const char c : text) {
        if (c == separator) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

// RES:TH,...,RES: every layer a positive resistivity and thickness, the half-space a
// resistivity alone.
earth::LayeredModel ParseModelOption(const std::string& text)
{
    earth::LayeredModel model;
    const std::vector<std::string> items = Split(text, ',');
    // As many layers as any fit makes, so that an Occam model can be scored too.
    if (items.size() > fitting::kMaxOccamLayers) {
        RefuseUsage("--model 最多 " + std::to_string(fitting::kMaxOccamLayers) + " 层",
                    "--model takes at most " + std::to_string(fitting::kMaxOccamLayers) + " layers");
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::vector<std::string> fields = Split(items[i], ':');
        const bool last = i + 1 == items.size();
        const std::string layer = std::to_string(i + 1);
        if (fields.size() != (last ? 1u : 2u)) {
            const std::string item = Excerpt(items[i]);
            if (last) {
                RefuseUsage("--model 的最后一层是半空间，只写电阻率 RES：“" + item + "”",
                            "the last layer of --model is the half-space, RES alone: '" + item + "'");
            }
            RefuseUsage("--model 的第 " + layer + " 层应写作 RES:TH：“" + item + "”",
                        "layer " + layer + " of --model must read RES:TH: '" + item + "'");
        }
        model.resistivity.push_back(ParsePositiveOption("--model (layer " + layer + ")", fields[0]));
        if (!last) model.thickness.push_back(ParsePositiveOption("--model (layer " + layer + ")", fields[1]));
    }
    return model;
}

int RunMisfitCommand(const MisfitCommandValues& values, std::ostream& out)
{
    // Every option is checked before the file is read.
    const DataRequest request = ParseDataOptions(values.data);
    if (values.modelOption == nullptr || values.modelOption->count() == 0) {
        RefuseUsage("缺少 --model RES:TH,...,RES", "--model RES:TH,...,RES is needed");
    }
    const earth::LayeredModel model = ParseModelOption(values.model);
    const std::vector<std::string> names = {"rho", "phase", "both"};
    const std::vector<fitting::FitComponents> components = {fitting::FitComponents::kRho,
                                                            fitting::FitComponents::kPhase,
                                                            fitting::FitComponents::kBoth};
    const fitting::FitComponents fit = components[static_cast<std::size_t>(ParseChoice("--fit", values.fit, names))];
    const OutputFormat format = ParseFormat(values.format);
    if (format == OutputFormat::kCsv) RefuseUsage("--format 只能取 text|json", "--format takes text|json here, not csv");
    const jobs::LoadedCurve loaded = LoadCurve(request);
    const jobs::ScoreRun run = jobs::ScoreModel(loaded, model, fit);
    if (!run.score) RefuseInput("无法计算拟合差", "the misfit cannot be computed: " + run.refusal);
    const report::MisfitContext context{loaded.site, loaded.options, fit, model};
    if (format == OutputFormat::kJson) {
        out << report::JsonLayout(report::MisfitJson(context, *run.score)) << "\n";
    } else {
        out << report::MisfitText(context, *run.score);
    }
    return kSuccess;
}

}  // namespace

Subcommand AddMisfitCommand(CLI::App& mt1d)
{
    CLI::App* command = mt1d.add_subcommand(
        "misfit",
        "Scores a layered model against a measured sounding exactly as the fits score their\n"
        "models: chi-square over the usable rows (log10 apparent resistivity and phase, each\n"
        "weighted by its error), the number of values and RMS = sqrt(chi-square / N), and the\n"
        "model's response. Tests a hypothesis (a layer a fit left out, a depth from a\n"
        "borehole) against the data.");
    auto values = std::make_shared<MisfitCommandValues>();
    AddSoundingFile(*command, values->data);
    AddDataOptions(*command, values->data);
    values->modelOption =
        command
            ->add_option("--model", values->model,
                         "The model, from the top: RES:TH for each layer (resistivity in ohm-m,\n"
                         "thickness in m), then RES of the half-space, e.g. 100:500,10:1000,1000.")
            ->type_name("MODEL");
    command->add_option("--fit", values->fit, "What to score: rho, phase, or both. Default: both")->type_name("WHAT");
    AddFormatOption(*command, values->format,
                    "text (default): the site, the model and the misfit, for a person.\n"
                    "json: \"site\", \"options\", \"model\", \"rms\", \"chi2\", \"count\" and the\n"
                    "\"response\" (frequency_hz, rho_ohmm, phase_deg at every row).");
    command->footer(
        "Examples:\n"
        "  mt1d misfit site.edi --model 100:500,10:1000,1000\n"
        "  mt1d misfit aushield.dat --columns period,log10rho,log10rho_err,phase,phase_err \\\n"
        "      --floor 0 --model 300:3000,30:20000,1000 --format json");
    return {command, [values](std::ostream& out, std::ostream&) { return RunMisfitCommand(*values, out); }};
}

}  // namespace mt1d::cli
