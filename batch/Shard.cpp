#include "batch/Shard.h"

#include "batch/BatchError.h"

#include <charconv>

namespace mt1d::batch {

namespace {

bool ParseWhole(std::string_view text, std::size_t& value)
{
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

Shard ParseShard(const std::string& text)
{
    const std::size_t slash = text.find('/');
    Shard shard;
    const std::string_view all(text);
    if (slash == std::string::npos || !ParseWhole(all.substr(0, slash), shard.index) ||
        !ParseWhole(all.substr(slash + 1), shard.count) || shard.index < 1 || shard.index > shard.count ||
        shard.count > kMaxShards) {
        throw BatchError("--shard takes I/N with 1 <= I <= N <= " + std::to_string(kMaxShards) + ", not '" +
                         text.substr(0, 40) + "'");
    }
    return shard;
}

SiteRange ShardRange(std::size_t sites, const Shard& shard)
{
    // The products stay far below 2^64: sites are files on a disk, shards at most kMaxShards.
    return {(shard.index - 1) * sites / shard.count, shard.index * sites / shard.count};
}

}  // namespace mt1d::batch
