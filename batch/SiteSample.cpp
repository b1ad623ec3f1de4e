#include "batch/SiteSample.h"

#include "batch/BatchError.h"
#include "report/Formatting.h"
#include "sounding/Modes.h"
#include "report/SampleJson.h"
#include "report/SampleRun.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <exception>
#include <new>

namespace mt1d::batch {

namespace {

using nlohmann::json;

// A number of the file as the summary writes it: empty for null (not finite, or unknown).
std::string NumberText(const json& value)
{
    if (value.is_null()) return {};
    return report::ShortestText(value.get<double>());
}

bool RhatAgrees(const json& rhat)
{
    return !rhat.is_null() && rhat.get<double>() < report::kRhatLimit;
}

// The prior's bounds are written as 10^(log10 x) and may differ from x in the last bits.
bool SameBound(const json& written, double asked)
{
    if (!written.is_number()) return false;
    const double value = written.get<double>();
    // 1e-12 relative: far above the few ulps that log10 and pow lose, far below any bound a
    // user would tell apart.
    return std::abs(value - asked) <= 1e-12 * std::abs(asked);
}

}  // namespace

SiteSample SampleSiteFile(const std::string& file, const std::string& siteName, const CurveSetup& curve,
                          const sampling::SamplingOptions& options, const sampling::SamplingControl& control)
{
    SiteSample result;
    try {
        const std::optional<SiteCurve> loaded = LoadSiteCurve(file, curve, result.failure);
        if (!loaded) return result;
        sampling::SamplingOptions siteOptions = options;
        siteOptions.seed = SiteSeed(options.seed, siteName);
        report::SampleRun run = report::SampleCurve(loaded->site, loaded->settings, loaded->curve, siteOptions, control);
        if (!run.record) {
            result.failure = FailureLine("cannot sample: " + run.refusal);
        } else if (run.record->result.status == sampling::SamplingStatus::kCancelled) {
            result.cancelled = true;
        } else {
            result.record = std::move(run.record);
            result.record->notes = loaded->curve.notes;
        }
    } catch (const std::bad_alloc&) {
        result.failure = "out of memory";
    } catch (const std::exception& e) {
        // A fault of one sounding must not end the survey; it is that site's failure.
        result.failure = FailureLine(std::string("unexpected error: ") + e.what());
    }
    return result;
}

SummaryRow SampleRow(const std::string& site, const std::string& file, std::string_view text)
{
    try {
        const json doc = json::parse(text);
        if (doc.at("format") != report::kSampleFormatName) throw BatchError(site + ": not a sampling result");
        const json& where = doc.at("site");
        SummaryRow row;
        row.site = site;
        row.file = file;
        row.latitude = NumberText(where.at("latitude_deg"));
        row.longitude = NumberText(where.at("longitude_deg"));
        row.elevation = NumberText(where.at("elevation_m"));
        row.mode = doc.at("options").at("mode").get<std::string>();
        row.method = kSampleMethodName;
        row.rms = NumberText(doc.at("best_rms"));
        row.iterations = std::to_string(doc.at("samples").get<std::uint64_t>());
        const json& rhat = doc.at("rhat");
        row.targetReached = RhatAgrees(rhat.at("misfit")) && RhatAgrees(rhat.at("layer_count")) ? "true" : "false";
        row.depthOfInvestigationM = NumberText(doc.at("depth_of_investigation_m"));
        std::string warnings;
        for (const json& w : doc.at("warnings")) warnings += (warnings.empty() ? "" : "; ") + w.get<std::string>();
        row.status = warnings.empty() ? std::string(kStatusOk)
                                      : FailureLine(std::string(kStatusNotConverged) + ": " + warnings);
        return row;
    } catch (const json::exception& e) {
        throw BatchError(site + ": not a whole sampling result (" + e.what() + ")");
    }
}

std::optional<SummaryRow> ResumedSampleRow(const std::string& site, const std::string& file, std::string_view text,
                                           const CurveSetup& curve, const sampling::SamplingOptions& options)
{
    try {
        const json doc = json::parse(text);
        if (!doc.is_object() || doc.value("format", "") != report::kSampleFormatName) return std::nullopt;
        if (doc.at("status") != "completed" || doc.at("site").at("file") != file) return std::nullopt;
        const json& o = doc.at("options");
        const bool same =
            o.at("floor_percent").get<double>() == curve.floorPercent &&
            (!curve.mode || o.at("mode") == std::string(sounding::ModeName(*curve.mode))) &&
            o.at("samples").get<std::uint64_t>() == options.samples &&
            o.at("burn_in").get<std::uint64_t>() == options.burnIn &&
            o.at("chains").get<std::size_t>() == options.chains &&
            o.at("temperatures").get<std::size_t>() == options.tempering.temperatures &&
            o.at("max_layers").get<std::size_t>() == options.prior.maxInterfaces + 1 &&
            o.at("seed").get<std::uint64_t>() == SiteSeed(options.seed, site) &&
            SameBound(o.at("min_rho_ohmm"), options.prior.minRhoOhmM) &&
            SameBound(o.at("max_rho_ohmm"), options.prior.maxRhoOhmM) &&
            (!options.prior.minDepthM || SameBound(o.at("min_depth_m"), *options.prior.minDepthM)) &&
            (!options.prior.maxDepthM || SameBound(o.at("max_depth_m"), *options.prior.maxDepthM));
        if (!same) return std::nullopt;
        return SampleRow(site, file, text);
    } catch (const std::exception&) {
        return std::nullopt;  // truncated or foreign: sampled again and replaced
    }
}

}  // namespace mt1d::batch
