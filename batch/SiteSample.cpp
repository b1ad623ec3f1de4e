#include "batch/SiteSample.h"

#include "batch/BatchError.h"
#include "report/Formatting.h"
#include "sounding/Modes.h"
#include "report/SampleJson.h"
#include "jobs/SampleCurve.h"
#include "jobs/SiteSeed.h"

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
    return io::NumberText(value.get<double>());
}

bool RhatAgrees(const json& rhat)
{
    return !rhat.is_null() && rhat.get<double>() < jobs::kRhatLimit;
}

}  // namespace

SiteSample SampleSiteFile(const std::string& file, const std::string& siteName, const jobs::DataOptions& data,
                          const sampling::SamplingOptions& options, const sampling::SamplingControl& control)
{
    SiteSample result;
    try {
        jobs::LoadedCurve loaded;
        try {
            loaded = jobs::LoadCurve(file, data);
        } catch (const jobs::LoadError& e) {
            result.failure = LoadFailure(e);
            return result;
        }
        sampling::SamplingOptions siteOptions = options;
        siteOptions.seed = jobs::SiteSeed(options.seed, siteName);
        jobs::SampleRun run = jobs::SampleCurve(loaded, siteOptions, control);
        if (!run.record) {
            result.failure = FailureLine("cannot sample: " + run.refusal);
        } else if (run.record->result.status == sampling::SamplingStatus::kCancelled) {
            result.cancelled = true;
        } else {
            result.record = std::move(run.record);
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

}  // namespace mt1d::batch
