#pragma once
// One fit as a result file keeps it: the site, how its curve was made, how it was fitted and
// what came out. A file holding this (FitJson.h) stands on its own: a batch summary, a resumed
// batch and the window's project read it back (FitJsonReader.h) without the sounding or the
// command line that made it.

#include "fitting/FitData.h"
#include "fitting/FitReport.h"
#include "fitting/LayeredFit.h"
#include "fitting/OccamFit.h"
#include "jobs/DataOptions.h"
#include "jobs/FitOptions.h"
#include "jobs/SiteDims.h"
#include "jobs/SiteSummary.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace mt1d::jobs {

struct FitRecord {
    SiteSummary site;
    DataOptions curve;    // as used: the mode set, the columns only for a column file
    FitOptions settings;  // Resolved()
    std::size_t valuesFitted = 0;  // N of the RMS: ρa and phase values counted separately
    // The curve's notes: the reader's warnings and how many rows were not usable, and why.
    std::vector<std::string> notes;
    fitting::FitReport report;
    // Layered fits only (empty otherwise): conductance and transverse resistance of every layer
    // above the half-space, and the correlation matrix of the log10 parameters in the kernel's
    // order (ρ_1 … ρ_L, h_1 … h_{L−1}), P × P row-major.
    std::vector<fitting::LayerProducts> products;
    std::vector<double> correlation;
    // The phase-tensor verdict on the sounding (with the limits of --only-1d where given);
    // empty for a sounding of apparent resistivity and phase only.
    std::optional<DimsSummary> dims;
};

// The record of a finished fit. `data` are the values the fit used.
FitRecord MakeFitRecord(const SiteSummary& site, const DataOptions& curve, const FitOptions& settings,
                        const fitting::FitData& data, const fitting::LayeredFitResult& fit);
FitRecord MakeFitRecord(const SiteSummary& site, const DataOptions& curve, const FitOptions& settings,
                        const fitting::FitData& data, const fitting::OccamFitResult& fit);

// The names of the correlated parameters of `layers` layers: log10_rho_1 … log10_rho_L,
// log10_thickness_1 … log10_thickness_{L−1}.
std::vector<std::string> CorrelationParameterNames(std::size_t layers);

}  // namespace mt1d::jobs
