#pragma once
// Joins the output folders of the shards of one plan (`mt1d batch --shard I/N`) into one
// folder equal, byte for byte, to what a single run of the plan writes: every <site>.json
// copied, sites.csv as each shard has it, summary.csv with the shards' rows in the order of
// sites.csv.
//
// Refused with BatchError before anything is written: no shard folder, a folder without
// sites.csv or summary.csv, shards whose sites.csv differ (another plan), a site in two shards
// with different rows, an output folder that is one of the shard folders. A site of the plan
// that no shard has a row for is missing: the joined summary has no row for it, and the
// result lists it.

#include "batch/Summary.h"

#include <filesystem>
#include <string>
#include <vector>

namespace mt1d::batch {

struct MergeResult {
    std::vector<SummaryRow> rows;        // the joined summary's rows
    std::vector<std::string> missing;    // sites of the plan that no shard has
    std::size_t failed = 0;              // rows whose status is not "ok"
};

// Throws BatchError for the refusals above and io::WriteError when a file cannot be
// written.
MergeResult MergeShards(const std::vector<std::filesystem::path>& shardDirs, const std::filesystem::path& outputDir);

}  // namespace mt1d::batch
