#include "fitting/FitData.h"

#include "sounding/Modes.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <sstream>

namespace mt1d::fitting {

namespace {

const double kLn10 = std::log(10.0);
constexpr double kDegreesPerRadian = 57.295779513082320876798;

bool PositiveFinite(double v) { return std::isfinite(v) && v > 0.0; }

std::string RowName(std::size_t curveRow, double frequency)
{
    std::ostringstream s;
    s << "row " << curveRow;
    if (std::isfinite(frequency)) s << " (" << frequency << " Hz)";
    return s.str();
}

// Checks one row and appends it; returns a message when it is refused.
std::string AddRow(FitData& d, std::size_t curveRow, double f, double rho, double rhoErr,
                   double phase, double phaseErr)
{
    const std::string name = RowName(curveRow, f);
    if (!PositiveFinite(f)) return name + ": the frequency must be finite and positive";
    if (!PositiveFinite(rho)) return name + ": the apparent resistivity must be finite and positive";
    if (!std::isfinite(phase)) return name + ": the phase is not a finite number";
    const bool fitsRho = d.components != FitComponents::kPhase;
    const bool fitsPhase = d.components != FitComponents::kRho;
    if (fitsRho && !PositiveFinite(rhoErr)) {
        return name + ": the error of the apparent resistivity must be finite and positive to weight it";
    }
    if (fitsPhase && !PositiveFinite(phaseErr)) {
        return name + ": the error of the phase must be finite and positive to weight it";
    }
    d.curveRows.push_back(curveRow);
    d.frequencies.push_back(f);
    d.rhoA.push_back(rho);
    d.rhoErr.push_back(std::isfinite(rhoErr) ? rhoErr : 0.0);
    d.phaseDeg.push_back(phase);
    d.phaseErrDeg.push_back(std::isfinite(phaseErr) ? phaseErr : 0.0);
    return {};
}

// Rows of several curves within this relative distance in frequency share a kernel frequency.
constexpr double kSameFrequency = 1e-9;

// The kernel frequency of every row: the rows' own for one curve; for several, the distinct
// frequencies of all rows, highest first.
std::vector<std::size_t> KernelIndex(FitData& d)
{
    const std::size_t f = d.FrequencyCount();
    std::vector<std::size_t> index(f);
    if (d.CurveCount() == 1) {
        std::iota(index.begin(), index.end(), std::size_t{0});
        return index;
    }
    std::vector<std::size_t> order(f);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&d](std::size_t a, std::size_t b) { return d.frequencies[a] > d.frequencies[b]; });
    for (const std::size_t row : order) {
        const double v = d.frequencies[row];
        if (d.kernelFrequencies.empty() || std::abs(d.kernelFrequencies.back() - v) > kSameFrequency * d.kernelFrequencies.back()) {
            d.kernelFrequencies.push_back(v);
        }
        index[row] = d.kernelFrequencies.size() - 1;
    }
    return index;
}

// Lays out the fitted values once every row is in: log10 ρa first, then φ.
void LayOut(FitData& d)
{
    const std::size_t f = d.FrequencyCount();
    const std::vector<std::size_t> kernel = KernelIndex(d);
    const std::size_t k = d.KernelFrequencies().size();
    const bool several = d.CurveCount() > 1;
    if (d.components != FitComponents::kPhase) {
        for (std::size_t i = 0; i < f; ++i) {
            d.values.push_back(std::log10(d.rhoA[i]));
            d.sigmas.push_back(std::max(d.rhoErr[i] / (d.rhoA[i] * kLn10), 2.0 * kMinRelativeError / kLn10));
            d.kernelRows.push_back(kernel[i]);
            if (several) d.valueCurve.push_back(d.rowCurve[i]);
        }
    }
    if (d.components != FitComponents::kRho) {
        for (std::size_t i = 0; i < f; ++i) {
            d.values.push_back(d.phaseDeg[i]);
            d.sigmas.push_back(std::max(d.phaseErrDeg[i], kMinRelativeError * kDegreesPerRadian));
            d.kernelRows.push_back(k + kernel[i]);
            if (several) d.valueCurve.push_back(d.rowCurve[i]);
        }
    }
}

// The rows of one curve not excluded, appended to `d` as curve `index`; a message when the
// curve is refused. `prefix` names the curve in messages ("" for a single curve).
std::string AddCurve(FitData& d, const CurveSelection& selection, std::size_t index, const std::string& prefix)
{
    const sounding::Curve& curve = *selection.curve;
    std::vector<bool> excluded(curve.rows.size(), false);
    for (std::size_t row : selection.excludedRows) {
        if (row >= curve.rows.size()) {
            return prefix + "cannot exclude row " + std::to_string(row) + ": the curve has " +
                   std::to_string(curve.rows.size()) + " rows (0 to " +
                   std::to_string(curve.rows.size() == 0 ? 0 : curve.rows.size() - 1) + ")";
        }
        excluded[row] = true;
    }
    std::size_t added = 0;
    std::size_t usableExcluded = 0;
    for (std::size_t i = 0; i < curve.rows.size(); ++i) {
        const auto& r = curve.rows[i];
        if (r.usable && excluded[i]) ++usableExcluded;
        if (!r.usable || excluded[i]) continue;
        std::string error = AddRow(d, i, r.frequencyHz, r.rhoOhmM, r.rhoErrOhmM, r.phaseDeg, r.phaseErrDeg);
        if (!error.empty()) return prefix + error;
        if (d.CurveCount() > 1) d.rowCurve.push_back(index);
        ++added;
    }
    if (added == 0) {
        return prefix + (usableExcluded > 0 ? "nothing to fit: the curve has no usable rows left after the exclusions"
                                            : "nothing to fit: the curve has no usable rows");
    }
    return {};
}

}  // namespace

std::string_view ToString(FitComponents components)
{
    switch (components) {
    case FitComponents::kRho: return "rho";
    case FitComponents::kPhase: return "phase";
    case FitComponents::kBoth: return "both";
    }
    return "unknown";
}

SelectedData SelectData(const sounding::Curve& curve, const DataSelection& selection)
{
    const CurveSelection one{&curve, selection.excludedRows};
    return SelectCurves(std::span<const CurveSelection>(&one, 1), selection.components);
}

SelectedData SelectCurves(std::span<const CurveSelection> curves, FitComponents components)
{
    SelectedData out;
    if (curves.empty()) {
        out.error = "nothing to fit: no curve";
        return out;
    }
    out.data.mode = curves.front().curve->mode;
    out.data.components = components;
    for (const auto& c : curves) out.data.curveModes.push_back(c.curve->mode);
    for (std::size_t i = 0; i < curves.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (curves[j].curve->mode == curves[i].curve->mode) {
                out.error = "the " + std::string(sounding::ModeName(curves[i].curve->mode)) + " curve is given twice";
                out.data = FitData{};
                return out;
            }
        }
    }
    for (std::size_t i = 0; i < curves.size(); ++i) {
        const std::string prefix =
            curves.size() > 1 ? std::string(sounding::ModeName(curves[i].curve->mode)) + " curve: " : std::string();
        out.error = AddCurve(out.data, curves[i], i, prefix);
        if (!out.Ok()) {
            out.data = FitData{};
            return out;
        }
    }
    LayOut(out.data);
    return out;
}

SelectedData MakeFitData(std::span<const double> frequencies, std::span<const double> rhoA,
                         std::span<const double> rhoErr, std::span<const double> phaseDeg,
                         std::span<const double> phaseErrDeg, FitComponents components)
{
    SelectedData out;
    out.data.components = components;
    out.data.curveModes = {out.data.mode};
    const std::size_t n = frequencies.size();
    if (rhoA.size() != n || rhoErr.size() != n || phaseDeg.size() != n || phaseErrDeg.size() != n) {
        out.error = "the data columns differ in length";
        return out;
    }
    if (n == 0) {
        out.error = "nothing to fit: no frequencies";
        return out;
    }
    for (std::size_t i = 0; i < n; ++i) {
        out.error = AddRow(out.data, i, frequencies[i], rhoA[i], rhoErr[i], phaseDeg[i], phaseErrDeg[i]);
        if (!out.Ok()) {
            out.data = FitData{};
            return out;
        }
    }
    LayOut(out.data);
    return out;
}

}  // namespace mt1d::fitting
