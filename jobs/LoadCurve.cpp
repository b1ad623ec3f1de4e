#include "jobs/LoadCurve.h"

#include "dims/OneDMask.h"
#include "sounding/CurveDerivation.h"
#include "sounding/Modes.h"
#include "sounding/ReadError.h"
#include "sounding/SoundingFile.h"

#include <algorithm>
#include <utility>

namespace mt1d::jobs {

namespace {

std::string ModeList(const std::vector<sounding::Mode>& modes)
{
    std::string list;
    for (const auto m : modes) list += (list.empty() ? "" : ", ") + std::string(sounding::ModeName(m));
    return list.empty() ? "none" : list;
}

}  // namespace

LoadedCurve CurveOfSounding(sounding::Sounding sounding, const DataOptions& options)
{
    const std::vector<sounding::Mode> modes = sounding::SupportedModes(sounding);
    const sounding::Mode mode =
        options.bothOffDiagonal ? sounding::Mode::kXy : options.mode.value_or(sounding::DefaultMode(sounding));
    std::vector<sounding::Mode> wanted{mode};
    if (options.bothOffDiagonal) wanted.push_back(sounding::Mode::kYx);
    for (const sounding::Mode m : wanted) {
        if ((options.mode || options.bothOffDiagonal) && std::find(modes.begin(), modes.end(), m) == modes.end()) {
            throw LoadError(LoadError::Kind::kNoDataForMode,
                            sounding.sourceName + " has no data for mode " + std::string(sounding::ModeName(m)) +
                                "; its modes: " + ModeList(modes));
        }
    }
    LoadedCurve loaded;
    loaded.options = options;
    loaded.options.mode = mode;
    // Only a column file reads the list; others ignore it, with a note.
    if (sounding.format != sounding::SourceFormat::kColumns) loaded.options.columns.clear();
    sounding::CurveOptions curve;
    curve.mode = mode;
    curve.floorPercent = options.floorPercent;
    curve.keepAnyPhase = options.keepAnyPhase;
    curve.excludeFrequencies = options.excludeFrequencies;
    loaded.curve = sounding::DeriveCurve(sounding, curve);
    if (options.bothOffDiagonal) {
        curve.mode = sounding::Mode::kYx;
        loaded.second = sounding::DeriveCurve(sounding, curve);
    }
    if (options.only1d) {
        try {
            const auto verdict = dims::AnalyseDimensionality(sounding, *options.only1d);
            dims::ApplyOneDMask(loaded.curve, verdict);
            if (loaded.second) dims::ApplyOneDMask(*loaded.second, verdict);
        } catch (const dims::NoTensorError&) {
            throw LoadError(LoadError::Kind::kNoTensor,
                            sounding.sourceName + " holds apparent resistivity and phase only; the check of "
                                                  "one-dimensionality needs the impedance tensor");
        }
    }
    loaded.site = SummarizeSite(sounding);
    loaded.sounding = std::move(sounding);
    return loaded;
}

LoadedCurve LoadCurve(const std::filesystem::path& file, const DataOptions& options)
{
    sounding::ReadOptions read;
    read.columns = options.columns;
    read.rotateToDeg = options.rotateDeg;
    read.varianceConvention = options.varianceConvention;
    read.rhoErrorUnit = options.rhoErrorUnit;
    sounding::Sounding sounding;
    try {
        sounding = sounding::ReadSoundingFile(file, read);
    } catch (const sounding::ReadError& e) {
        throw LoadError(LoadError::Kind::kCannotRead, e.what(), e.ContentFreeMessage());
    }
    return CurveOfSounding(std::move(sounding), options);
}

}  // namespace mt1d::jobs
