#include "batch/Merge.h"

#include "io/AtomicFile.h"
#include "batch/Batch.h"
#include "batch/BatchError.h"
#include "io/JsonReader.h"
#include "report/FitJsonReader.h"

#include <fstream>
#include <iterator>
#include <map>

namespace mt1d::batch {

namespace {

namespace fs = std::filesystem;

std::string ReadWhole(const fs::path& path, const std::string& what)
{
    std::error_code error;
    if (!fs::exists(path, error)) throw BatchError(path.string() + " is missing: not " + what);
    try {
        return io::ReadRegularFile(path, report::kMaxFitFileBytes);
    } catch (const io::FileError& e) {
        throw BatchError(e.what());
    }
}

bool SameFolder(const fs::path& a, const fs::path& b)
{
    std::error_code error;
    return fs::exists(a, error) && fs::exists(b, error) && fs::equivalent(a, b, error);
}

struct Found {
    SummaryRow row;
    fs::path shard;
};

}  // namespace

MergeResult MergeShards(const std::vector<fs::path>& shardDirs, const fs::path& outputDir)
{
    if (shardDirs.empty()) throw BatchError("--merge needs the output folders of the shards");
    const std::string what = "a batch output folder";

    // Everything is read and checked before anything is written.
    std::string sitesText;
    std::vector<jobs::SiteInput> sites;
    std::map<std::string, Found> found;
    for (const fs::path& dir : shardDirs) {
        if (SameFolder(dir, outputDir)) {
            throw BatchError("the output folder " + outputDir.string() + " is one of the shard folders");
        }
        const fs::path sitesFile = dir / kSitesFileName;
        const std::string text = ReadWhole(sitesFile, what);
        if (sites.empty()) {
            sites = ParseSitesCsv(text, sitesFile.string());
            sitesText = text;
        } else if (text != sitesText) {
            throw BatchError(sitesFile.string() + " differs from " + (shardDirs.front() / kSitesFileName).string() +
                             ": the folders are shards of different batches");
        }
        const fs::path summaryFile = dir / kSummaryFileName;
        for (SummaryRow& row : ParseSummaryCsv(ReadWhole(summaryFile, what), summaryFile.string())) {
            const auto [it, added] = found.try_emplace(row.site, Found{row, dir});
            if (!added && !(it->second.row == row)) {
                throw BatchError("the site " + row.site + " has different rows in " + it->second.shard.string() +
                                 " and " + dir.string());
            }
        }
    }
    std::map<std::string, const jobs::SiteInput*> byName;
    for (const jobs::SiteInput& site : sites) byName.emplace(site.name, &site);
    for (const auto& [name, f] : found) {
        if (byName.count(name) == 0) {
            throw BatchError("the site " + name + " of " + (f.shard / kSummaryFileName).string() +
                             " is not in the batch's list of sites");
        }
    }

    std::error_code error;
    fs::create_directories(outputDir, error);
    if (error || !fs::is_directory(outputDir)) {
        throw io::WriteError("cannot make the output folder " + outputDir.string());
    }
    MergeResult result;
    for (const jobs::SiteInput& site : sites) {
        const auto it = found.find(site.name);
        if (it == found.end()) {
            result.missing.push_back(site.name);
            continue;
        }
        const fs::path json = it->second.shard / (site.name + ".json");
        if (fs::exists(json, error)) {
            io::WriteFileAtomically(outputDir / (site.name + ".json"), ReadWhole(json, "a result file"));
        }
        if (!it->second.row.Ok()) ++result.failed;
        result.rows.push_back(it->second.row);
    }
    io::WriteFileAtomically(outputDir / kSitesFileName, sitesText);
    io::WriteFileAtomically(outputDir / kSummaryFileName, SummaryCsv(result.rows));
    return result;
}

}  // namespace mt1d::batch
