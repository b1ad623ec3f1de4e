#include "batch/SiteRun.h"

#include "batch/BatchError.h"
#include "batch/SiteSample.h"
#include "report/FitJson.h"
#include "report/SampleJson.h"

#include <filesystem>
#include <system_error>

namespace mt1d::batch {

namespace {

namespace fs = std::filesystem;

SiteRunOutcome Failed(const jobs::SiteInput& site, const fs::path& result, const std::string& why)
{
    // An earlier run's result would contradict this row (and a resumed run would take it).
    std::error_code ignored;
    fs::remove(result, ignored);
    return {FailedRow(site.name, site.file, why), false};
}

}  // namespace

SiteRunOutcome RunSite(const BatchPlan& plan, const jobs::SiteInput& site, const SiteRunControl& control)
{
    const fs::path result = plan.outputDir / (site.name + ".json");
    std::string text;
    SummaryRow row;
    if (plan.sample) {
        sampling::SamplingControl sampling;
        sampling.cancel = control.cancel;
        if (control.running) sampling.progress = [&](const sampling::SamplingProgress&) { control.running(site.name); };
        sampling::SamplingOptions options = *plan.sample;
        // Each site runs on one thread: a batch keeps every core busy with a site each, and
        // the chains' results do not depend on the threads (SamplingOptions.h).
        options.threads = 1;
        const SiteSample sample = SampleSiteFile(site.file, site.name, plan.data, options, sampling);
        if (sample.cancelled) return {};
        if (!sample.record) return Failed(site, result, sample.failure);
        text = report::SampleJsonText(*sample.record);
        try {
            row = SampleRow(site.name, site.file, text);
        } catch (const BatchError& e) {
            return Failed(site, result, std::string("unexpected error: ") + e.what());
        }
    } else {
        fitting::RunControl fitControl;
        fitControl.cancel = control.cancel;
        if (control.running) fitControl.progress = [&](const fitting::Progress&) { control.running(site.name); };
        const SiteFit fit = FitSiteFile(site.file, site.name, plan.data, plan.fit, fitControl);
        if (fit.cancelled) return {};
        if (!fit.record) return Failed(site, result, fit.failure);
        text = report::FitJsonText(*fit.record);
        row = FitRow(site.name, site.file, *fit.record);
    }
    try {
        io::WriteFileAtomically(result, text, plan.fileCalls, control.folderSync);
    } catch (const io::WriteError& e) {
        return {FailedRow(site.name, site.file, e.what()), false};
    }
    return {std::move(row), true};
}

}  // namespace mt1d::batch
