#include "python/src/Survey.h"

#include "python/src/Arrays.h"
#include "python/src/CommandOptions.h"
#include "python/src/Errors.h"
#include "python/src/Interrupt.h"

#include "batch/Batch.h"
#include "batch/OutputFolder.h"
#include "batch/SiteRun.h"
#include "batch/Summary.h"
#include "io/AtomicFile.h"
#include "io/Excerpt.h"
#include "io/FolderLock.h"
#include "jobs/PlanError.h"
#include "jobs/SiteInputs.h"

#include <pybind11/stl.h>

#include <optional>
#include <utility>

namespace mt1d::python {

namespace {

using Site = std::pair<std::string, std::string>;  // (name, file)

// The sites of `inputs` as `mt1d batch INPUT...` plans them; a refusal as the batch words it.
std::vector<Site> PlanSites(const std::vector<std::string>& inputs)
{
    std::vector<jobs::SiteInput> sites;
    try {
        sites = jobs::NameSites(jobs::ExpandInputs(inputs));
    } catch (const jobs::PlanError& e) {
        throw OptionError(std::string("批处理参数有误：") + e.what() + " (" + e.what() + ")");
    }
    std::vector<Site> out;
    for (const jobs::SiteInput& s : sites) out.emplace_back(s.name, s.file);
    return out;
}

std::string SitesCsv(const std::vector<Site>& sites)
{
    std::vector<jobs::SiteInput> inputs;
    for (const auto& [name, file] : sites) inputs.push_back({name, file});
    return batch::SitesCsv(inputs);
}

// The plan of one site: the batch's data, fit or sample options from `args` (checked as
// `mt1d batch` checks them, cli/BatchMethodOptions.h), the output folder.
batch::BatchPlan PlanOf(const std::string& outputDir, const std::string& firstFile, const std::vector<std::string>& args)
{
    BatchRequest request = ParseBatchCommandArgs(args, firstFile);
    batch::BatchPlan plan;
    plan.outputDir = outputDir;
    plan.data = request.data;
    plan.fit = request.fit;
    plan.sample = std::move(request.sample);
    return plan;
}

// Fits one site into the folder; returns its summary line (without the line break) and its
// status ("ok", or why not).
std::pair<std::string, std::string> RunSite(const std::string& outputDir, const std::string& site, const std::string& file,
                                     const std::vector<std::string>& args)
{
    const batch::BatchPlan plan = PlanOf(outputDir, file, args);
    if (!jobs::IsSafeSiteName(site)) {
        throw OptionError("the site name '" + io::Excerpt(site) + "' is not a safe file name (survey.plan makes one)");
    }
    // Ctrl-C stops the run (Interrupt.h): the site then gets no file, as in a stopped batch.
    const batch::SiteRunOutcome outcome = RunInterruptibly([&](const std::atomic<bool>& cancel) {
        batch::SiteRunControl control;
        control.cancel = &cancel;
        return batch::RunSite(plan, jobs::SiteInput{site, file}, control);
    });
    // Only a cancelled run ends without a row, and the cancel flag is set for Ctrl-C only.
    const batch::SummaryRow row = outcome.row.value_or(batch::FailedRow(site, file, batch::kStatusCancelled));
    return {batch::SummaryLine(row), row.status};
}

// The output folder held for a run: what `mt1d batch` holds while it writes.
class FolderClaim {
public:
    explicit FolderClaim(const std::string& folder)
    {
        try {
            lock_.emplace(batch::ClaimOutputFolder(folder));
        } catch (const io::FolderBusy& e) {
            throw OptionError("--out 文件夹正被另一次运行使用 (--out: " + std::string(e.what()) + ")");
        }
        batch::RemoveStaleTemporaries(folder);
    }
    void Release() { lock_.reset(); }
    bool Held() const { return lock_.has_value(); }

private:
    std::optional<io::FolderLock> lock_;
};

}  // namespace

void RegisterSurvey(py::module_& module)
{
    module.def("plan", &PlanSites, py::arg("inputs"),
               "The sites of sounding files and folders as `mt1d batch INPUT...` plans them: a list of\n"
               "(site, file) in input order, site the output name (DIR/<site>.json).");
    module.def("check_options", [](const std::vector<std::string>& args) { PlanOf("out", "input", args); },
               py::arg("args"), "Raises OptionError for batch options (--name=value) that mt1d batch refuses, with its\n"
               "message: the data options, and --method occam|layered with the options of mt1d fit or\n"
               "--method sample with those of mt1d sample (not the options that steer a fit).");
    module.def("run_site", &RunSite, py::arg("out"), py::arg("site"), py::arg("file"), py::arg("args"),
               "Reads, fits (or samples, with --method=sample) and writes one site into the existing\n"
               "folder `out` as `mt1d batch` does (out/<site>.json, the same bytes but for a sampling\n"
               "run's timing values); returns (its summary.csv line without the line break, its\n"
               "status: \"ok\" or why not). Ctrl-C stops the run and raises KeyboardInterrupt; the\n"
               "site then has no file.");
    module.def("sites_csv", &SitesCsv, py::arg("sites"), "sites.csv's text for (site, file) pairs.");
    module.attr("SUMMARY_HEADER") = batch::kSummaryHeader;
    module.attr("SUMMARY_FILE") = batch::kSummaryFileName;
    module.attr("SITES_FILE") = batch::kSitesFileName;
    module.def("write_atomically", [](const std::string& path, const std::string& text) {
            const py::gil_scoped_release release;
            io::WriteFileAtomically(path, text);
        }, py::arg("path"), py::arg("text"),
        "Writes the file whole or not at all (a temporary beside it, synced, then renamed).");
    py::class_<FolderClaim>(module, "FolderClaim",
                            "The output folder held by this process as `mt1d batch` holds it while it writes\n"
                            "(a lock file in it); raises OptionError when another run holds it.")
        .def(py::init<const std::string&>(), py::arg("folder"))
        .def("release", &FolderClaim::Release)
        .def_property_readonly("held", &FolderClaim::Held)
        .def("__enter__", [](FolderClaim& c) -> FolderClaim& { return c; }, py::return_value_policy::reference)
        .def("__exit__", [](FolderClaim& c, const py::args&) { c.Release(); });
}

}  // namespace mt1d::python
