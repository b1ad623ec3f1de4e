#include "fitting/FitData.h"

#include <algorithm>
#include <cmath>
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

// Lays out the fitted values once every row is in: log10 ρa first, then φ.
void LayOut(FitData& d)
{
    const std::size_t f = d.FrequencyCount();
    if (d.components != FitComponents::kPhase) {
        for (std::size_t i = 0; i < f; ++i) {
            d.values.push_back(std::log10(d.rhoA[i]));
            d.sigmas.push_back(std::max(d.rhoErr[i] / (d.rhoA[i] * kLn10), 2.0 * kMinRelativeError / kLn10));
            d.kernelRows.push_back(i);
        }
    }
    if (d.components != FitComponents::kRho) {
        for (std::size_t i = 0; i < f; ++i) {
            d.values.push_back(d.phaseDeg[i]);
            d.sigmas.push_back(std::max(d.phaseErrDeg[i], kMinRelativeError * kDegreesPerRadian));
            d.kernelRows.push_back(f + i);
        }
    }
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
    SelectedData out;
    out.data.mode = curve.mode;
    out.data.components = selection.components;
    std::vector<bool> excluded(curve.rows.size(), false);
    for (std::size_t index : selection.excludedRows) {
        if (index >= curve.rows.size()) {
            out.error = "cannot exclude row " + std::to_string(index) + ": the curve has " +
                        std::to_string(curve.rows.size()) + " rows (0 to " +
                        std::to_string(curve.rows.size() == 0 ? 0 : curve.rows.size() - 1) + ")";
            return out;
        }
        excluded[index] = true;
    }
    std::size_t usableExcluded = 0;
    for (std::size_t i = 0; i < curve.rows.size(); ++i) {
        const auto& r = curve.rows[i];
        if (r.usable && excluded[i]) ++usableExcluded;
        if (!r.usable || excluded[i]) continue;
        out.error = AddRow(out.data, i, r.frequencyHz, r.rhoOhmM, r.rhoErrOhmM, r.phaseDeg,
                           r.phaseErrDeg);
        if (!out.Ok()) {
            out.data = FitData{};
            return out;
        }
    }
    if (out.data.FrequencyCount() == 0) {
        out.error = usableExcluded > 0 ? "nothing to fit: the curve has no usable rows left after the exclusions"
                                       : "nothing to fit: the curve has no usable rows";
        return out;
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
