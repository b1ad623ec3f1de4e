// mt1d fit: a smooth (Occam) or layered model of a measured sounding.

#include "cli/CommonOptions.h"
#include "cli/DataOptions.h"
#include "report/FitCsv.h"
#include "report/FitJson.h"
#include "cli/FitOptions.h"
#include "report/FitText.h"
#include "cli/Subcommand.h"

#include <memory>

namespace mt1d::cli {

namespace {

struct FitCommandValues {
    DataOptionValues data;
    FitOptionValues fit;
    std::string format;
};

int RunFitCommand(const FitCommandValues& values, std::ostream& out, std::ostream& err)
{
    // Every option is checked before the file is read, the file before anything is fitted.
    const DataRequest dataRequest = ParseDataOptions(values.data);
    const jobs::FitOptions fitOptions = ParseFitOptions(values.fit);
    const OutputFormat format = ParseFormat(values.format);
    const jobs::LoadedCurve loaded = LoadCurve(dataRequest);
    const jobs::FitRecord record = RunFit(loaded, fitOptions);
    switch (format) {
    case OutputFormat::kText: out << report::FitText(record); break;
    case OutputFormat::kCsv: out << report::FitModelCsv(record); break;
    case OutputFormat::kJson: out << report::FitJsonText(record); break;
    }
    if (jobs::FitSucceeded(record.report)) return kSuccess;
    const std::string status(fitting::ToString(record.report.status));
    err << "mt1d: 拟合未达到目标：" << status << " (the fit did not reach its goal: " << status << "; "
        << record.report.message << ")\n";
    return kRunFailed;
}

}  // namespace

Subcommand AddFitCommand(CLI::App& mt1d)
{
    CLI::App* command = mt1d.add_subcommand(
        "fit",
        "Fits a model of horizontal layers to a measured sounding (its curve as mt1d data\n"
        "prints it, the usable rows), each value weighted by its error: log10 apparent\n"
        "resistivity and the impedance phase in degrees. Prints the model, the misfit (RMS)\n"
        "and how the run ended, the response of the model, the Niblett-Bostick transform of\n"
        "the data and the depth of investigation.");
    auto values = std::make_shared<FitCommandValues>();
    AddSoundingFile(*command, values->data);
    AddDataOptions(*command, values->data);
    AddFitOptions(*command, values->fit);
    AddFormatOption(*command, values->format,
                    "text (default): a short report for a person.\n"
                    "csv: the model, layer,top_m,thickness_m,resistivity_ohmm,log10_rho_sd,\n"
                    "log10_thickness_sd (the half-space has no thickness).\n"
                    "json: everything, the options used and the site included: method, mode,\n"
                    "status, rms, roughness, iterations, target_reached, message, history,\n"
                    "layers, correlation, response, niblett_bostick, depth_of_investigation_m;\n"
                    "a result file that mt1d reads back.");
    command->footer(
        "A fit that ends without reaching its goal (occam: the target RMS; layered: a settled\n"
        "minimum; either: the iteration limit) is printed in full and named on standard error;\n"
        "mt1d then exits with status 1.\n"
        "\n" + UsableRowsHelp() + "\n\n"
        "Examples:\n"
        "  mt1d fit site.edi --floor 5 --target-rms 1 --format json > site.fit.json\n"
        "  mt1d fit aushield.dat --columns period,log10rho,log10rho_err,phase,phase_err \\\n"
        "      --floor 0 --method layered --layers 3");
    return {command, [values](std::ostream& out, std::ostream& err) { return RunFitCommand(*values, out, err); }};
}

}  // namespace mt1d::cli
