// Site names thinned so that none overlaps: which are written for sites at given positions.

#include "section/Labels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

struct Case {
    std::vector<double> xs;
    double width;
    std::vector<bool> named;
};

class LabelledSitesTest : public ::testing::TestWithParam<Case> {};

// The flags, and that no two names written are closer than the width.
TEST_P(LabelledSitesTest, NamesNoneCloserThanTheirWidthAndBothEnds)
{
    const auto& c = GetParam();
    const auto named = mt1d::section::LabelledSites(c.xs, c.width);
    EXPECT_EQ(named, c.named);
    double last = NAN;
    for (std::size_t i = 0; i < named.size(); ++i) {
        if (!named[i]) continue;
        if (!std::isnan(last)) {
            EXPECT_GE(std::abs(c.xs[i] - last), c.width) << "site " << i;
        }
        last = c.xs[i];
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, LabelledSitesTest,
    ::testing::Values(
        // Apart by the width exactly: all named (>= not >).
        Case{{0, 2, 4, 6}, 2.0, {true, true, true, true}},
        // Every other one; the last falls on the grid.
        Case{{0, 1, 2, 3, 4}, 2.0, {true, false, true, false, true}},
        // The last would touch the one before it: it takes that one's place.
        Case{{0, 1, 2, 3}, 2.0, {true, false, false, true}},
        // Two sites closer than a name: only the first, never the first dropped for the last.
        Case{{0, 0.5}, 1.0, {true, false}},
        // Right to left (a profile drawn the other way round).
        Case{{4, 3, 2, 1, 0}, 2.0, {true, false, true, false, true}},
        // A cluster in the middle of a sparse profile.
        Case{{0, 10, 10.2, 10.4, 20}, 1.0, {true, true, false, false, true}},
        Case{{}, 1.0, {}}));

}  // namespace
