#pragma once
// Input a batch cannot use: an input path that does not exist, a folder without soundings,
// a shard outside 1..N, shard folders that do not belong together. Thrown before anything is
// written; the message says what is wrong and where.

#include <stdexcept>

namespace mt1d::batch {

class BatchError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace mt1d::batch
