#include "CliOptions.h"

#include <optional>
#include <string_view>

namespace mt1d::cli {

namespace {

// The half-space's thickness when RES alone is given, like the window's default last row.
constexpr const char* kDefaultHalfSpaceThickness = "100";

[[noreturn]] void Refuse(const std::string& zh, const std::string& en)
{
    throw UsageError(zh + " (" + en + ")");
}

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

std::vector<LayerText> ParseModel(const std::string& text)
{
    const std::vector<std::string> items = Split(text, ',');
    std::vector<LayerText> layers;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::vector<std::string> fields = Split(items[i], ':');
        const bool last = i + 1 == items.size();
        const std::string layer = std::to_string(i + 1);
        if (fields.size() > 2 || (fields.size() == 1 && !last)) {
            Refuse("--model 的第 " + layer + " 层应写作 RES:TH：“" + items[i] + "”",
                   "layer " + layer + " of --model must read RES:TH: '" + items[i] + "'");
        }
        layers.push_back({fields[0], fields.size() == 2 ? fields[1] : kDefaultHalfSpaceThickness});
    }
    return layers;
}

std::vector<BoundPair> ParseBounds(const std::string& text)
{
    std::vector<BoundPair> pairs;
    for (const std::string& item : Split(text, ',')) {
        const std::vector<std::string> fields = Split(item, ':');
        if (fields.size() != 2) {
            Refuse("--bounds 的每一项应写作 LO:HI：“" + item + "”",
                   "each item of --bounds must read LO:HI: '" + item + "'");
        }
        pairs.push_back({fields[0], fields[1]});
    }
    return pairs;
}

int ParseChoice(const std::string& option, const std::string& value,
                const std::vector<std::string>& choices)
{
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (value == choices[i]) return static_cast<int>(i);
    }
    std::string list;
    for (const std::string& c : choices) list += (list.empty() ? "" : "|") + c;
    Refuse(option + " 只能取 " + list + "：“" + value + "”",
           option + " takes " + list + ", not '" + value + "'");
}

int ParseRepeat(const std::string& value)
{
    int repeat = 0;
    try {
        repeat = ParseInt(value);
    } catch (const InputError&) {
        repeat = 0;
    }
    if (repeat < 1) {
        Refuse("--repeat 需要正整数：“" + value + "”",
               "--repeat takes a positive integer, not '" + value + "'");
    }
    return repeat;
}

bool OptionAllowed(Command command, const std::string& name)
{
    if (name == "--model" || name == "--format") return true;
    return command == Command::kInvert &&
           (name == "--source" || name == "--method" || name == "--repeat" || name == "--bounds");
}

}  // namespace

std::vector<LayerText> DefaultLayers() { return {{"1000", "500"}, {"10", "500"}, {"1000", "100"}}; }

CliOptions ParseCommandLine(const std::vector<std::string>& args)
{
    CliOptions options;
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") return options;  // Command::kHelp
    }
    if (args.empty()) Refuse("缺少命令 forward 或 invert", "a command is missing: forward or invert");
    if (args[0] == "forward") {
        options.command = Command::kForward;
    } else if (args[0] == "invert") {
        options.command = Command::kInvert;
    } else {
        Refuse("未知命令 “" + args[0] + "”", "unknown command '" + args[0] + "'");
    }

    options.layers = DefaultLayers();
    std::vector<std::string> seen;
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (const std::size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        if (!OptionAllowed(options.command, name)) {
            Refuse(args[0] + " 不接受参数 “" + args[i] + "”",
                   args[0] + " does not take '" + args[i] + "'");
        }
        for (const std::string& s : seen) {
            if (s == name) Refuse("选项 " + name + " 重复", "option " + name + " is given twice");
        }
        seen.push_back(name);
        if (!value) {
            if (i + 1 >= args.size()) Refuse(name + " 缺少取值", name + " needs a value");
            value = args[++i];
        }

        if (name == "--model") {
            options.layers = ParseModel(*value);
        } else if (name == "--format") {
            options.format = static_cast<OutputFormat>(ParseChoice(name, *value, {"text", "csv", "json"}));
        } else if (name == "--source") {
            options.source = ParseChoice(name, *value, {"res", "phase", "both"});
        } else if (name == "--method") {
            options.method = ParseChoice(name, *value, {"svd", "constrained"});
        } else if (name == "--repeat") {
            options.repeat = ParseRepeat(*value);
        } else {
            options.hasBounds = true;
            options.bounds = ParseBounds(*value);
        }
    }
    options.layerCountText = std::to_string(options.layers.size());
    return options;
}

std::vector<BoundsRow> BoundsRows(const std::vector<BoundPair>& pairs, int layerCount)
{
    if (pairs.size() != 2 * static_cast<std::size_t>(layerCount)) {
        const std::string need = std::to_string(2 * layerCount);
        const std::string got = std::to_string(pairs.size());
        Refuse("--bounds 需要 " + need + " 对 LO:HI（每层电阻率与厚度各一对），现有 " + got + " 对",
               "--bounds needs " + need + " LO:HI pairs (a resistivity and a thickness pair per layer), not " +
                   got);
    }
    std::vector<BoundsRow> rows;
    for (int i = 0; i < layerCount; ++i) {
        const BoundPair& res = pairs[2 * i];
        const BoundPair& th = pairs[2 * i + 1];
        rows.push_back({res.lower, res.upper, th.lower, th.upper});
    }
    return rows;
}

}  // namespace mt1d::cli
