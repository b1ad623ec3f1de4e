#pragma once
// Strict conversions of option values for the field commands (data, fit and those built on
// them). Each refusal is a UsageError naming the option and quoting the value:
//     --floor takes a number from 0 to 100, not 'abc'

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mt1d::cli {

// A decimal number (optional sign, digits with at most one point, optional exponent; blanks
// around it ignored) that is finite as a double and lies in [lowest, highest].
double ParseNumberOption(const std::string& option, const std::string& text, double lowest, double highest,
                         const std::string& range);

// A decimal number above 0, finite as a double.
double ParsePositiveOption(const std::string& option, const std::string& text);

// A whole number in [lowest, highest].
std::size_t ParseCountOption(const std::string& option, const std::string& text, std::size_t lowest,
                             std::size_t highest);

// A whole number from 0 to 2^64 − 1.
std::uint64_t ParseSeedOption(const std::string& option, const std::string& text);

// Numbers separated by commas, each finite: "0,10,20.5".
std::vector<double> ParseNumberListOption(const std::string& option, const std::string& text);

}  // namespace mt1d::cli
