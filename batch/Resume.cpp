#include "batch/Resume.h"

#include "batch/SiteFit.h"
#include "batch/SiteSample.h"
#include "io/JsonReader.h"
#include "jobs/LoadCurve.h"
#include "jobs/SampleCurve.h"
#include "jobs/SiteSeed.h"
#include "report/FitJsonReader.h"
#include "report/OptionsJson.h"
#include "report/SampleJson.h"

namespace mt1d::batch {

namespace {

std::string Joined(const std::vector<std::string>& items)
{
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : "; ") + item;
    return text;
}

// "made with other options: …", or empty when the options agree.
std::string OptionsWhy(const report::Json& earlier, const report::Json& now)
{
    const std::vector<std::string> differences = report::OptionDifferences(earlier, now);
    return differences.empty() ? std::string() : "made with other options: " + Joined(differences);
}

}  // namespace

std::optional<SummaryRow> ResumedFitRow(const jobs::SiteInput& site, const std::filesystem::path& result,
                                        const jobs::DataOptions& data, const jobs::FitOptions& fit, std::string& why)
{
    jobs::FitRecord record;
    try {
        record = report::ReadFitJsonFile(result);
    } catch (const io::FileError& e) {
        why = "the earlier result does not read back as a fit (" + e.Problem() + ")";
        return std::nullopt;
    }
    if (record.site.sourceFile != site.file) {
        why = "the earlier result was made from another file";
        return std::nullopt;
    }
    jobs::LoadedCurve loaded;
    try {
        loaded = jobs::LoadCurve(site.file, data);
    } catch (const jobs::LoadError&) {
        why = "the file can no longer be used";
        return std::nullopt;
    }
    why = OptionsWhy(report::FitOptionsJson(record.curve, record.settings),
                     report::FitOptionsJson(loaded.options, jobs::Resolved(SiteFitOptions(fit, site.name))));
    if (!why.empty()) return std::nullopt;
    return FitRow(site.name, site.file, record);
}

std::optional<SummaryRow> ResumedSampleRow(const jobs::SiteInput& site, const std::filesystem::path& result,
                                           const jobs::DataOptions& data, const sampling::SamplingOptions& options,
                                           std::string& why)
{
    std::string text;
    nlohmann::json document;
    try {
        text = io::ReadRegularFile(result, report::kMaxFitFileBytes);
        document = io::ParseJson(text, result.string());
    } catch (const io::FileError& e) {
        why = "the earlier result does not read back (" + e.Problem() + ")";
        return std::nullopt;
    }
    try {
        if (!document.is_object() || document.value("format", "") != report::kSampleFormatName) {
            why = "the earlier result is not a sampling run";
            return std::nullopt;
        }
        if (document.at("status") != "completed") {
            why = "the earlier sampling run did not complete";
            return std::nullopt;
        }
        if (document.at("site").at("file") != site.file) {
            why = "the earlier result was made from another file";
            return std::nullopt;
        }
        jobs::LoadedCurve loaded;
        try {
            loaded = jobs::LoadCurve(site.file, data);
        } catch (const jobs::LoadError&) {
            why = "the file can no longer be used";
            return std::nullopt;
        }
        sampling::SamplingOptions siteOptions = options;
        siteOptions.seed = jobs::SiteSeed(options.seed, site.name);
        const std::optional<jobs::SampleSettings> settings = jobs::SampleSettingsFor(loaded, siteOptions);
        if (!settings) {
            why = "the sounding can no longer be sampled";
            return std::nullopt;
        }
        const report::Json earlier = report::Json::parse(document.at("options").dump());
        why = OptionsWhy(earlier, report::SampleOptionsJson(loaded.options, *settings));
        if (!why.empty()) return std::nullopt;
        return SampleRow(site.name, site.file, text);
    } catch (const std::exception& e) {
        why = "the earlier result is not a whole sampling run";
        return std::nullopt;
    }
}

}  // namespace mt1d::batch
