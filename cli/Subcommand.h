#pragma once
// What every subcommand of mt1d provides.
//
// A subcommand lives in its own source file as one function
//     Subcommand AddFooCommand(CLI::App& mt1d);
// that adds a CLI11 subcommand to the program's App (name and one-line description), registers
// its options on it (each with the value name and the description --help prints, see
// HelpText.h) and returns the function that runs it once the command line has been parsed.
// CommandList.h lists these functions, one line each.
//
// The run function writes its results to `out` and its messages to `err`, and returns an
// ExitStatus (Cli.h): kSuccess; kRunFailed when a run failed, after writing what was done and
// a message on `err`; kBadInput after writing a message on `err` and nothing on `out`. Instead
// of returning kBadInput it may throw UsageError (a bad option value) or InputError (input the
// commands refuse) as long as it has written nothing to `out`: Main prints the message. It
// should flush `out` after each piece of work that may take a while, so that a reader sees
// results as they come.
//
//     Subcommand AddGreetCommand(CLI::App& mt1d)
//     {
//         CLI::App* command = mt1d.add_subcommand("greet", "Prints a greeting.");
//         auto name = std::make_shared<std::string>("world");
//         command->add_option("--name", *name, "Whom to greet.")->type_name("NAME");
//         return {command, [name](std::ostream& out, std::ostream&) {
//                     out << "hello " << *name << "\n";
//                     return kSuccess;
//                 }};
//     }
//
// Options bound to variables must outlive the parse: keep them in a shared_ptr the run
// function holds, as above.

#include "cli/Cli.h"

#include <CLI/CLI.hpp>

#include <functional>
#include <ostream>

namespace mt1d::cli {

using RunFunction = std::function<int(std::ostream& out, std::ostream& err)>;

struct Subcommand {
    CLI::App* command = nullptr;  // the CLI11 subcommand, owned by the program's App
    RunFunction run;
};

using AddSubcommand = Subcommand (*)(CLI::App& mt1d);

}  // namespace mt1d::cli
