#pragma once
// A sounding file to the curve that is fitted: read the file (any format, recognised from its
// content), derive the curve of the mode the options ask for, and say what a result records
// of both. The one loader of the command line, the batch, the window and the Python module.
//
//     const jobs::LoadedCurve loaded = jobs::LoadCurve("site.edi", options);  // throws LoadError
//     const jobs::FitRun fit = jobs::FitCurve(loaded, fitOptions);

#include "jobs/DataOptions.h"
#include "jobs/SiteSummary.h"
#include "sounding/Curve.h"
#include "sounding/Sounding.h"

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace mt1d::jobs {

// A file that cannot be used: it cannot be read (Kind::kCannotRead, what() the reader's
// message naming the file, line and problem; contentFree the same without anything read from
// the file), it has no data for the mode asked for (Kind::kNoDataForMode, what() naming the
// file, the mode and the modes it has), or it has no impedance tensor for the 1-D check that
// the options ask for (Kind::kNoTensor).
class LoadError : public std::runtime_error {
public:
    enum class Kind { kCannotRead, kNoDataForMode, kNoTensor };
    LoadError(Kind kind, std::string message, std::string contentFree = {})
        : std::runtime_error(message), kind_(kind),
          contentFree_(contentFree.empty() ? std::move(message) : std::move(contentFree))
    {
    }
    Kind GetKind() const { return kind_; }
    // The message without any text read from the file: what a summary of many files repeats.
    const std::string& ContentFreeMessage() const { return contentFree_; }

private:
    Kind kind_;
    std::string contentFree_;
};

struct LoadedCurve {
    sounding::Sounding sounding;
    sounding::Curve curve;
    // With DataOptions::bothOffDiagonal: the yx curve, fitted with `curve` (the xy curve).
    std::optional<sounding::Curve> second;
    SiteSummary site;
    // As used: the mode resolved, the columns kept only for a column file (others ignore
    // them). What a result file records.
    DataOptions options;
};

// Reads `file` and derives its curve. Throws LoadError as above.
LoadedCurve LoadCurve(const std::filesystem::path& file, const DataOptions& options);

// The curve of a sounding already read (with options.columns and options.rotateDeg as it was
// read). Throws LoadError (kNoDataForMode) for a mode the sounding has no data for.
LoadedCurve CurveOfSounding(sounding::Sounding sounding, const DataOptions& options);

}  // namespace mt1d::jobs
