#pragma once
// mt1d, the command-line tool, as a library: Main parses the arguments with CLI11, runs the
// chosen subcommand on the given streams and returns the exit status. cli/main.cpp only hands
// it the program's arguments and standard streams; the tests call it in-process.

#include "classic/NumberText.h"

#include <ostream>
#include <string>
#include <vector>

namespace mt1d::cli {

// The exit statuses of mt1d.
enum ExitStatus {
    kSuccess = 0,    // everything asked for was done
    kRunFailed = 1,  // a run failed (an inversion ended without success, the output could not
                     // be written, an unexpected error): what was done is on standard output,
                     // why it failed on standard error
    kBadInput = 2,   // the input cannot be used: a message on standard error, nothing on
                     // standard output
};

// A command line that cannot be run (unknown command or option, missing or bad value). The
// message is followed by a pointer to --help.
class UsageError : public InputError {
public:
    using InputError::InputError;
};

// Throws UsageError with the message "zh (en)": Chinese, then English in parentheses; in
// English alone under --lang en (cli/MessageLanguage.h).
[[noreturn]] void RefuseUsage(const std::string& zh, const std::string& en);
// The same for input that cannot be used: throws InputError.
[[noreturn]] void RefuseInput(const std::string& zh, const std::string& en);

// Runs mt1d with `args`, the arguments after the program name (--lang zh|en among them, or
// MT1D_LANG in the environment, choose the language of the messages): results go to `out`,
// messages to `err` (each line starting "mt1d: "). "--help" or "-h" anywhere prints the help
// of the command it follows (of every command when it follows none) and returns kSuccess.
int Main(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace mt1d::cli
