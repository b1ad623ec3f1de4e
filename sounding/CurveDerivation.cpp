#include "sounding/CurveDerivation.h"

#include "sounding/ImpedanceMath.h"
#include "sounding/Modes.h"
#include "sounding/TextScan.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace mt1d::sounding {
namespace {

constexpr double kDegPerRad = 180.0 / std::numbers::pi;

bool Finite(std::complex<double> z)
{
    return std::isfinite(z.real()) && std::isfinite(z.imag());
}

// The phase error of a relative impedance error r: the half-angle under which a circle of
// radius r·|Z| around Z is seen from the origin.
double PhaseErrorDeg(double relative)
{
    return std::asin(std::min(1.0, relative)) * kDegPerRad;
}

void StartRow(CurveRow& row, double frequencyHz)
{
    if (std::isfinite(frequencyHz)) row.frequencyHz = frequencyHz;
    if (std::isfinite(frequencyHz) && frequencyHz > 0.0) row.periodS = 1.0 / frequencyHz;
}

const char* ComponentName(Component c)
{
    switch (c) {
    case Component::kXx: return "Zxx";
    case Component::kXy: return "Zxy";
    case Component::kYx: return "Zyx";
    case Component::kYy: return "Zyy";
    }
    return "Z";
}

// The components a mode needs, xx, xy, yx, yy order.
std::vector<Component> Needs(Mode mode)
{
    switch (mode) {
    case Mode::kXy: return {Component::kXy};
    case Mode::kYx: return {Component::kYx};
    case Mode::kBerd: return {Component::kXy, Component::kYx};
    case Mode::kDet: return {Component::kXx, Component::kXy, Component::kYx, Component::kYy};
    }
    return {};
}

std::string MissingList(const TensorRow& row, Mode mode)
{
    std::string names;
    for (const Component c : Needs(mode)) {
        if (row[c].value) continue;
        if (!names.empty()) names += ", ";
        names += ComponentName(c);
    }
    return names;
}

ModeImpedance ImpedanceOf(const TensorRow& row, Mode mode)
{
    const auto single = [&](Component c, double sign) {
        ModeImpedance m;
        m.z = sign * *row[c].value;
        if (row[c].variance) m.sigma = std::sqrt(*row[c].variance);
        return m;
    };
    switch (mode) {
    case Mode::kXy: return single(Component::kXy, 1.0);
    case Mode::kYx: return single(Component::kYx, -1.0);
    case Mode::kDet: return DeterminantImpedance(row);
    case Mode::kBerd: return BerdichevskyImpedance(row);
    }
    return {};
}

struct Tally {
    std::size_t floorOnly = 0;  // rows whose errors come from the floor alone
    std::size_t outsidePhase = 0;  // usable rows set aside for a phase outside 0°–90°
};

// Frequencies written by two programs agree to about 7 digits.
constexpr double kSameFrequency = 1e-6;

// The index of the excluded frequency the row's matches, or −1.
int ExcludedBy(double frequencyHz, const std::vector<double>& excluded)
{
    for (std::size_t k = 0; k < excluded.size(); ++k)
        if (std::abs(frequencyHz - excluded[k]) <= kSameFrequency * std::max(frequencyHz, excluded[k]))
            return static_cast<int>(k);
    return -1;
}

// What the user asked to leave out, then what no 1-D earth can give.
void SetAside(CurveRow& row, const CurveOptions& options, std::vector<std::size_t>& matched, Tally& tally)
{
    if (const int k = ExcludedBy(row.frequencyHz, options.excludeFrequencies); k >= 0) {
        ++matched[static_cast<std::size_t>(k)];
        if (row.usable) {
            row.usable = false;
            row.reason = "excluded by the user";
        }
    }
    if (row.usable && !options.keepAnyPhase && (row.phaseDeg < 0.0 || row.phaseDeg > 90.0)) {
        row.usable = false;
        row.reason = "phase " + FormatNumber(row.phaseDeg, 3) + "° outside 0–90°: a 1-D earth cannot give it";
        ++tally.outsidePhase;
    }
}

CurveRow TensorCurveRow(const TensorRow& in, Mode mode, double floor, Tally& tally)
{
    CurveRow row;
    StartRow(row, in.frequencyHz);
    if (row.periodS == 0.0) {
        row.reason = "frequency is not a positive number";
        return row;
    }
    if (const auto missing = MissingList(in, mode); !missing.empty()) {
        row.reason = missing + " missing";
        return row;
    }
    const ModeImpedance m = ImpedanceOf(in, mode);
    if (!Finite(m.z)) {
        row.reason = "impedance is not a finite number";
        return row;
    }
    const double rho = ApparentResistivity(m.z, in.frequencyHz);
    if (!std::isfinite(rho)) {
        row.reason = "apparent resistivity is not a finite number";
        return row;
    }
    row.rhoOhmM = rho;
    row.phaseDeg = PhaseDegrees(m.z);
    if (!(rho > 0.0)) {
        row.reason = "apparent resistivity is not positive";
        return row;
    }
    const bool reported = m.sigma && std::isfinite(*m.sigma);
    if (!reported && floor == 0.0) {
        row.reason = "no error given and the error floor is 0";
        return row;
    }
    if (!reported) ++tally.floorOnly;
    const double relative = std::max(reported ? *m.sigma / std::abs(m.z) : 0.0, floor);
    row.rhoErrOhmM = 2.0 * relative * rho;
    row.phaseErrDeg = PhaseErrorDeg(relative);
    row.usable = true;
    return row;
}

CurveRow RhoPhaseCurveRow(const RhoPhaseRow& in, Mode mode, double floor, Tally& tally)
{
    CurveRow row;
    StartRow(row, in.frequencyHz);
    if (row.periodS == 0.0) {
        row.reason = "frequency is not a positive number";
        return row;
    }
    const RhoPhaseValue& v = in[mode];
    if (!v.rhoOhmM || !v.phaseDeg) {
        row.reason = !v.rhoOhmM && !v.phaseDeg ? "apparent resistivity and phase missing"
                     : !v.rhoOhmM              ? "apparent resistivity missing"
                                               : "phase missing";
        if (v.phaseDeg && std::isfinite(*v.phaseDeg)) row.phaseDeg = *v.phaseDeg;
        if (v.rhoOhmM && std::isfinite(*v.rhoOhmM)) row.rhoOhmM = *v.rhoOhmM;
        return row;
    }
    const double rho = *v.rhoOhmM;
    const double phase = *v.phaseDeg;
    if (!std::isfinite(rho) || !std::isfinite(phase)) {
        row.reason = "value is not a finite number";
        return row;
    }
    row.rhoOhmM = rho;
    row.phaseDeg = phase;
    if (!(rho > 0.0)) {
        row.reason = "apparent resistivity is not positive";
        return row;
    }
    const bool rhoReported = v.rhoErrOhmM && std::isfinite(*v.rhoErrOhmM);
    const bool phaseReported = v.phaseErrDeg && std::isfinite(*v.phaseErrDeg);
    if (floor == 0.0 && (!rhoReported || !phaseReported)) {
        row.reason = !rhoReported && !phaseReported ? "no error given and the error floor is 0"
                     : !rhoReported ? "no error given for the apparent resistivity and the error floor is 0"
                                    : "no error given for the phase and the error floor is 0";
        return row;
    }
    if (!rhoReported && !phaseReported) ++tally.floorOnly;
    row.rhoErrOhmM = std::max(rhoReported ? *v.rhoErrOhmM : 0.0, 2.0 * floor * rho);
    row.phaseErrDeg = std::max(phaseReported ? *v.phaseErrDeg : 0.0, PhaseErrorDeg(floor));
    row.usable = true;
    return row;
}

}  // namespace

Curve DeriveCurve(const Sounding& sounding, const CurveOptions& options)
{
    if (!std::isfinite(options.floorPercent) || options.floorPercent < 0.0)
        throw std::invalid_argument("error floor must be a number of percent, 0 or more");
    for (const double f : options.excludeFrequencies)
        if (!std::isfinite(f) || f <= 0.0)
            throw std::invalid_argument("a frequency to exclude must be a positive number of Hz, not " + FormatNumber(f));
    const double floor = options.floorPercent / 100.0;

    Curve curve;
    curve.mode = options.mode;
    curve.floorPercent = options.floorPercent;
    curve.notes = sounding.notes;
    Tally tally;
    std::vector<std::size_t> matched(options.excludeFrequencies.size(), 0);
    const std::size_t n = sounding.RowCount();
    curve.rows.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        curve.rows.push_back(sounding.kind == DataKind::kImpedance
                                 ? TensorCurveRow(sounding.tensor[i], options.mode, floor, tally)
                                 : RhoPhaseCurveRow(sounding.rhoPhase[i], options.mode, floor, tally));
        SetAside(curve.rows.back(), options, matched, tally);
    }

    const std::string mode(ModeName(options.mode));
    const auto usable = static_cast<std::size_t>(
        std::count_if(curve.rows.begin(), curve.rows.end(), [](const CurveRow& r) { return r.usable; }));
    if (usable == 0 && n > 0) {
        curve.notes.push_back("no usable row for mode " + mode);
    } else if (usable < n) {
        curve.notes.push_back(std::to_string(n - usable) + " of " + std::to_string(n) + " rows not usable for mode " +
                              mode + "; each says why");
    }
    if (tally.outsidePhase > 0)
        curve.notes.push_back(std::to_string(tally.outsidePhase) + " of " + std::to_string(n) + " rows of mode " + mode +
                              " have a phase outside 0–90°, which no 1-D earth gives; they are not used");
    for (std::size_t k = 0; k < matched.size(); ++k)
        if (matched[k] == 0)
            curve.notes.push_back("no row at " + FormatNumber(options.excludeFrequencies[k], 9) + " Hz to exclude");
    if (tally.floorOnly > 0)
        curve.notes.push_back(std::to_string(tally.floorOnly) + " of " + std::to_string(n) +
                              " rows have no error in the file for mode " + mode + "; the " +
                              FormatNumber(options.floorPercent) + " % error floor sets theirs");
    return curve;
}

}  // namespace mt1d::sounding
