#include "sounding/Normalize.h"

#include "sounding/ImpedanceMath.h"
#include "sounding/ReadError.h"
#include "sounding/TextScan.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace mt1d::sounding {
namespace {

bool UsableFrequency(double f)
{
    return std::isfinite(f) && f > 0.0;
}

template <typename Row>
void SortRows(std::vector<Row>& rows, Sounding& sounding)
{
    std::vector<std::size_t> order(rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const double fa = rows[a].frequencyHz;
        const double fb = rows[b].frequencyHz;
        const bool ua = UsableFrequency(fa);
        const bool ub = UsableFrequency(fb);
        if (ua != ub) return ua;  // usable frequencies first
        return ua && fa > fb;
    });

    bool ascending = rows.size() > 1;
    bool alreadySorted = true;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (order[i] != i) alreadySorted = false;
        if (order[i] != order.size() - 1 - i) ascending = false;
    }
    if (!alreadySorted) {
        std::vector<Row> sorted;
        sorted.reserve(rows.size());
        for (const std::size_t i : order) sorted.push_back(std::move(rows[i]));
        rows = std::move(sorted);
        sounding.notes.push_back(ascending ? "frequencies given from low to high; sorted from high to low"
                                           : "frequencies not in order in the file; sorted from high to low");
    }
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const double f = rows[i].frequencyHz;
        if (UsableFrequency(f) && f == rows[i - 1].frequencyHz)
            throw ReadError(sounding.sourceName, 0, ReadProblem::kDuplicate,
                            "frequency " + FormatNumber(f, 9) +
                                " Hz appears twice; each frequency may appear only once");
    }
}

// Whether more than half of the phases lie in (−90°, 0°), which is where a layered earth's
// xy phases fall under the e^{−iωt} convention. A share, not a median: phases wrap at ±180°,
// and a median of two values (their mean) can land in the interval when neither does.
bool MostlyOtherTimeConvention(const std::vector<double>& xyPhases)
{
    const auto other = std::count_if(xyPhases.begin(), xyPhases.end(), [](double p) { return p > -90.0 && p < 0.0; });
    return 2 * static_cast<std::size_t>(other) > xyPhases.size();
}

std::string ConventionNote(const std::vector<double>& phases, const char* what)
{
    const auto other = std::count_if(phases.begin(), phases.end(), [](double p) { return p > -90.0 && p < 0.0; });
    return std::to_string(other) + " of " + std::to_string(phases.size()) +
           " xy phases lie between −90° and 0°: the file uses the e^{−iωt} time convention; " + what +
           " to e^{+iωt}";
}

void CheckTensorConvention(Sounding& s)
{
    std::vector<double> phases;
    for (const auto& row : s.tensor) {
        const auto& v = row[Component::kXy].value;
        if (v && std::isfinite(v->real()) && std::isfinite(v->imag()) && *v != 0.0)
            phases.push_back(PhaseDegrees(*v));
    }
    if (!MostlyOtherTimeConvention(phases)) return;
    for (auto& row : s.tensor) {
        for (auto& e : row.z)
            if (e.value) e.value = std::conj(*e.value);
        for (auto& e : row.tipper)
            if (e.value) e.value = std::conj(*e.value);
    }
    s.conjugated = true;
    s.notes.push_back(ConventionNote(phases, "impedances conjugated"));
}

std::vector<double> Phases(const Sounding& s, Mode m)
{
    std::vector<double> phases;
    for (const auto& row : s.rhoPhase) {
        const auto& p = row[m].phaseDeg;
        if (p && std::isfinite(*p)) phases.push_back(*p);
    }
    return phases;
}

void CheckRhoPhaseConvention(Sounding& s)
{
    for (const Mode reference : {Mode::kXy, Mode::kDet, Mode::kBerd}) {
        const auto phases = Phases(s, reference);
        if (phases.empty()) continue;
        if (MostlyOtherTimeConvention(phases)) {
            for (auto& row : s.rhoPhase)
                for (auto& v : row.byMode)
                    if (v.phaseDeg) v.phaseDeg = -*v.phaseDeg;
            s.conjugated = true;
            s.notes.push_back(ConventionNote(phases, "phases negated"));
        }
        break;
    }
    const auto yx = Phases(s, Mode::kYx);
    if (yx.empty()) return;
    const auto third = std::count_if(yx.begin(), yx.end(), [](double p) { return p < -90.0; });
    if (2 * static_cast<std::size_t>(third) > yx.size()) {
        for (auto& row : s.rhoPhase)
            if (auto& p = row[Mode::kYx].phaseDeg) p = *p + 180.0;
        s.notes.push_back("yx phases stored near −135° (" + std::to_string(third) + " of " + std::to_string(yx.size()) +
                          " below −90°); shifted by 180° into the first quadrant");
    } else {
        s.yxPhaseStoredFirstQuadrant = true;
        s.notes.push_back("yx phases stored in the first quadrant already; kept as they are");
    }
}

}  // namespace

void NormalizeSounding(Sounding& sounding)
{
    if (sounding.kind == DataKind::kImpedance) {
        SortRows(sounding.tensor, sounding);
        CheckTensorConvention(sounding);
    } else {
        SortRows(sounding.rhoPhase, sounding);
        CheckRhoPhaseConvention(sounding);
    }
}

}  // namespace mt1d::sounding
