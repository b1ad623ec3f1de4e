// Sampling with static-shift factors as unknowns of the chains: the posterior of the factors
// against a known shift, and the tally that summarises it.

#include "fitting/FitData.h"
#include "fitting/StaticShift.h"
#include "sampling/Sampler.h"
#include "sampling/ShiftPosterior.h"
#include "tests/fitting/SyntheticSounding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace mt1d::sampling {
namespace {

using fitting::ShiftReference;

// xy shifted by `xyShift`, yx by 1, 2 % noise on |Z|, over the study's 3-layer earth.
fitting::FitData BothCurves(double xyShift, std::uint64_t seed)
{
    const earth::LayeredModel truth{{100.0, 10.0, 1000.0}, {500.0, 2000.0}};
    fitting::SeededRandom random(seed);
    const auto f = testing_support::LogFrequencies(1000.0, 0.001, 25);
    sounding::Curve xy = testing_support::SyntheticCurve(truth, f, 0.02, &random);
    sounding::Curve yx = testing_support::SyntheticCurve(truth, f, 0.02, &random);
    xy.mode = sounding::Mode::kXy;
    yx.mode = sounding::Mode::kYx;
    for (auto& r : xy.rows) {
        r.rhoOhmM *= xyShift;
        r.rhoErrOhmM *= xyShift;
    }
    const std::vector<fitting::CurveSelection> both{{&xy, {}}, {&yx, {}}};
    const auto selected = fitting::SelectCurves(both, fitting::FitComponents::kBoth);
    EXPECT_TRUE(selected.Ok()) << selected.error;
    return selected.data;
}

struct ReferenceCase {
    const char* name;
    ShiftReference reference;
    // The true log10 factors of xy and yx under this reference for a shift of 2.5 of xy.
    double xyLog10, yxLog10;
};

class ShiftPosteriorTable : public ::testing::TestWithParam<ReferenceCase> {};

TEST_P(ShiftPosteriorTable, ThePosteriorMeanOfTheFactorsLiesWithinTwoReportedSdOfTheTruth)
{
    const ReferenceCase& t = GetParam();
    SamplingOptions o;
    o.samples = 60'000;
    o.burnIn = 15'000;
    o.chains = 2;
    o.threads = 2;
    o.seed = 11;
    o.shift.mode = fitting::ShiftMode::kFree;
    o.shift.reference = t.reference;
    const SamplingResult r = Sample(BothCurves(2.5, 4), o);
    ASSERT_EQ(r.status, SamplingStatus::kCompleted) << r.message;
    ASSERT_TRUE(r.staticShift.has_value());
    ASSERT_EQ(r.staticShift->curves.size(), 2u);
    EXPECT_EQ(r.staticShift->reference, std::string(fitting::ToString(t.reference)));
    const double truth[2] = {t.xyLog10, t.yxLog10};
    for (std::size_t c = 0; c < 2; ++c) {
        const CurveShiftPosterior& p = r.staticShift->curves[c];
        if (truth[c] == 0.0 && t.reference != ShiftReference::kMean) {
            // The reference curve is held at 1 in every sample.
            EXPECT_FALSE(p.fitted);
            EXPECT_EQ(p.meanLog10, 0.0);
            continue;
        }
        EXPECT_TRUE(p.fitted);
        // For a Gaussian posterior the truth lies within 2 SD with probability 0.95; the
        // Monte Carlo error of the mean (SD/sqrt(ESS), ESS in the hundreds) adds under a tenth
        // of an SD and the prior's pull towards 1 ((SD/0.3)² of the distance) far less. The
        // SD itself must be that of the data: 50 ρa values at 0.017 in log10 pin the ratio to
        // a few thousandths, the model's trade-offs allow more, never 0.05.
        EXPECT_GT(p.sdLog10, 0.0);
        EXPECT_LT(p.sdLog10, 0.05);
        EXPECT_NEAR(p.meanLog10, truth[c], 2.0 * p.sdLog10) << "curve " << c << " sd " << p.sdLog10;
        // The central 95 % holds the median, which lies near the mean of a narrow posterior.
        EXPECT_LT(p.quantileLog10[0], p.quantileLog10[2]);
        EXPECT_LT(p.quantileLog10[2], p.quantileLog10[4]);
        EXPECT_NEAR(p.quantileLog10[2], p.meanLog10, p.sdLog10);
        RecordProperty(std::string(t.name) + "_log10_mean_" + std::to_string(c), std::to_string(p.meanLog10));
        RecordProperty(std::string(t.name) + "_log10_sd_" + std::to_string(c), std::to_string(p.sdLog10));
    }
    // Shift proposals were made and some accepted.
    bool shiftMoves = false;
    for (const auto& a : r.acceptance) {
        if (a.move == Move::kShift) shiftMoves = a.proposed > 0 && a.rate > 0.0;
    }
    EXPECT_TRUE(shiftMoves);
}

const double kLog25 = std::log10(2.5);

INSTANTIATE_TEST_SUITE_P(
    References, ShiftPosteriorTable,
    ::testing::Values(ReferenceCase{"yx", ShiftReference::kYx, kLog25, 0.0},
                      ReferenceCase{"xy", ShiftReference::kXy, 0.0, -kLog25},
                      ReferenceCase{"mean", ShiftReference::kMean, kLog25 / 2.0, -kLog25 / 2.0}),
    [](const ::testing::TestParamInfo<ReferenceCase>& info) { return std::string(info.param.name); });

TEST(ShiftSampling, WithoutShiftsThereIsNoShiftPosteriorNorShiftMove)
{
    SamplingOptions o;
    o.samples = 2'000;
    o.burnIn = 500;
    o.chains = 1;
    const SamplingResult r = Sample(BothCurves(1.0, 4), o);
    ASSERT_EQ(r.status, SamplingStatus::kCompleted) << r.message;
    EXPECT_FALSE(r.staticShift.has_value());
    for (const auto& a : r.acceptance) EXPECT_NE(a.move, Move::kShift);
}

TEST(ShiftSampling, ARefusedDesignIsRefusedWithItsReason)
{
    SamplingOptions o;
    o.shift.mode = fitting::ShiftMode::kFree;
    o.shift.priorSd = -1.0;
    const SamplingResult r = Sample(BothCurves(1.0, 4), o);
    EXPECT_EQ(r.status, SamplingStatus::kInvalidInput);
    EXPECT_NE(r.message.find("prior"), std::string::npos) << r.message;
}

TEST(ShiftTally, MomentsAndMedianFollowTheCountsAndTheMeanReferenceMirrorsTheSecondCurve)
{
    // Two curves about their mean: log10 s_xy = u, log10 s_yx = −u.
    const fitting::FitData d = BothCurves(1.0, 4);
    fitting::ShiftOptions options;
    options.mode = fitting::ShiftMode::kFree;
    const auto design = fitting::MakeShiftDesign(d, options);
    ASSERT_TRUE(design.Ok()) << design.error;
    ShiftTally a(design.design), b(design.design);
    a.Add(std::vector<double>{-0.5}, 1);
    b.Add(std::vector<double>{0.5}, 3);
    a.Merge(b);
    const ShiftPosterior p = a.Summary();
    ASSERT_EQ(p.curves.size(), 2u);
    // u is −0.5 once and 0.5 three times: mean 0.25, E[u²] 0.25, variance 0.1875.
    EXPECT_NEAR(p.curves[0].meanLog10, 0.25, 1e-12);
    EXPECT_NEAR(p.curves[0].sdLog10, std::sqrt(0.1875), 1e-12);
    EXPECT_NEAR(p.curves[1].meanLog10, -0.25, 1e-12);
    // Three quarters of the weight at 0.5: the median lies in its bin (0.0005 wide).
    EXPECT_NEAR(p.curves[0].quantileLog10[2], 0.5, 5e-4);
    EXPECT_NEAR(p.curves[1].quantileLog10[2], -0.5, 5e-4);
}

}  // namespace
}  // namespace mt1d::sampling
