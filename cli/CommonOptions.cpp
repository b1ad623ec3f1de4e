#include "cli/CommonOptions.h"

#include "cli/Cli.h"
#include "classic/InputChecks.h"

#include <string_view>

namespace mt1d::cli {

namespace {

// The thickness a half-space given as RES alone takes: the default model's, as the window's
// table shows it.
std::string DefaultHalfSpaceThickness() { return DefaultTable().back().thickness; }

std::vector<std::string> Split(std::string_view text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        parts.emplace_back(text.substr(start, end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return parts;
}

}  // namespace

std::string DefaultModelText()
{
    const std::vector<LayerText> table = DefaultTable();
    std::string text;
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (i > 0) text += ",";
        text += table[i].resistivity;
        // The half-space as RES alone: it takes the default thickness.
        if (i + 1 < table.size()) text += ":" + table[i].thickness;
    }
    return text;
}

CLI::Option* AddModelOption(CLI::App& command, std::string& text)
{
    text = DefaultModelText();
    return command
        .add_option("--model", text,
                    "Layers from the top down, separated by commas, each RES:TH (resistivity\n"
                    "in ohm-m, thickness in m); the last layer is the half-space and may be\n"
                    "given as RES alone (its thickness is then " +
                        DefaultHalfSpaceThickness() + "). At most " +
                        std::to_string(kMaxStoreLayers) + " layers.\nResistivities from " +
                        FormatLimit(kMinResistivity) + " to " + FormatLimit(kMaxResistivity) +
                        " ohm-m, thicknesses from " + FormatLimit(kMinThickness) + " to " +
                        FormatLimit(kMaxThickness) + " m.\nDefault: " + DefaultModelText())
        ->type_name("MODEL");
}

ModelTable ParseModel(const std::string& text)
{
    const std::vector<std::string> items = Split(text, ',');
    ModelTable table;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::vector<std::string> fields = Split(items[i], ':');
        const bool last = i + 1 == items.size();
        const std::string layer = std::to_string(i + 1);
        if (fields.size() > 2 || (fields.size() == 1 && !last)) {
            const std::string item = Excerpt(items[i]);
            RefuseUsage("--model 的第 " + layer + " 层应写作 RES:TH：“" + item + "”",
                        "layer " + layer + " of --model must read RES:TH: '" + item + "'");
        }
        table.rows.push_back({fields[0], fields.size() == 2 ? fields[1] : DefaultHalfSpaceThickness()});
    }
    table.layerCountText = std::to_string(table.rows.size());
    return table;
}

CLI::Option* AddFormatOption(CLI::App& command, std::string& text, const std::string& description)
{
    text = "text";
    return command.add_option("--format", text, description)->type_name("F");
}

OutputFormat ParseFormat(const std::string& text)
{
    return static_cast<OutputFormat>(ParseChoice("--format", text, {"text", "csv", "json"}));
}

int ParseChoice(const std::string& option, const std::string& value,
                const std::vector<std::string>& choices)
{
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (value == choices[i]) return static_cast<int>(i);
    }
    std::string list;
    for (const std::string& c : choices) list += (list.empty() ? "" : "|") + c;
    const std::string v = Excerpt(value);
    RefuseUsage(option + " 只能取 " + list + "：“" + v + "”", option + " takes " + list + ", not '" + v + "'");
}

}  // namespace mt1d::cli
