#pragma once
// Input a batch cannot use beyond its inputs (jobs/PlanError.h): a shard outside 1..N, shard
// folders that do not belong together. Thrown before anything is written; the message says
// what is wrong and where.

#include "jobs/PlanError.h"

namespace mt1d::batch {

class BatchError : public jobs::PlanError {
public:
    using jobs::PlanError::PlanError;
};

}  // namespace mt1d::batch
