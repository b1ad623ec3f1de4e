#pragma once
// Runs what the command line asks for on a fresh store, the way the window would: the
// forward calculation of the model, then (for invert) the bounds dialog's OK and K presses
// of the inversion button.

#include "CliOptions.h"

#include <string>
#include <vector>

namespace mt1d::cli {

struct LayerValues {
    float resistivity;
    float thickness;
};

// One frequency of the forward response.
struct ResponseRow {
    double period;        // s, 1/f
    float frequency;      // Hz
    float appRes;         // ohm-m
    double phaseDegrees;  // degrees
};

struct InversionRun {
    InversionOutcome outcome;
    std::vector<LayerValues> model;  // the result's layers as the report lists them
};

struct CliResult {
    std::vector<LayerValues> model;   // the forward model
    std::vector<std::string> listing; // the listing lines "f ρa φ"
    std::vector<ResponseRow> response;
    std::vector<InversionRun> inversions;  // empty for forward
};

// Throws InputError (or UsageError) for input the commands refuse.
CliResult RunCommandLine(const CliOptions& options);

// The output of the command in the chosen format, ending with a line break.
std::string FormatResult(const CliOptions& options, const CliResult& result);

}  // namespace mt1d::cli
