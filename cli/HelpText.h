#pragma once
// The text of mt1d --help, made from what the subcommands registered: each command's usage
// line (from its options' names and value names), its description, its options with their
// descriptions and its footer, then the program's footer. Descriptions are written with their
// own line breaks; continuation lines are indented here.

#include <CLI/CLI.hpp>

#include <string>

namespace mt1d::cli {

// Help for every subcommand of `mt1d` (command null) or for one of them.
std::string HelpText(const CLI::App& mt1d, const CLI::App* command);

}  // namespace mt1d::cli
