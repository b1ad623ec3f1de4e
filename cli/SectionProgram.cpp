// mt1d-section: mt1d with the section drawn in-process (see cli/SectionDrawing.h). mt1d starts
// it for `mt1d section`; it takes mt1d's command line.

#include "cli/Cli.h"
#include "cli/SectionDrawing.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    mt1d::cli::UseSectionDrawer(&mt1d::cli::DrawSectionHere);
    return mt1d::cli::Main(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
