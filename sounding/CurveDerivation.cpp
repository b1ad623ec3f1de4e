#include "sounding/CurveDerivation.h"

#include "numerics/PhysicalConstants.h"

#include "sounding/ImpedanceErrors.h"
#include "sounding/ImpedanceMath.h"
#include "sounding/Limits.h"
#include "sounding/Modes.h"
#include "sounding/TextScan.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

namespace mt1d::sounding {
namespace {

bool Finite(std::complex<double> z)
{
    return std::isfinite(z.real()) && std::isfinite(z.imag());
}

std::string Range(double low, double high, const char* unit)
{
    return FormatNumber(low) + " to " + FormatNumber(high) + unit;
}

// Sets the frequency and period of a row when they are finite; the reason the frequency makes
// the row unusable, or nothing.
std::optional<std::string> StartRow(CurveRow& row, double frequencyHz)
{
    if (!std::isfinite(frequencyHz) || !(frequencyHz > 0.0)) {
        if (std::isfinite(frequencyHz)) row.frequencyHz = frequencyHz;
        return std::string("frequency is not a positive number");
    }
    row.frequencyHz = frequencyHz;
    const double period = 1.0 / frequencyHz;
    if (std::isfinite(period)) row.periodS = period;
    if (frequencyHz < kMinFrequencyHz || frequencyHz > kMaxFrequencyHz)
        return "frequency " + FormatNumber(frequencyHz) + " Hz outside the accepted " +
               Range(kMinFrequencyHz, kMaxFrequencyHz, " Hz");
    return std::nullopt;
}

// The reason a finite ρa or phase makes the row unusable, or nothing.
std::optional<std::string> ValueProblem(double rho, double phase)
{
    if (!(rho > 0.0)) return std::string("apparent resistivity is not positive");
    if (rho < kMinApparentResistivityOhmM || rho > kMaxApparentResistivityOhmM)
        return "apparent resistivity " + FormatNumber(rho) + " Ω·m outside the accepted " +
               Range(kMinApparentResistivityOhmM, kMaxApparentResistivityOhmM, " Ω·m");
    if (std::abs(phase) > kMaxPhaseMagnitudeDeg)
        return "phase " + FormatNumber(phase) + "° outside the accepted −180° to 180°";
    return std::nullopt;
}

// The reason errors make the row unusable, or nothing: more than kMaxRelativeError times
// the value, or a phase error above kMaxPhaseErrorDeg.
std::optional<std::string> ErrorProblem(double relativeRho, double phaseErr)
{
    if (!std::isfinite(relativeRho) || relativeRho > kMaxRelativeError)
        return "error of the apparent resistivity more than " + FormatNumber(kMaxRelativeError) + " times its value";
    if (!std::isfinite(phaseErr) || phaseErr > kMaxPhaseErrorDeg)
        return "phase error more than " + FormatNumber(kMaxPhaseErrorDeg) + "°";
    return std::nullopt;
}

constexpr std::array<const char*, 4> kElementNames = {"Zxx", "Zxy", "Zyx", "Zyy"};

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
        names += kElementNames[static_cast<std::size_t>(c)];
    }
    return names;
}

ModeImpedance ImpedanceOf(const TensorRow& row, Mode mode)
{
    const auto single = [&](Component c, double sign) {
        ModeImpedance m;
        m.z = sign * *row[c].value;
        m.variance = row[c].variance;
        m.leftOut[static_cast<std::size_t>(c)] = !row[c].variance;
        m.leftOutShare = row[c].variance ? 0.0 : 1.0;
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
    // Rows whose error was computed with some elements' missing variances left out, which
    // elements, and the largest share of the error weight they carried.
    std::size_t partial = 0;
    std::array<bool, 4> leftOut{};
    double largestShare = 0.0;
    // Rows given no error because the missing variances carry too much weight.
    std::size_t tooMuchMissing = 0;
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

CurveRow TensorCurveRow(const TensorRow& in, Mode mode, VarianceConvention convention, double floor, Tally& tally)
{
    CurveRow row;
    const auto frequencyProblem = StartRow(row, in.frequencyHz);
    if (const auto missing = MissingList(in, mode); !missing.empty()) {
        row.reason = frequencyProblem ? *frequencyProblem : missing + " missing";
        return row;
    }
    const ModeImpedance m = ImpedanceOf(in, mode);
    if (!Finite(m.z)) {
        row.reason = frequencyProblem ? *frequencyProblem : "impedance is not a finite number";
        return row;
    }
    row.phaseDeg = PhaseDegrees(m.z);
    row.phaseKnown = true;
    if (frequencyProblem) {
        row.reason = *frequencyProblem;
        return row;
    }
    const ApparentValues a = ApparentFromImpedance(m.z, in.frequencyHz, m.variance, convention, floor);
    if (!std::isfinite(a.rhoOhmM)) {
        row.reason = "apparent resistivity is not a finite number";
        return row;
    }
    row.rhoOhmM = a.rhoOhmM;
    if (const auto problem = ValueProblem(a.rhoOhmM, a.phaseDeg)) {
        row.reason = *problem;
        return row;
    }
    const bool reported = a.fromVariance && a.relative > 0.0;
    if (!reported && floor == 0.0) {
        row.reason = "no error given and the error floor is 0";
        return row;
    }
    if (const auto problem = ErrorProblem(2.0 * a.relative, a.phaseErrDeg)) {
        row.reason = *problem;
        return row;
    }
    const auto leftOut = static_cast<std::size_t>(std::count(m.leftOut.begin(), m.leftOut.end(), true));
    if (!reported) {
        ++tally.floorOnly;
        // Some variances given, but the missing ones weigh too much to leave out.
        if (leftOut > 0 && leftOut < Needs(mode).size()) ++tally.tooMuchMissing;
    } else if (leftOut > 0) {
        ++tally.partial;
        for (std::size_t k = 0; k < 4; ++k) tally.leftOut[k] = tally.leftOut[k] || m.leftOut[k];
        tally.largestShare = std::max(tally.largestShare, m.leftOutShare);
    }
    row.rhoErrOhmM = a.rhoErrOhmM;
    row.phaseErrDeg = a.phaseErrDeg;
    row.usable = true;
    return row;
}

CurveRow RhoPhaseCurveRow(const RhoPhaseRow& in, Mode mode, double floor, Tally& tally)
{
    CurveRow row;
    const auto frequencyProblem = StartRow(row, in.frequencyHz);
    const RhoPhaseValue& v = in[mode];
    if (v.phaseDeg && std::isfinite(*v.phaseDeg)) {
        row.phaseDeg = *v.phaseDeg;
        row.phaseKnown = true;
    }
    if (v.rhoOhmM && std::isfinite(*v.rhoOhmM)) row.rhoOhmM = *v.rhoOhmM;
    if (frequencyProblem) {
        row.reason = *frequencyProblem;
        return row;
    }
    if (!v.rhoOhmM || !v.phaseDeg) {
        row.reason = !v.rhoOhmM && !v.phaseDeg ? "apparent resistivity and phase missing"
                     : !v.rhoOhmM              ? "apparent resistivity missing"
                                               : "phase missing";
        return row;
    }
    const double rho = *v.rhoOhmM;
    const double phase = *v.phaseDeg;
    if (!std::isfinite(rho) || !std::isfinite(phase)) {
        row.reason = "value is not a finite number";
        return row;
    }
    if (const auto problem = ValueProblem(rho, phase)) {
        row.reason = *problem;
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
    const double rhoErr = std::max(rhoReported ? *v.rhoErrOhmM : 0.0, 2.0 * floor * rho);
    const double phaseErr = std::max(phaseReported ? *v.phaseErrDeg : 0.0, PhaseErrorDeg(floor));
    if (const auto problem = ErrorProblem(rhoErr / rho, phaseErr)) {
        row.reason = *problem;
        return row;
    }
    if (!rhoReported && !phaseReported) ++tally.floorOnly;
    row.rhoErrOhmM = rhoErr;
    row.phaseErrDeg = phaseErr;
    row.usable = true;
    return row;
}

std::string NameList(const std::array<bool, 4>& which)
{
    std::string names;
    for (std::size_t k = 0; k < which.size(); ++k) {
        if (!which[k]) continue;
        if (!names.empty()) names += ", ";
        names += kElementNames[k];
    }
    return names;
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
                                 ? TensorCurveRow(sounding.tensor[i], options.mode, sounding.varianceConvention, floor,
                                                  tally)
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
    if (tally.partial > 0)
        curve.notes.push_back("in " + std::to_string(tally.partial) + " of " + std::to_string(n) + " rows the " + mode +
                              " error leaves out " + NameList(tally.leftOut) +
                              ", whose variance the file does not give (taken as 0; at most " +
                              FormatNumber(100.0 * tally.largestShare, 3) + " % of the error weight)");
    if (tally.floorOnly > 0) {
        std::string note = std::to_string(tally.floorOnly) + " of " + std::to_string(n) +
                           " rows have no error in the file for mode " + mode + "; the " +
                           FormatNumber(options.floorPercent) + " % error floor sets theirs";
        if (tally.tooMuchMissing > 0)
            note += " (in " + std::to_string(tally.tooMuchMissing) +
                    " of them the elements without a variance carry more than " +
                    FormatNumber(100.0 * kMaxLeftOutShare) + " % of the error weight)";
        curve.notes.push_back(note);
    }
    return curve;
}

}  // namespace mt1d::sounding
