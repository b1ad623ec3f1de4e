#include "profile/ProfileJob.h"

#include "batch/OutputFolder.h"
#include "batch/SiteFit.h"
#include "batch/Summary.h"
#include "fitting/FitData.h"
#include "io/JsonReader.h"
#include "jobs/FitCurve.h"
#include "jobs/FitRecord.h"
#include "jobs/LoadCurve.h"
#include "lci/LciFit.h"
#include "lci/ProfileWindows.h"
#include "profile/ProfileFiles.h"
#include "report/FitJson.h"
#include "report/Formatting.h"
#include "report/OptionsJson.h"
#include "section/Placement.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <new>
#include <sstream>

namespace mt1d::profile {

namespace {

namespace fs = std::filesystem;
using io::Json;
using io::JsonNumber;

// One file of the plan that became a site of the profile.
struct Member {
    std::size_t input = 0;  // index into plan.sites
    jobs::LoadedCurve loaded;
    fitting::FitData data;
    section::PlacedSite place;
};

// The fit options a site's record keeps: what the profile's run used. The single fits' stop
// criteria do not apply to it and are left out; the smooth form records its mesh.
jobs::FitOptions RecordedSettings(const ProfilePlan& plan, const lci::LciOptions& resolved)
{
    jobs::FitOptions r = jobs::Resolved(plan.fit);
    r.maxIterations = resolved.maxIterations;
    r.relativeTolerance.reset();
    r.settledSteps.reset();
    r.exactChi2PerValue.reset();
    r.initialDamping.reset();
    r.maxDamping.reset();
    r.rmsTolerance.reset();
    r.roughnessTolerance.reset();
    r.stepCuts.reset();
    r.multiplierTolerance.reset();
    r.levelTolerance.reset();
    if (resolved.form == lci::LciForm::kSmooth) {
        r.layerTops = resolved.mesh.layerTops;
        r.layers = resolved.mesh.layerTops.size();
        r.topDepthM.reset();
        r.bottomDepthM.reset();
    }
    return r;
}

// What makes two runs' windows the same: the options as recorded, W, the profile line and the
// window layout. The sites are compared apart.
Json RunOptionsJson(const ProfilePlan& plan, const jobs::FitOptions& settings, const lci::LciOptions& resolved)
{
    Json o = report::FitOptionsJson(plan.data, settings);
    o["lateral_weight"] = JsonNumber(resolved.lateral.weight);
    o["reference_distance_km"] = JsonNumber(resolved.lateral.referenceDistanceKm);
    o["distance_power"] = JsonNumber(resolved.lateral.distancePower);
    if (plan.line) {
        o["profile"] = {JsonNumber(plan.line->start.latitudeDeg), JsonNumber(plan.line->start.longitudeDeg),
                        JsonNumber(plan.line->end.latitudeDeg), JsonNumber(plan.line->end.longitudeDeg)};
    } else {
        o["profile"] = "auto";
    }
    if (plan.windows) o["windows"] = {{"sites", plan.windows->sites}, {"overlap", plan.windows->overlap}};
    return o;
}

void WriteFile(const ProfilePlan& plan, const std::string& name, const std::string& text)
{
    io::WriteFileAtomically(plan.outputDir / name, text, plan.fileCalls, io::FolderSync::kByCaller);
}

}  // namespace

lci::LciOptions LciOptionsOf(const ProfilePlan& plan)
{
    const jobs::FitOptions fit = jobs::Resolved(plan.fit);
    lci::LciOptions o;
    o.form = fit.method == fitting::Method::kLayered ? lci::LciForm::kLayered : lci::LciForm::kSmooth;
    if (o.form == lci::LciForm::kSmooth) {
        o.mesh.layers = fit.layers.value_or(o.mesh.layers);
        o.mesh.topDepthM = fit.topDepthM;
        o.mesh.bottomDepthM = fit.bottomDepthM;
        o.mesh.layerTops = fit.layerTops;
    } else {
        o.layers = fit.layers.value_or(o.layers);
        o.starts = fit.starts;
        o.seed = fit.seed.value_or(jobs::kDefaultSeed);
    }
    o.targetRms = fit.targetRms;
    if (plan.fit.maxIterations) o.maxIterations = *plan.fit.maxIterations;
    o.lateral.weight = plan.lateralWeight;
    o.threads = plan.threads;
    return o;
}

ProfileSummary RunProfile(const ProfilePlan& plan, std::stop_token stop)
{
    ProfileSummary summary;
    if (plan.sites.empty()) {
        summary.message = "no soundings to fit";
        return summary;
    }
    const fitting::DataSelection selection{plan.fit.components, {}};

    // 1. Load every file; those that cannot be used are left out with their reason.
    std::vector<Member> members;
    std::vector<std::string> failure(plan.sites.size());
    for (std::size_t i = 0; i < plan.sites.size(); ++i) {
        const jobs::SiteInput& input = plan.sites[i];
        try {
            Member m;
            m.input = i;
            m.loaded = jobs::LoadCurve(input.file, plan.data);
            fitting::SelectedData selected = fitting::SelectData(m.loaded.curve, selection);
            if (!selected.Ok()) {
                failure[i] = batch::FailureLine("cannot fit: " + selected.error);
                continue;
            }
            m.data = std::move(selected.data);
            members.push_back(std::move(m));
        } catch (const jobs::LoadError& e) {
            failure[i] = batch::LoadFailure(e);
        } catch (const std::bad_alloc&) {
            failure[i] = "out of memory";
        } catch (const std::exception& e) {
            failure[i] = batch::FailureLine(std::string("unexpected error: ") + e.what());
        }
    }

    // 2. Place them along the profile as the section does.
    std::vector<std::optional<section::GeoPoint>> locations;
    for (const Member& m : members) {
        if (m.loaded.site.latitudeDeg && m.loaded.site.longitudeDeg) {
            locations.push_back(section::GeoPoint{*m.loaded.site.latitudeDeg, *m.loaded.site.longitudeDeg});
        } else {
            locations.push_back(std::nullopt);
        }
    }
    const section::Placement placement = section::PlaceSites(locations, plan.line);
    for (const std::size_t k : placement.unplaced) {
        failure[members[k].input] = "no location, while other sites of the profile have one";
    }
    if (placement.byOrder && !members.empty()) {
        summary.notes.push_back("no site has a location; the sites are placed 1 km apart in input order");
    }
    std::vector<std::string> names;
    for (const Member& m : members) names.push_back(plan.sites[m.input].name);
    for (auto& w : section::FarOffWarnings(placement, names)) summary.notes.push_back(std::move(w));
    {
        std::vector<Member> placed;
        for (const section::PlacedSite& p : placement.sites) {
            Member m = std::move(members[p.index]);
            m.place = p;
            placed.push_back(std::move(m));
        }
        members = std::move(placed);
    }
    for (std::size_t i = 0; i < plan.sites.size(); ++i) {
        if (!failure[i].empty()) summary.leftOut.push_back({plan.sites[i].name, plan.sites[i].file, failure[i]});
    }
    if (members.empty()) {
        summary.message = "no sounding of the profile can be fitted";
        if (!summary.leftOut.empty()) {
            summary.message += " (" + summary.leftOut.front().site + ": " + summary.leftOut.front().reason + ")";
        }
        return summary;
    }

    std::vector<lci::ProfileSite> sites;
    for (const Member& m : members) sites.push_back({m.data, m.place.distanceKm});
    const lci::LciOptions asked = LciOptionsOf(plan);
    const lci::ResolvedOptions resolved = lci::ResolveOptions(sites, asked);
    if (!resolved.Ok()) {
        summary.message = resolved.error;
        return summary;
    }
    const jobs::FitOptions settings = RecordedSettings(plan, resolved.options);
    const Json options = RunOptionsJson(plan, settings, resolved.options);

    // Windows: the plan, and every window that is to be fitted here.
    std::optional<lci::WindowPlan> windowPlan;
    if (plan.windows) {
        windowPlan = lci::SplitProfile(sites, asked, plan.windows->sites, plan.windows->overlap);
        if (!windowPlan->Ok()) {
            summary.message = windowPlan->error;
            return summary;
        }
        summary.windows = windowPlan->windows.size();
        if (plan.windows->part) {
            const std::size_t n = summary.windows;
            if (*plan.windows->part < 1 || *plan.windows->part > n || (plan.windows->parts && *plan.windows->parts != n)) {
                summary.message = "this profile of " + std::to_string(sites.size()) + " sites makes " + std::to_string(n) +
                                  " windows of at most " + std::to_string(plan.windows->sites) + " sites overlapping by " +
                                  std::to_string(plan.windows->overlap) + "; give the part as I/" + std::to_string(n);
                return summary;
            }
        }
    }

    // 3 and 4 under the folder's lock.
    std::error_code error;
    fs::create_directories(plan.outputDir, error);
    if (error || !fs::is_directory(plan.outputDir)) {
        summary.status = ProfileStatus::kCannotWrite;
        summary.message = "cannot make the output folder " + plan.outputDir.string() +
                          (error ? ": " + error.message() : ": a file of that name is in the way");
        return summary;
    }
    std::optional<io::FolderLock> lock;
    try {
        lock = batch::ClaimOutputFolder(plan.outputDir);
    } catch (const io::FolderBusy& e) {
        summary.status = ProfileStatus::kFolderBusy;
        summary.message = e.what();
        return summary;
    } catch (const io::WriteError& e) {
        summary.status = ProfileStatus::kCannotWrite;
        summary.message = e.what();
        return summary;
    }
    batch::RemoveStaleTemporaries(plan.outputDir);

    std::atomic<bool> cancel{false};
    const std::stop_callback onStop(stop, [&cancel] { cancel.store(true); });
    fitting::RunControl control;
    control.cancel = &cancel;

    lci::ProfileFitResult result;
    try {
        if (!windowPlan) {
            result = lci::FitProfile(sites, resolved.options, control);
        } else {
            const std::size_t n = windowPlan->windows.size();
            std::vector<lci::ProfileFitResult> results(n);
            for (std::size_t w = 0; w < n; ++w) {
                if (plan.windows->part && *plan.windows->part != w + 1) continue;
                std::vector<WindowSite> windowSites;
                for (const std::size_t i : windowPlan->windows[w].sites) {
                    windowSites.push_back({plan.sites[members[i].input].name, plan.sites[members[i].input].file});
                }
                const std::string name = WindowFileName(w + 1, n);
                const fs::path path = plan.outputDir / name;
                // A window fitted earlier, elsewhere, with the same sites and options is taken.
                // The options are compared as unordered objects: a file read back has its
                // members in another order.
                if (!plan.windows->part && fs::exists(path, error)) {
                    try {
                        WindowFile earlier = ReadWindowFile(path);
                        if (earlier.window == w + 1 && earlier.windows == n && earlier.sites == windowSites &&
                            nlohmann::json(earlier.options) == nlohmann::json(options) && earlier.result.form == resolved.options.form) {
                            results[w] = std::move(earlier.result);
                            ++summary.windowsReused;
                            continue;
                        }
                        summary.notes.push_back(name + ": made from other sites or options; fitted again");
                    } catch (const io::FileError& e) {
                        summary.notes.push_back(name + ": not used (" + std::string(e.what()) + "); fitted again");
                    }
                }
                results[w] = lci::FitProfile(lci::WindowSites(sites, *windowPlan, w), lci::WindowOptions(*windowPlan, w),
                                             control);
                if (results[w].status == fitting::FitStatus::kCancelled) break;
                if (results[w].status == fitting::FitStatus::kInvalidInput) {
                    summary.status = ProfileStatus::kInvalidPlan;
                    summary.message = "window " + std::to_string(w + 1) + ": " + results[w].message;
                    return summary;
                }
                WindowFile file;
                file.window = w + 1;
                file.windows = n;
                file.sites = std::move(windowSites);
                file.options = options;
                file.result = results[w];
                WriteFile(plan, name, WindowFileText(file));
                io::SyncFolder(plan.outputDir, plan.fileCalls);
            }
            if (cancel.load()) {
                summary.status = ProfileStatus::kCancelled;
                summary.message = "stopped before every window was fitted; the windows fitted are in the folder";
                return summary;
            }
            if (plan.windows->part) {
                const auto& r = results[*plan.windows->part - 1];
                summary.status = ProfileStatus::kPartWritten;
                summary.fitted = r.sites.size();
                summary.rms = r.rms;
                summary.targetReached = r.targetReached;
                summary.iterations = r.iterations;
                summary.message = WindowFileName(*plan.windows->part, n) + ": " + r.message;
                return summary;
            }
            result = lci::JoinWindows(sites, *windowPlan, results);
        }
    } catch (const io::WriteError& e) {
        summary.status = ProfileStatus::kCannotWrite;
        summary.message = e.what();
        return summary;
    }
    if (result.status == fitting::FitStatus::kInvalidInput) {
        summary.message = result.message;
        return summary;
    }
    if (result.status == fitting::FitStatus::kCancelled) {
        summary.status = ProfileStatus::kCancelled;
        summary.message = "stopped; nothing written";
        return summary;
    }

    // 4. The files.
    try {
        std::vector<std::optional<batch::SummaryRow>> rows(plan.sites.size());
        ProfileDocument document;
        document.result = &result;
        document.options = options;
        document.targetRms = resolved.options.targetRms;
        document.line = placement.line;
        document.maxOffsetKm = placement.farOffsetKm;
        if (windowPlan) {
            document.windows = WindowLayout{windowPlan->windows.size(), plan.windows->sites, plan.windows->overlap};
        }
        for (std::size_t k = 0; k < members.size(); ++k) {
            const Member& m = members[k];
            const lci::SiteFit& fit = result.sites[k];
            const jobs::SiteInput& input = plan.sites[m.input];
            jobs::FitRecord record{m.loaded.site, m.loaded.options, settings, fit.valuesFitted, m.loaded.curve.notes,
                                   fit.report, {}, {}, {}};
            record.dims = jobs::SummarizeDims(m.loaded.sounding, m.loaded.options.only1d.value_or(dims::DimsOptions{}));
            Json json = report::FitJson(record);
            json["lateral_weight"] = JsonNumber(fit.lateralWeight);
            json["distance_km"] = JsonNumber(fit.distanceKm);
            WriteFile(plan, input.name + ".json", report::JsonLayout(json) + "\n");
            rows[m.input] = batch::FitRow(input.name, input.file, record);
            document.sites.push_back({input.name, input.file, m.place.offsetKm, m.place.farOff});
        }
        std::vector<batch::SummaryRow> summaryRows;
        for (std::size_t i = 0; i < plan.sites.size(); ++i) {
            summaryRows.push_back(rows[i] ? *rows[i] : batch::FailedRow(plan.sites[i].name, plan.sites[i].file, failure[i]));
        }
        for (const auto& l : summary.leftOut) document.leftOut.push_back({l.site, l.file, l.reason});
        WriteFile(plan, batch::kSummaryFileName, batch::SummaryCsv(summaryRows));
        WriteFile(plan, kProfileFileName, ProfileJsonText(document));
        if (!io::SyncFolder(plan.outputDir, plan.fileCalls)) {
            throw io::WriteError("cannot sync the folder " + plan.outputDir.string());
        }
    } catch (const io::WriteError& e) {
        summary.status = ProfileStatus::kCannotWrite;
        summary.message = e.what();
        return summary;
    }
    summary.status = ProfileStatus::kFinished;
    summary.message = result.message;
    summary.fitted = members.size();
    summary.rms = result.rms;
    summary.targetReached = result.targetReached;
    summary.iterations = result.iterations;
    return summary;
}

}  // namespace mt1d::profile
