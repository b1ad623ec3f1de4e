// The small parts the two fits are built from: the bound transform, the damping schedule,
// the seeded random numbers, roughness, the multiplier searches, the layer mesh and the
// posterior uncertainty.

#include "fitting/BoundTransform.h"
#include "fitting/Damping.h"
#include "fitting/FitData.h"
#include "fitting/FitStatus.h"
#include "fitting/MultiplierSearch.h"
#include "fitting/Roughness.h"
#include "fitting/SeededRandom.h"
#include "fitting/OccamMesh.h"
#include "fitting/Uncertainty.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

#include <cmath>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using namespace mt1d::fitting;
using ::testing::HasSubstr;
using ::testing::Not;

// --- Bound transform ---------------------------------------------------------------------

TEST(BoundTransform, RoundTripsInsideTheBounds)
{
    const LogBounds b{-1.0, 3.0};
    for (double x : {-0.999, -0.5, 1.0, 2.2, 2.999}) {
        EXPECT_NEAR(FromUnbounded(ToUnbounded(x, b), b), x, 1e-12) << x;
    }
    EXPECT_NEAR(ToUnbounded(1.0, b), 0.0, 1e-15);  // the centre maps to 0
}

TEST(BoundTransform, NeverLeavesTheBoundsHoweverFarTheSolverGoes)
{
    const LogBounds b{-2.0, 6.0};
    for (double u : {-1e6, -800.0, -40.0, 40.0, 800.0, 1e6}) {
        const double x = FromUnbounded(u, b);
        EXPECT_TRUE(std::isfinite(x)) << u;
        EXPECT_GE(x, b.lower) << u;
        EXPECT_LE(x, b.upper) << u;
    }
    EXPECT_TRUE(std::isfinite(ToUnbounded(b.lower, b)));  // a start on a bound stays usable
    EXPECT_TRUE(std::isfinite(ToUnbounded(b.upper + 1.0, b)));
}

TEST(BoundTransform, SlopeMatchesCentralDifferences)
{
    const LogBounds b{0.0, 4.0};
    for (double x : {0.3, 2.0, 3.9}) {
        const double u = ToUnbounded(x, b);
        const double step = 1e-6;
        const double numeric = (FromUnbounded(u + step, b) - FromUnbounded(u - step, b)) / (2.0 * step);
        EXPECT_NEAR(BoundSlope(x, b), numeric, 1e-8) << x;  // O(step²) truncation, ~1e-10 rounding
    }
}

// --- Damping -------------------------------------------------------------------------------

// Every value below is exact in binary except the thirds, compared as doubles.
TEST(Damping, WalksNielsensScheduleStepByStep)
{
    Damping d(0.5);
    d.Reject();
    EXPECT_EQ(d.Lambda(), 1.0);  // × ν = 2
    EXPECT_EQ(d.Nu(), 4.0);
    d.Reject();
    EXPECT_EQ(d.Lambda(), 4.0);  // × 4
    d.Reject();
    EXPECT_EQ(d.Lambda(), 32.0);  // × 8
    d.Accept(1.0);                // perfect agreement: max(1/3, 1 − 1³) = 1/3
    EXPECT_DOUBLE_EQ(d.Lambda(), 32.0 / 3.0);
    EXPECT_EQ(d.Nu(), 2.0);
    d.Accept(0.5);  // 1 − 0³ = 1: unchanged
    EXPECT_DOUBLE_EQ(d.Lambda(), 32.0 / 3.0);
    d.Accept(0.25);  // 1 − (−0.5)³ = 1.125
    EXPECT_DOUBLE_EQ(d.Lambda(), 12.0);
    d.Reject();
    EXPECT_DOUBLE_EQ(d.Lambda(), 24.0);
}

TEST(Damping, StaysAboveItsFloorAndGivesUpAfterEnoughRejections)
{
    Damping d(kMinLambda);
    d.Accept(1.0);
    EXPECT_EQ(d.Lambda(), kMinLambda);
    int rejections = 0;
    while (!d.Exhausted() && rejections < 100) {
        d.Reject();
        ++rejections;
    }
    EXPECT_TRUE(d.Exhausted());
    // ν doubles too: after k rejections λ has grown by 2·4·…·2^k = 2^(k(k+1)/2), which first
    // passes 1e16/1e-12 ≈ 2^93 at k = 14.
    EXPECT_EQ(rejections, 14);
}

TEST(Damping, GivesUpAtTheCeilingItIsGiven)
{
    Damping d(1.0, 3.0);
    d.Reject();  // λ = 2
    EXPECT_FALSE(d.Exhausted());
    d.Reject();  // λ = 8
    EXPECT_TRUE(d.Exhausted());
}

// --- Statuses --------------------------------------------------------------------------------

// The JSON names of the statuses, the older ones unchanged; only a minimum or the target
// counts as the goal reached.
TEST(FitStatus, EveryStatusHasItsOwnNameAndOnlyAMinimumOrTheTargetIsTheGoal)
{
    const std::pair<FitStatus, std::string_view> names[] = {
        {FitStatus::kConverged, "converged"},
        {FitStatus::kMaxIterations, "max-iterations"},
        {FitStatus::kTargetReached, "target-reached"},
        {FitStatus::kTargetNotReached, "target-not-reached"},
        {FitStatus::kCancelled, "cancelled"},
        {FitStatus::kInvalidInput, "invalid-input"},
        {FitStatus::kDampingExhausted, "damping-exhausted"},
        {FitStatus::kNonFiniteMisfit, "non-finite-misfit"},
    };
    ASSERT_EQ(std::size(names), kAllFitStatuses.size());
    for (std::size_t k = 0; k < kAllFitStatuses.size(); ++k) {
        EXPECT_EQ(kAllFitStatuses[k], names[k].first) << k;
        EXPECT_EQ(ToString(names[k].first), names[k].second);
        const bool goal = names[k].first == FitStatus::kConverged || names[k].first == FitStatus::kTargetReached;
        EXPECT_EQ(GoalReached(names[k].first), goal) << names[k].second;
    }
}

// --- Seeded random numbers -------------------------------------------------------------------

TEST(SeededRandom, UniformIsTheTop53BitsOfTheStandardEngine)
{
    // The first output of mt19937_64 with its default seed 5489 is fixed by the C++ standard.
    SeededRandom r(5489);
    EXPECT_EQ(r.Uniform(), static_cast<double>(14514284786278117030ULL >> 11) * 0x1.0p-53);
}

TEST(SeededRandom, GaussianHasUnitVarianceAndRepeatsWithTheSeed)
{
    SeededRandom a(42), b(42);
    double sum = 0.0, squares = 0.0;
    const int n = 100000;
    for (int i = 0; i < n; ++i) {
        const double g = a.Gaussian();
        EXPECT_EQ(g, b.Gaussian());
        sum += g;
        squares += g * g;
    }
    const double mean = sum / n, variance = squares / n - mean * mean;
    EXPECT_NEAR(mean, 0.0, 5.0 / std::sqrt(n));                // five standard errors of the mean
    EXPECT_NEAR(variance, 1.0, 5.0 * std::sqrt(2.0 / n));      // five standard errors of the variance
}

// --- Roughness -----------------------------------------------------------------------------

TEST(Roughness, FirstAndSecondDifferencesOfAKnownProfile)
{
    const std::vector<double> m{1.0, 2.0, 4.0, 4.0};
    EXPECT_EQ(Roughness(m, RoughnessKind::kFirstDifference), 1.0 + 4.0 + 0.0);
    EXPECT_EQ(Roughness(m, RoughnessKind::kSecondDifference), 1.0 + 4.0);  // (4−4+1)², (4−8+2)²
    EXPECT_EQ(Roughness(std::vector<double>{3.0}, RoughnessKind::kFirstDifference), 0.0);
}

TEST(Roughness, OperatorSquaredIsTheRoughness)
{
    const std::vector<double> m{0.5, -1.0, 2.0, 2.5, 1.0};
    const Eigen::Map<const Eigen::VectorXd> v(m.data(), 5);
    for (auto kind : {RoughnessKind::kFirstDifference, RoughnessKind::kSecondDifference}) {
        const Eigen::MatrixXd d = RoughnessOperator(5, kind);
        EXPECT_EQ(d.rows(), kind == RoughnessKind::kFirstDifference ? 4 : 3);
        EXPECT_NEAR((d * v).squaredNorm(), Roughness(m, kind), 1e-12);
        EXPECT_NEAR((d * Eigen::VectorXd::Constant(5, 7.0)).norm(), 0.0, 1e-12);  // constants are not rough
    }
}

// --- Multiplier searches ---------------------------------------------------------------------

struct CountingParabola {
    double centre, floor;
    int* calls;
    double operator()(double x) const
    {
        ++*calls;
        return floor + (x - centre) * (x - centre);
    }
};

class SmallestRmsFrom : public ::testing::TestWithParam<double> {};

TEST_P(SmallestRmsFrom, FindsTheMinimumWithinTheTolerance)
{
    int calls = 0;
    const MultiplierSample s = SmallestRms(CountingParabola{2.3, 1.0, &calls}, GetParam(), {-10.0, 10.0});
    EXPECT_NEAR(s.log10Mu, 2.3, kSearchTolerance);
    EXPECT_NEAR(s.rms, 1.0 + (s.log10Mu - 2.3) * (s.log10Mu - 2.3), 1e-15);
    EXPECT_LT(calls, 30);
}

INSTANTIATE_TEST_SUITE_P(Starts, SmallestRmsFrom, ::testing::Values(-9.0, 0.0, 2.3, 2.8, 9.5));

TEST(SmallestRms, StopsAtTheEndOfTheRangeWhenTheMinimumLiesBeyond)
{
    int calls = 0;
    const MultiplierSample s = SmallestRms(CountingParabola{40.0, 1.0, &calls}, 0.0, {-5.0, 5.0});
    EXPECT_EQ(s.log10Mu, 5.0);
}

TEST(LargestWithin, ClosesInOnTheCrossingFromBelow)
{
    int calls = 0;
    const CountingParabola f{2.0, 1.0, &calls};  // f = 5 at x = 4
    const MultiplierSample s = LargestWithin(f, {2.0, 1.0}, 5.0, {-10.0, 10.0});
    EXPECT_LE(s.rms, 5.0);
    EXPECT_GE(s.rms, 5.0 * (1.0 - kLevelTolerance));
    EXPECT_NEAR(s.log10Mu, 4.0, 2e-3);  // f' = 4 there: 5e-3 in f is ~1.3e-3 in x
    EXPECT_LT(calls, 25);
}

// A coarser tolerance is honoured: the minimum within it, found in fewer calls.
TEST(SmallestRms, StopsAtTheToleranceItIsGiven)
{
    int fine = 0, coarse = 0;
    SmallestRms(CountingParabola{2.3, 1.0, &fine}, 0.0, {-10.0, 10.0});
    const MultiplierSample s = SmallestRms(CountingParabola{2.3, 1.0, &coarse}, 0.0, {-10.0, 10.0}, 0.3);
    EXPECT_NEAR(s.log10Mu, 2.3, 0.3);
    EXPECT_LT(coarse, fine);
}

TEST(LargestWithin, StopsAtTheLevelToleranceItIsGiven)
{
    int fine = 0, coarse = 0;
    LargestWithin(CountingParabola{2.0, 1.0, &fine}, {2.0, 1.0}, 5.0, {-10.0, 10.0});
    const MultiplierSample s = LargestWithin(CountingParabola{2.0, 1.0, &coarse}, {2.0, 1.0}, 5.0, {-10.0, 10.0}, 0.1);
    EXPECT_LE(s.rms, 5.0);
    EXPECT_GE(s.rms, 4.5);
    EXPECT_LT(coarse, fine);
}

TEST(LargestWithin, TakesTheEndOfTheRangeWhenTheLevelIsNeverPassed)
{
    int calls = 0;
    const MultiplierSample s = LargestWithin(CountingParabola{2.0, 1.0, &calls}, {2.0, 1.0}, 1e9, {-10.0, 10.0});
    EXPECT_EQ(s.log10Mu, 10.0);
}

// --- Mesh ------------------------------------------------------------------------------------

FitData TwoRowData(double fHigh, double rhoHigh, double fLow, double rhoLow)
{
    auto made = MakeFitData(std::vector<double>{fHigh, fLow}, std::vector<double>{rhoHigh, rhoLow},
                            std::vector<double>{1.0, 1.0}, std::vector<double>{45.0, 45.0},
                            std::vector<double>{1.0, 1.0}, FitComponents::kBoth);
    EXPECT_TRUE(made.Ok());
    return made.data;
}

// Skin depths 503.29·sqrt(ρ/f): 503.29 m at 100 Hz over 100 Ω·m, 50 329 m at 0.01 Hz.
TEST(SmoothMesh, DefaultLayersSpanTheSkinDepthsLogarithmically)
{
    const Mesh mesh = SmoothMesh(TwoRowData(100.0, 100.0, 0.01, 100.0), {});
    ASSERT_TRUE(mesh.Ok()) << mesh.error;
    ASSERT_EQ(mesh.tops.size(), kDefaultOccamLayers);
    EXPECT_EQ(mesh.tops[0], 0.0);
    EXPECT_NEAR(mesh.tops[1], kTopSkinDepthFraction * 503.2921, 1e-3);
    EXPECT_NEAR(mesh.tops.back(), kBottomSkinDepths * 50329.21, 1e-1);
    const double ratio = mesh.tops[2] / mesh.tops[1];
    for (std::size_t k = 2; k < mesh.tops.size(); ++k) EXPECT_NEAR(mesh.tops[k] / mesh.tops[k - 1], ratio, 1e-9) << k;
}

// A depth the data cannot give is the data's problem: the message names the row, not an
// option the user never gave.
TEST(SmoothMesh, DepthTheDataCannotGiveNamesTheRowNotAnOption)
{
    FitData data = TwoRowData(100.0, 100.0, 0.01, 100.0);
    data.rhoA[0] = std::numeric_limits<double>::quiet_NaN();  // no reader lets this through
    const Mesh mesh = SmoothMesh(data, {});
    EXPECT_THAT(mesh.error, HasSubstr("the data give no top depth: the skin depth at 100 Hz"));
    EXPECT_THAT(mesh.error, Not(HasSubstr("must be finite and positive")));
    MeshOptions given;
    given.topDepthM = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THAT(SmoothMesh(TwoRowData(100.0, 100.0, 0.01, 100.0), given).error,
                HasSubstr("the top depth must be finite and positive, not nan"));
}

TEST(SmoothMesh, TakesTheUsersCountTopAndBottom)
{
    MeshOptions o;
    o.layers = 5;
    o.topDepthM = 10.0;
    o.bottomDepthM = 10000.0;
    const Mesh mesh = SmoothMesh(TwoRowData(100.0, 100.0, 0.01, 100.0), o);
    ASSERT_TRUE(mesh.Ok()) << mesh.error;
    const std::vector<double> expected{0.0, 10.0, 100.0, 1000.0, 10000.0};
    ASSERT_EQ(mesh.tops.size(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k) EXPECT_NEAR(mesh.tops[k], expected[k], 1e-9 * expected[k]);
    const auto h = ThicknessesOf(mesh.tops);
    const std::vector<double> expectedH{10.0, 90.0, 900.0, 9000.0};
    ASSERT_EQ(h.size(), expectedH.size());
    for (std::size_t k = 0; k < h.size(); ++k) EXPECT_NEAR(h[k], expectedH[k], 1e-8 * expectedH[k]);
}

TEST(SmoothMesh, GivenTopsDecideAlone)
{
    MeshOptions o;
    o.layers = 50;
    o.layerTops = {0.0, 10.0, 20.0, 40.0};
    const Mesh mesh = SmoothMesh(TwoRowData(100.0, 100.0, 0.01, 100.0), o);
    ASSERT_TRUE(mesh.Ok()) << mesh.error;
    EXPECT_EQ(mesh.tops, o.layerTops);
}

struct MeshRefusal {
    std::string name;
    MeshOptions options;
    std::string expected;
    friend void PrintTo(const MeshRefusal& c, std::ostream* os) { *os << c.name; }
};

class MeshRefusals : public ::testing::TestWithParam<MeshRefusal> {};

TEST_P(MeshRefusals, SayWhatIsWrong)
{
    const Mesh mesh = SmoothMesh(TwoRowData(100.0, 100.0, 0.01, 100.0), GetParam().options);
    EXPECT_FALSE(mesh.Ok());
    EXPECT_THAT(mesh.error, HasSubstr(GetParam().expected));
    EXPECT_TRUE(mesh.tops.empty());
}

MeshOptions Tops(std::vector<double> t)
{
    MeshOptions o;
    o.layerTops = std::move(t);
    return o;
}

MeshOptions Depths(std::size_t layers, std::optional<double> top, std::optional<double> bottom)
{
    MeshOptions o;
    o.layers = layers;
    o.topDepthM = top;
    o.bottomDepthM = bottom;
    return o;
}

INSTANTIATE_TEST_SUITE_P(
    BadMeshes, MeshRefusals,
    ::testing::Values(MeshRefusal{"FirstTopNotZero", Tops({5.0, 10.0, 20.0}), "first top must be 0"},
                      MeshRefusal{"TopsNotIncreasing", Tops({0.0, 10.0, 10.0}), "top 3 (10 m) must be finite and deeper"},
                      MeshRefusal{"OneTop", Tops({0.0}), "at least two"},
                      MeshRefusal{"TooFewLayers", Depths(2, std::nullopt, std::nullopt), "3 to 500 layers, not 2"},
                      MeshRefusal{"BottomAboveTop", Depths(10, 500.0, 100.0), "must lie below the top depth"},
                      MeshRefusal{"NegativeTop", Depths(10, -1.0, 100.0), "top depth must be finite and positive"},
                      MeshRefusal{"TopAboveOneCentimetre", Depths(10, 0.005, 100.0),
                                  "the top depth (0.005 m) must lie from 0.01 m to 1e+07 m"},
                      MeshRefusal{"BottomBelowTenThousandKilometres", Depths(10, std::nullopt, 2e7),
                                  "the bottom depth (2e+07 m) must lie from 0.01 m to 1e+07 m"},
                      MeshRefusal{"BottomTooCloseToTheTop", Depths(10, 100.0, 199.0),
                                  "the bottom depth (199 m) must lie below the top depth (100 m) by a factor of at least 2"},
                      MeshRefusal{"BottomTooCloseToTheSkinDepthTop", Depths(10, std::nullopt, 60.0),
                                  "the top depth (50.3292 m, from the skin depth) by a factor of at least 2"},
                      MeshRefusal{"GivenTopAboveOneCentimetre", Tops({0.0, 1e-5, 10.0}),
                                  "top 2 (1e-05 m) must lie from 0.01 m to 1e+07 m"},
                      MeshRefusal{"GivenTopTooDeep", Tops({0.0, 10.0, 1e300}), "top 3 (1e+300 m) must lie from"}),
    [](const auto& info) { return info.param.name; });

// A bottom exactly twice the top is accepted (the factor is a bound, not a strict one), as
// are the ends of the depth range.
TEST(SmoothMesh, AcceptsTheEndsOfTheDepthRangeAndABottomTwiceTheTop)
{
    EXPECT_TRUE(SmoothMesh(TwoRowData(100.0, 100.0, 0.01, 100.0), Depths(5, 100.0, 200.0)).Ok());
    EXPECT_TRUE(SmoothMesh(TwoRowData(100.0, 100.0, 0.01, 100.0), Depths(5, kMinMeshDepthM, kMaxMeshDepthM)).Ok());
    EXPECT_TRUE(SmoothMesh(TwoRowData(100.0, 100.0, 0.01, 100.0), Tops({0.0, kMinMeshDepthM, kMaxMeshDepthM})).Ok());
}

// --- Uncertainty -------------------------------------------------------------------------------

// J = [[1,0],[0,2],[1,1]]: JᵀJ = [[2,1],[1,5]], its inverse [[5,−1],[−1,2]]/9.
TEST(PosteriorUncertainty, InvertsTheNormalMatrixOfASmallLinearProblem)
{
    Eigen::MatrixXd j(3, 2);
    j << 1, 0, 0, 2, 1, 1;
    const Uncertainty u = PosteriorUncertainty(j, std::vector<bool>{true, true});
    EXPECT_NEAR(u.log10Sd[0], std::sqrt(5.0 / 9.0), 1e-12);
    EXPECT_NEAR(u.log10Sd[1], std::sqrt(2.0 / 9.0), 1e-12);
    EXPECT_NEAR(u.correlation[1], -1.0 / std::sqrt(10.0), 1e-12);
    EXPECT_NEAR(u.correlation[2], u.correlation[1], 1e-15);
    EXPECT_EQ(u.correlation[0], 1.0);
    // log10(x0) ∓ log10(x1): 5/9 + 2/9 ∓ 2·(−1/9) → 1 and 5/9.
    EXPECT_NEAR(CombinedLog10Sd(u, 0, 1, -1.0), 1.0, 1e-12);
    EXPECT_NEAR(CombinedLog10Sd(u, 0, 1, +1.0), std::sqrt(5.0 / 9.0), 1e-12);
}

TEST(PosteriorUncertainty, FixedParametersHaveNoErrorAndNoCorrelation)
{
    Eigen::MatrixXd j(3, 3);
    j << 1, 7, 0, 0, 7, 2, 1, 7, 1;  // the middle column would matter if it were free
    const Uncertainty u = PosteriorUncertainty(j, std::vector<bool>{true, false, true});
    EXPECT_NEAR(u.log10Sd[0], std::sqrt(5.0 / 9.0), 1e-12);
    EXPECT_NEAR(u.log10Sd[2], std::sqrt(2.0 / 9.0), 1e-12);
    EXPECT_EQ(u.log10Sd[1], 0.0);
    EXPECT_EQ(u.correlation[1 * 3 + 1], 1.0);
    EXPECT_EQ(u.correlation[0 * 3 + 1], 0.0);
    EXPECT_EQ(u.covariance[2 * 3 + 1], 0.0);
}

TEST(PosteriorUncertainty, AnUnseenParameterGetsTheCapNotInfinity)
{
    Eigen::MatrixXd j(2, 2);
    j << 1, 0, 2, 0;  // the second parameter does not touch the data
    const Uncertainty u = PosteriorUncertainty(j, std::vector<bool>{true, true});
    EXPECT_NEAR(u.log10Sd[0], 1.0 / std::sqrt(5.0), 1e-12);
    EXPECT_EQ(u.log10Sd[1], kMaxLog10Sd);
    for (double c : u.correlation) EXPECT_TRUE(std::isfinite(c));
}

}  // namespace

namespace {

// Data that see only x0 − x1 (a conductance): J = [[1, −1], [2, −2]] gives var(x0 − x1) =
// 1/(1² + 2²) = 1/5, while x0 and x1 alone are undetermined. Summed from the entries of C,
// two capped variances and a capped covariance would cancel to nothing.
TEST(PosteriorUncertainty, AWellSeenDifferenceOfTwoUnseenParametersKeepsItsError)
{
    Eigen::MatrixXd j(2, 2);
    j << 1, -1, 2, -2;
    const mt1d::fitting::Uncertainty u = mt1d::fitting::PosteriorUncertainty(j, std::vector<bool>{true, true});
    EXPECT_EQ(u.log10Sd[0], mt1d::fitting::kMaxLog10Sd);
    EXPECT_EQ(u.log10Sd[1], mt1d::fitting::kMaxLog10Sd);
    EXPECT_NEAR(mt1d::fitting::CombinedLog10Sd(u, 0, 1, -1.0), std::sqrt(0.2), 1e-9);
    EXPECT_EQ(mt1d::fitting::CombinedLog10Sd(u, 0, 1, +1.0), mt1d::fitting::kMaxLog10Sd);
    EXPECT_NEAR(u.correlation[1], 1.0, 1e-9);
}

}  // namespace
