#pragma once
// Fits every sounding of a folder smoothly (the defaults of `mt1d fit`) and writes what
// `mt1d batch` writes: <out>/<site>.json per fitted sounding, each written whole (QSaveFile),
// and <out>/summary.csv with the batch's columns, failures recorded with their reason. This
// is the window's stand-in for the batch library while that is not in the program; it runs on
// one thread, in file-name order.
//
// Files taken from the folder (not its subfolders): those ending in .edi, .dat, .csv or .txt
// (any case). Progress is reported after each file; a set cancellation flag stops the run
// between files and inside a fit, and the summary then lists what was done.

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace mt1d::gui::survey {

struct SurveyFitResult {
    std::size_t total = 0;   // soundings found
    std::size_t fitted = 0;
    std::size_t failed = 0;
    bool cancelled = false;
    std::string error;       // why nothing could be done (no soundings, output not writable)
};

std::vector<std::filesystem::path> SoundingFilesIn(const std::filesystem::path& folder);

SurveyFitResult FitSurvey(const std::filesystem::path& folder, const std::filesystem::path& out,
                          const std::function<void(std::size_t done, std::size_t total)>& progress = {},
                          const std::atomic<bool>* cancel = nullptr);

}  // namespace mt1d::gui::survey
