#pragma once
// Folders the batch tests write into (removed when the test ends), small synthetic surveys,
// and reading a folder back.

#include "batch/Batch.h"
#include "batch/SyntheticSurvey.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <unistd.h>

namespace batch_testing {

namespace fs = std::filesystem;

using mt1d_testing::TempDir;

inline std::string ReadText(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every file of a folder (not its subfolders) by name with its bytes.
inline std::map<std::string, std::string> FolderFiles(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file()) files[entry.path().filename().string()] = ReadText(entry.path());
    }
    return files;
}

// A small survey: 13 frequencies (two a decade), 5 % noise, sites 1 km apart.
inline mt1d::batch::SurveyOptions SmallSurvey(std::size_t sites)
{
    mt1d::batch::SurveyOptions options;
    options.sites = sites;
    options.frequenciesPerDecade = 2;
    return options;
}

// A plan of every sounding file in `folder`, written to `out`.
inline mt1d::batch::BatchPlan PlanFor(const fs::path& folder, const fs::path& out, std::size_t workers)
{
    mt1d::batch::BatchPlan plan;
    const std::vector<std::string> inputs = {folder.string()};
    plan.sites = mt1d::jobs::NameSites(mt1d::jobs::ExpandInputs(inputs));
    plan.outputDir = out;
    plan.workers = workers;
    return plan;
}

}  // namespace batch_testing
