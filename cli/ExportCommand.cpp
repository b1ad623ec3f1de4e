// mt1d export: a batch or profile folder written for GIS and 3-D viewers, the format chosen by
// the suffix of --out (section/Export.h does the work).

#include "cli/Cli.h"
#include "cli/Subcommand.h"
#include "io/AtomicFile.h"
#include "section/Export.h"

#include <filesystem>
#include <memory>

namespace mt1d::cli {

namespace {

struct ExportCommandValues {
    std::string folder;
    std::string out;
};

int RunExportCommand(const ExportCommandValues& values, std::ostream& out, std::ostream& err)
{
    if (values.folder.empty()) RefuseUsage("缺少文件夹：mt1d export DIR --out FILE", "a folder is needed: mt1d export DIR --out FILE");
    std::size_t sites = 0;
    try {
        section::ExportFormatOf(values.out);
    } catch (const section::SurveyError& e) {
        RefuseUsage(std::string("--out 的后缀有误 (--out: ") + e.what() + ")", std::string("--out: ") + e.what());
    }
    try {
        sites = section::ExportFolder(values.folder, values.out);
    } catch (const section::SurveyError& e) {
        RefuseInput("无法导出", std::string("cannot export: ") + e.what());
    } catch (const io::WriteError& e) {
        err << "mt1d: 无法写出 (" << e.what() << ")\n";
        return kRunFailed;
    }
    out << values.out << ": " << sites << " sites\n";
    return kSuccess;
}

}  // namespace

Subcommand AddExportCommand(CLI::App& mt1d)
{
    CLI::App* command = mt1d.add_subcommand(
        "export",
        "Writes the sites or models of a batch or profile folder for GIS and 3-D viewers, the\n"
        "format chosen by the suffix of --out:\n"
        "  .geojson  one point per site (longitude, latitude), the columns of summary.csv as\n"
        "            properties;\n"
        "  .kml      the same as KML placemarks (Google Earth, QGIS);\n"
        "  .csv      the models, one row per layer: site, distance_km, latitude, longitude,\n"
        "            top_m, bottom_m (empty for the half-space), resistivity_ohmm;\n"
        "  .vtk      the models as a legacy VTK file of cells in the plane of the profile\n"
        "            (ParaView): x the distance along it in m, z minus the depth in m, the\n"
        "            half-space down to the depth of investigation; cell data resistivity_ohmm\n"
        "            and log10_resistivity.\n"
        "Sites are placed along the profile as mt1d section places them. The file is written\n"
        "whole or not at all.");
    auto values = std::make_shared<ExportCommandValues>();
    command->add_option("DIR", values->folder, "The folder of mt1d batch or mt1d profile.")->type_name("");
    command->add_option("--out", values->out, "The file to write: .geojson, .kml, .csv or .vtk.")
        ->type_name("FILE")
        ->required();
    command->footer(
        "Exit status: 0 when the file was written, 1 when it could not be, 2 for a folder that\n"
        "cannot be read or a suffix not known.\n"
        "\n"
        "Examples:\n"
        "  mt1d export fits --out sites.geojson\n"
        "  mt1d export line1-lci --out line1.vtk");
    return {command, [values](std::ostream& out, std::ostream& err) { return RunExportCommand(*values, out, err); }};
}

}  // namespace mt1d::cli
