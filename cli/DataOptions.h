#pragma once
// The options of `mt1d data`, which every command that reads a sounding takes as well (fit,
// and the commands built on it): the sounding file and how it becomes a curve.
//
//     auto values = std::make_shared<DataOptionValues>();
//     AddSoundingFile(*command, *values);
//     AddDataOptions(*command, *values);
//     ...                                        // once parsed:
//     const DataRequest request = ParseDataOptions(*values);   // refuses bad values
//     const jobs::LoadedCurve loaded = LoadCurve(request);     // refuses bad files

#include "jobs/DataOptions.h"
#include "jobs/LoadCurve.h"

#include <CLI/CLI.hpp>

#include <optional>
#include <string>

namespace mt1d::cli {

// The option values as typed, and the options themselves (to tell a value given from none).
struct DataOptionValues {
    std::string file;
    std::string mode;
    std::string floor;
    std::string columns;
    std::string rotate;
    std::string varConvention;
    std::string rhoErr;
    std::string exclude;
    bool keepAnyPhase = false;
    bool only1d = false;
    std::string maxSkew;
    std::string maxEllipticity;
    CLI::Option* modeOption = nullptr;
    CLI::Option* columnsOption = nullptr;
    CLI::Option* rotateOption = nullptr;
    CLI::Option* varConventionOption = nullptr;
    CLI::Option* rhoErrOption = nullptr;
    CLI::Option* excludeOption = nullptr;
    CLI::Option* maxSkewOption = nullptr;
    CLI::Option* maxEllipticityOption = nullptr;
};

// Registers the sounding file, a positional argument FILE.
void AddSoundingFile(CLI::App& command, DataOptionValues& values);

// Registers --mode M, --floor PERCENT, --columns LIST, --rotate DEG, --var-convention C,
// --rho-err U, --exclude F1,F2,..., --keep-any-phase, --only-1d, --max-skew DEG and
// --max-ellipticity X.
void AddDataOptions(CLI::App& command, DataOptionValues& values);

// The paragraph of the help that says which rows are usable (sounding/Limits.h), wrapped for
// a footer.
std::string UsableRowsHelp();

struct DataRequest {
    std::string file;
    jobs::DataOptions options;
};

// Converts the values; throws UsageError for a missing file or a value that cannot be used:
// an unknown mode, a floor outside 0..100 %, a column list the column reader refuses, an
// angle that is not a finite number.
DataRequest ParseDataOptions(const DataOptionValues& values);

// Reads the file and derives its curve (jobs/LoadCurve.h). Throws InputError for a file the
// readers refuse (the message names the file, the line and what was expected) and for a mode
// the file has no data for (naming the modes it has).
jobs::LoadedCurve LoadCurve(const DataRequest& request);

}  // namespace mt1d::cli
