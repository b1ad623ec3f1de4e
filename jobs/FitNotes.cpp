#include "jobs/FitNotes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace mt1d::jobs {

double OverfitRms(double floorPercent)
{
    const double floor = std::isfinite(floorPercent) ? floorPercent : 0.0;
    return kOverfitRms * kOverfitReferenceFloorPercent / std::max(floor, kOverfitReferenceFloorPercent);
}

bool IsResolved(double log10Sd) { return std::isfinite(log10Sd) && log10Sd <= kUnresolvedLog10Sd; }

std::optional<std::string> OverfitNote(fitting::Method method, double rms, double floorPercent,
                                       std::optional<std::size_t> layers)
{
    const double line = OverfitRms(floorPercent);
    if (!std::isfinite(rms) || !(rms < line)) return std::nullopt;
    char figures[96];
    std::snprintf(figures, sizeof figures, " (RMS %.3g, below %.3g at a %.3g %% floor)", rms, line,
                  std::isfinite(floorPercent) ? floorPercent : 0.0);
    std::string note = std::string(kOverfitNotePrefix) + figures;
    if (method == fitting::Method::kLayered) {
        note += layers && *layers > 1 ? ": fewer than " + std::to_string(*layers) + " layers may fit as well"
                                      : ": a model of fewer parameters may fit as well";
    } else {
        note += ": a higher target RMS gives a smoother model that fits as well";
    }
    return note;
}

}  // namespace mt1d::jobs
