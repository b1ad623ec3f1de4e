#include "batch/SiteFit.h"

#include "sounding/CurveDerivation.h"
#include "sounding/Modes.h"
#include "sounding/ReadError.h"
#include "report/SiteSummary.h"

#include <algorithm>
#include <exception>

namespace mt1d::batch {

namespace {

// Characters of a reader's or fit's message kept in a failure: it names the file and the line.
constexpr std::size_t kMessageLength = 400;

std::string ModeList(const std::vector<sounding::Mode>& modes)
{
    std::string list;
    for (const auto m : modes) list += (list.empty() ? "" : ", ") + std::string(sounding::ModeName(m));
    return list.empty() ? "none" : list;
}

SiteFit Failure(std::string why)
{
    SiteFit result;
    result.failure = FailureLine(std::move(why));
    return result;
}

// The record as `mt1d fit` makes it (cli/FitOptions.cpp RunFit) from the fit's result.
template <typename Result>
SiteFit Finish(const report::SiteSummary& site, const report::CurveSettings& curve, const report::FitSettings& settings,
               const fitting::FitData& data, const Result& fit, const sounding::Curve& derived)
{
    SiteFit result;
    if (fit.report.status == fitting::FitStatus::kCancelled) {
        result.cancelled = true;
        return result;
    }
    if (fit.report.status == fitting::FitStatus::kInvalidInput) return Failure("cannot fit: " + fit.report.message);
    result.record = report::MakeFitRecord(site, curve, settings, data, fit);
    result.record->notes = derived.notes;
    return result;
}

}  // namespace

std::string FailureLine(std::string why)
{
    std::replace_if(why.begin(), why.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    if (why.size() > kMessageLength) why = why.substr(0, kMessageLength) + "…";
    return why;
}

std::optional<SiteCurve> LoadSiteCurve(const std::string& file, const CurveSetup& curve, std::string& failure)
{
    sounding::Sounding read;
    try {
        read = sounding::ReadSoundingFile(file, curve.read);
    } catch (const sounding::ReadError& e) {
        failure = FailureLine(std::string("cannot read: ") + e.what());
        return std::nullopt;
    }
    const std::vector<sounding::Mode> modes = sounding::SupportedModes(read);
    const sounding::Mode mode = curve.mode.value_or(sounding::DefaultMode(read));
    if (curve.mode && std::find(modes.begin(), modes.end(), mode) == modes.end()) {
        failure = FailureLine("no data for mode " + std::string(sounding::ModeName(mode)) + " (the file's modes: " +
                              ModeList(modes) + ")");
        return std::nullopt;
    }
    SiteCurve loaded;
    loaded.curve = sounding::DeriveCurve(read, {mode, curve.floorPercent});
    loaded.site = report::SummarizeSite(read);
    loaded.settings.mode = mode;
    loaded.settings.floorPercent = curve.floorPercent;
    // Only a column file reads the list; others ignore it.
    if (read.format == sounding::SourceFormat::kColumns) loaded.settings.columns = curve.read.columns;
    loaded.settings.rotateDeg = curve.read.rotateToDeg;
    return loaded;
}

std::uint64_t SiteSeed(std::uint64_t batchSeed, std::string_view siteName)
{
    // FNV-1a over the name's bytes, then SplitMix64's finaliser over the name's hash plus the
    // seed: a seed differs for every name, and neighbouring seeds give unrelated site seeds.
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : siteName) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    std::uint64_t z = hash + batchSeed * 0x9e3779b97f4a7c15ULL;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

SiteFit FitSiteFile(const std::string& file, const std::string& siteName, const CurveSetup& curve, const FitSetup& fit,
                    const fitting::RunControl& control)
{
    try {
        std::string failure;
        const std::optional<SiteCurve> loaded = LoadSiteCurve(file, curve, failure);
        if (!loaded) return Failure(failure);
        const sounding::Curve& derived = loaded->curve;
        const report::SiteSummary& site = loaded->site;
        const report::CurveSettings& curveSettings = loaded->settings;

        const fitting::SelectedData selected = fitting::SelectData(derived, fit.data);
        if (!selected.Ok()) return Failure("cannot fit: " + selected.error);

        report::FitSettings settings;
        settings.method = fit.method;
        settings.components = fit.data.components;
        if (fit.method == fitting::Method::kLayered) {
            fitting::LayeredOptions options = fit.layered;
            options.data = fit.data;
            options.seed = SiteSeed(fit.layered.seed, siteName);
            const fitting::LayeredFitResult result = fitting::FitLayered(derived, options, control);
            settings.targetRms = options.targetRms;
            settings.maxIterations = options.maxIterations;
            settings.layers = options.layers;
            settings.starts = options.starts.value_or(fitting::DefaultStarts(options.layers));
            settings.seed = options.seed;
            return Finish(site, curveSettings, settings, selected.data, result, derived);
        }
        fitting::OccamOptions options = fit.occam;
        options.data = fit.data;
        const fitting::OccamFitResult result = fitting::FitOccam(derived, options, control);
        settings.targetRms = options.targetRms;
        settings.maxIterations = options.maxIterations;
        settings.layers = options.mesh.layerTops.empty() ? options.mesh.layers : options.mesh.layerTops.size();
        settings.layerTops = options.mesh.layerTops;
        settings.topDepthM = options.mesh.topDepthM;
        settings.bottomDepthM = options.mesh.bottomDepthM;
        return Finish(site, curveSettings, settings, selected.data, result, derived);
    } catch (const std::bad_alloc&) {
        return Failure("out of memory");
    } catch (const std::exception& e) {
        // A fault of one sounding must not end the survey; it is that site's failure.
        return Failure(std::string("unexpected error: ") + e.what());
    }
}

bool FitReachedGoal(const fitting::FitReport& report)
{
    return report.status == fitting::FitStatus::kConverged || report.status == fitting::FitStatus::kTargetReached;
}

}  // namespace mt1d::batch
