// mt1d section: the resistivity section of a batch output folder as a PNG, SVG or PDF figure.

#include "render/SectionFigure.h"
#include "cli/OptionValues.h"
#include "cli/Subcommand.h"

#include "section/Section.h"
#include "section/SurveyFolder.h"

#include <cmath>
#include <memory>
#include <stdexcept>

namespace mt1d::cli {

namespace {

struct SectionCommandValues {
    std::string folder;
    std::string out;
    std::string profile = "auto";
    std::string depth;
    CLI::Option* depthOption = nullptr;
    bool depthGiven() const { return depthOption != nullptr && depthOption->count() > 0; }
};

section::SectionOptions ParseSectionOptions(const SectionCommandValues& values)
{
    section::SectionOptions options;
    if (values.profile != "auto") {
        try {
            options.profile = section::ParseProfileLine(values.profile);
        } catch (const std::invalid_argument& e) {
            RefuseUsage("--profile 应为 auto 或 LAT1,LON1,LAT2,LON2", std::string("--profile: ") + e.what());
        }
    }
    // A decimal number as every other numeric option takes it (no hexadecimal, blanks around
    // it ignored).
    if (values.depthGiven()) options.bottomM = ParsePositiveOption("--depth", values.depth);
    return options;
}

int RunSectionCommand(const SectionCommandValues& values, std::ostream& out, std::ostream& err)
{
    const section::SectionOptions options = ParseSectionOptions(values);
    const QString file = QString::fromStdString(values.out);
    if (!section::FigureFormatOf(file)) {
        RefuseUsage("--out 应以 .png、.svg 或 .pdf 结尾", "--out must end in .png, .svg or .pdf");
    }
    section::Section made;
    try {
        made = section::MakeSection(section::ReadSurvey(values.folder), options);
    } catch (const section::SurveyError& e) {
        throw InputError(std::string("无法绘制剖面 (no section: ") + e.what() + ")");
    }
    for (const auto& note : made.notes) err << "mt1d: " << note << "\n";
    const auto app = section::GuiForFigures();
    const QString problem = section::WriteSectionFigure(made, file);
    if (!problem.isEmpty()) {
        err << "mt1d: 无法写出剖面图 (" << problem.toStdString() << ")\n";
        return kRunFailed;
    }
    out << values.out << ": " << made.sites.size() << " sites, " << made.grid.bottomM << " m deep\n";
    return kSuccess;
}

}  // namespace

Subcommand AddSectionCommand(CLI::App& mt1d)
{
    CLI::App* command = mt1d.add_subcommand(
        "section",
        "Draws the resistivity section of a survey from the output folder of mt1d batch:\n"
        "each site's model as a column of resistivity against depth (linear, downwards) at its\n"
        "distance along a profile, on one colour scale, greyed below the site's depth of\n"
        "investigation, with the site names and the distance in km along the top. Sites that\n"
        "failed or have no location are left out with a note each; when no site has a\n"
        "location, the sites are placed one unit apart in the summary's order.");
    auto values = std::make_shared<SectionCommandValues>();
    command->add_option("DIR", values->folder, "The output folder of mt1d batch (summary.csv and <site>.json).")
        ->type_name("")
        ->required();
    command->add_option("--out", values->out, "The figure: a .png (1200 × 720 pixels), .svg or .pdf file.")
        ->type_name("FILE")
        ->required();
    command
        ->add_option("--profile", values->profile,
                     "auto (default): the line that fits the sites best, west to east, the first\n"
                     "site at 0 km. LAT1,LON1,LAT2,LON2: the great circle from the first point\n"
                     "(0 km) through the second, in degrees.")
        ->type_name("LINE");
    values->depthOption = command
        ->add_option("--depth", values->depth,
                     "The depth of the section in m (default: the deepest depth of investigation\n"
                     "of the sites, rounded up to 1, 2 or 5 × 10^k m).")
        ->type_name("MAX_M");
    command->footer(
        "Examples:\n"
        "  mt1d section results --out section.png\n"
        "  mt1d section results --out section.pdf --profile -30.1,140.0,-29.5,141.2 --depth 5000");
    return {command, [values](std::ostream& out, std::ostream& err) { return RunSectionCommand(*values, out, err); }};
}

}  // namespace mt1d::cli
