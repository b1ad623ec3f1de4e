// The three output formats of mt1d: the window's texts, CSV tables and a JSON document.

#include "CliRun.h"
#include "TextEncoding.h"

namespace mt1d::cli {

namespace {

const char* const kSourceNames[] = {"res", "phase", "both"};
const char* const kMethodNames[] = {"svd", "constrained"};

std::string Text(const CliResult& result)
{
    std::string out;
    if (result.inversions.empty()) {
        for (const std::string& line : result.listing) out += line + "\n";
        return out;
    }
    // Each report ends with a line break; one more leaves a blank line between two.
    for (std::size_t k = 0; k < result.inversions.size(); ++k) {
        if (k > 0) out += "\n";
        out += result.inversions[k].outcome.report;
    }
    return out;
}

std::string CsvResponse(const CliResult& result)
{
    std::string out = "period_s,frequency_hz,apparent_resistivity_ohm_m,phase_deg\n";
    for (const ResponseRow& row : result.response) {
        out += NumberText(row.period) + "," + NumberText(row.frequency) + "," +
               NumberText(row.appRes) + "," + NumberText(row.phaseDegrees) + "\n";
    }
    return out;
}

// One row per result layer, the run's figures repeated on each.
std::string CsvInversions(const CliResult& result)
{
    std::string out = "run,iterations,misfit,succeeded,message,layer,resistivity_ohm_m,thickness_m\n";
    for (std::size_t k = 0; k < result.inversions.size(); ++k) {
        const InversionRun& run = result.inversions[k];
        const std::string head = std::to_string(k + 1) + "," +
                                 std::to_string(run.outcome.iterations) + "," +
                                 NumberText(run.outcome.misfit) + "," +
                                 (run.outcome.succeeded ? "true" : "false") + "," +
                                 CsvField(run.outcome.message) + ",";
        for (std::size_t i = 0; i < run.model.size(); ++i) {
            out += head + std::to_string(i + 1) + "," + NumberText(run.model[i].resistivity) + "," +
                   NumberText(run.model[i].thickness) + "\n";
        }
    }
    return out;
}

std::string JsonLayers(const std::vector<LayerValues>& layers, const std::string& indent)
{
    std::string out = "[";
    for (std::size_t i = 0; i < layers.size(); ++i) {
        out += (i == 0 ? "\n" : ",\n") + indent + "  {\"layer\": " + std::to_string(i + 1) +
               ", \"resistivity\": " + NumberText(layers[i].resistivity) +
               ", \"thickness\": " + NumberText(layers[i].thickness) + "}";
    }
    return out + "\n" + indent + "]";
}

std::string JsonResponse(const CliResult& result)
{
    std::string out = "[";
    for (std::size_t k = 0; k < result.response.size(); ++k) {
        const ResponseRow& row = result.response[k];
        out += (k == 0 ? "\n" : ",\n");
        out += "    {\"period\": " + NumberText(row.period) + ", \"frequency\": " +
               NumberText(row.frequency) + ", \"apparent_resistivity\": " + NumberText(row.appRes) +
               ", \"phase_deg\": " + NumberText(row.phaseDegrees) + "}";
    }
    return out + "\n  ]";
}

std::string JsonInversions(const CliResult& result)
{
    std::string out = "[";
    for (std::size_t k = 0; k < result.inversions.size(); ++k) {
        const InversionRun& run = result.inversions[k];
        out += (k == 0 ? "\n" : ",\n");
        out += "    {\n";
        out += "      \"run\": " + std::to_string(k + 1) + ",\n";
        out += "      \"message\": " + JsonString(run.outcome.message) + ",\n";
        out += "      \"iterations\": " + std::to_string(run.outcome.iterations) + ",\n";
        out += "      \"misfit\": " + NumberText(run.outcome.misfit) + ",\n";
        out += std::string("      \"succeeded\": ") + (run.outcome.succeeded ? "true" : "false") + ",\n";
        out += "      \"model\": " + JsonLayers(run.model, "      ") + ",\n";
        out += "      \"report\": " + JsonString(run.outcome.report) + "\n";
        out += "    }";
    }
    return out + "\n  ]";
}

std::string Json(const CliOptions& options, const CliResult& result)
{
    std::string out = "{\n";
    out += "  \"model\": " + JsonLayers(result.model, "  ") + ",\n";
    out += "  \"response\": " + JsonResponse(result);
    if (options.command == Command::kInvert) {
        out += ",\n";
        out += "  \"source\": " + JsonString(kSourceNames[options.source]) + ",\n";
        out += "  \"method\": " + JsonString(kMethodNames[options.method]) + ",\n";
        out += "  \"inversions\": " + JsonInversions(result);
    }
    return out + "\n}\n";
}

}  // namespace

std::string FormatResult(const CliOptions& options, const CliResult& result)
{
    switch (options.format) {
    case OutputFormat::kCsv:
        if (options.command == Command::kInvert) return CsvResponse(result) + "\n" + CsvInversions(result);
        return CsvResponse(result);
    case OutputFormat::kJson:
        return Json(options, result);
    case OutputFormat::kText:
        break;
    }
    return Text(result);
}

}  // namespace mt1d::cli
