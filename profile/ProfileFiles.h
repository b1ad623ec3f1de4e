#pragma once
// The files of a profile folder (ProfileJob.h) beyond the per-site results and summary.csv:
//
// profile.json, the profile as a whole:
//     {"format": "mt1d profile", "format_version": 1, "method", "status", "message", "rms",
//      "target_rms", "target_reached", "iterations", "multiplier",
//      "roughness": {"vertical", "lateral"}, "lateral_weight", "reference_distance_km",
//      "distance_power", "values_fitted", "layer_tops_m" (smooth; null for layered),
//      "profile": {"start": {"latitude_deg", "longitude_deg"}, "end": {…}} or null (by order),
//      "max_offset_km", "windows": null or {"count", "sites", "overlap"},
//      "options": the data and fit options as a site's result records them,
//      "history": [{"iteration", "rms", "vertical_roughness", "lateral_roughness", "multiplier"}],
//      "sites": [{"site", "file", "distance_km", "offset_km", "far_off", "rms", "target_reached",
//                 "lateral_weight", "depth_of_investigation_m", "values_fitted"}] in profile order,
//      "left_out": [{"site", "file", "reason"}]}
//
// window-III-of-NNN.json, one window of a profile fitted as a separate job (--part), what the
// join needs of it: the window's sites (names and files, in profile order), the options of
// the whole profile ("options", compared with the joining run's), the run's status,
// message, iterations and counts, and per site the model, status, iterations, message and
// history. Numbers are written so that they read back as the same doubles, so a join from
// the files equals a join in one process.

#include "io/TextEncoding.h"
#include "lci/LciResult.h"
#include "section/Profile.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace mt1d::profile {

inline constexpr const char* kProfileFileName = "profile.json";
inline constexpr const char* kProfileFormat = "mt1d profile";
inline constexpr const char* kWindowFormat = "mt1d profile window";
inline constexpr int kProfileFormatVersion = 1;

// "window-003-of-010.json" for window 3 (from 1) of 10.
std::string WindowFileName(std::size_t window, std::size_t windows);

struct WindowSite {
    std::string site;
    std::string file;
    friend bool operator==(const WindowSite&, const WindowSite&) = default;
};

struct WindowFile {
    std::size_t window = 1;   // from 1
    std::size_t windows = 1;
    std::vector<WindowSite> sites;  // in profile order
    io::Json options;               // of the whole profile
    lci::ProfileFitResult result;   // the fields JoinWindows uses, sites in profile order
};

std::string WindowFileText(const WindowFile& file);

struct ProfileSiteInfo {
    std::string site;
    std::string file;
    double offsetKm = 0.0;
    bool farOff = false;
};

struct LeftOutSite {
    std::string site;
    std::string file;
    std::string reason;
};

struct WindowLayout {
    std::size_t count = 0;
    std::size_t sites = 0;
    std::size_t overlap = 0;
};

struct ProfileDocument {
    const lci::ProfileFitResult* result = nullptr;
    std::vector<ProfileSiteInfo> sites;  // as result->sites
    std::vector<LeftOutSite> leftOut;
    io::Json options;
    double targetRms = 1.0;
    std::optional<section::ProfileLine> line;  // empty: placed by order
    double maxOffsetKm = 0.0;
    std::optional<WindowLayout> windows;
};

std::string ProfileJsonText(const ProfileDocument& document);

// Throws io::FileError naming the file and the place for anything that is not such a file.
WindowFile ReadWindowFile(const std::filesystem::path& path);

}  // namespace mt1d::profile
