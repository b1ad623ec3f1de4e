// The phase tensor's invariants and the skews on tensors of known structure.

#include "dims/PhaseTensor.h"
#include "dims/Skew.h"
#include "sounding/Rotation.h"
#include "tests/dims/Tensors.h"

#include <gtest/gtest.h>

namespace {

using namespace mt1d::dims;
using namespace dims_test;

// A few dozen double operations on values of order 1–100: rounding stays below 1e-13 of the
// values; 1e-10 leaves room for the conditioning of X⁻¹ and is far below any real mistake.
constexpr double kTight = 1e-10;

PhaseTensorInvariants Of(const Impedance& z)
{
    const auto phi = PhaseTensorOf(z);
    EXPECT_TRUE(phi.has_value());
    return phi ? InvariantsOf(*phi) : PhaseTensorInvariants{};
}

// (phase of the 1-D earth, frame the tensor is given in)
class OneDEarth : public testing::TestWithParam<std::pair<double, double>> {};

TEST_P(OneDEarth, HasNoSkewNoEllipticityAndBothPrincipalPhasesEqualTheImpedancePhase)
{
    const auto [phase, frame] = GetParam();
    const auto z = Rotated(OneD(phase, 37.0), frame);
    const auto inv = Of(z);
    ASSERT_TRUE(inv.betaDeg && inv.ellipticity);
    EXPECT_NEAR(*inv.betaDeg, 0.0, kTight);
    EXPECT_NEAR(*inv.ellipticity, 0.0, kTight);
    EXPECT_NEAR(PhaseTensorAngleDeg(inv.phiMax), phase, kTight);
    EXPECT_NEAR(PhaseTensorAngleDeg(inv.phiMin), phase, kTight);
    EXPECT_FALSE(inv.alphaDeg.has_value()) << "no principal direction in a circle";
    EXPECT_NEAR(*SwiftSkew(z), 0.0, kTight);
    EXPECT_NEAR(*BahrSkew(z), 0.0, 1e-6);  // a square root of a rounding-sized commutator
}

INSTANTIATE_TEST_SUITE_P(PhasesAndFrames, OneDEarth,
                         testing::Values(std::pair{45.0, 0.0}, std::pair{10.0, 0.0}, std::pair{80.0, 33.0},
                                         std::pair{63.0, -120.0}));

TEST(PhaseTensor, PhaseBeyondNinetyDegreesShowsAsASkewOfNinetyDegrees)
{
    // Φ = tan 100° · I is negative: Π2 = |tan 100°|, β = ½·atan2(0, negative) = 90°, and the
    // principal phases read 180° − 100° = 80°. A 1-D earth never gives such a row.
    const auto inv = Of(OneD(100.0));
    EXPECT_NEAR(*inv.betaDeg, 90.0, kTight);
    EXPECT_NEAR(PhaseTensorAngleDeg(inv.phiMax), 80.0, kTight);
}

// The 2-D earth's strike, in degrees from north.
class TwoDEarth : public testing::TestWithParam<double> {};

TEST_P(TwoDEarth, GivesItsStrikeModuloNinetyAndTheEllipticityOfItsTwoPhases)
{
    // TE 60°, TM 30°: Φ = diag(tan 30°, tan 60°) in the strike frame, so Φmax = tan 60°,
    // Φmin = tan 30° and the ellipticity (√3 − 1/√3)/(√3 + 1/√3) = 1/2 exactly.
    const double strike = GetParam();
    const auto inv = Of(TwoD(60.0, 30.0, strike));
    EXPECT_NEAR(*inv.betaDeg, 0.0, kTight);
    EXPECT_NEAR(*inv.ellipticity, 0.5, kTight);
    EXPECT_NEAR(PhaseTensorAngleDeg(inv.phiMax), 60.0, kTight);
    EXPECT_NEAR(PhaseTensorAngleDeg(inv.phiMin), 30.0, kTight);
    ASSERT_TRUE(inv.alphaDeg);
    // The major axis (tan 60°) lies along y of the strike frame: α = strike + 90°, mod 180°.
    const double off = std::remainder(*inv.alphaDeg - (strike + 90.0), 180.0);
    EXPECT_NEAR(off, 0.0, 1e-9);
    EXPECT_NEAR(std::remainder(*inv.alphaDeg - *inv.betaDeg - strike, 90.0), 0.0, 1e-9);
    EXPECT_NEAR(*SwiftSkew(TwoD(60.0, 30.0, strike)), 0.0, kTight);
}

INSTANTIATE_TEST_SUITE_P(Strikes, TwoDEarth, testing::Values(0.0, 25.0, 70.0, -30.0, 135.0, 89.5));

TEST(PhaseTensor, InvariantsOfAConstructedThreeDTensorAreRecovered)
{
    // Φ built from Φmax = 1.7, Φmin = 0.6, α = 35°, β = 7°, with an arbitrary Re Z.
    const auto inv = Of(WithPhaseTensor(1.7, 0.6, 35.0, 7.0));
    EXPECT_NEAR(inv.phiMax, 1.7, kTight);
    EXPECT_NEAR(inv.phiMin, 0.6, kTight);
    EXPECT_NEAR(*inv.alphaDeg, 35.0, kTight);
    EXPECT_NEAR(*inv.betaDeg, 7.0, kTight);
    EXPECT_NEAR(*inv.ellipticity, (1.7 - 0.6) / (1.7 + 0.6), kTight);
    // β of the other sign, and α beyond 45°, so that no atan2 argument order goes unnoticed.
    const auto other = Of(WithPhaseTensor(0.9, 0.2, -62.0, -11.0));
    EXPECT_NEAR(*other.alphaDeg, -62.0, kTight);
    EXPECT_NEAR(*other.betaDeg, -11.0, kTight);
}

// Real 2×2 distortion matrices C of Z → C·Z.
class GalvanicDistortion : public testing::TestWithParam<Mat> {};

TEST_P(GalvanicDistortion, LeavesEveryPhaseTensorInvariantButNotTheSwiftSkew)
{
    const Mat c = GetParam();
    for (const Impedance& z : {TwoD(60.0, 30.0, 25.0), WithPhaseTensor(1.7, 0.6, 35.0, 7.0)}) {
        const auto before = Of(z);
        const Impedance distorted = Distorted(c, z);
        const auto after = Of(distorted);
        EXPECT_NEAR(after.phiMax, before.phiMax, kTight);
        EXPECT_NEAR(after.phiMin, before.phiMin, kTight);
        EXPECT_NEAR(*after.alphaDeg, *before.alphaDeg, kTight);
        EXPECT_NEAR(*after.betaDeg, *before.betaDeg, kTight);
        EXPECT_NEAR(*after.ellipticity, *before.ellipticity, kTight);
        // Far more than rounding (a few 1e-16) apart.
        EXPECT_GT(std::abs(*SwiftSkew(distorted) - *SwiftSkew(z)), 0.01);
    }
    // A distorted 2-D tensor keeps its columns' phases in the strike frame: Bahr's skew stays 0.
    EXPECT_NEAR(*BahrSkew(Distorted(c, TwoD(60.0, 30.0, 25.0))), 0.0, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Matrices, GalvanicDistortion,
                         testing::Values(Mat{1.2, 0.3, -0.4, 0.8}, Mat{0.5, -0.9, 0.7, 2.0}, Mat{1.0, 0.6, 0.0, 1.0}));

TEST(PhaseTensor, RotatingTheFrameMovesAlphaBackAndNothingElse)
{
    // The program's own rotation of a row (what --rotate does on reading): Φ1 = R·Φ0·Rᵀ.
    const auto row = Row(1.0, WithPhaseTensor(1.7, 0.6, 35.0, 7.0), 1.0);
    for (const double delta : {20.0, -75.0, 200.0}) {
        const auto turned = mt1d::sounding::RotatedRow(row, delta);
        Impedance z{};
        for (std::size_t k = 0; k < 4; ++k) z[k] = *turned.z[k].value;
        const auto inv = Of(z);
        EXPECT_NEAR(std::remainder(*inv.alphaDeg - (35.0 - delta), 180.0), 0.0, kTight);
        EXPECT_NEAR(*inv.betaDeg, 7.0, kTight);
        EXPECT_NEAR(inv.phiMax, 1.7, kTight);
        EXPECT_NEAR(inv.phiMin, 0.6, kTight);
    }
}

TEST(PhaseTensor, SingularRealPartHasNoPhaseTensor)
{
    // Phase 90°: Re Z = 0.
    EXPECT_FALSE(PhaseTensorOf(OneD(90.0)).has_value());
    EXPECT_FALSE(PhaseTensorOf({Z{1, 1}, Z{2, 0}, Z{2, 0}, Z{4, 3}}).has_value());  // det X = 0
    EXPECT_FALSE(PhaseTensorOf({Z{std::nan(""), 0}, Z{1, 1}, Z{-1, -1}, Z{}}).has_value());
}

TEST(Skew, HandWorkedValues)
{
    // Zxx = 1, Zxy = 1, Zyx = −i, Zyy = 0: S1 = 1, S2 = 1 − i, D1 = 1, D2 = 1 + i.
    // Swift: |S1|/|D2| = 1/√2. Bahr: [D1, S2] = 1·(−1) − 0 = −1, [S1, D2] = 1·1 − 0 = 1,
    // η = √|−1 − 1| / √2 = 1.
    const Impedance z = {Z{1, 0}, Z{1, 0}, Z{0, -1}, Z{}};
    EXPECT_NEAR(*SwiftSkew(z), 1.0 / std::sqrt(2.0), kTight);
    EXPECT_NEAR(*BahrSkew(z), 1.0, kTight);
    // Zxx = 1 + i, Zxy = 10i, Zyx = −5, Zyy = 2: Swift |3 + i|/|5 + 10i| = √10/√125.
    EXPECT_NEAR(*SwiftSkew({Z{1, 1}, Z{0, 10}, Z{-5, 0}, Z{2, 0}}), std::sqrt(10.0 / 125.0), kTight);
    EXPECT_FALSE(SwiftSkew({Z{1, 0}, Z{2, 0}, Z{2, 0}, Z{}}).has_value());  // Zxy − Zyx = 0
    EXPECT_FALSE(BahrSkew({Z{1, 0}, Z{2, 0}, Z{2, 0}, Z{}}).has_value());
}

TEST(Skew, BothAreUnchangedByRotation)
{
    const Impedance z = WithPhaseTensor(1.7, 0.6, 35.0, 7.0);
    for (const double delta : {17.0, 90.0, -140.0}) {
        EXPECT_NEAR(*SwiftSkew(Rotated(z, delta)), *SwiftSkew(z), kTight);
        EXPECT_NEAR(*BahrSkew(Rotated(z, delta)), *BahrSkew(z), kTight);
    }
}

}  // namespace
