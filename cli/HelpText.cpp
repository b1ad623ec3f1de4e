#include "cli/HelpText.h"

#include <sstream>

namespace mt1d::cli {

namespace {

constexpr std::size_t kLineWidth = 92;
constexpr std::size_t kOptionColumn = 22;  // where option descriptions start

// `text` with every line after the first indented by `indent` spaces.
std::string IndentContinuation(const std::string& text, std::size_t indent)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        const bool blankLineFollows = i + 1 == text.size() || text[i + 1] == '\n';
        if (text[i] == '\n' && !blankLineFollows) out += std::string(indent, ' ');
    }
    return out;
}

std::string OptionName(const CLI::Option& option)
{
    std::string name = option.get_name(false, true);  // "--model" (all names, comma-separated)
    // A positional argument (FILE) is its own value name.
    if (option.get_type_size_max() > 0 && option.nonpositional()) name += " " + option.get_type_name();
    return name;
}

// "  mt1d invert [--model MODEL] [--source S] …", wrapped under the first option.
std::string UsageLine(const CLI::App& command)
{
    const std::string lead = "  mt1d " + command.get_name();
    std::string out = lead;
    std::size_t column = out.size();
    for (const CLI::Option* option : command.get_options()) {
        // Positional arguments are needed, and the options marked required.
        const bool optional = option->nonpositional() && !option->get_required();
        const std::string item = optional ? " [" + OptionName(*option) + "]" : " " + OptionName(*option);
        if (column + item.size() > kLineWidth) {
            out += "\n" + std::string(lead.size(), ' ');
            column = lead.size();
        }
        out += item;
        column += item.size();
    }
    return out + "\n";
}

std::string CommandSection(const CLI::App& command)
{
    std::ostringstream out;
    out << command.get_name() << ": " << IndentContinuation(command.get_description(), 2) << "\n";
    out << "  Options:\n";
    for (const CLI::Option* option : command.get_options()) {
        const std::string name = "    " + OptionName(*option);
        if (name.size() + 2 > kOptionColumn) {
            out << name << "\n" << std::string(kOptionColumn, ' ');
        } else {
            out << name << std::string(kOptionColumn - name.size(), ' ');
        }
        out << IndentContinuation(option->get_description(), kOptionColumn) << "\n";
    }
    if (!command.get_footer().empty()) {
        out << "  " << IndentContinuation(command.get_footer(), 2) << "\n";
    }
    return out.str();
}

}  // namespace

std::string HelpText(const CLI::App& mt1d, const CLI::App* command)
{
    std::vector<const CLI::App*> commands;
    if (command != nullptr) {
        commands.push_back(command);
    } else {
        for (const CLI::App* c : mt1d.get_subcommands([](const CLI::App*) { return true; })) {
            commands.push_back(c);
        }
    }
    std::ostringstream out;
    out << mt1d.get_description() << "\n\nUsage:\n";
    for (const CLI::App* c : commands) out << UsageLine(*c);
    if (command != nullptr) {
        out << "  mt1d " << command->get_name() << " --help\n";
    } else {
        out << "  mt1d COMMAND --help\n  mt1d --help\n";
    }
    for (const CLI::App* c : commands) out << "\n" << CommandSection(*c);
    out << "\n" << mt1d.get_footer() << "\n";
    return out.str();
}

}  // namespace mt1d::cli
