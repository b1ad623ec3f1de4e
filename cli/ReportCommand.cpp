// mt1d report: the printable report of a site (PDF) from the FIT.json files of its fits. The
// command line and the pages are made here; the drawing runs in mt1d-section (ReportDrawing.h).

#include "cli/ReportDrawing.h"
#include "cli/SectionDrawing.h"
#include "cli/Subcommand.h"

#include "io/JsonReader.h"
#include "jobs/LoadCurve.h"
#include "report/FitJsonReader.h"

#include <filesystem>
#include <memory>
#include <stdexcept>

namespace mt1d::cli {

namespace {

ReportDrawer gDrawer = &StartReportProgram;

// The data file a fit names: as given, else beside the fit file.
std::filesystem::path DataFileOf(const std::string& named, const std::filesystem::path& fitFile)
{
    const std::filesystem::path path(named);
    std::error_code error;
    if (path.is_absolute() || std::filesystem::exists(path, error)) return path;
    const std::filesystem::path beside = fitFile.parent_path() / path;
    return std::filesystem::exists(beside, error) ? beside : path;
}

}  // namespace

void UseReportDrawer(ReportDrawer drawer) { gDrawer = drawer; }

std::vector<std::string> ReportProgramArguments(const ReportRequest& request)
{
    std::vector<std::string> args{"report", "--out=" + request.out, "--"};
    args.insert(args.end(), request.fits.begin(), request.fits.end());
    return args;
}

int StartReportProgram(const ReportRequest& request, std::ostream& out, std::ostream& err)
{
    return StartDrawingProgram(ReportProgramArguments(request), "the report", out, err);
}

report::ReportPage ReportPageOfFiles(const std::vector<std::string>& fits)
{
    report::ReportInput input;
    for (const std::string& file : fits) {
        try {
            input.fits.push_back(report::ReadFitJsonFile(file));
        } catch (const io::FileError& e) {
            throw InputError(std::string("无法读取拟合结果 (cannot read the fit: ") + e.what() + ")");
        } catch (const std::exception& e) {
            throw InputError("无法读取拟合结果 (cannot read the fit " + file + ": " + e.what() + ")");
        }
        const auto& first = input.fits.front().site;
        const auto& now = input.fits.back().site;
        if (now.name != first.name || now.sourceFile != first.sourceFile) {
            throw InputError("拟合结果不属于同一测点 (the fits are of different sites: " + first.name + " in " +
                             fits.front() + ", " + now.name + " in " + file + ")");
        }
    }
    const jobs::FitRecord& first = input.fits.front();
    if (first.site.sourceFile.empty()) {
        input.dataNote = "the fit names no data file";
    } else {
        const std::filesystem::path data = DataFileOf(first.site.sourceFile, fits.front());
        try {
            jobs::DataOptions options = first.curve;
            input.curve = jobs::LoadCurve(data, options).curve;
        } catch (const std::exception& e) {
            input.dataNote = data.string() + ": " + e.what();
        }
    }
    return report::MakeReportPage(input);
}

Subcommand AddReportCommand(CLI::App& mt1d)
{
    CLI::App* command = mt1d.add_subcommand(
        "report",
        "Writes the printable report of a site as a PDF of two A4 pages: the site and its\n"
        "location, the data with their error bars and the response of each fit, the models\n"
        "against depth with the depth of investigation, each model with the error factors of\n"
        "its values and the equivalence ranges of its layers, the RMS, the options of each fit\n"
        "and the program's version. The data are read again from the file the fit names.");
    auto values = std::make_shared<ReportRequest>();
    command->add_option("FIT", values->fits, "Results of `mt1d fit --format json` for one site (a layered and a\nsmooth fit, say).")
        ->type_name("")
        ->required();
    command->add_option("--out", values->out, "The report: a .pdf file.")->type_name("FILE")->required();
    command->footer(
        "Examples:\n"
        "  mt1d fit site.edi --method layered --layers 3 --format json > layered.json\n"
        "  mt1d fit site.edi --format json > occam.json\n"
        "  mt1d report layered.json occam.json --out site.pdf");
    return {command, [values](std::ostream& out, std::ostream& err) { return gDrawer(*values, out, err); }};
}

}  // namespace mt1d::cli
