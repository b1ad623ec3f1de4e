#pragma once
// Numbers and texts as the writers put them into files: JSON values, CSV fields and the
// columns of a text report. Never a NaN or an infinity in any of them: a value that is absent
// or not finite is JSON null, an empty CSV field and "-" in text. The decimal separator is
// always the point, whatever the locale.

#include "io/Csv.h"
#include "io/TextEncoding.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace mt1d::report {

// JSON keeping its members in the order they were written; numbers as io writes them.
using io::Json;
using io::JsonNumber;

// A JSON document as text: objects and arrays one member per line, indented by two spaces,
// except that an object of plain values (a row, a layer), an array of numbers (a list of
// depths) and an array of texts of at most 100 characters in all stand on one line. Ends without a line break. Texts are UTF-8; a byte that
// is not is replaced, never thrown about.
std::string JsonLayout(const Json& value);

using io::CsvField;
using io::NumberText;

// `digits` significant digits as printf's %g writes them, trailing zeros dropped (884.44,
// 0.13672, 5, 1.2346e+07); "-" for a value that is absent or not finite.
std::string Significant(double value, int digits);
std::string Significant(const std::optional<double>& value, int digits);

// `digits` significant digits with trailing zeros kept (1.000, 0.4485, 18.79, 24930) for
// 1e-3 ≤ |value| < 1e7; outside that range, and for 0, as Significant.
std::string Rounded(double value, int digits);
std::string Rounded(const std::optional<double>& value, int digits);

// `text` padded with blanks on the left (right-aligned) or right to `width` characters, counted
// as UTF-8 characters so that a "ρ" is one.
std::string AlignRight(std::string_view text, std::size_t width);
std::string AlignLeft(std::string_view text, std::size_t width);

}  // namespace mt1d::report
