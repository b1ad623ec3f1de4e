// Shards: N slices that together take every site once, and the I/N text.

#include "batch/BatchError.h"
#include "batch/Shard.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

using namespace mt1d::batch;

class ShardSlicesTest : public testing::TestWithParam<std::tuple<std::size_t, std::size_t>> {};

TEST_P(ShardSlicesTest, TakeEverySiteExactlyOnceInOrderWithSizesDifferingByAtMostOne)
{
    const auto [sites, count] = GetParam();
    std::size_t expectedBegin = 0;
    std::size_t smallest = sites;
    std::size_t largest = 0;
    for (std::size_t i = 1; i <= count; ++i) {
        const SiteRange range = ShardRange(sites, {i, count});
        EXPECT_EQ(range.begin, expectedBegin) << "shard " << i << "/" << count;  // no gap, no overlap
        ASSERT_LE(range.begin, range.end);
        expectedBegin = range.end;
        smallest = std::min(smallest, range.Size());
        largest = std::max(largest, range.Size());
    }
    EXPECT_EQ(expectedBegin, sites);
    EXPECT_LE(largest - smallest, 1u);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ShardSlicesTest,
                         testing::Combine(testing::Values<std::size_t>(0, 1, 2, 3, 7, 10, 1000, 1001),
                                          testing::Values<std::size_t>(1, 2, 3, 4, 7, 16)));

TEST(ShardRange, SlicesAreContiguousFromTheStart)
{
    // 7 sites in 3 shards: ⌊7i/3⌋ = 0, 2, 4, 7.
    EXPECT_EQ(ShardRange(7, {1, 3}), (SiteRange{0, 2}));
    EXPECT_EQ(ShardRange(7, {2, 3}), (SiteRange{2, 4}));
    EXPECT_EQ(ShardRange(7, {3, 3}), (SiteRange{4, 7}));
}

TEST(ParseShard, ReadsIOverN)
{
    EXPECT_EQ(ParseShard("1/1"), (Shard{1, 1}));
    EXPECT_EQ(ParseShard("3/3"), (Shard{3, 3}));
    EXPECT_EQ(ParseShard("12/100"), (Shard{12, 100}));
    EXPECT_EQ(ParseShard("100000/100000"), (Shard{kMaxShards, kMaxShards}));
}

TEST(ParseShard, RefusesWhatIsNotAShardQuotingIt)
{
    for (const std::string text : {"0/3", "4/3", "3", "/3", "1/", "a/b", "1/0", " 1/3", "1/3 ", "1/3x", "-1/3",
                                   "+1/3", "1.0/3", "1//3", "1/100001", "99999999999999999999/1"}) {
        try {
            ParseShard(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const BatchError& e) {
            EXPECT_NE(std::string(e.what()).find("'" + text.substr(0, 40) + "'"), std::string::npos) << e.what();
        }
    }
}

}  // namespace
