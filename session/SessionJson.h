#pragma once
// One sounding window's state as JSON and back (the "session" object of a project file).
// Every value of the state is written; reading gives the same state, doubles bit for bit.

#include "JsonField.h"
#include "Session.h"

#include <nlohmann/json.hpp>

namespace mt1d::session {

nlohmann::json SessionToJson(const Session& session);

// Throws JsonRefusal naming the place of a missing or mistyped value. The result is not yet
// checked as a whole (SessionProblem does that).
Session SessionFromJson(const JsonField& field);

}  // namespace mt1d::session
