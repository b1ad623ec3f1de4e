#pragma once
// Inputs a survey cannot be planned from: a path that does not exist, a folder without
// soundings, no file at all. Thrown before anything is read or written; the message says what
// is wrong and where.

#include <stdexcept>

namespace mt1d::jobs {

class PlanError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace mt1d::jobs
