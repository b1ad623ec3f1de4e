#pragma once
// One of N deterministic slices of a batch's input, so that N machines (a job array, GNU
// parallel) each fit a part and `mt1d batch --merge` joins the parts. Shard I of N takes the
// sites [⌊(I−1)·S/N⌋, ⌊I·S/N⌋) of the S sites in input order: contiguous, in order, the sizes
// differing by at most one, every site in exactly one shard.

#include <cstddef>
#include <string>

namespace mt1d::batch {

struct Shard {
    std::size_t index = 1;  // I, from 1
    std::size_t count = 1;  // N

    friend bool operator==(const Shard&, const Shard&) = default;
};

// Caps the shard count at a number no survey reaches, so that a typo is caught.
inline constexpr std::size_t kMaxShards = 100'000;

// "I/N" with 1 ≤ I ≤ N ≤ kMaxShards, blanks not allowed. Throws BatchError quoting the text.
Shard ParseShard(const std::string& text);

struct SiteRange {
    std::size_t begin = 0;
    std::size_t end = 0;  // one past the last

    std::size_t Size() const { return end - begin; }
    friend bool operator==(const SiteRange&, const SiteRange&) = default;
};

// The slice of `sites` sites that `shard` takes (shard must be valid).
SiteRange ShardRange(std::size_t sites, const Shard& shard);

}  // namespace mt1d::batch
