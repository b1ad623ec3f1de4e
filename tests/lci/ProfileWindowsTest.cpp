// A profile cut into overlapping windows and joined again: the cut, the taper of the join, its
// refusals, and windowed fits against a single run of the whole profile.

#include "lci/LciFit.h"
#include "lci/ProfileWindows.h"
#include "tests/lci/SyntheticProfile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace mt1d::lci;
using mt1d::earth::LayeredModel;
using mt1d::fitting::FitStatus;

// Half-space sites 1 km apart: cheap data for the cut and the join.
std::vector<ProfileSite> HalfSpaceSites(std::size_t count)
{
    const auto frequencies = testing_support::LogFrequencies(1e2, 1e-2, 5);
    const auto data =
        mt1d::fitting::SelectData(testing_support::SyntheticCurve({{100.0}, {}}, frequencies, 0.05), {}).data;
    std::vector<ProfileSite> sites;
    for (std::size_t s = 0; s < count; ++s) sites.push_back({data, static_cast<double>(s)});
    return sites;
}

LciOptions HalfSpaceOptions()
{
    LciOptions o;
    o.form = LciForm::kLayered;
    o.layers = 1;
    return o;
}

struct Cut {
    std::size_t sites, window, overlap;
    std::vector<std::size_t> sizes;
};

class SplitCases : public ::testing::TestWithParam<Cut> {};

// The windows cover the profile in order, each shares exactly `overlap` sites with the next,
// and their sizes are as even as the counts allow.
TEST_P(SplitCases, CoverTheProfileWithEvenWindowsThatShareTheOverlap)
{
    const auto c = GetParam();
    auto sites = HalfSpaceSites(c.sites);
    std::swap(sites.front(), sites.back());  // the cut follows the distances, not the caller's order
    const auto plan = SplitProfile(sites, HalfSpaceOptions(), c.window, c.overlap);
    ASSERT_TRUE(plan.Ok()) << plan.error;
    ASSERT_EQ(plan.windows.size(), c.sizes.size());
    const auto order = ProfileOrder(sites);
    std::size_t first = 0;
    std::set<std::size_t> covered;
    for (std::size_t w = 0; w < plan.windows.size(); ++w) {
        const auto& members = plan.windows[w].sites;
        ASSERT_EQ(members.size(), c.sizes[w]) << "window " << w;
        for (std::size_t k = 0; k < members.size(); ++k) EXPECT_EQ(members[k], order[first + k]);
        covered.insert(members.begin(), members.end());
        first += members.size() - c.overlap;
    }
    EXPECT_EQ(covered.size(), c.sites);
    EXPECT_EQ(plan.windows.back().sites.back(), order.back());
}

INSTANTIATE_TEST_SUITE_P(Table, SplitCases,
                         ::testing::Values(Cut{40, 16, 4, {16, 16, 16}},
                                           Cut{1000, 100, 10, std::vector<std::size_t>(11, 100)},
                                           Cut{101, 100, 10, {56, 55}}, Cut{100, 100, 10, {100}},
                                           Cut{30, 13, 4, {13, 13, 12}}, Cut{3, 2, 1, {2, 2}}));

TEST(SplitRefusal, RefusesOverlapsThatLeaveAWindowNothingOfItsOwn)
{
    const auto sites = HalfSpaceSites(100);
    EXPECT_FALSE(SplitProfile(sites, HalfSpaceOptions(), 10, 0).Ok());
    EXPECT_FALSE(SplitProfile(sites, HalfSpaceOptions(), 10, 10).Ok());
    // Windows of 7 sharing 3: 25 windows of 6 or 7 sites, and one of 6 has only 6 − 2·3 = 0
    // sites of its own.
    const auto plan = SplitProfile(sites, HalfSpaceOptions(), 7, 3);
    EXPECT_FALSE(plan.Ok());
    EXPECT_NE(plan.error.find("at least 10 sites"), std::string::npos) << plan.error;
    EXPECT_TRUE(SplitProfile(sites, HalfSpaceOptions(), 10, 3).Ok());
}

// The result a window's fit would give: one half-space per site, log10 ρ = level.
ProfileFitResult ConstantWindow(std::size_t sites, double level)
{
    ProfileFitResult r;
    r.form = LciForm::kLayered;
    r.status = FitStatus::kTargetReached;
    r.iterations = 3;
    r.sites.resize(sites);
    for (auto& s : r.sites) s.model = LayeredModel{{std::pow(10.0, level)}, {}};
    return r;
}

// Two windows of 12 sharing 5 (19 sites): the earlier one says log10 ρ = 1, the later 2. At the
// i-th shared site (from 1) the later weighs i/6, so the join climbs in steps of 1/6.
TEST(JoinTest, TapersLinearlyAcrossTheOverlap)
{
    const auto sites = HalfSpaceSites(19);
    const auto plan = SplitProfile(sites, HalfSpaceOptions(), 12, 5);
    ASSERT_TRUE(plan.Ok()) << plan.error;
    ASSERT_EQ(plan.windows.size(), 2u);
    ASSERT_EQ(plan.windows[0].sites.size(), 12u);
    const auto joined = JoinWindows(sites, plan, {ConstantWindow(12, 1.0), ConstantWindow(12, 2.0)});
    ASSERT_EQ(joined.status, FitStatus::kTargetReached) << joined.message;
    for (std::size_t s = 0; s < sites.size(); ++s) {
        const double expected = s < 7 ? 1.0 : s >= 12 ? 2.0 : 1.0 + static_cast<double>(s - 6) / 6.0;
        EXPECT_NEAR(std::log10(joined.sites[s].model.resistivity[0]), expected, 1e-12) << "site " << s;
    }
    EXPECT_EQ(joined.iterations, 3u);
}

TEST(JoinTest, RefusesResultsThatDoNotMatchTheWindows)
{
    const auto sites = HalfSpaceSites(19);
    const auto plan = SplitProfile(sites, HalfSpaceOptions(), 12, 5);
    ASSERT_TRUE(plan.Ok()) << plan.error;
    const auto good = ConstantWindow(12, 1.0);
    auto refused = good;
    refused.status = FitStatus::kInvalidInput;
    refused.message = "site 3: nothing to fit";
    auto layered = good;
    layered.sites[4].model = LayeredModel{{10.0, 100.0}, {50.0}};
    const struct {
        std::vector<ProfileFitResult> results;
        const char* message;
    } cases[] = {{{good}, "needs 2 window results, got 1"},
                 {{good, refused}, "window 2 was not fitted: site 3"},
                 {{good, ConstantWindow(11, 1.0)}, "window 2: its result does not belong"},
                 {{layered, good}, "window 1: its models have 2 layers, not 1"}};
    for (const auto& c : cases) {
        const auto joined = JoinWindows(sites, plan, c.results);
        EXPECT_EQ(joined.status, FitStatus::kInvalidInput);
        EXPECT_NE(joined.message.find(c.message), std::string::npos) << joined.message;
    }
}

// A window that stopped short makes the join's status say so.
TEST(JoinTest, TakesTheWorstStatusOfItsWindows)
{
    const auto sites = HalfSpaceSites(19);
    const auto plan = SplitProfile(sites, HalfSpaceOptions(), 12, 5);
    auto stopped = ConstantWindow(12, 2.0);
    stopped.status = FitStatus::kMaxIterations;
    auto missed = ConstantWindow(12, 1.0);
    missed.status = FitStatus::kTargetNotReached;
    EXPECT_EQ(JoinWindows(sites, plan, {missed, stopped}).status, FitStatus::kMaxIterations);
    EXPECT_EQ(JoinWindows(sites, plan, {missed, ConstantWindow(12, 2.0)}).status, FitStatus::kTargetNotReached);
}

class WindowedFit : public ::testing::TestWithParam<LciForm> {};

// The synthetic profile of LciFitTest (40 sites, seed 2) in three windows of 16 sharing 4,
// against one run of the whole profile: at every site two windows share, each layer above the
// depth of investigation within 0.05 in log10 ρ. Each window aims at RMS 1 over its own sites,
// so its multiplier differs a little from the single run's; bench/LciStudy.cpp measures 0.013
// (smooth) and 0.016 (layered) on this profile.
TEST_P(WindowedFit, JoinedWindowsMatchASingleRunWhereTheyOverlap)
{
    const auto profile = testing_support::MakeSyntheticProfile(40, testing_support::LogFrequencies(1e3, 1e-3, 25),
                                                               {12, 28}, 2);
    LciOptions options;
    options.form = GetParam();
    options.threads = 2;
    const auto single = FitProfile(profile.sites, options);
    ASSERT_EQ(single.status, FitStatus::kTargetReached) << single.message;
    const auto plan = SplitProfile(profile.sites, options, 16, 4);
    ASSERT_TRUE(plan.Ok()) << plan.error;
    ASSERT_EQ(plan.windows.size(), 3u);
    std::vector<ProfileFitResult> results;
    for (std::size_t w = 0; w < plan.windows.size(); ++w) {
        results.push_back(FitProfile(WindowSites(profile.sites, plan, w), WindowOptions(plan, w)));
    }
    const auto joined = JoinWindows(profile.sites, plan, results);
    ASSERT_EQ(joined.status, FitStatus::kTargetReached) << joined.message;
    EXPECT_NEAR(joined.rms, single.rms, 0.05);
    std::set<std::size_t> shared;
    for (std::size_t w = 0; w + 1 < plan.windows.size(); ++w) {
        const auto& members = plan.windows[w].sites;
        shared.insert(members.end() - 4, members.end());
    }
    ASSERT_EQ(shared.size(), 8u);
    for (std::size_t s : shared) {
        const auto& a = joined.sites[s].model;
        const auto& b = single.sites[s].model;
        const double doi = single.sites[s].report.depthOfInvestigationM;
        double top = 0.0;
        for (std::size_t j = 0; j < a.resistivity.size() && top < doi; ++j) {
            EXPECT_NEAR(std::log10(a.resistivity[j]), std::log10(b.resistivity[j]), 0.05)
                << "site " << s << ", layer " << j;
            if (j < b.thickness.size()) top += b.thickness[j];
        }
    }
    // The shared mesh and weights of the plan, not each window's own.
    for (const auto& r : results) {
        EXPECT_EQ(r.lateralWeight, single.lateralWeight);
        EXPECT_EQ(r.layerTops, single.layerTops);
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, WindowedFit, ::testing::Values(LciForm::kSmooth, LciForm::kLayered),
                         [](const auto& info) { return info.param == LciForm::kSmooth ? "Smooth" : "Layered"; });

}  // namespace
