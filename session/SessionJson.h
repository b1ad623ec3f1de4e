#pragma once
// One sounding window's state as JSON and back (the "session" object of a project file).
// Every value of the state is written; reading gives the same state, doubles bit for bit
// (numbers that are not finite are written as null, as in every file of this program).
//
// A fit result is kept as {"method", "record", "model", "log10_sd", "elapsed_ms"}, where
// "record" is what `mt1d fit --format json` writes for it (report/FitJson.h) and is read back
// by the same reader (report/FitJsonReader.h). Projects of format version 1 kept a report of
// their own instead of "record"; they are still read, their fits without the context the
// record adds (options, products, correlations), which they never had.

#include "io/JsonReader.h"
#include "session/Session.h"

#include <nlohmann/json.hpp>

namespace mt1d::session {

nlohmann::json SessionToJson(const Session& session);

// Throws io::FileError naming the place of a missing or mistyped value. The result is not yet
// checked as a whole (SessionProblem does that).
Session SessionFromJson(const io::JsonCursor& field, int projectVersion);

}  // namespace mt1d::session
