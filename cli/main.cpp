// mt1d: the forward calculation and the inversion from the command line (see Cli.h).

#include "cli/Cli.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    return mt1d::cli::Main(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
