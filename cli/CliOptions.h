#pragma once
// The command line of mt1d: what to run, on which model, and how to print it.

#include "Commands.h"

#include <string>
#include <vector>

namespace mt1d::cli {

// A command line that cannot be run (unknown command or option, missing or bad value).
class UsageError : public InputError {
public:
    using InputError::InputError;
};

enum class Command { kHelp, kForward, kInvert };
enum class OutputFormat { kText, kCsv, kJson };

// One LO:HI pair of --bounds, as typed.
struct BoundPair {
    std::string lower;
    std::string upper;
};

struct CliOptions {
    Command command = Command::kHelp;
    // The model table: the layer count as text and one row per layer.
    std::string layerCountText;
    std::vector<LayerText> layers;
    int source = kSourceAppRes;
    int method = kMethodSvd;
    int repeat = 1;
    bool hasBounds = false;
    std::vector<BoundPair> bounds;  // per layer: resistivity pair, then thickness pair
    OutputFormat format = OutputFormat::kText;
};

// The model used when --model is not given: 1000:500,10:500,1000.
std::vector<LayerText> DefaultLayers();

// Reads the arguments after the program name. --help anywhere asks for the help text.
// Throws UsageError for anything it cannot run.
CliOptions ParseCommandLine(const std::vector<std::string>& args);

// The bounds dialog's rows from --bounds: 2 pairs per layer, for `layerCount` layers.
std::vector<BoundsRow> BoundsRows(const std::vector<BoundPair>& pairs, int layerCount);

}  // namespace mt1d::cli
