#pragma once
// The values a fit compares with a model, taken from one curve of a sounding.
//
// A fit uses the usable rows of the curve minus the rows the user excludes. It fits log10 ρa,
// the impedance phase φ in degrees, or both (each row then gives two values, and N counts
// them separately). Several curves of one sounding (xy and yx, fitted by one model) give their
// rows one after the other, each curve with its own errors and exclusions; every row and every
// value knows its curve, so that each curve may carry its own static-shift factor
// (StaticShift.h). Each value is weighted by its standard error: σ(φ) = δφ in degrees, and
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

// One curve of a selection: the curve and the rows of it the user leaves out.
struct CurveSelection {
    const sounding::Curve* curve = nullptr;
    std::vector<std::size_t> excludedRows;  // 0-based indices into curve->rows
};

struct FitData {
    sounding::Mode mode = sounding::Mode::kDet;  // of the (first) curve the data come from
    FitComponents components = FitComponents::kBoth;
    // The modes of the curves, in curve order: one entry for a single curve, {xy, yx} for both
    // off-diagonal curves fitted together. Empty is read as one curve of `mode`.
    std::vector<sounding::Mode> curveModes;
    // One entry per selected row: the rows of the first curve in its order (highest frequency
    // first), then those of the next curve.
    std::vector<std::size_t> curveRows;  // index of the row in its curve
    std::vector<std::size_t> rowCurve;   // index of the row's curve in curveModes (empty: all 0)
    std::vector<double> frequencies;     // Hz
    std::vector<double> rhoA;            // Ω·m, observed (kept for phase-only fits too)
    std::vector<double> rhoErr;          // Ω·m
    std::vector<double> phaseDeg;        // degrees, observed
    std::vector<double> phaseErrDeg;     // degrees
    // The fitted values: log10 ρa of every selected row, then φ of every selected row, each
    // only when that component is fitted.
    std::vector<double> values;
    std::vector<double> sigmas;  // standard error of each value, in its unit, floored as above
    // For each value, its row among the 2K outputs of the layered-earth kernel at the K kernel
    // frequencies: k for log10 ρa at kernel frequency k, K + k for φ there.
    std::vector<std::size_t> kernelRows;
    // The distinct frequencies of the rows, at which the kernel computes the model once for
    // every curve (empty: the rows' frequencies, one kernel frequency per row, as a single
    // curve has them).
    std::vector<double> kernelFrequencies;
    // For each value, the index of its curve (empty: all 0).
    std::vector<std::size_t> valueCurve;

    std::size_t Count() const { return values.size(); }
    std::size_t FrequencyCount() const { return frequencies.size(); }
    std::size_t CurveCount() const { return curveModes.empty() ? 1 : curveModes.size(); }
    std::span<const double> KernelFrequencies() const
    {
        return kernelFrequencies.empty() ? std::span<const double>(frequencies) : std::span<const double>(kernelFrequencies);
    }
    std::size_t CurveOfRow(std::size_t row) const { return rowCurve.empty() ? 0 : rowCurve[row]; }
    std::size_t CurveOfValue(std::size_t value) const { return valueCurve.empty() ? 0 : valueCurve[value]; }
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

// The data of several curves of one sounding fitted by one model, each with its own
// exclusions, the components as `components` says. Refuses as SelectData does for any curve
// (the message names the curve's mode when there are several), a curve without rows left
// after its exclusions, and two curves of one mode. Rows of the curves at one frequency
// (within 1e-9 relative) share one kernel frequency.
SelectedData SelectCurves(std::span<const CurveSelection> curves, FitComponents components);

// The same checks and layout for values given directly (tests, synthetic studies): one entry
// per frequency.
SelectedData MakeFitData(std::span<const double> frequencies, std::span<const double> rhoA,
                         std::span<const double> rhoErr, std::span<const double> phaseDeg,
                         std::span<const double> phaseErrDeg, FitComponents components);

}  // namespace mt1d::fitting
