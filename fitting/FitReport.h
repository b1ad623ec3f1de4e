#pragma once
// What every fit reports, in the shape the command line writes it: each member is one key of
// its JSON output (rms → "rms", layers[].topM → "top_m", …), so that writers and the window
// read one structure whichever method made the fit.

#include "sounding/Curve.h"
#include "fitting/FitStatus.h"
#include "numerics/LayeredEarth.h"
#include "fitting/NiblettBostick.h"
#include "fitting/StaticShift.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace mt1d::fitting {

// One iteration of a fit: layered fits list the iterations of their best start; smooth fits
// list every accepted model, and once the target proves out of reach one entry may go back to
// an earlier, smoother model (OccamFit.h), so that the last entry is always the model given.
struct HistoryEntry {
    std::size_t iteration = 0;         // 0 is the starting model
    double rms = 0.0;
    std::optional<double> roughness;   // smooth fits
    double multiplier = 0.0;           // smooth: Lagrange multiplier μ; layered: damping λ; 0 at the start
};

struct ReportLayer {
    double topM = 0.0;
    std::optional<double> thicknessM;  // empty for the half-space
    double resistivityOhmM = 0.0;
    std::optional<double> log10RhoSd;        // layered fits
    std::optional<double> log10ThicknessSd;  // layered fits, not for the half-space
};

struct ResponsePoint {
    double frequencyHz = 0.0;
    double rhoOhmM = 0.0;
    double phaseDeg = 0.0;
};

struct FitReport {
    Method method = Method::kLayered;
    sounding::Mode mode = sounding::Mode::kDet;
    FitStatus status = FitStatus::kInvalidInput;
    double rms = 0.0;
    std::optional<double> roughness;  // smooth fits
    std::size_t iterations = 0;       // smooth: accepted models; layered: of the best start
    bool targetReached = false;       // rms ≤ the target RMS
    std::string message;              // why the run stopped, in words
    std::vector<HistoryEntry> history;
    std::vector<ReportLayer> layers;
    // Of the model: at every row of the curve that has a frequency (the Curve overloads of the
    // fits), or at the fitted frequencies (the FitData overloads).
    std::vector<ResponsePoint> response;
    std::vector<DepthPoint> niblettBostick;  // of the fitted rows
    double depthOfInvestigationM = 0.0;
    // The curves' static-shift factors, when the fit had any (StaticShift.h).
    std::optional<StaticShiftReport> staticShift;
};

// The layers of a model, tops from the accumulated thicknesses.
std::vector<ReportLayer> ReportLayers(const earth::LayeredModel& model);

// The model's response at the given frequencies (all finite and positive).
std::vector<ResponsePoint> ModelResponse(const earth::LayeredModel& model,
                                         std::span<const double> frequencies);

}  // namespace mt1d::fitting
