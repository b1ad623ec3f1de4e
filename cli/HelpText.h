#pragma once
// The text of mt1d --help.

#include <string>

namespace mt1d::cli {

std::string HelpText();

}  // namespace mt1d::cli
