#pragma once
// Options and refusals shared by the subcommands: --model, --format and choices among words.

#include "classic/Commands.h"

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace mt1d::cli {

// ---------------------------------------------------------------- --model

// The default of --model: the default model of Defaults.h, 1000:500,10:500,1000.
std::string DefaultModelText();

// Registers --model MODEL on `command`; `text` holds the default until the option is given.
CLI::Option* AddModelOption(CLI::App& command, std::string& text);

// The model table of a --model text: the layer count as text and one row per layer.
// Layers are separated by commas, each RES:TH; the last may be RES alone and then has the
// default half-space thickness. Throws UsageError for an item of another shape; the numbers
// themselves are converted and checked by the forward command.
struct ModelTable {
    std::string layerCountText;
    std::vector<LayerText> rows;
};
ModelTable ParseModel(const std::string& text);

// ---------------------------------------------------------------- --format

enum class OutputFormat { kText, kCsv, kJson };

// Registers --format F (text, csv or json; default text) with the given description of
// what each format prints.
CLI::Option* AddFormatOption(CLI::App& command, std::string& text, const std::string& description);
OutputFormat ParseFormat(const std::string& text);

// ---------------------------------------------------------------- choices

// The index of `value` among `choices`; otherwise UsageError "--option takes a|b|c, not 'x'".
int ParseChoice(const std::string& option, const std::string& value,
                const std::vector<std::string>& choices);

}  // namespace mt1d::cli
