// The parts the sampler is built from: the model a chain holds, the misfit in the kernel's
// layout, the prior's bounds, the grid and its tally, the quantiles, split R-hat, the seeds
// and the width adaptation.

#include "sampling/ChainSeed.h"
#include "sampling/Convergence.h"
#include "fitting/Misfit.h"
#include "sampling/ModelMisfit.h"
#include "sampling/ModelState.h"
#include "sampling/PosteriorGrid.h"
#include "sampling/PosteriorSummary.h"
#include "sampling/Prior.h"
#include "sampling/ProposalWidths.h"
#include "tests/fitting/SyntheticSounding.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace mt1d::sampling;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// --- The model a chain holds ----------------------------------------------------------------

// Interfaces at 100 m and 1000 m: thicknesses 100 and 900 m, the powers of ten kept in step.
TEST(ModelState, SplitsMergesAndMovesKeepThicknessesInStep)
{
    ModelState m(2.0);
    m.Split(3.0, 2.0, 1.0);  // 1000 m: 100 Ω·m above, 10 below
    m.Split(2.0, 0.5, 2.0);  // 100 m inside the top layer: 10^0.5 above, 100 below
    EXPECT_THAT(m.Log10Depths(), ElementsAre(2.0, 3.0));
    EXPECT_THAT(m.Log10Rhos(), ElementsAre(0.5, 2.0, 1.0));
    ASSERT_EQ(m.Thicknesses().size(), 2u);
    EXPECT_NEAR(m.Thicknesses()[0], 100.0, 1e-12);
    EXPECT_NEAR(m.Thicknesses()[1], 900.0, 1e-12);
    EXPECT_NEAR(m.Resistivities()[0], std::sqrt(10.0), 1e-14);
    EXPECT_NEAR(m.Resistivities()[2], 10.0, 1e-14);

    m.MoveInterface(0, std::log10(400.0));
    EXPECT_NEAR(m.Thicknesses()[0], 400.0, 1e-11);
    EXPECT_NEAR(m.Thicknesses()[1], 600.0, 1e-11);

    m.Merge(0, 3.0);  // the top two layers become one of 1000 Ω·m down to 1000 m
    EXPECT_THAT(m.Log10Depths(), ElementsAre(3.0));
    EXPECT_THAT(m.Log10Rhos(), ElementsAre(3.0, 1.0));
    ASSERT_EQ(m.Thicknesses().size(), 1u);
    EXPECT_NEAR(m.Thicknesses()[0], 1000.0, 1e-12);
    EXPECT_NEAR(m.Resistivities()[0], 1000.0, 1e-12);
}

TEST(ModelState, LayerAtCountsInterfacesAtOrAboveTheDepth)
{
    ModelState m(0.0);
    m.Split(1.0, 0.0, 1.0);
    m.Split(2.0, 1.0, 2.0);
    EXPECT_EQ(m.LayerAt(0.5), 0u);
    EXPECT_EQ(m.LayerAt(1.0), 1u);  // on the interface: the layer below it
    EXPECT_EQ(m.LayerAt(1.5), 1u);
    EXPECT_EQ(m.LayerAt(2.5), 2u);
}

// --- The misfit in the kernel's layout -------------------------------------------------------

struct ComponentCase {
    mt1d::fitting::FitComponents components;
    friend void PrintTo(const ComponentCase& c, std::ostream* os) { *os << mt1d::fitting::ToString(c.components); }
};

class KernelMisfitLayout : public ::testing::TestWithParam<ComponentCase> {};

// The sampler's χ² and the fits' χ² of the same model and data agree, whichever components
// are fitted: each value has the same weight in both.
TEST_P(KernelMisfitLayout, ChiSquareEqualsTheFitsMisfit)
{
    const mt1d::earth::LayeredModel truth{{100.0, 10.0, 1000.0}, {500.0, 2000.0}};
    mt1d::fitting::SeededRandom random(3);
    const auto curve = testing_support::SyntheticCurve(truth, testing_support::LogFrequencies(1e3, 1e-2, 17), 0.05, &random);
    mt1d::fitting::DataSelection selection;
    selection.components = GetParam().components;
    selection.excludedRows = {4};
    const auto selected = mt1d::fitting::SelectData(curve, selection);
    ASSERT_TRUE(selected.Ok()) << selected.error;
    const mt1d::earth::LayeredModel other{{80.0, 30.0, 300.0, 3000.0}, {300.0, 700.0, 5000.0}};
    mt1d::fitting::Misfit fits(selected.data);
    DataMisfit sampler(selected.data);
    const double expected = fits.Evaluate(other.resistivity, other.thickness);
    // The kernel sums in SIMD order: ~N·ε relative for N ≤ 32 terms.
    EXPECT_NEAR(sampler.ChiSquare(other.resistivity, other.thickness), expected, 1e-12 * expected);
    EXPECT_GT(expected, 10.0);  // the model is far enough from the data for the sum to matter
}

INSTANTIATE_TEST_SUITE_P(Sampler, KernelMisfitLayout,
                         ::testing::Values(ComponentCase{mt1d::fitting::FitComponents::kBoth},
                                           ComponentCase{mt1d::fitting::FitComponents::kRho},
                                           ComponentCase{mt1d::fitting::FitComponents::kPhase}),
                         [](const auto& info) { return std::string(mt1d::fitting::ToString(info.param.components)); });

// Both off-diagonal curves: the sampler's χ² is the sum of each curve's (rows of the two curves
// share kernel frequencies, and neither may overwrite the other's values).
TEST(KernelMisfitLayout, BothCurvesAddTheirChiSquares)
{
    const mt1d::earth::LayeredModel truth{{100.0, 10.0, 1000.0}, {500.0, 2000.0}};
    mt1d::fitting::SeededRandom random(5);
    const auto f = testing_support::LogFrequencies(1e3, 1e-2, 13);
    auto xy = testing_support::SyntheticCurve(truth, f, 0.05, &random);
    auto yx = testing_support::SyntheticCurve(truth, f, 0.05, &random);
    xy.mode = mt1d::sounding::Mode::kXy;
    yx.mode = mt1d::sounding::Mode::kYx;
    const std::vector<mt1d::fitting::CurveSelection> both{{&xy, {}}, {&yx, {2}}};
    const auto selected = mt1d::fitting::SelectCurves(both, mt1d::fitting::FitComponents::kBoth);
    ASSERT_TRUE(selected.Ok()) << selected.error;
    const mt1d::earth::LayeredModel other{{80.0, 30.0, 300.0, 3000.0}, {300.0, 700.0, 5000.0}};
    mt1d::fitting::Misfit xyAlone(mt1d::fitting::SelectData(xy, {}).data);
    mt1d::fitting::Misfit yxAlone(mt1d::fitting::SelectData(yx, {mt1d::fitting::FitComponents::kBoth, {2}}).data);
    const double expected = xyAlone.Evaluate(other.resistivity, other.thickness) +
                            yxAlone.Evaluate(other.resistivity, other.thickness);
    DataMisfit sampler(selected.data);
    // The same terms summed in another order: a few ε relative.
    EXPECT_NEAR(sampler.ChiSquare(other.resistivity, other.thickness), expected, 1e-12 * expected);
}

// --- The prior's bounds ----------------------------------------------------------------------

// 1 kHz over 100 Ω·m has a skin depth of 503.3·sqrt(100/1000) = 159.2 m; 0.1 Hz over 10 Ω·m
// 5033 m and 10 Hz over 1000 Ω·m 5033 m too; the largest is 0.01 Hz over 4 Ω·m: 10066 m.
TEST(Prior, DefaultDepthsRunFromAQuarterSkinDepthAtTheTopToTheDeepestSkinDepth)
{
    const std::vector<double> f{10.0, 1000.0, 0.1, 0.01};
    const std::vector<double> rho{1000.0, 100.0, 10.0, 4.0};
    const std::vector<double> err{10.0, 10.0, 1.0, 0.4}, phase{45, 45, 45, 45}, phaseErr{1, 1, 1, 1};
    const auto made = mt1d::fitting::MakeFitData(f, rho, err, phase, phaseErr, mt1d::fitting::FitComponents::kBoth);
    ASSERT_TRUE(made.Ok()) << made.error;
    const DepthRange range = DefaultDepthRange(made.data);
    const double skin = 503.2921;  // sqrt(2/(2π·μ0)) m, for ρ/f = 1
    EXPECT_NEAR(range.minM, 0.25 * skin * std::sqrt(0.1), 1e-3);
    EXPECT_NEAR(range.maxM, skin * std::sqrt(400.0), 1e-2);

    PriorOptions options;
    options.maxDepthM = 5e4;
    const auto prior = MakePrior(made.data, options);
    ASSERT_TRUE(prior.Ok()) << prior.error;
    EXPECT_NEAR(prior.prior.minLog10Depth, std::log10(range.minM), 1e-12);  // the default kept
    EXPECT_NEAR(prior.prior.maxLog10Depth, std::log10(5e4), 1e-12);        // the user's bound
    EXPECT_NEAR(prior.prior.minLog10Rho, -1.0, 1e-15);
    EXPECT_NEAR(prior.prior.maxLog10Rho, 5.0, 1e-15);
}

struct RefusedPrior {
    const char* name;
    PriorOptions options;
    const char* message;
    friend void PrintTo(const RefusedPrior& c, std::ostream* os) { *os << c.name; }
};

class PriorRefusal : public ::testing::TestWithParam<RefusedPrior> {};

TEST_P(PriorRefusal, NamesTheBoundThatIsWrong)
{
    const auto made = MakePrior(GetParam().options);
    EXPECT_FALSE(made.Ok());
    EXPECT_THAT(made.error, HasSubstr(GetParam().message));
}

PriorOptions With(double minDepth, double maxDepth, double minRho = 0.1, double maxRho = 1e5, std::size_t k = 20)
{
    PriorOptions o;
    o.minDepthM = minDepth;
    o.maxDepthM = maxDepth;
    o.minRhoOhmM = minRho;
    o.maxRhoOhmM = maxRho;
    o.maxInterfaces = k;
    return o;
}

INSTANTIATE_TEST_SUITE_P(
    Sampler, PriorRefusal,
    ::testing::Values(RefusedPrior{"DepthsReversed", With(1000.0, 10.0), "depth bounds: the lower bound 1000 m is not below"},
                      RefusedPrior{"DepthsEqual", With(10.0, 10.0), "is not below the upper bound 10 m"},
                      RefusedPrior{"DepthZero", With(0.0, 10.0), "depth bounds (0 to 10 m) must be finite and positive"},
                      RefusedPrior{"DepthInfinite", With(1.0, std::numeric_limits<double>::infinity()), "must be finite"},
                      RefusedPrior{"RhoNegative", With(1.0, 10.0, -1.0, 10.0), "resistivity bounds (-1 to 10 ohm-m)"},
                      RefusedPrior{"RhoReversed", With(1.0, 10.0, 100.0, 10.0), "resistivity bounds: the lower bound 100"},
                      RefusedPrior{"RhoNaN", With(1.0, 10.0, std::nan(""), 10.0), "must be finite and positive"},
                      RefusedPrior{"TooManyInterfaces", With(1.0, 10.0, 0.1, 1e5, 201), "at most 200 interfaces, not 201"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- The grid and its tally ------------------------------------------------------------------

// 1 to 10,000 m in 4 cells (a decade each), 0 to 4 in log10 ρ in 4 bins.
Prior GridPrior()
{
    Prior p;
    p.maxInterfaces = 3;
    p.minLog10Depth = 0.0;
    p.maxLog10Depth = 4.0;
    p.minLog10Rho = 0.0;
    p.maxLog10Rho = 4.0;
    return p;
}

// Two models, one standing for three samples and one for one: every figure is a weighted
// share of the two, which can be worked out by hand.
TEST(PosteriorTally, WeightsEachModelByTheSamplesItStoodFor)
{
    const Prior prior = GridPrior();
    const PosteriorGrid grid(prior, 4, 4);
    PosteriorTally tally(grid, prior.maxInterfaces);
    ModelState a(0.5);         // a half-space of 10^0.5 Ω·m
    ModelState b(3.5);
    b.Split(1.2, 3.5, 1.5);    // 3.5 above 10^1.2 m (cell 1), 1.5 below
    b.Split(1.7, 3.5, 2.5);    // a second interface in cell 1: counted once there
    b.Split(3.0, 2.5, 1.5);    // the bottom edge of cell 2 belongs to cell 3
    tally.Add(a, 3);
    tally.Add(b, 1);
    tally.Add(b, 0);           // adds nothing
    EXPECT_EQ(tally.Total(), 4u);
    EXPECT_THAT(tally.InterfaceCounts(), ElementsAre(3u, 0u, 0u, 1u));
    EXPECT_THAT(tally.InterfaceHits(), ElementsAre(0u, 1u, 0u, 1u));

    SamplingResult r;
    DescribeGrid(grid, r);
    Summarise(tally, grid, r);
    ASSERT_EQ(r.density.size(), 16u);
    // Cell centres 10^0.5, 10^1.5, 10^2.5, 10^3.5 m. Model b there: 3.5 (above 10^1.2), 2.5
    // (between 10^1.7 and 10^3), 2.5, 1.5.
    EXPECT_THAT(r.DensityRow(0), ElementsAre(0.75, 0.0, 0.0, 0.25));
    EXPECT_THAT(r.DensityRow(1), ElementsAre(0.75, 0.0, 0.0, 0.25));  // 10^1.5 lies above 10^1.7
    EXPECT_THAT(r.DensityRow(2), ElementsAre(0.75, 0.0, 0.25, 0.0));
    EXPECT_THAT(r.DensityRow(3), ElementsAre(0.75, 0.25, 0.0, 0.0));
    EXPECT_DOUBLE_EQ(r.mean[0], 0.75 * 0.5 + 0.25 * 3.5);
    EXPECT_DOUBLE_EQ(r.mean[3], 0.75 * 0.5 + 0.25 * 1.5);
    EXPECT_THAT(r.interfaceProbability, ElementsAre(0.0, 0.25, 0.0, 0.25));
    ASSERT_EQ(r.layerCount.size(), 4u);
    EXPECT_EQ(r.layerCount[0].layers, 1u);
    EXPECT_DOUBLE_EQ(r.layerCount[0].probability, 0.75);
    EXPECT_EQ(r.layerCount[3].layers, 4u);
    EXPECT_DOUBLE_EQ(r.layerCount[3].probability, 0.25);
    EXPECT_EQ(r.LayerCountMode(), 1u);
    // Grid: centres at the geometric means of the edges, bin centres at half steps.
    EXPECT_NEAR(r.depthM[1], std::pow(10.0, 1.5), 1e-12);
    EXPECT_NEAR(r.depthEdgesM[4], 1e4, 1e-9);
    EXPECT_THAT(r.log10RhoGrid, ElementsAre(0.5, 1.5, 2.5, 3.5));
    // P10 of a row with 75 % at 10^0.5: three quarters of the fine bin at 0.5 hold it, so
    // the cumulative reaches 0.1 inside that fine bin (width 1/16 decade).
    const double fine = 1.0 / static_cast<double>(kFineBins);
    EXPECT_GE(r.p10[0], 0.5 - fine);
    EXPECT_LE(r.p10[0], 0.5 + fine);
    EXPECT_GE(r.p90[0], 3.5 - fine);
    EXPECT_LE(r.p90[0], 3.5 + fine);
}

TEST(PosteriorTally, MergingTwoTalliesEqualsAddingEverythingToOne)
{
    const Prior prior = GridPrior();
    const PosteriorGrid grid(prior, 4, 4);
    PosteriorTally one(grid, 3), a(grid, 3), b(grid, 3);
    ModelState x(1.0), y(2.0);
    y.Split(2.5, 0.2, 3.9);
    one.Add(x, 2);
    one.Add(y, 5);
    a.Add(x, 2);
    b.Add(y, 5);
    a.Merge(b);
    EXPECT_EQ(a.Total(), one.Total());
    EXPECT_TRUE(std::equal(a.FineDensity().begin(), a.FineDensity().end(), one.FineDensity().begin()));
    EXPECT_TRUE(std::equal(a.Log10RhoSums().begin(), a.Log10RhoSums().end(), one.Log10RhoSums().begin()));
    EXPECT_TRUE(std::equal(a.InterfaceHits().begin(), a.InterfaceHits().end(), one.InterfaceHits().begin()));
    EXPECT_TRUE(std::equal(a.InterfaceCounts().begin(), a.InterfaceCounts().end(), one.InterfaceCounts().begin()));
}

TEST(PosteriorGrid, ValuesOutsideTheGridGoToTheEndCells)
{
    const PosteriorGrid grid(GridPrior(), 4, 4);
    EXPECT_EQ(grid.CellOf(-1.0), 0u);
    EXPECT_EQ(grid.CellOf(0.999), 0u);
    EXPECT_EQ(grid.CellOf(1.0), 1u);
    EXPECT_EQ(grid.CellOf(4.0), 3u);  // the bottom edge belongs to the last cell
    EXPECT_EQ(grid.CellOf(std::nan("")), 0u);
    EXPECT_EQ(grid.FineBinOf(4.0), 4 * kFineBins - 1);
    EXPECT_EQ(grid.FineBinOf(1.0), kFineBins);
}

// --- Quantiles of a histogram ----------------------------------------------------------------

struct QuantileCase {
    const char* name;
    std::vector<double> p;
    double q;
    double expected;
};

class HistogramQuantiles : public ::testing::TestWithParam<QuantileCase> {};

// Bins from 1.0, 0.5 wide. The cumulative distribution is linear inside each bin.
TEST_P(HistogramQuantiles, InterpolateLinearlyInsideTheBin)
{
    const auto& c = GetParam();
    EXPECT_NEAR(HistogramQuantile(c.p, 1.0, 0.5, c.q), c.expected, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    Sampler, HistogramQuantiles,
    ::testing::Values(QuantileCase{"UniformMedian", {0.25, 0.25, 0.25, 0.25}, 0.5, 2.0},
                      QuantileCase{"UniformTenth", {0.25, 0.25, 0.25, 0.25}, 0.1, 1.2},
                      QuantileCase{"OneBin", {0.0, 1.0, 0.0}, 0.9, 1.95},
                      QuantileCase{"EmptyBinsSkipped", {0.5, 0.0, 0.0, 0.5}, 0.5, 1.5},
                      QuantileCase{"PastTheFirstEmptyGap", {0.5, 0.0, 0.0, 0.5}, 0.6, 2.6},
                      QuantileCase{"RoundingShortOfOne", {0.3, 0.3, 0.3999999}, 0.9999999999, 2.5}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Split R-hat -----------------------------------------------------------------------------

TEST(RunningMoments, MatchTwoPassMeanAndVariance)
{
    const std::vector<double> x{1e6 + 4.0, 1e6 + 7.0, 1e6 + 13.0, 1e6 + 16.0};
    RunningMoments m;
    for (double v : x) m.Add(v);
    EXPECT_EQ(m.Count(), 4u);
    EXPECT_DOUBLE_EQ(m.Mean(), 1e6 + 10.0);
    EXPECT_NEAR(m.Variance(), 30.0, 1e-8);  // (36 + 9 + 9 + 36)/3; one-pass sums would lose digits at 1e12
}

RunningMoments Of(std::vector<double> values)
{
    RunningMoments m;
    for (double v : values) m.Add(v);
    return m;
}

// Two sequences of 3: means 2 and 4, variances 1 and 1. W = 1, B/n = (1 + 1)/1 = 2,
// var⁺ = 2/3·1 + 2 = 8/3, R̂ = sqrt(8/3).
TEST(SplitRhat, FollowsTheFormulaOnAHandWorkedCase)
{
    const std::vector<RunningMoments> s{Of({1, 2, 3}), Of({3, 4, 5})};
    EXPECT_NEAR(SplitRhat(s), std::sqrt(8.0 / 3.0), 1e-14);
}

TEST(SplitRhat, IsOneForSequencesDrawnAlike)
{
    // Same values in another order: equal means, B = 0, R̂ = sqrt((n − 1)/n).
    const std::vector<RunningMoments> s{Of({1, 5, 2, 8}), Of({8, 2, 5, 1})};
    EXPECT_NEAR(SplitRhat(s), std::sqrt(3.0 / 4.0), 1e-14);
}

TEST(SplitRhat, ConstantSequencesGiveOneWhenEqualAndInfinityWhenNot)
{
    EXPECT_EQ(SplitRhat(std::vector<RunningMoments>{Of({3, 3}), Of({3, 3})}), 1.0);
    EXPECT_EQ(SplitRhat(std::vector<RunningMoments>{Of({3, 3}), Of({4, 4})}), std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(SplitRhat(std::vector<RunningMoments>{Of({3, 4})})));
    EXPECT_TRUE(std::isnan(SplitRhat(std::vector<RunningMoments>{Of({3, 4}), Of({5})})));
}

// The unfinished half of a cancelled chain (fewer than two draws) does not count.
TEST(SplitRhat, LeavesOutSequencesTooShortToHaveAVariance)
{
    const std::vector<RunningMoments> two{Of({1, 2, 3}), Of({3, 4, 5})};
    const std::vector<RunningMoments> withShort{Of({1, 2, 3}), Of({9}), Of({3, 4, 5}), Of({})};
    EXPECT_EQ(SplitRhat(withShort), SplitRhat(two));
}

// --- Seeds and widths ------------------------------------------------------------------------

TEST(ChainSeed, DiffersForEveryChainAndRungAndRepeatsForTheSame)
{
    std::set<std::uint64_t> seen;
    for (std::size_t chain = 0; chain < 16; ++chain) {
        for (std::size_t rung = 0; rung < 5; ++rung) seen.insert(ChainSeed(7, chain, rung));
    }
    EXPECT_EQ(seen.size(), 80u);
    EXPECT_EQ(ChainSeed(7, 3, 1), ChainSeed(7, 3, 1));
    EXPECT_NE(ChainSeed(7, 3, 1), ChainSeed(8, 3, 1));
    EXPECT_NE(ChainSeed(7, 1, 3), ChainSeed(7, 3, 1));  // chain and rung do not commute
}

// A batch of kAdaptBatch proposals all accepted scales the width by exp(2·(1 − 0.35)); all
// rejected by exp(−2·0.35); nothing changes before a batch is full; the limits hold.
TEST(WidthAdapter, ScalesByTheBatchRateAgainstTheTarget)
{
    const Prior prior = GridPrior();  // 4 decades of depth and of resistivity
    WidthAdapter a(prior);
    const ProposalWidths start = a.Widths();
    EXPECT_DOUBLE_EQ(start.change, 0.4);
    EXPECT_DOUBLE_EQ(start.move, 0.2);
    EXPECT_DOUBLE_EQ(start.birth, 1.0);
    for (std::size_t i = 0; i + 1 < kAdaptBatch; ++i) a.Record(Move::kChange, true);
    EXPECT_DOUBLE_EQ(a.Widths().change, 0.4);
    a.Record(Move::kChange, true);
    EXPECT_NEAR(a.Widths().change, 0.4 * std::exp(2.0 * 0.65), 1e-15);
    for (std::size_t i = 0; i < kAdaptBatch; ++i) a.Record(Move::kMove, false);
    EXPECT_NEAR(a.Widths().move, 0.2 * std::exp(-0.7), 1e-15);
    // Birth and death share one batch; the width stops at half the span.
    for (int batch = 0; batch < 20; ++batch) {
        for (std::size_t i = 0; i < kAdaptBatch; ++i) a.Record(i % 2 == 0 ? Move::kBirth : Move::kDeath, true);
    }
    EXPECT_DOUBLE_EQ(a.Widths().birth, 2.0);
    for (int batch = 0; batch < 20; ++batch) {
        for (std::size_t i = 0; i < kAdaptBatch; ++i) a.Record(Move::kBirth, false);
    }
    EXPECT_DOUBLE_EQ(a.Widths().birth, 0.4);  // a tenth of the span
    EXPECT_DOUBLE_EQ(a.Widths().change, 0.4 * std::exp(2.0 * 0.65));  // untouched by the others
}

}  // namespace
