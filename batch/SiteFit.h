#pragma once
// One sounding of a batch, from its file to its result: read the file, derive the curve, fit
// it and make the record that `mt1d fit --format json` prints for the same file and options.
// A layered fit is seeded per site (SiteSeed), so that its result does not depend on which
// worker fits it or when.

#include "sounding/CurveDerivation.h"
#include "fitting/FitData.h"
#include "report/FitRecord.h"
#include "fitting/LayeredFit.h"
#include "fitting/RunControl.h"
#include "sampling/SamplingOptions.h"
#include "report/SiteSummary.h"
#include "fitting/OccamFit.h"
#include "sounding/SoundingFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mt1d::batch {

// How each file's curve is derived: the options of `mt1d data`.
struct CurveSetup {
    sounding::ReadOptions read;         // --columns, --rotate
    std::optional<sounding::Mode> mode; // empty: the file's default mode (Modes.h DefaultMode)
    double floorPercent = sounding::CurveOptions{}.floorPercent;
};

// How each curve is fitted: the options of `mt1d fit`.
struct FitSetup {
    fitting::Method method = fitting::Method::kOccam;
    fitting::DataSelection data;      // the components to fit
    fitting::OccamOptions occam;     // occam
    fitting::LayeredOptions layered;  // layered; its seed is the batch seed that SiteSeed mixes
    // When set, every site is sampled (SiteSample.h) instead of fitted, and the members above
    // are unused. Its seed is the batch seed that SiteSeed mixes, as for layered fits.
    std::optional<sampling::SamplingOptions> sample;
};

// The seed of a site's layered fit: the batch seed and the site's output name mixed through
// FNV-1a and SplitMix64, the same on every machine. The result file records it, so that
// `mt1d fit FILE --method layered --seed S` repeats the fit alone.
std::uint64_t SiteSeed(std::uint64_t batchSeed, std::string_view siteName);

// A file's curve as `mt1d data` derives it, with what a result file records about both.
struct SiteCurve {
    sounding::Curve curve;
    report::SiteSummary site;
    report::CurveSettings settings;  // as used: the mode resolved
};

// Reads `file` and derives its curve as `curve` asks. Empty, with `failure` set ("cannot
// read: …", "no data for mode …"), for a file it cannot use; throws only what the readers
// and the derivation throw besides their own errors.
std::optional<SiteCurve> LoadSiteCurve(const std::string& file, const CurveSetup& curve, std::string& failure);

// `why` as one line of a summary: line breaks made spaces, long messages cut.
std::string FailureLine(std::string why);

struct SiteFit {
    // The finished fit, whether or not it reached its goal; empty when the site failed.
    std::optional<report::FitRecord> record;
    // Why there is no record: the file could not be read, has no data for the mode, or the fit
    // refused the curve (too few usable values, …). One line.
    std::string failure;
    bool cancelled = false;  // the fit was stopped; neither record nor failure
};

// Never throws for a file or a curve it cannot use: that is a failure of the site.
SiteFit FitSiteFile(const std::string& file, const std::string& siteName, const CurveSetup& curve,
                    const FitSetup& fit, const fitting::RunControl& control = {});

// Whether a fit reached what it was run for: a layered fit its minimum, a smooth fit its
// target (as `mt1d fit` decides its exit status).
bool FitReachedGoal(const fitting::FitReport& report);

}  // namespace mt1d::batch
