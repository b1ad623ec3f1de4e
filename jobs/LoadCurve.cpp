#include "jobs/LoadCurve.h"

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
    const sounding::Mode mode = options.mode.value_or(sounding::DefaultMode(sounding));
    if (options.mode && std::find(modes.begin(), modes.end(), mode) == modes.end()) {
        throw LoadError(LoadError::Kind::kNoDataForMode,
                        sounding.sourceName + " has no data for mode " + std::string(sounding::ModeName(mode)) +
                            "; its modes: " + ModeList(modes));
    }
    LoadedCurve loaded;
    loaded.options = options;
    loaded.options.mode = mode;
    // Only a column file reads the list; others ignore it, with a note.
    if (sounding.format != sounding::SourceFormat::kColumns) loaded.options.columns.clear();
    loaded.curve = sounding::DeriveCurve(sounding, {mode, options.floorPercent});
    loaded.site = SummarizeSite(sounding);
    loaded.sounding = std::move(sounding);
    return loaded;
}

LoadedCurve LoadCurve(const std::filesystem::path& file, const DataOptions& options)
{
    sounding::ReadOptions read;
    read.columns = options.columns;
    read.rotateToDeg = options.rotateDeg;
    sounding::Sounding sounding;
    try {
        sounding = sounding::ReadSoundingFile(file, read);
    } catch (const sounding::ReadError& e) {
        throw LoadError(LoadError::Kind::kCannotRead, e.what());
    }
    return CurveOfSounding(std::move(sounding), options);
}

}  // namespace mt1d::jobs
