// mt1d: the forward calculation and the inversion from the command line.

#include "CliOptions.h"
#include "CliRun.h"
#include "HelpText.h"

#include <exception>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    using namespace mt1d::cli;
    constexpr int kBadInput = 2;
    try {
        const CliOptions options = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
        if (options.command == Command::kHelp) {
            std::cout << HelpText();
            return 0;
        }
        // Everything is computed before anything is printed: a refusal prints nothing here.
        const std::string output = FormatResult(options, RunCommandLine(options));
        std::cout << output << std::flush;
        return std::cout ? 0 : 1;
    } catch (const UsageError& e) {
        std::cerr << "mt1d: " << e.what() << "\n(mt1d --help)\n";
        return kBadInput;
    } catch (const mt1d::InputError& e) {
        std::cerr << "mt1d: " << e.what() << "\n";
        return kBadInput;
    } catch (const std::exception& e) {
        std::cerr << "mt1d: " << e.what() << "\n";
        return 1;
    }
}
