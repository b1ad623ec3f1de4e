#pragma once
// One fit as a result file keeps it: the site, how its curve was made, how it was fitted and
// what came out. A file holding this (FitJson.h) stands on its own: a batch summary, a resumed
// batch and the window's project read it back (FitJsonReader.h) without the sounding or the
// command line that made it.

#include "sounding/ColumnReader.h"
#include "sounding/Curve.h"
#include "fitting/FitData.h"
#include "fitting/FitReport.h"
#include "fitting/LayeredFit.h"
#include "report/SiteSummary.h"
#include "fitting/OccamFit.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace mt1d::report {

// How the curve was derived from the file.
struct CurveSettings {
    sounding::Mode mode = sounding::Mode::kDet;
    double floorPercent = 5.0;              // error floor in percent of |Z|
    std::vector<sounding::Column> columns;  // the column list given for a column file; empty: the file's header
    std::optional<double> rotateDeg;        // the frame the tensor was rotated into; empty: the file's own

    friend bool operator==(const CurveSettings&, const CurveSettings&) = default;
};

// How the curve was fitted. Values are those the fit used, defaults resolved.
struct FitSettings {
    fitting::Method method = fitting::Method::kOccam;
    fitting::FitComponents components = fitting::FitComponents::kBoth;
    double targetRms = 1.0;
    std::size_t maxIterations = 0;  // smooth: of the run; layered: of each start
    // Layered: layers of the model. Smooth: layers asked for (the count of the layer tops when
    // those were given); the layers used are the result's.
    std::size_t layers = 0;
    // Layered fits only.
    std::optional<std::size_t> starts;
    std::optional<std::uint64_t> seed;
    // Smooth fits only, as given; empty: chosen from the data (OccamMesh.h).
    std::vector<double> layerTops;      // m
    std::optional<double> topDepthM;
    std::optional<double> bottomDepthM;

    friend bool operator==(const FitSettings&, const FitSettings&) = default;
};

struct FitRecord {
    SiteSummary site;
    CurveSettings curve;
    FitSettings settings;
    std::size_t valuesFitted = 0;  // N of the RMS: ρa and phase values counted separately
    // The curve's notes: the reader's warnings and how many rows were not usable, and why.
    std::vector<std::string> notes;
    fitting::FitReport report;
    // Layered fits only (empty otherwise): conductance and transverse resistance of every layer
    // above the half-space, and the correlation matrix of the log10 parameters in the kernel's
    // order (ρ_1 … ρ_L, h_1 … h_{L−1}), P × P row-major.
    std::vector<fitting::LayerProducts> products;
    std::vector<double> correlation;
};

// The record of a finished fit. `data` are the values the fit used.
FitRecord MakeFitRecord(const SiteSummary& site, const CurveSettings& curve, const FitSettings& settings,
                        const fitting::FitData& data, const fitting::LayeredFitResult& fit);
FitRecord MakeFitRecord(const SiteSummary& site, const CurveSettings& curve, const FitSettings& settings,
                        const fitting::FitData& data, const fitting::OccamFitResult& fit);

// The names of the correlated parameters of `layers` layers: log10_rho_1 … log10_rho_L,
// log10_thickness_1 … log10_thickness_{L−1}.
std::vector<std::string> CorrelationParameterNames(std::size_t layers);

}  // namespace mt1d::report
