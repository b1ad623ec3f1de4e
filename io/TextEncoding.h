#pragma once
// Numbers and strings for machine-readable output: CSV fields and JSON values (nlohmann-json).

#include <nlohmann/json.hpp>

#include <string>

namespace mt1d::io {

// JSON keeping its members in the order they were added.
using Json = nlohmann::ordered_json;

// The shortest decimal text that reads back as the value (1e-04, 100, -45). Results are always
// finite; a value that is not gives an empty CSV field.
std::string NumberText(double value);
std::string NumberText(float value);

// A JSON number that reads back as the value, printed as short as NumberText prints it (a
// float goes in as the double nearest its shortest text, not as its exact binary value);
// null for a value that is not finite.
Json JsonNumber(double value);
Json JsonNumber(float value);

// A JSON value as text, indented by `indent` spaces after every line break: objects one
// member per line, arrays one element per line, and an object holding no object or array
// (a layer, a response row) on a single line.
std::string JsonText(const Json& value, int indent);

// A CSV field, quoted when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text);

}  // namespace mt1d::io
