#pragma once
// How `mt1d report` draws: like `mt1d section` (SectionDrawing.h), mt1d reads the command line
// and replaces itself with the drawing program mt1d-section, which draws the PDF with Qt Gui;
// mt1d itself loads no Qt.

#include "report/ReportPage.h"

#include <ostream>
#include <string>
#include <vector>

namespace mt1d::cli {

// The values of `mt1d report`, as given on the command line.
struct ReportRequest {
    std::vector<std::string> fits;  // FIT.json files of one site
    std::string out;
};

using ReportDrawer = int (*)(const ReportRequest& request, std::ostream& out, std::ostream& err);

// The drawer `mt1d report` uses from now on. Without one it starts mt1d-section.
void UseReportDrawer(ReportDrawer drawer);

// The arguments after the program name that ask mt1d-section for `request`: "report", the fit
// files after "--" (so that a file name beginning with '-' stays a file), --out before them.
std::vector<std::string> ReportProgramArguments(const ReportRequest& request);

// Replaces this process with mt1d-section; returns only when that fails (kRunFailed).
int StartReportProgram(const ReportRequest& request, std::ostream& out, std::ostream& err);

// The pages of the report, read from the fit files without drawing: each file read back
// (report/FitJsonReader.h), the data of the site loaded from the file the first fit names
// (beside the FIT.json when the name is relative and not found from here); data that cannot be
// loaded leave the pages without points and say why. Throws InputError for a fit file that
// cannot be read or fits of different sites.
report::ReportPage ReportPageOfFiles(const std::vector<std::string>& fits);

// Draws in this process (cli/ReportDraw.cpp, linked only into mt1d-section and the tests).
int DrawReportHere(const ReportRequest& request, std::ostream& out, std::ostream& err);

}  // namespace mt1d::cli
