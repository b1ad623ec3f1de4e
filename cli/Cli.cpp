#include "cli/Cli.h"

#include "cli/MessageLanguage.h"

#include "cli/HelpText.h"
#include "cli/Subcommand.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <memory>

namespace mt1d::cli {

// The subcommands, registered in CommandList.h, one line each; how to add one is explained
// there and in Subcommand.h.
#define MT1D_CLI_COMMAND(add) Subcommand add(CLI::App& mt1d);
#include "cli/CommandList.h"
#undef MT1D_CLI_COMMAND

namespace {

constexpr AddSubcommand kCommands[] = {
#define MT1D_CLI_COMMAND(add) add,
#include "cli/CommandList.h"
#undef MT1D_CLI_COMMAND
};

constexpr const char* kEndOfOptions = "--";

// Characters of a parser message quoted at most: CLI11 echoes what it could not use.
constexpr std::size_t kParserMessageLength = 200;

constexpr const char* kDescription =
    "mt1d - one-dimensional magnetotelluric sounding: forward response and inversion of a\n"
    "layered model, and fits of measured soundings";

constexpr const char* kFooter =
    "Options may also be written --option=VALUE; after -- every word is a file (mt1d data -- -a.edi).\n"
    "Messages are in Chinese with the English in parentheses; --lang en (before or after the\n"
    "command) or MT1D_LANG=en gives them in English only (--lang zh: the default).\n"
    "\n"
    "Phase: the phase column of the forward response and the inversion is this program's\n"
    "classic phase, 45° − 2φ of the usual impedance phase φ = arg Z (e^{+iωt}); over a uniform\n"
    "half-space φ is 45° and the classic phase −45° (−π/4). The text listing gives it in\n"
    "radians, csv and json in degrees (phase_deg). data and fit give the impedance phase φ\n"
    "itself, in degrees in the first quadrant (45° over a half-space).\n"
    "\n"
    "Exit status: 0 on success; 1 when an inversion run ends without success (its report says\n"
    "why, and \"succeeded\" is false in csv and json), when a fit ends without reaching its\n"
    "goal (its status says which), or when the output cannot be written; 2 for input that\n"
    "cannot be used (the message goes to standard error and nothing is printed on standard\n"
    "output); 130 when a sampling run is stopped with Ctrl-C (nothing is printed on standard\n"
    "output). A sample whose chains disagree (R-hat 1.1 or more) exits 0 with a warning.";

// The program's App with every subcommand registered.
struct Program {
    Program()
    {
        app.set_help_flag();  // --help is handled before parsing, wherever it stands
        app.allow_extras();   // unknown words are refused here, with the program's messages
        app.require_subcommand(0, 1);
        app.footer(kFooter);
        for (const AddSubcommand add : kCommands) {
            Subcommand command = add(app);
            command.command->allow_extras();
            commands.push_back(std::move(command));
        }
    }

    // "forward、invert" and "forward or invert".
    std::pair<std::string, std::string> CommandNames() const
    {
        std::string zh;
        std::string en;
        for (std::size_t i = 0; i < commands.size(); ++i) {
            const std::string& name = commands[i].command->get_name();
            zh += (i == 0 ? "" : "、") + name;
            en += (i == 0 ? "" : i + 1 == commands.size() ? " or " : ", ") + name;
        }
        return {zh, en};
    }

    const Subcommand* Find(const std::string& name) const
    {
        for (const Subcommand& c : commands) {
            if (c.command->get_name() == name) return &c;
        }
        return nullptr;
    }

    CLI::App app{kDescription, "mt1d"};
    std::vector<Subcommand> commands;
};

// The option of `command` that `arg` names ("--model" or "--model=…"), if any.
const CLI::Option* NamedOption(const CLI::App& command, const std::string& arg)
{
    const std::string name = arg.substr(0, arg.find('='));
    for (const CLI::Option* option : command.get_options()) {
        if (option->check_name(name)) return option;
    }
    return nullptr;
}

// A parser error of CLI11 in the program's words where it is one of the common mistakes.
[[noreturn]] void TranslateParseError(const CLI::ParseError& error, const Program& program,
                                      const std::vector<std::string>& args)
{
    for (const Subcommand& c : program.commands) {
        if (!c.command->parsed()) continue;
        for (const CLI::Option* option : c.command->get_options()) {
            if (option->count() > 1 && option->get_expected_max() == 1) {
                const std::string name = option->get_name();
                RefuseUsage("选项 " + name + " 重复", "option " + name + " is given twice");
            }
        }
        if (const CLI::Option* last = NamedOption(*c.command, args.back());
            last != nullptr && last->count() == 0) {
            const std::string name = last->get_name();
            RefuseUsage(name + " 缺少取值", name + " needs a value");
        }
    }
    const std::string what = Excerpt(error.what(), kParserMessageLength);
    RefuseUsage("命令行有误：" + what, "the command line cannot be used: " + what);
}

// Parses `args` and returns the subcommand to run; throws UsageError for anything else.
const Subcommand& Parse(Program& program, const std::vector<std::string>& args)
{
    const auto [zh, en] = program.CommandNames();
    if (args.empty()) RefuseUsage("缺少命令 " + zh, "a command is missing: " + en);
    std::vector<std::string> reversed(args.rbegin(), args.rend());  // CLI11 pops from the back
    try {
        program.app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        TranslateParseError(error, program, args);
    }
    const std::vector<std::string> stray = program.app.remaining();
    const std::vector<CLI::App*> parsed = program.app.get_subcommands();
    if (!stray.empty() || parsed.empty()) {
        const std::string word = Excerpt(stray.empty() ? args.front() : stray.front());
        RefuseUsage("未知命令 “" + word + "”，应为 " + zh,
               "unknown command '" + word + "'; the commands are " + en);
    }
    const Subcommand& command = *program.Find(parsed.front()->get_name());
    std::vector<std::string> extra = command.command->remaining();
    // "--" ends the options (a file named like one may follow); CLI11 lists the mark itself
    // among the words it left, once.
    if (const auto mark = std::find(extra.begin(), extra.end(), std::string(kEndOfOptions)); mark != extra.end()) {
        extra.erase(mark);
    }
    if (!extra.empty()) {
        const std::string name = command.command->get_name();
        const std::string word = Excerpt(extra.front());
        RefuseUsage(name + " 不接受参数 “" + word + "”", name + " does not take '" + word + "'");
    }
    return command;
}

// --help or -h before any "--" (after it they are names of files).
bool AsksForHelp(const std::vector<std::string>& args)
{
    const auto end = std::find(args.begin(), args.end(), std::string(kEndOfOptions));
    return std::any_of(args.begin(), end, [](const std::string& a) { return a == "--help" || a == "-h"; });
}

}  // namespace

void RefuseUsage(const std::string& zh, const std::string& en)
{
    throw UsageError(Bilingual(zh, en));
}

void RefuseInput(const std::string& zh, const std::string& en)
{
    throw InputError(Bilingual(zh, en));
}

namespace {

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    int status = kSuccess;
    try {
        Program program;
        if (AsksForHelp(args)) {
            const Subcommand* command = program.Find(args.front());
            out << HelpText(program.app, command != nullptr ? command->command : nullptr);
        } else {
            const Subcommand& command = Parse(program, args);
            status = command.run(out, err);
        }
    } catch (const UsageError& e) {
        err << "mt1d: " << e.what() << "\n(mt1d --help)\n";
        return kBadInput;
    } catch (const InputError& e) {
        err << "mt1d: " << e.what() << "\n";
        return kBadInput;
    } catch (const std::exception& e) {
        err << "mt1d: " << e.what() << "\n";
        return kRunFailed;
    }
    out.flush();
    if (!out) {
        err << "mt1d: " << Bilingual("无法写出结果", "the output cannot be written") << "\n";
        return kRunFailed;
    }
    return status;
}

}  // namespace

int Main(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    std::vector<std::string> args = arguments;
    SetMessageLanguage(MessageLanguage::kChineseAndEnglish);
    try {
        SetMessageLanguage(TakeLanguageOption(args, std::getenv("MT1D_LANG")));
    } catch (const UsageError& e) {
        err << "mt1d: " << e.what() << "\n(mt1d --help)\n";
        return kBadInput;
    }
    if (CurrentMessageLanguage() != MessageLanguage::kEnglish) return RunCommandLine(args, out, err);
    EnglishOnlyBuffer english(err);
    std::ostream englishErr(&english);
    const int status = RunCommandLine(args, out, englishErr);
    englishErr.flush();
    return status;
}

}  // namespace mt1d::cli
