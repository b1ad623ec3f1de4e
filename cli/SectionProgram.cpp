// mt1d-section: mt1d with the section and the report drawn in-process (see cli/SectionDrawing.h
// and cli/ReportDrawing.h). mt1d starts it for `mt1d section` and `mt1d report`; it takes
// mt1d's command line.

#include "cli/Cli.h"
#include "cli/ReportDrawing.h"
#include "cli/SectionDrawing.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    mt1d::cli::UseSectionDrawer(&mt1d::cli::DrawSectionHere);
    mt1d::cli::UseReportDrawer(&mt1d::cli::DrawReportHere);
    return mt1d::cli::Main(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
