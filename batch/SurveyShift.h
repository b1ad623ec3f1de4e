#pragma once
// Static shifts of a survey from the neighbours of each site: over a band of high frequencies
// (by default the highest decade every site reaches), a curve's level is the mean of its
// log10 ρa there; a site's factor for a mode is the one that brings its level to the median of
// the levels of its K nearest neighbours (default 6) within a radius,
//     log10 s = level(site) − median(level(neighbours)),
// held within ±fitting::kMaxAbsLog10Shift like a fitted factor. At high frequencies the
// fields see the near surface, which varies smoothly from site to site while a static shift
// does not: the median of a few neighbours keeps the smooth part and sheds their own shifts.
//
// A pure function of the sites and the options: the neighbours are ordered by distance, then
// name, then place in the list, so the factors do not depend on which site was fitted first,
// on workers or on shards. What a batch's second pass holds fixed (ShiftMode::kFixed).

#include "fitting/StaticShift.h"
#include "sounding/Curve.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace mt1d::batch {

inline constexpr std::size_t kDefaultShiftNeighbours = 6;
// A median of fewer neighbours says too little: such a site keeps factor 1, with a note.
inline constexpr std::size_t kMinShiftNeighbours = 2;

struct SurveyShiftOptions {
    std::size_t neighbours = kDefaultShiftNeighbours;  // K, at least 1
    std::optional<double> radiusKm;                    // empty: any distance
    std::optional<double> bandLowHz, bandHighHz;       // both or neither; empty: the default band
};

// What the estimate needs of one site: where it is and its curves' ρa.
struct SiteLevels {
    std::string name;
    std::optional<double> latitudeDeg, longitudeDeg;
    struct Curve {
        sounding::Mode mode = sounding::Mode::kXy;
        std::vector<double> frequencyHz;
        std::vector<double> rhoOhmM;
    };
    std::vector<Curve> curves;
};

struct SiteShift {
    std::vector<fitting::ModeFactor> factors;  // one per curve of the site, in its order
    std::vector<std::string> neighbours;       // names, nearest first (of the first curve)
    std::vector<std::string> notes;            // a curve kept at 1, a factor on its bound
};

struct SurveyShiftResult {
    double bandLowHz = 0.0, bandHighHz = 0.0;
    std::vector<SiteShift> sites;  // in the order of the input
    std::string error;             // empty when estimated
    bool Ok() const { return error.empty(); }
};

SurveyShiftResult EstimateSurveyShifts(std::span<const SiteLevels> sites, const SurveyShiftOptions& options);

// Great-circle distance on the mean Earth sphere (haversine), km.
double SurfaceDistanceKm(double lat1Deg, double lon1Deg, double lat2Deg, double lon2Deg);

}  // namespace mt1d::batch
