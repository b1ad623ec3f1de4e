#pragma once
// The values a fit compares with a model, taken from one curve of a sounding.
//
// A fit uses the usable rows of the curve minus the rows the user excludes. It fits log10 ρa,
// the impedance phase φ in degrees, or both (each row then gives two values, and N counts
// them separately). Each value is weighted by its standard error: σ(φ) = δφ in degrees, and
// for log10 ρa, by first-order propagation, σ(log10 ρa) = δρa / (ρa · ln 10).
//
// The weights are floored at those of a relative impedance error of kMinRelativeError: a
// relative error ε of Z gives δρa/ρa = 2ε and δφ = ε radians, so
//     σ(log10 ρa) ≥ 2ε / ln 10,   σ(φ) ≥ ε · 180/π degrees.
// Far below any measurement's error (and far above the forward model's rounding), the floor
// only keeps χ² finite when a file gives errors of 1e-300 (a residual of 1e-16 over such an
// error would overflow χ²).

#include "sounding/Curve.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mt1d::fitting {

inline constexpr double kMinRelativeError = 1e-6;

enum class FitComponents { kRho, kPhase, kBoth };

// "rho", "phase", "both".
std::string_view ToString(FitComponents components);

struct DataSelection {
    FitComponents components = FitComponents::kBoth;
    std::vector<std::size_t> excludedRows;  // 0-based indices into Curve::rows
};

struct FitData {
    sounding::Mode mode = sounding::Mode::kDet;  // of the curve the data come from
    FitComponents components = FitComponents::kBoth;
    // One entry per selected row, in the curve's order (highest frequency first).
    std::vector<std::size_t> curveRows;  // index of the row in the curve
    std::vector<double> frequencies;     // Hz
    std::vector<double> rhoA;            // Ω·m, observed (kept for phase-only fits too)
    std::vector<double> rhoErr;          // Ω·m
    std::vector<double> phaseDeg;        // degrees, observed
    std::vector<double> phaseErrDeg;     // degrees
    // The fitted values: log10 ρa of every selected row, then φ of every selected row, each
    // only when that component is fitted.
    std::vector<double> values;
    std::vector<double> sigmas;  // standard error of each value, in its unit, floored as above
    // For each value, its row among the 2F outputs of the layered-earth kernel: i for log10 ρa
    // at frequency i, F + i for φ at frequency i.
    std::vector<std::size_t> kernelRows;

    std::size_t Count() const { return values.size(); }
    std::size_t FrequencyCount() const { return frequencies.size(); }
};

struct SelectedData {
    FitData data;
    std::string error;  // empty when the data were accepted
    bool Ok() const { return error.empty(); }
};

// The data of `curve` as `selection` asks. Refuses (with a message naming the row) an
// excluded index past the end of the curve, a selection with no rows left, and any selected
// row whose frequency or ρa is not finite and positive, whose phase is not finite, or whose
// error on a fitted component is not finite and positive.
SelectedData SelectData(const sounding::Curve& curve, const DataSelection& selection);

// The same checks and layout for values given directly (tests, synthetic studies): one entry
// per frequency.
SelectedData MakeFitData(std::span<const double> frequencies, std::span<const double> rhoA,
                         std::span<const double> rhoErr, std::span<const double> phaseDeg,
                         std::span<const double> phaseErrDeg, FitComponents components);

}  // namespace mt1d::fitting
