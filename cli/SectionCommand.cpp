// mt1d section: the resistivity section of a batch output folder as a PNG, SVG or PDF figure.
// The command line is read here; the drawing runs in mt1d-section (SectionDrawing.h).

#include "cli/SectionDrawing.h"
#include "cli/Subcommand.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <memory>

#include <unistd.h>

namespace mt1d::cli {

namespace {

SectionDrawer gDrawer = &StartSectionProgram;

// The program file of this process (empty when it cannot be read).
std::string ThisProgram()
{
    std::string path(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) return {};
    path.resize(static_cast<std::size_t>(length));
    return path;
}

}  // namespace

void UseSectionDrawer(SectionDrawer drawer) { gDrawer = drawer; }

SectionDrawer CurrentSectionDrawer() { return gDrawer; }

std::vector<std::string> SectionProgramArguments(const SectionRequest& request)
{
    std::vector<std::string> args{"section", request.folder, "--out=" + request.out, "--profile=" + request.profile};
    if (request.depthGiven) args.push_back("--depth=" + request.depth);
    return args;
}

int StartDrawingProgram(std::vector<std::string> args, const char* what, std::ostream& out, std::ostream& err)
{
    const std::string self = ThisProgram();
    const std::string program = self.substr(0, self.rfind('/') + 1) + "mt1d-section";
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    // Nothing is written before the exec; flush anyway so that nothing buffered is lost with it.
    out.flush();
    err.flush();
    std::cout.flush();
    std::cerr.flush();
    if (!self.empty()) execv(program.c_str(), argv.data());
    const int error = self.empty() ? ENOENT : errno;
    err << "mt1d: 无法启动绘图程序 " << program << " (" << what << " is drawn by " << program
        << ", which cannot be started: " << std::strerror(error) << ")\n";
    return kRunFailed;
}

int StartSectionProgram(const SectionRequest& request, std::ostream& out, std::ostream& err)
{
    return StartDrawingProgram(SectionProgramArguments(request), "the section", out, err);
}

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
    auto values = std::make_shared<SectionRequest>();
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
    CLI::Option* depth = command
        ->add_option("--depth", values->depth,
                     "The depth of the section in m (default: the deepest depth of investigation\n"
                     "of the sites, rounded up to 1, 2 or 5 × 10^k m).")
        ->type_name("MAX_M");
    command->footer(
        "Examples:\n"
        "  mt1d section results --out section.png\n"
        "  mt1d section results --out section.pdf --profile -30.1,140.0,-29.5,141.2 --depth 5000");
    return {command, [values, depth](std::ostream& out, std::ostream& err) {
                values->depthGiven = depth->count() > 0;
                return gDrawer(*values, out, err);
            }};
}

}  // namespace mt1d::cli
