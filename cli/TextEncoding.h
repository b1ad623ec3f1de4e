#pragma once
// Number and string text for machine-readable output.

#include <string>

namespace mt1d::cli {

// The shortest decimal text that reads back as the value (1e-04, 100, -45); "null" for a
// value that is not finite (JSON has no such numbers; the CSV leaves the reader to decide).
std::string NumberText(double value);
std::string NumberText(float value);

// A JSON string literal: quotes, backslashes and control characters escaped, UTF-8 as is.
std::string JsonString(const std::string& text);

// A CSV field, quoted when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text);

}  // namespace mt1d::cli
