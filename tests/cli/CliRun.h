#pragma once
// Runs mt1d in-process (mt1d::cli::Main) with arguments and collects its exit status and
// output, and reads its JSON with nlohmann-json.

#include "cli/Cli.h"

#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

namespace cli_testing {

struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline ProgramRun RunMt1d(const std::vector<std::string>& args)
{
    std::ostringstream out;
    std::ostringstream err;
    ProgramRun run;
    run.status = mt1d::cli::Main(args, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

inline std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Parses JSON strictly; throws nlohmann::json::parse_error for anything that is not JSON.
inline nlohmann::json ParseJson(const std::string& text) { return nlohmann::json::parse(text); }

}  // namespace cli_testing
