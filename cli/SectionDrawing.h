#pragma once
// How `mt1d section` draws. Drawing needs Qt Gui; mt1d itself must not load Qt (every other
// command would pay for loading its libraries at start-up). So the command is parsed in mt1d,
// and the drawing runs in the program mt1d-section, built beside mt1d: mt1d replaces itself
// with it (execv), which keeps the process, its standard streams, its signals and its exit
// status. mt1d-section is mt1d with the drawer below installed; it parses the same command
// line again and prints the same messages with the same exit statuses.

#include <ostream>
#include <string>
#include <vector>

namespace mt1d::cli {

// The values of `mt1d section`, as given on the command line.
struct SectionRequest {
    std::string folder;
    std::string out;
    std::string profile = "auto";
    std::string depth;
    bool depthGiven = false;  // --depth was on the command line (an empty value is refused)
};

// Draws the section asked for; returns the exit status (Subcommand.h).
using SectionDrawer = int (*)(const SectionRequest& request, std::ostream& out, std::ostream& err);

// The drawer `mt1d section` uses from now on. Without one it starts mt1d-section
// (StartSectionProgram).
void UseSectionDrawer(SectionDrawer drawer);
SectionDrawer CurrentSectionDrawer();

// The arguments after the program name that ask mt1d-section for `request`: the folder first
// (the parser took it as the folder, so it reads it so again: it is "-" or does not begin with
// '-'), every option as --option=VALUE, so that a value beginning with '-' stays a value.
std::vector<std::string> SectionProgramArguments(const SectionRequest& request);

// Replaces this process with mt1d-section from the folder of the running program. Returns
// only when that fails: with kRunFailed, after a message on `err`.
int StartSectionProgram(const SectionRequest& request, std::ostream& out, std::ostream& err);

// Replaces this process with mt1d-section from the folder of the running program, given the
// arguments after its name; `what` names the drawing in the message when that fails.
int StartDrawingProgram(std::vector<std::string> args, const char* what, std::ostream& out, std::ostream& err);

// Draws in this process with Qt Gui (cli/SectionDraw.cpp, linked only into mt1d-section and
// the tests, with mt1d_render).
int DrawSectionHere(const SectionRequest& request, std::ostream& out, std::ostream& err);

}  // namespace mt1d::cli
