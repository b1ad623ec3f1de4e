#include "report/FitText.h"

#include "report/SiteJson.h"

#include "report/Formatting.h"
#include "sounding/Modes.h"
#include "fitting/Uncertainty.h"

#include <cmath>
#include <string_view>

namespace mt1d::report {

namespace {

constexpr int kDigits = 4;        // model values: more than the data can tell apart
constexpr int kFactorDigits = 3;  // uncertainty factors
constexpr std::size_t kWidth = 13;

std::string Factor(const std::optional<double>& log10Sd)
{
    if (!log10Sd) return "";
    // A standard error at the cap means that the data do not see the parameter at all.
    if (*log10Sd >= fitting::kMaxLog10Sd) return "undetermined";
    return "x" + Significant(std::pow(10.0, *log10Sd), kFactorDigits);
}

std::string_view FittedName(fitting::FitComponents c)
{
    switch (c) {
    case fitting::FitComponents::kRho: return "log10 apparent resistivity";
    case fitting::FitComponents::kPhase: return "phase";
    case fitting::FitComponents::kBoth: return "log10 apparent resistivity and phase";
    }
    return "";
}

std::string Headline(const jobs::FitRecord& record)
{
    const fitting::FitReport& r = record.report;
    std::string out = "result: " + std::string(fitting::ToString(r.status)) + ", RMS " + Rounded(r.rms, kDigits);
    if (r.roughness) out += ", roughness " + Rounded(*r.roughness, kDigits);
    out += ", " + std::to_string(r.iterations) + " iteration" + (r.iterations == 1 ? "" : "s");
    out += r.targetReached ? " (target reached)\n" : " (target not reached)\n";
    return out + "  " + r.message + "\n";
}

std::string SettingsLine(const jobs::FitRecord& record)
{
    const jobs::FitOptions& s = record.settings;
    std::string out = "fit: " + std::string(fitting::ToString(s.method)) + ", ";
    if (s.method == fitting::Method::kLayered) {
        out += std::to_string(s.layers.value_or(0)) + " layers";
        if (s.starts) out += ", " + std::to_string(*s.starts) + " starts";
        if (s.seed) out += " (seed " + std::to_string(*s.seed) + ")";
    } else {
        out += std::to_string(record.report.layers.size()) + " layers";
        if (!s.layerTops.empty()) out += " at the given tops";
    }
    return out + ", target RMS " + Significant(s.targetRms, kDigits) + ", at most " + std::to_string(s.maxIterations.value_or(0)) +
           (s.maxIterations == 1u ? " iteration" : " iterations") +
           (s.method == fitting::Method::kLayered ? " per start\n" : "\n");
}

std::string LayeredTable(const jobs::FitRecord& record)
{
    const auto& layers = record.report.layers;
    const std::string factor = AlignRight("sd factor", kWidth);
    std::string out = AlignRight("layer", 6) + AlignRight("top_m", kWidth) + AlignRight("thickness_m", kWidth) + factor +
                      AlignRight("resistivity", kWidth) + factor + AlignRight("conductance", kWidth) + factor +
                      AlignRight("transverse", kWidth) + factor + "\n";
    out += AlignRight("", 6 + 3 * kWidth) + AlignRight("ohm-m", kWidth) + AlignRight("", kWidth) +
           AlignRight("S", kWidth) + AlignRight("", kWidth) + AlignRight("ohm-m2", kWidth) + "\n";
    for (std::size_t j = 0; j < layers.size(); ++j) {
        const auto& l = layers[j];
        out += AlignRight(std::to_string(j + 1), 6) + AlignRight(Significant(l.topM, kDigits), kWidth) +
               AlignRight(l.thicknessM ? Significant(*l.thicknessM, kDigits) : "half-space", kWidth) +
               AlignRight(Factor(l.log10ThicknessSd), kWidth) +
               AlignRight(Significant(l.resistivityOhmM, kDigits), kWidth) + AlignRight(Factor(l.log10RhoSd), kWidth);
        if (j < record.products.size()) {
            const auto& p = record.products[j];
            out += AlignRight(Significant(p.conductanceS, kDigits), kWidth) +
                   AlignRight(Factor(p.log10ConductanceSd), kWidth) +
                   AlignRight(Significant(p.transverseResistanceOhmM2, kDigits), kWidth) +
                   AlignRight(Factor(p.log10TransverseResistanceSd), kWidth);
        }
        out += "\n";
    }
    out += "sd factor: one standard error either way (x1.25: from value/1.25 to value*1.25).\n";
    return out;
}

std::string OccamTable(const jobs::FitRecord& record)
{
    std::string out = AlignRight("layer", 6) + AlignRight("top_m", kWidth) + AlignRight("thickness_m", kWidth) +
                      AlignRight("resistivity", kWidth) + "\n" + AlignRight("ohm-m", 6 + 3 * kWidth) + "\n";
    const auto& layers = record.report.layers;
    for (std::size_t j = 0; j < layers.size(); ++j) {
        const auto& l = layers[j];
        out += AlignRight(std::to_string(j + 1), 6) + AlignRight(Significant(l.topM, kDigits), kWidth) +
               AlignRight(l.thicknessM ? Significant(*l.thicknessM, kDigits) : "half-space", kWidth) +
               AlignRight(Significant(l.resistivityOhmM, kDigits), kWidth) + "\n";
    }
    return out;
}

std::string StrongCorrelations(const jobs::FitRecord& record)
{
    const std::size_t layers = record.report.layers.size();
    const std::size_t p = layers > 0 ? 2 * layers - 1 : 0;
    if (p == 0 || record.correlation.size() != p * p) return "";
    const auto names = jobs::CorrelationParameterNames(layers);
    std::string out;
    for (std::size_t i = 0; i < p; ++i) {
        for (std::size_t k = i + 1; k < p; ++k) {
            const double r = record.correlation[i * p + k];
            if (std::abs(r) >= kStrongCorrelation) {
                out += "  " + names[i] + " and " + names[k] + ": " + Significant(r, 3) + "\n";
            }
        }
    }
    return out.empty() ? "" : "strongly correlated (|r| >= " + Significant(kStrongCorrelation, 2) + "):\n" + out;
}

std::string HistoryTable(const jobs::FitRecord& record)
{
    std::string out = AlignRight("iteration", 10) + AlignRight("rms", kWidth) + AlignRight("roughness", kWidth) +
                      AlignRight("multiplier", kWidth) + "\n";
    for (const auto& h : record.report.history) {
        out += AlignRight(std::to_string(h.iteration), 10) + AlignRight(Rounded(h.rms, kDigits + 1), kWidth) +
               AlignRight(Rounded(h.roughness, kDigits + 1), kWidth) +
               AlignRight(Significant(h.multiplier, kDigits), kWidth) + "\n";
    }
    return out;
}

// "static shift (reference mean): xy x1.58 (x/÷1.05), yx x0.633 (x/÷1.05)" and the note.
std::string StaticShiftText(const fitting::StaticShiftReport& shift)
{
    std::string out = "static shift (reference " + shift.reference + "):";
    for (std::size_t c = 0; c < shift.curves.size(); ++c) {
        const fitting::CurveShift& s = shift.curves[c];
        out += std::string(c == 0 ? " " : ", ") + std::string(sounding::ModeName(s.mode)) + " x" +
               Significant(s.factor, kFactorDigits);
        if (s.log10Sd) out += " (" + Factor(s.log10Sd) + ")";
        if (s.atBound) out += " at its bound";
    }
    out += "\n";
    if (!shift.note.empty()) out += "  " + shift.note + "\n";
    return out;
}

}  // namespace

std::string FitText(const jobs::FitRecord& record)
{
    const fitting::FitReport& r = record.report;
    std::string out = SiteText(record.site);
    const std::string curves = record.curve.bothOffDiagonal
                                   ? std::string(jobs::kBothOffDiagonalName) + " curves"
                                   : std::string(sounding::ModeName(record.curve.mode.value_or(record.report.mode))) + " curve";
    out += "data: " + curves + ", error floor " +
           Significant(record.curve.floorPercent, 6) + " % of |Z|; fitted " +
           std::string(FittedName(record.settings.components)) + ", " + std::to_string(record.valuesFitted) +
           " values\n";
    out += SettingsLine(record);
    out += Headline(record);
    out += "depth of investigation (Niblett-Bostick): " + Rounded(r.depthOfInvestigationM, kDigits) + " m\n";
    if (r.staticShift) out += StaticShiftText(*r.staticShift);
    out += "\n";
    if (r.method == fitting::Method::kLayered) {
        out += LayeredTable(record);
        if (const std::string strong = StrongCorrelations(record); !strong.empty()) out += "\n" + strong;
    } else {
        out += OccamTable(record) + "\n" + HistoryTable(record);
    }
    if (!record.notes.empty()) {
        out += "\nnotes:\n";
        for (const auto& note : record.notes) out += "  " + note + "\n";
    }
    return out;
}

}  // namespace mt1d::report
