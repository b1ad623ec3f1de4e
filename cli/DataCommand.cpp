// mt1d data: the site and the apparent-resistivity and phase curve of a sounding file.

#include "cli/CommonOptions.h"
#include "report/CurveWriters.h"
#include "sounding/Modes.h"

#include <sstream>
#include <string>
#include "cli/DataOptions.h"
#include "cli/Subcommand.h"

#include <memory>

namespace mt1d::cli {

namespace {

struct DataCommandValues {
    DataOptionValues data;
    std::string format;
};

int RunDataCommand(const DataCommandValues& values, std::ostream& out)
{
    const DataRequest request = ParseDataOptions(values.data);
    const OutputFormat format = ParseFormat(values.format);
    const jobs::LoadedCurve loaded = LoadCurve(request);
    if (loaded.second) {
        // --mode xy+yx: both curves; the CSV gains a first column naming each row's curve.
        switch (format) {
        case OutputFormat::kText:
            out << report::CurveText(loaded.site, loaded.curve) << "\n" << report::CurveText(loaded.site, *loaded.second);
            break;
        case OutputFormat::kCsv: {
            bool header = true;
            for (const sounding::Curve* curve : {&loaded.curve, &*loaded.second}) {
                std::istringstream lines(report::CurveCsv(*curve));
                std::string line;
                for (bool first = true; std::getline(lines, line); first = false) {
                    if (first && !header) continue;
                    out << (first ? std::string("mode") : std::string(sounding::ModeName(curve->mode))) << "," << line
                        << "\n";
                }
                header = false;
            }
            break;
        }
        case OutputFormat::kJson: {
            report::Json both = report::Json::array();
            both.push_back(report::CurveJson(loaded.site, loaded.curve));
            both.push_back(report::CurveJson(loaded.site, *loaded.second));
            out << report::JsonLayout(both) << "\n";
            break;
        }
        }
        return kSuccess;
    }
    switch (format) {
    case OutputFormat::kText: out << report::CurveText(loaded.site, loaded.curve); break;
    case OutputFormat::kCsv: out << report::CurveCsv(loaded.curve); break;
    case OutputFormat::kJson: out << report::JsonLayout(report::CurveJson(loaded.site, loaded.curve)) << "\n"; break;
    }
    return kSuccess;
}

}  // namespace

Subcommand AddDataCommand(CLI::App& mt1d)
{
    CLI::App* command = mt1d.add_subcommand(
        "data",
        "Reads a measured sounding and prints its site and the apparent resistivity and phase\n"
        "curve of one mode, highest frequency first, with one standard error for each value and\n"
        "whether the row can be fitted. The phase is the impedance phase in degrees (45° over a\n"
        "half-space), not the classic phase of forward and invert.");
    auto values = std::make_shared<DataCommandValues>();
    AddSoundingFile(*command, values->data);
    AddDataOptions(*command, values->data);
    AddFormatOption(*command, values->format,
                    "text (default): the site, the table and the notes, for a person.\n"
                    "csv: frequency_hz,period_s,rho_ohmm,rho_err_ohmm,phase_deg,phase_err_deg,usable\n"
                    "(an unknown value of an unusable row is an empty field).\n"
                    "json: an object with \"site\" (name, file, latitude_deg, longitude_deg,\n"
                    "elevation_m), \"mode\", \"floor_percent\", \"rows\" (objects with the csv\n"
                    "columns; null for an unknown value) and \"notes\" (warnings, and why each\n"
                    "unusable row is unusable).");
    command->footer(
        UsableRowsHelp() + "\n\n"
        "Examples:\n"
        "  mt1d data site.edi --mode xy --floor 2\n"
        "  mt1d data aushield.dat --columns period,log10rho,log10rho_err,phase,phase_err \\\n"
        "      --floor 0 --format csv");
    return {command, [values](std::ostream& out, std::ostream&) { return RunDataCommand(*values, out); }};
}

}  // namespace mt1d::cli
