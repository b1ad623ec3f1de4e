#pragma once
// Reads a fit result written by FitJson.h back into a jobs::FitRecord: what a resumed batch and the
// window's project load. The file is checked whole before anything is returned, so a caller
// never holds half of a record:
//   - it must be JSON with "format": "mt1d fit" and a "format_version" this program reads;
//   - every key FitJson writes must be present with a value of its type (numbers finite, null
//     only where the writer writes null), names of methods, modes, statuses and fitted
//     components must be known;
//   - the model must make sense: resistivities and thicknesses positive, every layer but the
//     last with a thickness and the last without, conductance figures for every layer or none,
//     a correlation matrix of (2L − 1)² entries.
// Anything else is refused with io::FileError, whose message names the file, the key (as a
// path such as layers[2].resistivity_ohmm) and what was expected there.

#include "io/JsonReader.h"
#include "jobs/FitRecord.h"

#include <cstddef>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace mt1d::report {

// Fit result files are a few hundred kilobytes at most; anything larger is not one.
inline constexpr std::size_t kMaxFitFileBytes = 64u * 1024u * 1024u;

// `file` names the text in messages.
jobs::FitRecord ParseFitJson(std::string_view text, const std::string& file);

// Reads a file from disk; refuses one that is not a regular file or is larger than
// kMaxFitFileBytes.
jobs::FitRecord ReadFitJsonFile(const std::filesystem::path& path);

// A record inside a larger document (a project's fit), its paths under the cursor's.
jobs::FitRecord ReadFitJson(const io::JsonCursor& root);

}  // namespace mt1d::report
