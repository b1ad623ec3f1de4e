// mt1d forward: the response of a layered model, as the window's forward button computes it.

#include "cli/CommonOptions.h"
#include "report/ResponseOutput.h"
#include "cli/Subcommand.h"
#include "io/Csv.h"

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

struct ForwardOptions {
    std::string model;
    std::string format;
};

int RunForwardCommand(const ForwardOptions& options, std::ostream& out)
{
    const OutputFormat format = ParseFormat(options.format);
    const ModelTable table = ParseModel(options.model);
    // The store is a few kilobytes of arrays: on the heap.
    auto store = std::make_unique<ModelStore>();
    RunForward(*store, table.layerCountText, table.rows);

    switch (format) {
    case OutputFormat::kText:
        out << ResponseListing(*store);
        break;
    case OutputFormat::kCsv:
        out << ResponseCsv(*store);
        break;
    case OutputFormat::kJson: {
        const Json document = {{"model", ModelJson(*store)}, {"response", ResponseJson(*store)}};
        out << JsonText(document, 0) << "\n";
        break;
    }
    }
    return kSuccess;
}

}  // namespace

Subcommand AddForwardCommand(CLI::App& mt1d)
{
    CLI::App* command = mt1d.add_subcommand(
        "forward",
        "Computes the response of the layered model at the 41 sounding frequencies, 1e-4 Hz to\n"
        "1e4 Hz five per decade, and prints one line per frequency in ascending order:\n"
        "\"frequency apparent-resistivity phase\" (Hz, ohm-m, radians), each as 0.0E+00.");
    auto options = std::make_shared<ForwardOptions>();
    AddModelOption(*command, options->model);
    AddFormatOption(*command, options->format,
                    "text (default): the listing as the window shows it.\n"
                    "csv: the table period_s,frequency_hz,apparent_resistivity_ohm_m,phase_deg\n"
                    "(phase in degrees).\n"
                    "json: an object with \"model\" (layers: layer, resistivity, thickness)\n"
                    "and \"response\" (period, frequency, apparent_resistivity, phase_deg).");
    command->footer("Example:\n  mt1d forward --model 100:1000,10 --format csv");
    return {command, [options](std::ostream& out, std::ostream&) {
                return RunForwardCommand(*options, out);
            }};
}

}  // namespace mt1d::cli
