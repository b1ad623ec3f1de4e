#pragma once
// A project: every open sounding window, with its state and where it stood on the screen,
// in one JSON file.
//
//     {
//       "format": "mt1d-project",
//       "version": 3,
//       "windows": [ { "geometry": {"x": …, "y": …, "width": …, "height": …, "maximized": false},
//                      "session": { "sounding": {…}, "original_path": …, "mode": "det", … } } ]
//     }
//
// Numbers are written so that reading them back gives the same double, bit for bit; a value
// that is not finite (an unusable frequency of a sounding) is written as null, as in every
// file of this program (versions 1 and 2 wrote the strings "nan", "inf" and "-inf", which are
// still read). Saving replaces the file atomically (io/AtomicFile.h). Reading refuses, with
// ProjectError naming the file, the place in it and what is wrong: text that is not JSON, a
// JSON file of another program, a newer format version, a missing or mistyped value, and a
// window whose state no command could have made (SessionProblem).

#include "session/Session.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace mt1d::session {

inline constexpr std::string_view kProjectFormat = "mt1d-project";
// Version 2 keeps each fit as the record `mt1d fit` writes (SessionJson.h); version 3 writes
// numbers that are not finite as null and the Occam fit's result as "occam_result". Versions
// 1 and 2 are still read.
inline constexpr int kProjectVersion = 3;
// A project larger than this is not one of ours (a sounding is at most 64 MB of text, and a
// user opens a handful).
inline constexpr std::size_t kMaxProjectBytes = 512u * 1024u * 1024u;

// Where a window stood, in the screen's logical pixels.
struct WindowGeometry {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool maximized = false;
};

struct ProjectWindow {
    Session session;
    WindowGeometry geometry;
};

struct Project {
    std::vector<ProjectWindow> windows;
};

class ProjectError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The project as JSON text.
std::string ProjectToJson(const Project& project);

// Reads JSON text; `file` names it in messages. Throws ProjectError.
Project ProjectFromJson(std::string_view text, const std::string& file);

// Throws WriteError (AtomicFile.h) when the file cannot be written; the old file is then
// untouched.
void SaveProject(const Project& project, const std::filesystem::path& path);

// Throws ProjectError when the file cannot be read or is refused.
Project LoadProject(const std::filesystem::path& path);

}  // namespace mt1d::session
