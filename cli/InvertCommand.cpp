// mt1d invert: the window's inversion button pressed on the response of a model, as often as
// --repeat says, each run written out as soon as it has finished.

#include "cli/CommonOptions.h"
#include "classic/InputChecks.h"
#include "report/ResponseOutput.h"
#include "cli/Subcommand.h"
#include "io/Csv.h"

#include <algorithm>
#include <memory>

namespace mt1d::cli {

using io::CsvField;
using io::Json;
using io::JsonNumber;
using io::JsonText;
using io::NumberText;
using report::ModelJson;
using report::ResponseCsv;
using report::ResponseJson;
using report::ResponseListing;

namespace {

// Runs one invocation may ask for: each is printed as it finishes, so the cap bounds the
// time, not the memory.
constexpr int kMaxRepeat = 1000;

const std::vector<std::string> kSourceNames = {"res", "phase", "both"};
const std::vector<std::string> kMethodNames = {"svd", "constrained"};

struct InvertOptions {
    std::string model;
    std::string source;
    std::string method;
    std::string repeat;
    std::string bounds;
    bool hasBounds = false;
    std::string format;
};

// What the options ask for, converted.
struct InvertRequest {
    OutputFormat format = OutputFormat::kText;
    int source = kDefaultSource;
    int method = kDefaultMethod;
    int repeat = 1;
    ModelTable model;
    std::vector<std::string> boundPairs;  // LO:HI items of --bounds, as typed
    bool hasBounds = false;
};

std::vector<std::string> SplitItems(const std::string& text)
{
    std::vector<std::string> items;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(',', start);
        items.push_back(text.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return items;
}

int ParseRepeat(const std::string& value)
{
    int repeat = 0;
    try {
        repeat = ParseInt(value);
    } catch (const InputError&) {
        repeat = 0;
    }
    if (repeat < 1 || repeat > kMaxRepeat) {
        const std::string max = std::to_string(kMaxRepeat);
        const std::string v = Excerpt(value);
        RefuseUsage("--repeat 取 1 到 " + max + " 之间的整数：“" + v + "”",
                    "--repeat takes an integer from 1 to " + max + ", not '" + v + "'");
    }
    return repeat;
}

// The bounds dialog's rows from --bounds: LO:HI items, two per layer (resistivity, then
// thickness), for `layerCount` layers.
std::vector<BoundsRow> BoundsRows(const std::vector<std::string>& items, int layerCount)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const std::string& item : items) {
        const std::size_t colon = item.find(':');
        if (colon == std::string::npos || item.find(':', colon + 1) != std::string::npos) {
            const std::string i = Excerpt(item);
            RefuseUsage("--bounds 的每一项应写作 LO:HI：“" + i + "”",
                        "each item of --bounds must read LO:HI: '" + i + "'");
        }
        pairs.emplace_back(item.substr(0, colon), item.substr(colon + 1));
    }
    if (pairs.size() != 2 * static_cast<std::size_t>(layerCount)) {
        const std::string need = std::to_string(2 * layerCount);
        const std::string got = std::to_string(pairs.size());
        RefuseUsage("--bounds 需要 " + need + " 对 LO:HI（每层电阻率与厚度各一对），现有 " + got + " 对",
                    "--bounds needs " + need +
                        " LO:HI pairs (a resistivity and a thickness pair per layer), not " + got);
    }
    std::vector<BoundsRow> rows;
    for (int i = 0; i < layerCount; ++i) {
        const auto& res = pairs[2 * i];
        const auto& th = pairs[2 * i + 1];
        rows.push_back({res.first, res.second, th.first, th.second});
    }
    return rows;
}

InvertRequest Convert(const InvertOptions& options)
{
    InvertRequest request;
    request.format = ParseFormat(options.format);
    request.source = ParseChoice("--source", options.source, kSourceNames);
    request.method = ParseChoice("--method", options.method, kMethodNames);
    request.repeat = ParseRepeat(options.repeat);
    request.model = ParseModel(options.model);
    request.hasBounds = options.hasBounds;
    if (options.hasBounds) request.boundPairs = SplitItems(options.bounds);
    return request;
}

// ---------------------------------------------------------------- output

// Writes the three formats piece by piece: the head once, then each run, then the tail.
class InvertOutput {
public:
    InvertOutput(const InvertRequest& request, std::ostream& out) : request_(request), out_(out) {}

    void Head(const ModelStore& store)
    {
        switch (request_.format) {
        case OutputFormat::kText:
            break;
        case OutputFormat::kCsv:
            out_ << ResponseCsv(store) << "\n"
                 << "run,iterations,misfit,succeeded,message,layer,resistivity_ohm_m,thickness_m\n";
            break;
        case OutputFormat::kJson:
            out_ << "{\n  \"model\": " << JsonText(ModelJson(store), 2)
                 << ",\n  \"response\": " << JsonText(ResponseJson(store), 2)
                 << ",\n  \"source\": " << Json(kSourceNames[request_.source]).dump()
                 << ",\n  \"method\": " << Json(kMethodNames[request_.method]).dump()
                 << ",\n  \"inversions\": [";
            break;
        }
    }

    // Run `number` (from 1) and the layers of its result as the report lists them.
    void Run(int number, const InversionOutcome& outcome, const ModelStore& store)
    {
        const int layers = std::clamp(outcome.paramCount / 2 + 1, 0, kStoreSlots);
        switch (request_.format) {
        case OutputFormat::kText:
            // Each report ends with a line break; one more leaves a blank line between two.
            if (number > 1) out_ << "\n";
            out_ << outcome.report;
            break;
        case OutputFormat::kCsv: {
            // One row per result layer, the run's figures repeated on each.
            const mt::RunSummary& s = outcome.summary;
            const std::string head = std::to_string(number) + "," + std::to_string(s.iterations) +
                                     "," + NumberText(s.misfit) + "," +
                                     (s.succeeded ? "true" : "false") + "," +
                                     CsvField(outcome.message) + ",";
            for (int i = 0; i < layers; ++i) {
                out_ << head << std::to_string(i + 1) << "," << NumberText(store.InvRes[i]) << ","
                     << NumberText(store.InvThick[i]) << "\n";
            }
            break;
        }
        case OutputFormat::kJson: {
            Json model = Json::array();
            for (int i = 0; i < layers; ++i) {
                model.push_back({{"layer", i + 1},
                                 {"resistivity", JsonNumber(store.InvRes[i])},
                                 {"thickness", JsonNumber(store.InvThick[i])}});
            }
            const mt::RunSummary& s = outcome.summary;
            const Json run = {{"run", number},
                              {"ending", std::string(mt::EndingName(s.ending))},
                              {"message", outcome.message},
                              {"iterations", s.iterations},
                              {"misfit", JsonNumber(s.misfit)},
                              {"succeeded", s.succeeded},
                              {"model", model},
                              {"report", outcome.report}};
            out_ << (number > 1 ? ",\n    " : "\n    ") << JsonText(run, 4);
            break;
        }
        }
        out_.flush();
    }

    void Tail()
    {
        if (request_.format == OutputFormat::kJson) out_ << "\n  ]\n}\n";
    }

private:
    const InvertRequest& request_;
    std::ostream& out_;
};

int RunInvertCommand(const InvertOptions& options, std::ostream& out, std::ostream& err)
{
    const InvertRequest request = Convert(options);
    auto store = std::make_unique<ModelStore>();
    RunForward(*store, request.model.layerCountText, request.model.rows);
    if (request.hasBounds) {
        ApplyBoundsTable(*store, BoundsRows(request.boundPairs, store->LayerCount));
    }

    // The first run refuses what the inversion cannot use (too many layers, unusable bounds)
    // before anything is written; the later runs use the same layers and bounds.
    InvertOutput output(request, out);
    int failed = 0;
    for (int k = 1; k <= request.repeat; ++k) {
        const InversionOutcome outcome = RunInversion(*store, request.source, request.method);
        if (k == 1) output.Head(*store);
        output.Run(k, outcome, *store);
        if (!outcome.summary.succeeded) {
            ++failed;
            const std::string run = std::to_string(k);
            const std::string ending(mt::EndingName(outcome.summary.ending));
            err << "mt1d: 第 " << run << " 次反演未成功：" << ending << " (run " << run
                << " ended without success: " << ending << ")\n";
        }
    }
    output.Tail();
    return failed > 0 ? kRunFailed : kSuccess;
}

}  // namespace

Subcommand AddInvertCommand(CLI::App& mt1d)
{
    CLI::App* command = mt1d.add_subcommand(
        "invert",
        "Computes the forward response of the model, takes it as observed data and inverts it,\n"
        "as the window's inversion button does: the first run starts from 0.2 times the model,\n"
        "each further run (--repeat) from the previous result. Prints each run's report as\n"
        "soon as the run has finished; two reports are separated by a blank line.");
    auto options = std::make_shared<InvertOptions>();
    AddModelOption(*command, options->model);
    options->source = kSourceNames[kDefaultSource];
    command
        ->add_option("--source", options->source,
                     "Data to fit: res (apparent resistivity, at most 15 layers), phase (at\n"
                     "most 15 layers) or both (at most 9 layers). Default: res")
        ->type_name("S");
    options->method = kMethodNames[kDefaultMethod];
    command
        ->add_option("--method", options->method,
                     "svd (singular value inversion, bounds unused) or constrained\n"
                     "(constrained inversion within the bounds). Default: svd")
        ->type_name("M");
    options->repeat = "1";
    command
        ->add_option("--repeat", options->repeat,
                     "Number of successive inversion runs, 1 to " + std::to_string(kMaxRepeat) +
                         ". Default: 1")
        ->type_name("K");
    CLI::Option* bounds = command->add_option(
        "--bounds", options->bounds,
        "Replaces the default bounds (0.1 and 10 times each model value, the top\n"
        "resistivity fixed at its value) like the parameter-range dialog: LO:HI\n"
        "pairs separated by commas, two per layer in the order resistivity, then\n"
        "thickness, for every layer including the half-space (2N pairs for N\n"
        "layers). Each value is kept as typed (float). The constrained method\n"
        "refuses bounds that are not positive, whose LO is above HI, or that lie\n"
        "outside " + FormatLimit(kMinResistivityBound) + " to " + FormatLimit(kMaxResistivityBound) +
            " ohm-m and " + FormatLimit(kMinThicknessBound) + " to " + FormatLimit(kMaxThicknessBound) +
            " m.");
    bounds->type_name("BOUNDS");
    AddFormatOption(
        *command, options->format,
        "text (default): the reports as the window shows them.\n"
        "csv: the table period_s,frequency_hz,apparent_resistivity_ohm_m,phase_deg\n"
        "(phase in degrees), a blank line, then\n"
        "run,iterations,misfit,succeeded,message,layer,resistivity_ohm_m,thickness_m\n"
        "with one row per result layer.\n"
        "json: an object with \"model\" (layers: layer, resistivity, thickness),\n"
        "\"response\" (period, frequency, apparent_resistivity, phase_deg), \"source\",\n"
        "\"method\" and \"inversions\" (run, ending, message, iterations, misfit,\n"
        "succeeded, model, report).");
    command->footer(
        "A run that ends without success (\"succeeded\": false: the attempt limit, a failed\n"
        "decomposition, a sensitivity of rank zero, a misfit that is no longer a finite number)\n"
        "is printed like the others and named on standard error; mt1d then exits with status 1.\n"
        "\n"
        "Example:\n"
        "  mt1d invert --model 1000:500,10:500,1000 --source both --method constrained \\\n"
        "      --bounds 1000:1000,50:5000,1:100,50:5000,100:10000,10:1000 --repeat 2 --format json");
    return {command, [options, bounds](std::ostream& out, std::ostream& err) {
                options->hasBounds = bounds->count() > 0;
                return RunInvertCommand(*options, out, err);
            }};
}

}  // namespace mt1d::cli
