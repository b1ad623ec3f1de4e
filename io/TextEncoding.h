#pragma once
// Numbers for machine-readable output: their shortest text, and JSON values (nlohmann-json).
// Every number that is not finite is an empty CSV field and a JSON null, in every file.

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace mt1d::io {

// JSON keeping its members in the order they were added.
using Json = nlohmann::ordered_json;

// The shortest decimal text that reads back as the value (1e-05, 100, -45, 884.444), with the
// point as decimal separator whatever the locale; empty for a value that is absent or not
// finite (an empty CSV field).
std::string NumberText(double value);
std::string NumberText(float value);
std::string NumberText(const std::optional<double>& value);

// A JSON number that reads back as the value, printed as short as NumberText prints it (a
// float goes in as the double nearest its shortest text, not as its exact binary value);
// null for a value that is not finite.
Json JsonNumber(double value);
Json JsonNumber(float value);
Json JsonNumber(const std::optional<double>& value);

// A JSON value as text, indented by `indent` spaces after every line break: objects one
// member per line, arrays one element per line, and an object holding no object or array
// (a layer, a response row) on a single line.
std::string JsonText(const Json& value, int indent);

}  // namespace mt1d::io
