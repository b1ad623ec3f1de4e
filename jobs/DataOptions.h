#pragma once
// How a sounding file becomes the curve that is fitted: the options of `mt1d data`, which every
// command that reads a sounding takes, the window's data choices, and what a result file
// records of them ("options" in its JSON, report/OptionsJson.h). One value, one equality: a
// batch resumed with other data options redoes its sites (Resume.h).

#include "dims/Dimensionality.h"
#include "sounding/ColumnReader.h"
#include "sounding/ReadOptions.h"
#include "sounding/Curve.h"

#include <optional>
#include <string_view>
#include <vector>

namespace mt1d::jobs {

inline constexpr double kDefaultFloorPercent = 5.0;
inline constexpr double kMaxFloorPercent = 100.0;  // a standard error as large as |Z| itself
// The name of both off-diagonal curves fitted together, as --mode and a result's JSON give it.
inline constexpr std::string_view kBothOffDiagonalName = "xy+yx";

struct DataOptions {
    // The curve: empty for the file's default (sounding::DefaultMode). A result file records
    // the mode used, never an empty one.
    std::optional<sounding::Mode> mode{};
    // Error floor in percent of |Z|, 0 to kMaxFloorPercent (CurveDerivation.h).
    double floorPercent = kDefaultFloorPercent;
    // Column files: the columns in order, replacing or supplying the file's header; empty: the
    // header. Other files ignore it, and a result records it only for a column file.
    std::vector<sounding::Column> columns{};
    // Rotate the tensor into the frame whose x axis points this many degrees clockwise from
    // north; empty: the file's own frame. Refused for files of ρa and phase only.
    std::optional<double> rotateDeg{};
    // EDI impedance files: what Z.VAR is the variance of; empty: as the file's own error blocks
    // show, else complex (sounding/ImpedanceErrors.h).
    std::optional<sounding::VarianceConvention> varianceConvention{};
    // EDI files of ρa and phase only: the unit of RHO*.ERR; empty: decided per file.
    std::optional<sounding::RhoErrorUnit> rhoErrorUnit{};
    // Frequencies in Hz whose rows the user leaves out (matched to 1e-6 relative).
    std::vector<double> excludeFrequencies{};
    // Keep rows whose phase lies outside 0°–90°, which no 1-D earth gives.
    bool keepAnyPhase = false;
    // When set, rows that are not one-dimensional under these limits are not used
    // (dims/OneDMask.h); needs the impedance tensor.
    std::optional<dims::DimsOptions> only1d{};
    // `--mode xy+yx`: both off-diagonal curves of the (rotated) sounding, fitted by one model,
    // each with its own errors and exclusions. `mode` is then kXy; its JSON form "xy+yx".
    bool bothOffDiagonal = false;  // last, so that aggregate initialisers keep their order

    friend bool operator==(const DataOptions&, const DataOptions&) = default;
};

}  // namespace mt1d::jobs
