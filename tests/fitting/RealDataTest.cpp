// The fits on two real soundings: the Cull (1985) sounding as tabulated in the Occam paper
// (Constable, Parker & Constable 1987) and a long-period site inverted by OCCAM1DCSEM, whose
// result after 10 iterations is on file. Both skip when the shared data are absent.

#include "fitting/LayeredFit.h"
#include "fitting/MultiplierSearch.h"
#include "fitting/OccamFit.h"
#include "tests/fitting/FitAssertions.h"
#include "tests/fitting/RealSoundings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

namespace {

using namespace mt1d::fitting;

// The paper's smooth inversion reaches RMS 1.0 with the published errors (46 values).
TEST(CullSounding, OccamReachesRmsOne)
{
    const auto curve = testing_support::CullCurve();
    if (!curve) GTEST_SKIP() << testing_support::kNoSharedData;
    ASSERT_EQ(curve->rows.size(), 23u);
    const auto fit = FitOccam(*curve, OccamOptions{});
    const auto& r = fit.report;
    ASSERT_TRUE(testing_support::HasOccamModel(fit, kDefaultOccamLayers));
    EXPECT_EQ(r.status, FitStatus::kTargetReached) << r.message;
    EXPECT_LE(r.rms, 1.0);
    EXPECT_GE(r.rms, 1.0 - kLevelTolerance);
    EXPECT_EQ(r.niblettBostick.size(), 23u);
    EXPECT_GT(r.depthOfInvestigationM, 1e4);  // 1995 s over a few Ω·m: tens of kilometres
    RecordProperty("rms", std::to_string(r.rms));
    RecordProperty("roughness", std::to_string(*r.roughness));
    RecordProperty("iterations", std::to_string(r.iterations));
}

struct LayeredCase {
    std::size_t layers;
    std::size_t starts;
    // The smallest RMS found for these data with 200 starts while this engine was written;
    // it guards against a search that stops finding the global minimum.
    double bestKnownRms;
    friend void PrintTo(const LayeredCase& c, std::ostream* os) { *os << c.layers << " layers, " << c.starts << " starts"; }
};

class CullLayered : public ::testing::TestWithParam<LayeredCase> {};

// Two different seeds must land on the same minimum, and that minimum must be the best known.
TEST_P(CullLayered, TwoSeedsFindTheSameGlobalMinimum)
{
    const auto curve = testing_support::CullCurve();
    if (!curve) GTEST_SKIP() << testing_support::kNoSharedData;
    LayeredOptions options;
    options.layers = GetParam().layers;
    options.starts = GetParam().starts;
    const auto a = FitLayered(*curve, options);
    options.seed = 2;
    const auto b = FitLayered(*curve, options);
    ASSERT_EQ(a.report.status, FitStatus::kConverged) << a.report.message;
    EXPECT_NEAR(a.report.rms, b.report.rms, kSameMinimumTolerance * a.report.rms);
    EXPECT_LE(a.report.rms, GetParam().bestKnownRms * (1.0 + kSameMinimumTolerance));
    EXPECT_GE(a.startsNearBest, 2u) << "a minimum found by one start only is not found reliably";
    EXPECT_GE(b.startsNearBest, 2u);
    RecordProperty("rms", std::to_string(a.report.rms));
}

INSTANTIATE_TEST_SUITE_P(Layers, CullLayered,
                         ::testing::Values(LayeredCase{2, 20, 1.1914}, LayeredCase{3, 20, 0.4633},
                                           LayeredCase{4, 200, 0.4484}),
                         [](const auto& info) { return std::to_string(info.param.layers) + "Layers"; });

// The default number of starts finds the global minimum with every seed tried. With 20 starts
// for four layers, seed 3 of these ends at the neighbouring minimum of RMS 0.4554.
TEST_P(CullLayered, DefaultStartsFindTheGlobalMinimumWithEverySeed)
{
    const auto curve = testing_support::CullCurve();
    if (!curve) GTEST_SKIP() << testing_support::kNoSharedData;
    LayeredOptions options;
    options.layers = GetParam().layers;
    for (std::uint64_t seed = 1; seed <= 5; ++seed) {
        options.seed = seed;
        const auto fit = FitLayered(*curve, options);
        EXPECT_EQ(fit.startRms.size(), DefaultStarts(options.layers));
        EXPECT_LE(fit.report.rms, GetParam().bestKnownRms * (1.0 + kSameMinimumTolerance)) << "seed " << seed;
    }
}

// OCCAM1DCSEM on these data and its 21 layers ended its 10th iteration at roughness 18.79 and
// RMS 1.675 under the misfit used here (1.645 in its own, which fits linear ρa); the target
// 1.0 is out of reach with these layers.
TEST(OccamCodeSite, MatchesOrBeatsThePeerAfterTenIterations)
{
    const auto root = testing_support::OccamRunDir();
    if (!root) GTEST_SKIP() << testing_support::kNoSharedData;
    const auto curve = testing_support::OccamRunCurve();
    const auto tops = testing_support::OccamRunLayerTops(*root);
    ASSERT_TRUE(curve);
    ASSERT_EQ(tops.size(), 21u);
    OccamOptions options;
    options.mesh.layerTops = tops;
    const auto fit = FitOccam(*curve, options);
    const auto& h = fit.report.history;
    ASSERT_TRUE(testing_support::HasOccamModel(fit, 21));
    ASSERT_GE(h.size(), 2u) << fit.report.message;
    const auto& tenth = h[std::min<std::size_t>(10, h.size() - 1)];
    EXPECT_LE(tenth.rms, 1.675);
    EXPECT_LE(*tenth.roughness, 18.79);
    EXPECT_LE(fit.report.rms, 1.675);
    EXPECT_LE(*fit.report.roughness, 18.79);
    EXPECT_FALSE(fit.report.targetReached);
    EXPECT_EQ(fit.report.status, FitStatus::kTargetNotReached) << fit.report.message;
    RecordProperty("rms_at_10", std::to_string(tenth.rms));
    RecordProperty("roughness_at_10", std::to_string(*tenth.roughness));
    RecordProperty("rms_end", std::to_string(fit.report.rms));
    RecordProperty("roughness_end", std::to_string(*fit.report.roughness));
    RecordProperty("iterations", std::to_string(fit.report.iterations));
}

// The iteration limit bounds the count on a real run that gives up the target and goes back
// to a smoother model: with the peer's layers the misfit stalls at iteration 10 and the run
// goes back at 11, so that a limit of 10 once reported 11 iterations.
TEST(OccamCodeSite, TheIterationLimitBoundsTheIterationsReported)
{
    const auto root = testing_support::OccamRunDir();
    if (!root) GTEST_SKIP() << testing_support::kNoSharedData;
    const auto curve = testing_support::OccamRunCurve();
    ASSERT_TRUE(curve);
    OccamOptions options;
    options.mesh.layerTops = testing_support::OccamRunLayerTops(*root);
    for (std::size_t limit : {9u, 10u, 11u, 12u}) {
        options.maxIterations = limit;
        const auto fit = FitOccam(*curve, options);
        ASSERT_TRUE(testing_support::HasOccamModel(fit, 21)) << "limit " << limit;
        EXPECT_EQ(fit.report.iterations, limit);
        EXPECT_EQ(fit.report.history.back().iteration, limit);
        EXPECT_EQ(fit.report.history.size(), limit + 1);
        EXPECT_EQ(fit.report.status, FitStatus::kMaxIterations) << fit.report.message;
    }
    // The default mesh on the same data, read as the program reads it, reaches the target.
    options = OccamOptions{};
    options.maxIterations = 10;
    const auto fit = FitOccam(*curve, options);
    ASSERT_TRUE(testing_support::HasOccamModel(fit, kDefaultOccamLayers));
    EXPECT_LE(fit.report.iterations, 10u);
    EXPECT_EQ(fit.report.status, FitStatus::kTargetReached) << fit.report.message;
}

}  // namespace
