// mt1d profile: the soundings of a profile fitted together, each model tied to its
// neighbours' (profile/ProfileJob.h does the work), into a folder that mt1d section draws.

#include "cli/Cli.h"
#include "batch/BatchError.h"
#include "batch/Shard.h"
#include "cli/CommonOptions.h"
#include "cli/DataOptions.h"
#include "cli/FitOptions.h"
#include "cli/OptionValues.h"
#include "cli/Subcommand.h"
#include "lci/ProfileWindows.h"
#include "profile/ProfileFiles.h"
#include "profile/ProfileJob.h"
#include "section/Profile.h"

#include <filesystem>
#include <memory>
#include <stdexcept>

namespace mt1d::cli {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxThreads = 1024;
constexpr double kMaxLateralWeight = 1e6;
constexpr std::size_t kMaxWindowSites = 100'000;

struct ProfileCommandValues {
    std::vector<std::string> inputs;
    std::string out;
    DataOptionValues data;
    FitOptionValues fit;
    std::string lateralWeight;
    std::string profile = "auto";
    std::string jobs;
    std::string window;
    std::string overlap;
    std::string part;
    CLI::Option* outOption = nullptr;
    CLI::Option* lateralWeightOption = nullptr;
    CLI::Option* jobsOption = nullptr;
    CLI::Option* windowOption = nullptr;
    CLI::Option* overlapOption = nullptr;
    CLI::Option* partOption = nullptr;
    CLI::App* command = nullptr;
};

bool Given(const CLI::Option* option) { return option != nullptr && option->count() > 0; }

int RunProfileCommand(ProfileCommandValues& values, std::ostream& out, std::ostream& err)
{
    if (!Given(values.outOption)) RefuseUsage("缺少 --out 输出文件夹", "--out DIR is needed");
    if (values.inputs.empty()) {
        RefuseUsage("缺少数据文件或文件夹：mt1d profile INPUT... --out DIR",
                    "soundings are needed: mt1d profile INPUT... --out DIR");
    }

    // Every option is checked before anything is read or written.
    values.data.file = values.inputs.front();
    profile::ProfilePlan plan;
    plan.data = ParseDataOptions(values.data).options;
    plan.fit = ParseFitOptions(values.fit);
    if (Given(values.lateralWeightOption)) {
        plan.lateralWeight = ParseNumberOption("--lateral-weight", values.lateralWeight, 0.0, kMaxLateralWeight,
                                               "from 0 to 1e6");
    }
    if (values.profile != "auto") {
        try {
            plan.line = section::ParseProfileLine(values.profile);
        } catch (const std::invalid_argument& e) {
            RefuseUsage(std::string("--profile 有误：") + e.what(),
                        std::string("--profile takes auto or LAT1,LON1,LAT2,LON2: ") + e.what());
        }
    }
    plan.threads = Given(values.jobsOption) ? ParseCountOption("-j", values.jobs, 1, kMaxThreads) : 0;
    if (Given(values.overlapOption) && !Given(values.windowOption)) {
        RefuseUsage("--overlap 需要 --window", "--overlap goes with --window N");
    }
    if (Given(values.partOption) && !Given(values.windowOption)) {
        RefuseUsage("--part 需要 --window", "--part goes with --window N");
    }
    if (Given(values.windowOption)) {
        profile::WindowRequest windows;
        windows.sites = ParseCountOption("--window", values.window, 2, kMaxWindowSites);
        windows.overlap = Given(values.overlapOption)
                              ? ParseCountOption("--overlap", values.overlap, 1, windows.sites - 1)
                              : std::min(lci::kDefaultWindowOverlap, windows.sites / 4 > 0 ? windows.sites / 4 : 1);
        if (Given(values.partOption)) {
            try {
                const batch::Shard part = batch::ParseShard(values.part);
                windows.part = part.index;
                windows.parts = part.count;
            } catch (const batch::BatchError& e) {
                RefuseUsage(std::string("--part 有误：") + e.what(), std::string("--part: ") + e.what());
            }
        }
        plan.windows = windows;
    }
    try {
        plan.sites = jobs::NameSites(jobs::ExpandInputs(values.inputs));
    } catch (const jobs::PlanError& e) {
        RefuseUsage(std::string("测线参数有误：") + e.what(), e.what());
    }
    std::error_code error;
    plan.outputDir = values.out;
    if (fs::exists(plan.outputDir, error) && !fs::is_directory(plan.outputDir, error)) {
        RefuseUsage("--out 不是文件夹：" + values.out, "--out " + values.out + " is not a folder");
    }
    for (const std::string& input : values.inputs) {
        if (fs::is_directory(input, error) && fs::exists(plan.outputDir, error) &&
            fs::equivalent(input, plan.outputDir, error)) {
            RefuseUsage("--out 不能是输入文件夹", "--out " + values.out +
                        " is an input folder: its summary.csv would be read as a sounding by the next run");
        }
    }

    const profile::ProfileSummary summary = profile::RunProfile(plan);
    switch (summary.status) {
    case profile::ProfileStatus::kInvalidPlan:
        RefuseInput("无法拟合测线", "cannot fit the profile: " + summary.message);
    case profile::ProfileStatus::kFolderBusy:
        RefuseInput("--out 文件夹正被另一次运行使用", "--out: " + summary.message);
    case profile::ProfileStatus::kCannotWrite:
        err << "mt1d: 无法写出结果 (" << summary.message << ")\n";
        return kRunFailed;
    case profile::ProfileStatus::kCancelled:
        err << "mt1d: 已中断 (" << summary.message << ")\n";
        return kRunFailed;
    default:
        break;
    }
    for (const std::string& note : summary.notes) err << "mt1d: " << note << "\n";
    for (const auto& l : summary.leftOut) {
        err << "mt1d: " << l.site << " (" << l.file << "): 未参与拟合 (left out: " << l.reason << ")\n";
    }
    char rms[64];
    std::snprintf(rms, sizeof rms, "%.4g", summary.rms);
    if (summary.status == profile::ProfileStatus::kPartWritten) {
        out << (plan.outputDir / profile::WindowFileName(*plan.windows->part, summary.windows)).string() << ": window "
            << *plan.windows->part << " of " << summary.windows << ", " << summary.fitted << " sites, RMS " << rms << ", "
            << summary.iterations << " iterations\n";
        return summary.targetReached ? kSuccess : kRunFailed;
    }
    out << (plan.outputDir / profile::kProfileFileName).string() << ": " << summary.fitted << " sites, RMS " << rms
        << (summary.targetReached ? " (target reached)" : " (target not reached)") << ", " << summary.iterations
        << " iterations";
    if (summary.windows > 0) {
        out << ", " << summary.windows << " windows joined";
        if (summary.windowsReused > 0) out << " (" << summary.windowsReused << " from their files)";
    }
    if (!summary.leftOut.empty()) out << ", " << summary.leftOut.size() << " left out";
    out << "\n";
    return summary.targetReached && summary.leftOut.empty() ? kSuccess : kRunFailed;
}

}  // namespace

Subcommand AddProfileCommand(CLI::App& mt1d)
{
    CLI::App* command = mt1d.add_subcommand(
        "profile",
        "Fits the soundings of a profile together: every site's 1-D model tied to its\n"
        "neighbours' (laterally constrained inversion), the misfit of the whole profile brought\n"
        "to the target RMS. Writes, like mt1d batch, DIR/<site>.json per site (the keys of\n"
        "mt1d fit --format json, plus lateral_weight and distance_km), DIR/summary.csv (the\n"
        "batch's columns, so mt1d section DIR draws it), and DIR/profile.json: the sites in\n"
        "profile order, total RMS, vertical and lateral roughness, iterations. Files are\n"
        "written whole or not at all.");
    auto values = std::make_shared<ProfileCommandValues>();
    values->command = command;
    command
        ->add_option("INPUT", values->inputs,
                     "Sounding files and folders, as for mt1d batch. The sites are ordered along the\n"
                     "profile as mt1d section places them, whatever the input order.")
        ->type_name("");
    values->outOption = command->add_option("--out", values->out, "The output folder (made when missing).")
                            ->type_name("DIR")
                            ->required();
    AddDataOptions(*command, values->data);
    AddFitOptions(*command, values->fit);
    // The single fits' stop criteria: the profile's run has its own.
    for (const std::string& name : StopCriterionOptionNames()) command->remove_option(command->get_option(name));
    for (FitOptionValues::Criterion* c :
         {&values->fit.relativeTolerance, &values->fit.settledSteps, &values->fit.exactChi2, &values->fit.initialDamping,
          &values->fit.maxDamping, &values->fit.rmsTolerance, &values->fit.roughnessTolerance, &values->fit.stepCuts,
          &values->fit.multiplierTolerance, &values->fit.levelTolerance}) {
        c->option = nullptr;  // removed above; ParseFitOptions sees them as not given
    }
    CLI::Option* method = command->get_option("--method");
    method->description(
        "occam: smooth models of many fixed layers shared by all sites (log10 rho of each\n"
        "layer unknown; vertical and lateral roughness); layered: few-layer models with the\n"
        "same number of layers at every site (log10 rho and log10 interface depth unknown,\n"
        "tied laterally; each site starts from its own layered fit). Default: occam");
    command->get_option("--target-rms")
        ->description("The RMS to bring the whole profile to (sqrt(chi-square / N) over every site's\n"
                      "fitted values); each site's own RMS is reported. Default: " + values->fit.targetRms);
    command->get_option("--max-iterations")
        ->description("At most this many iterations of the profile's run, 1 to " +
                      std::to_string(jobs::kMaxFitIterations) + ". Default: " +
                      std::to_string(lci::LciOptions{}.maxIterations));
    command->get_option("--starts")
        ->description(command->get_option("--starts")->get_description() +
                      "\nThey start each site's own layered fit, the profile's starting model.");
    values->lateralWeightOption =
        command
            ->add_option("--lateral-weight", values->lateralWeight,
                         "W, from 0 to 1e6: how strongly neighbours are tied, weighted by (d_ref/d)\n"
                         "with d the neighbours' spacing and d_ref the median spacing. Default: the\n"
                         "W that gives the lateral and the vertical roughness operators the same\n"
                         "trace (near 1 for evenly spaced sites; 1 for layered). 0: independent fits.")
            ->type_name("W");
    command
        ->add_option("--profile", values->profile,
                     "auto: the line that fits the sites best; or its two ends LAT1,LON1,LAT2,LON2\n"
                     "in degrees. Sites without a location are left out while others have one;\n"
                     "when none has one, they stand 1 km apart in input order. Default: auto")
        ->type_name("LINE");
    values->jobsOption =
        command
            ->add_option("-j,--jobs", values->jobs,
                         "Threads for the sites' forward models, 1 to " + std::to_string(kMaxThreads) +
                             ". Default: one per core.\nThe files do not depend on it.")
            ->type_name("N");
    values->windowOption =
        command
            ->add_option("--window", values->window,
                         "Fits the profile in overlapping windows of at most N sites, 2 to " +
                             std::to_string(kMaxWindowSites) + ", each\non its own, and joins them with a "
                             "linear taper across each overlap.")
            ->type_name("N");
    values->overlapOption =
        command
            ->add_option("--overlap", values->overlap,
                         "Sites two neighbouring windows share, 1 to N - 1 (each window keeps at least\n"
                         "one site of its own). Default: 10, at most a quarter of the window.")
            ->type_name("K");
    values->partOption =
        command
            ->add_option("--part", values->part,
                         "Fits only window I of the N windows and writes DIR/window-III-of-NNN.json.\n"
                         "A run without --part over the same soundings and options takes the window\n"
                         "files it finds in DIR instead of fitting them again, and joins.")
            ->type_name("I/N");
    command->footer(
        "summary.csv's status is ok when the profile reached its target; a site whose file\n"
        "cannot be used is left out of the profile with its reason.\n"
        "Exit status: 0 when the profile reached its target and no site was left out, 1\n"
        "otherwise (or when a file could not be written), 2 for arguments that cannot be\n"
        "used or an --out folder another run is writing into.\n"
        "\n"
        "Examples:\n"
        "  mt1d profile line1/ --out line1-lci --method layered --layers 3\n"
        "  mt1d profile line1/ --out part2 --window 100 --part 2/5   # one job of five\n"
        "  cp part*/window-*.json lci/ && mt1d profile line1/ --out lci --window 100   # the join\n"
        "  mt1d section line1-lci --out line1-lci.png");
    return {command, [values](std::ostream& out, std::ostream& err) { return RunProfileCommand(*values, out, err); }};
}

}  // namespace mt1d::cli
