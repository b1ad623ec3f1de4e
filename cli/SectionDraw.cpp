// mt1d section's drawing, run by mt1d-section (see SectionDrawing.h): the folder read back,
// the section made, the figure written as PNG, SVG or PDF with Qt Gui.

#include "cli/SectionDrawing.h"
#include "cli/OptionValues.h"

#include "cli/Subcommand.h"
#include "render/SectionFigure.h"
#include "section/Section.h"
#include "section/SurveyFolder.h"

#include <cmath>
#include <stdexcept>

namespace mt1d::cli {

namespace {

section::SectionOptions ParseSectionOptions(const SectionRequest& values)
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
    if (values.depthGiven) options.bottomM = ParsePositiveOption("--depth", values.depth);
    return options;
}

}  // namespace

int DrawSectionHere(const SectionRequest& values, std::ostream& out, std::ostream& err)
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

}  // namespace mt1d::cli
