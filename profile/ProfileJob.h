#pragma once
// A profile fitted as one laterally constrained inversion (lci/LciFit.h) from its sounding
// files into an output folder that reads like a batch's: the entry point of `mt1d profile`.
// No Qt.
//
//     profile::ProfilePlan plan;
//     plan.sites = jobs::NameSites(jobs::ExpandInputs(inputs));
//     plan.outputDir = "line1";
//     plan.fit.method = fitting::Method::kLayered;
//     plan.fit.layers = 3;
//     const profile::ProfileSummary summary = profile::RunProfile(plan);
//
// The steps:
//   1. every file through the pipeline of a batch (jobs::LoadCurve with plan.data, the usable
//      rows selected as jobs::FitCurve selects them); a file that cannot be read or has too
//      few usable rows is left out of the profile, with its reason in the summary;
//   2. the sites placed along the profile as `mt1d section` places them
//      (section/Placement.h): on plan.line, or on the line that fits them best; without any
//      location, one kilometre apart in input order. A site without a location while others
//      have one is left out;
//   3. the sites fitted together (lci::FitProfile), or in overlapping windows
//      (lci::SplitProfile, FitProfile per window, lci::JoinWindows) with plan.windows;
//   4. written, each file atomically (io/AtomicFile.h), under the folder's lock
//      (batch/OutputFolder.h): <site>.json per fitted site, the JSON of `mt1d fit` for it
//      (report/FitJson.h) plus "lateral_weight" and "distance_km"; summary.csv with the
//      batch's columns (batch/Summary.h), a row per site in input order, left-out sites
//      included with their reason as the status; profile.json (ProfileFiles.h).
//
// Windows as separate jobs: with plan.windows->part, only that window is fitted and written
// as window-III-of-NNN.json (ProfileFiles.h); nothing else. A run with windows but without a
// part takes every window whose file is in the folder and was made from the same sites and
// options, fits the others, and joins them; so parts fitted on other machines, their window
// files copied into one folder, are joined by one more run over the whole profile.
//
// Determinism: the files do not depend on plan.threads (the LCI's own guarantee).

#include "io/AtomicFile.h"
#include "jobs/DataOptions.h"
#include "jobs/FitOptions.h"
#include "jobs/SiteInputs.h"
#include "lci/LciOptions.h"
#include "lci/ProfileWindows.h"
#include "section/Profile.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace mt1d::profile {

struct WindowRequest {
    std::size_t sites = lci::kDefaultWindowSites;  // per window at most
    std::size_t overlap = lci::kDefaultWindowOverlap;
    std::optional<std::size_t> part;  // 1-based window to fit alone; empty: every window, joined
    std::optional<std::size_t> parts; // the count the caller expects with `part` (I/N); checked
};

struct ProfilePlan {
    std::vector<jobs::SiteInput> sites;  // input order (jobs::NameSites); names unique
    std::filesystem::path outputDir;
    jobs::DataOptions data;
    // method (occam: the smooth form, layered: the few-layer form), targetRms, maxIterations,
    // layers, and for occam the mesh (layerTops, topDepthM, bottomDepthM), for layered starts
    // and seed. Stop criteria are the LCI's own.
    jobs::FitOptions fit;
    std::optional<double> lateralWeight;     // W; empty: lci's default
    std::optional<section::ProfileLine> line;  // empty: the line that fits the sites best
    std::optional<WindowRequest> windows;
    std::size_t threads = 0;  // 0: one per core
    io::FileCalls fileCalls = io::FileCalls::System();
};

enum class ProfileStatus {
    kFinished,     // fitted and written; rms/targetReached say how well
    kPartWritten,  // one window fitted and its file written
    kInvalidPlan,  // the plan or the sites cannot be fitted (message); nothing was written
    kCannotWrite,  // a file could not be written (message)
    kFolderBusy,   // another run holds the folder (message)
    kCancelled,    // the stop token ended the run; window files already written stay
};

struct LeftOut {
    std::string site;
    std::string file;
    std::string reason;
};

struct ProfileSummary {
    ProfileStatus status = ProfileStatus::kInvalidPlan;
    std::string message;
    std::size_t fitted = 0;           // sites in the profile
    std::vector<LeftOut> leftOut;     // input order
    double rms = 0.0;                 // of the whole profile
    bool targetReached = false;
    std::size_t iterations = 0;
    std::size_t windows = 0;          // 0 without windows
    std::size_t windowsReused = 0;    // window files taken from the folder
    std::vector<std::string> notes;   // far-off sites and the like
};

// Never throws for how a run ends; the summary says it.
ProfileSummary RunProfile(const ProfilePlan& plan, std::stop_token stop = {});

// The LCI options for a plan's fit options (the form, the mesh, layers, target, iterations,
// starts and seed, W, threads).
lci::LciOptions LciOptionsOf(const ProfilePlan& plan);

}  // namespace mt1d::profile
