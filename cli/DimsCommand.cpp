// mt1d dims: whether a sounding is one-dimensional, frequency by frequency, from the phase
// tensor of its impedance.

#include "cli/Cli.h"
#include "cli/CommonOptions.h"
#include "cli/DataOptions.h"
#include "cli/OptionValues.h"
#include "cli/Subcommand.h"
#include "io/Excerpt.h"
#include "jobs/SiteDims.h"
#include "report/DimsWriters.h"

#include <memory>

namespace mt1d::cli {

namespace {

struct DimsCommandValues {
    DataOptionValues data;
    std::string maxSkew = "3";
    std::string maxEllipticity = "0.1";
    bool withinErrors = false;
    std::string format;
};

int RunDimsCommand(DimsCommandValues values, std::ostream& out)
{
    values.data.floor = "5";  // no curve is fitted; the floor only has to be a valid one
    const DataRequest request = ParseDataOptions(values.data);
    dims::DimsOptions limits;
    limits.maxSkewDeg = ParseNumberOption("--max-skew", values.maxSkew, 0.0, 45.0, "0 to 45");
    limits.maxEllipticity = ParseNumberOption("--max-ellipticity", values.maxEllipticity, 0.0, 1.0, "0 to 1");
    limits.withinErrors = values.withinErrors;
    const OutputFormat format = ParseFormat(values.format);
    const jobs::LoadedCurve loaded = LoadCurve(request);
    const std::optional<dims::DimsResult> result = jobs::SiteDims(loaded.sounding, limits);
    if (!result) {
        const std::string file = Excerpt(request.file);
        RefuseInput(file + " 只有视电阻率和相位，没有阻抗张量，无法分析维度",
                    file + " holds apparent resistivity and phase only; the phase tensor needs the impedance tensor");
    }
    switch (format) {
    case OutputFormat::kText: out << report::DimsText(loaded.site, *result); break;
    case OutputFormat::kCsv: out << report::DimsCsv(*result); break;
    case OutputFormat::kJson: out << report::JsonLayout(report::DimsJson(loaded.site, *result)) << "\n"; break;
    }
    return kSuccess;
}

}  // namespace

Subcommand AddDimsCommand(CLI::App& mt1d)
{
    CLI::App* command = mt1d.add_subcommand(
        "dims",
        "Says frequency by frequency whether a sounding looks one-dimensional, from the phase\n"
        "tensor of its impedance (Caldwell, Bibby & Brown 2004): Phi_max and Phi_min (as angles:\n"
        "both the impedance phase over a 1-D earth), alpha, the skew angle beta, the strike\n"
        "alpha - beta (modulo 90°, clockwise from north), the ellipticity, with first-order\n"
        "errors from the impedance variances, and the Swift and Bahr skews. A row is 1-D when\n"
        "|beta| and the ellipticity are within the limits; the site's strike is the\n"
        "error-weighted circular mean over the 2-D rows (ellipticity above its limit, |beta|\n"
        "within). The rows a fit keeps with --only-1d are those marked 1-D here.");
    auto values = std::make_shared<DimsCommandValues>();
    AddSoundingFile(*command, values->data);
    values->data.rotateOption =
        command
            ->add_option("--rotate", values->data.rotate,
                         "Rotates the impedance tensor into the frame whose x axis points DEG clockwise\n"
                         "from north. The invariants and the strike (from north) do not change.")
            ->type_name("DEG");
    values->data.varConventionOption =
        command
            ->add_option("--var-convention", values->data.varConvention,
                         "EDI files: what Z.VAR is the variance of, complex or part (as for mt1d data);\n"
                         "it scales the errors of beta, the ellipticity and the strike.")
            ->type_name("C");
    command
        ->add_option("--max-skew", values->maxSkew, "The largest |beta| of a 1-D row in degrees, 0 to 45. Default: 3")
        ->type_name("DEG");
    command
        ->add_option("--max-ellipticity", values->maxEllipticity,
                     "The largest ellipticity of a 1-D row, 0 to 1. Default: 0.1")
        ->type_name("X");
    command->add_flag("--within-errors", values->withinErrors,
                      "Also calls a row 1-D when |beta| and the ellipticity exceed their limits by\n"
                      "no more than two standard errors.");
    AddFormatOption(*command, values->format,
                    "text (default): a table for a person with each row's verdict (1-D, 2-D, 3-D or\n"
                    "why it has none), the share of 1-D rows and the site's strike.\n"
                    "csv: frequency_hz,period_s,phi_max_deg,phi_min_deg,alpha_deg,beta_deg,\n"
                    "beta_sd_deg,strike_deg,strike_sd_deg,ellipticity,ellipticity_sd,swift_skew,\n"
                    "bahr_skew,one_d,two_d,reason (an unknown value is an empty field).\n"
                    "json: site, limits, rows (the csv columns; null where unknown), computed_rows,\n"
                    "one_d_rows, two_d_rows, one_d_fraction, strike_deg, strike_sd_deg, notes.");
    command->footer(
        "A file of apparent resistivity and phase only has no tensor and is refused (exit 2).\n\n"
        "Examples:\n"
        "  mt1d dims site.edi\n"
        "  mt1d dims site.edi --max-skew 5 --within-errors --format json");
    return {command, [values](std::ostream& out, std::ostream&) { return RunDimsCommand(*values, out); }};
}

}  // namespace mt1d::cli
