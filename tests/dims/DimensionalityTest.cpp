// The per-frequency verdicts, the site's strike and the refusals of AnalyseDimensionality.

#include "dims/CircularMean.h"
#include "dims/Dimensionality.h"
#include "sounding/SoundingFile.h"
#include "tests/dims/Tensors.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace mt1d::dims;
using namespace dims_test;
using mt1d::sounding::Component;

// Invariants of tensors built to rounding (PhaseTensorTest.cpp); angles through atan2 and a
// few additions: 1e-9 is far below any slip of a frame or a sign.
constexpr double kTight = 1e-9;

// A tensor with the given β and ellipticity e exactly: Φmax = 1 + e, Φmin = 1 − e.
Impedance WithSkewAndEllipticity(double betaDeg, double e, double alphaDeg = 20.0)
{
    return WithPhaseTensor(1.0 + e, 1.0 - e, alphaDeg, betaDeg);
}

DimsRow One(const Impedance& z, const DimsOptions& o = {}, std::optional<double> variance = 0.01)
{
    return AnalyseDimensionality(SoundingOf({Row(1.0, z, variance)}), o).rows.at(0);
}

TEST(Dimensionality, SortsOneTwoAndThreeDRowsAndTakesTheStrikeFromTheTwoDOnes)
{
    const auto s = SoundingOf({Row(100.0, OneD(45.0), 0.01), Row(10.0, TwoD(60.0, 30.0, 25.0), 0.01),
                               Row(1.0, TwoD(70.0, 40.0, 25.0), 0.02),
                               Row(0.1, WithSkewAndEllipticity(7.0, 0.05), 0.01)});
    const DimsResult r = AnalyseDimensionality(s);
    ASSERT_EQ(r.rows.size(), 4u);
    EXPECT_EQ(r.rows[0].oneD, true);
    EXPECT_EQ(r.rows[1].oneD, false);
    EXPECT_TRUE(r.rows[1].twoD);
    EXPECT_TRUE(r.rows[2].twoD);
    EXPECT_EQ(r.rows[3].oneD, false);
    EXPECT_FALSE(r.rows[3].twoD) << "a skewed row is 3-D, not 2-D";
    EXPECT_EQ(r.rows[3].notOneD, "skew 7° > 3°");
    EXPECT_EQ(r.computedRows, 4u);
    EXPECT_EQ(r.oneDRows, 1u);
    EXPECT_EQ(r.twoDRows, 2u);
    EXPECT_DOUBLE_EQ(*r.oneDFraction, 0.25);
    ASSERT_TRUE(r.strikeDeg);
    EXPECT_NEAR(*r.strikeDeg, 25.0, kTight);
    EXPECT_NEAR(*r.strikeSdDeg, 0.0, 1e-6);  // √(−2 ln R̄) of identical angles: √rounding
    EXPECT_TRUE(r.strikeWeighted);
    // The 1-D row: both principal phases are the impedance phase; its period is 1/f.
    EXPECT_NEAR(*r.rows[0].phiMaxDeg, 45.0, kTight);
    EXPECT_NEAR(*r.rows[0].phiMinDeg, 45.0, kTight);
    EXPECT_DOUBLE_EQ(*r.rows[0].periodS, 0.01);
    EXPECT_FALSE(r.rows[0].strikeDeg.has_value());
}

TEST(Dimensionality, StrikeIsAlphaMinusBetaFromNorth)
{
    // Φ built with α = 35°, β = 7° in a frame 10° from north: α = 45°, strike 28° + 10° = 38°.
    const DimsResult r =
        AnalyseDimensionality(SoundingOf({Row(1.0, WithPhaseTensor(1.7, 0.6, 35.0, 7.0), 0.01, 10.0)}));
    EXPECT_NEAR(*r.rows[0].alphaDeg, 45.0, kTight);
    EXPECT_NEAR(*r.rows[0].betaDeg, 7.0, kTight);
    EXPECT_NEAR(*r.rows[0].strikeDeg, 38.0, kTight);
    EXPECT_NEAR(*r.rows[0].phiMaxDeg, std::atan(1.7) * 180.0 / std::numbers::pi, kTight);
    EXPECT_NEAR(*r.rows[0].phiMinDeg, std::atan(0.6) * 180.0 / std::numbers::pi, kTight);
}

struct Verdict {
    double betaDeg;
    double ellipticity;
    bool oneD;
    bool twoD;
};

class Thresholds : public testing::TestWithParam<Verdict> {};

TEST_P(Thresholds, DefaultLimitsAreThreeDegreesOfSkewAndATenthOfEllipticity)
{
    const Verdict v = GetParam();
    const DimsRow row = One(WithSkewAndEllipticity(v.betaDeg, v.ellipticity));
    EXPECT_NEAR(*row.betaDeg, v.betaDeg, kTight);
    EXPECT_NEAR(*row.ellipticity, v.ellipticity, kTight);
    EXPECT_EQ(row.oneD, v.oneD);
    EXPECT_EQ(row.twoD, v.twoD);
    EXPECT_EQ(row.notOneD.empty(), v.oneD);
}

INSTANTIATE_TEST_SUITE_P(NearTheLimits, Thresholds,
                         testing::Values(Verdict{2.99, 0.05, true, false}, Verdict{3.01, 0.05, false, false},
                                         Verdict{-2.99, 0.0999, true, false}, Verdict{-3.01, 0.0, false, false},
                                         Verdict{0.0, 0.1001, false, true}, Verdict{1.0, 0.6, false, true},
                                         Verdict{5.0, 0.4, false, false}));

TEST(Dimensionality, LimitsAreInclusiveAndSettable)
{
    const Impedance z = WithSkewAndEllipticity(4.0, 0.2);
    const DimsRow probe = One(z);
    DimsOptions o;
    o.maxSkewDeg = std::abs(*probe.betaDeg);
    o.maxEllipticity = *probe.ellipticity;
    EXPECT_EQ(One(z, o).oneD, true) << "|β| equal to its limit passes";
    o.maxSkewDeg = std::nextafter(o.maxSkewDeg, 0.0);
    EXPECT_EQ(One(z, o).oneD, false);
    o.maxSkewDeg = 5.0;
    o.maxEllipticity = std::nextafter(*probe.ellipticity, 0.0);
    const DimsRow row = One(z, o);
    EXPECT_EQ(row.oneD, false);
    EXPECT_TRUE(row.twoD);
    EXPECT_EQ(row.notOneD.rfind("ellipticity 0.2 > ", 0), 0u) << row.notOneD;
}

TEST(Dimensionality, WithinErrorsWidensEachLimitByTheChosenMultipleOfItsStandardError)
{
    const Impedance z = WithSkewAndEllipticity(4.0, 0.05);
    const DimsRow plain = One(z, {}, 0.5);
    ASSERT_TRUE(plain.betaSdDeg);
    const double sd = *plain.betaSdDeg;
    ASSERT_GT(sd, 0.05);
    DimsOptions o;
    o.withinErrors = true;
    o.errorMultiple = 2.0;
    o.maxSkewDeg = 4.0 - 1.9 * sd;  // 4° is 1.9 standard errors above the limit: passes
    EXPECT_EQ(One(z, o, 0.5).oneD, true);
    o.maxSkewDeg = 4.0 - 2.1 * sd;  // 2.1 standard errors above: fails
    const DimsRow beyond = One(z, o, 0.5);
    EXPECT_EQ(beyond.oneD, false);
    EXPECT_NE(beyond.notOneD.find(" + 2 × "), std::string::npos) << beyond.notOneD;
    o.errorMultiple = 3.0;
    EXPECT_EQ(One(z, o, 0.5).oneD, true);
    o.withinErrors = false;
    EXPECT_EQ(One(z, o, 0.5).oneD, false);
    // Without the file's errors the plain limits apply.
    o.withinErrors = true;
    EXPECT_EQ(One(z, o, std::nullopt).oneD, false);
}

TEST(Dimensionality, SiteStrikeWrapsAroundNinetyDegrees)
{
    // Strikes 88°, 2° and 1° are −2°, 2° and 1° modulo 90°: mean ≈ 1/3° and standard
    // deviation ≈ √((2.333² + 1.667² + 0.667²)/3) = 1.700° in the small-angle limit; the
    // circular forms differ from those by (1 − cos 8°)-sized terms, below 0.01°.
    const auto s = SoundingOf({Row(10.0, TwoD(60.0, 30.0, 88.0), 0.01), Row(1.0, TwoD(60.0, 30.0, 2.0), 0.01),
                               Row(0.1, TwoD(60.0, 30.0, 1.0), 0.01)});
    const DimsResult r = AnalyseDimensionality(s);
    ASSERT_TRUE(r.strikeDeg);
    EXPECT_NEAR(*r.strikeDeg, 1.0 / 3.0, 0.01);
    EXPECT_NEAR(*r.strikeSdDeg, 1.700, 0.01);
}

TEST(Dimensionality, SiteStrikeLeansTowardsTheRowsWithSmallerErrors)
{
    // Same tensor shape, strike 10° with variance 0.01 and 20° with 0.16: the strike errors
    // scale with the square root of the variance (×4), the weights 1/σ² by 1/16: the linear
    // weighted mean is 10 + 10/17 = 10.59°; the circular one differs by 0.04°. Weights 1/σ
    // would give 12°, equal weights 15°.
    const auto s = SoundingOf({Row(10.0, TwoD(60.0, 30.0, 10.0), 0.01), Row(1.0, TwoD(60.0, 30.0, 20.0), 0.16)});
    const DimsResult r = AnalyseDimensionality(s);
    ASSERT_TRUE(r.strikeWeighted);
    EXPECT_NEAR(*r.strikeDeg, 10.0 + 10.0 / 17.0, 0.1);
    // Without errors in the file the two count alike: 15°.
    const auto bare = SoundingOf({Row(10.0, TwoD(60.0, 30.0, 10.0)), Row(1.0, TwoD(60.0, 30.0, 20.0))});
    const DimsResult equal = AnalyseDimensionality(bare);
    EXPECT_FALSE(equal.strikeWeighted);
    EXPECT_NEAR(*equal.strikeDeg, 15.0, kTight);
    EXPECT_FALSE(equal.rows[0].betaSdDeg.has_value());
}

TEST(Dimensionality, NoSiteStrikeWithoutTwoDRows)
{
    const DimsResult r = AnalyseDimensionality(SoundingOf({Row(1.0, OneD(45.0), 0.01)}));
    EXPECT_FALSE(r.strikeDeg.has_value());
    EXPECT_FALSE(r.strikeSdDeg.has_value());
    EXPECT_DOUBLE_EQ(*r.oneDFraction, 1.0);
}

TEST(Dimensionality, RowsWithoutAPhaseTensorSayWhyAndDoNotCount)
{
    auto missing = Row(10.0, OneD(45.0), 0.01);
    missing[Component::kXx].value.reset();
    missing[Component::kYy].value.reset();
    auto badFrequency = Row(std::nan(""), OneD(45.0), 0.01);
    badFrequency[Component::kXx].value.reset();
    const DimsResult r = AnalyseDimensionality(
        SoundingOf({missing, Row(1.0, OneD(90.0), 0.01), Row(0.1, OneD(45.0), 0.01), badFrequency}));
    EXPECT_EQ(r.rows[0].note, "Zxx, Zyy missing");
    EXPECT_DOUBLE_EQ(*r.rows[0].frequencyHz, 10.0);
    EXPECT_FALSE(r.rows[0].oneD || r.rows[0].swiftSkew || r.rows[0].betaDeg);
    // Phase 90°: Re Z = 0, no phase tensor; the skews need no inverse.
    EXPECT_FALSE(r.rows[1].oneD.has_value());
    EXPECT_FALSE(r.rows[1].phiMaxDeg.has_value());
    EXPECT_NE(r.rows[1].note.find("singular"), std::string::npos);
    EXPECT_NEAR(*r.rows[1].swiftSkew, 0.0, kTight);
    EXPECT_FALSE(r.rows[3].frequencyHz || r.rows[3].periodS);
    EXPECT_EQ(r.computedRows, 1u);
    EXPECT_DOUBLE_EQ(*r.oneDFraction, 1.0) << "only the rows with a verdict count";
}

TEST(Dimensionality, NoRowComputedGivesNoFraction)
{
    const DimsResult r = AnalyseDimensionality(SoundingOf({Row(1.0, OneD(90.0), 0.01)}));
    EXPECT_FALSE(r.oneDFraction.has_value());
    EXPECT_FALSE(r.strikeDeg.has_value());
}

TEST(Dimensionality, RefusesASoundingWithoutTensorAndNonsenseLimits)
{
    mt1d::sounding::Sounding rhoPhase;
    rhoPhase.sourceName = "rp.edi";
    rhoPhase.kind = mt1d::sounding::DataKind::kRhoPhase;
    rhoPhase.rhoPhase.resize(3);
    EXPECT_THROW(AnalyseDimensionality(rhoPhase), NoTensorError);
    const auto s = SoundingOf({Row(1.0, OneD(45.0))});
    for (const double bad : {-1.0, std::nan(""), HUGE_VAL}) {
        DimsOptions o;
        o.maxSkewDeg = bad;
        EXPECT_THROW(AnalyseDimensionality(s, o), std::invalid_argument);
        o = {};
        o.maxEllipticity = bad;
        EXPECT_THROW(AnalyseDimensionality(s, o), std::invalid_argument);
        o = {};
        o.errorMultiple = bad;
        EXPECT_THROW(AnalyseDimensionality(s, o), std::invalid_argument);
    }
}

// Every value of two results, which must agree.
void ExpectSame(const DimsResult& a, const DimsResult& b, double tol)
{
    ASSERT_EQ(a.rows.size(), b.rows.size());
    const auto same = [tol](const std::optional<double>& x, const std::optional<double>& y, const char* what) {
        ASSERT_EQ(x.has_value(), y.has_value()) << what;
        if (x) {
            EXPECT_NEAR(*x, *y, tol) << what;
        }
    };
    for (std::size_t i = 0; i < a.rows.size(); ++i) {
        SCOPED_TRACE(i);
        const auto &x = a.rows[i], &y = b.rows[i];
        same(x.phiMaxDeg, y.phiMaxDeg, "phi max");
        same(x.phiMinDeg, y.phiMinDeg, "phi min");
        same(x.alphaDeg, y.alphaDeg, "alpha");
        same(x.betaDeg, y.betaDeg, "beta");
        same(x.betaSdDeg, y.betaSdDeg, "beta sd");
        same(x.strikeDeg, y.strikeDeg, "strike");
        same(x.strikeSdDeg, y.strikeSdDeg, "strike sd");
        same(x.ellipticity, y.ellipticity, "ellipticity");
        same(x.ellipticitySd, y.ellipticitySd, "ellipticity sd");
        same(x.swiftSkew, y.swiftSkew, "swift");
        // Bahr's skew of a 2-D row is the square root of a rounding-sized commutator, ~1e-8.
        ASSERT_EQ(x.bahrSkew.has_value(), y.bahrSkew.has_value());
        if (x.bahrSkew) {
            EXPECT_NEAR(*x.bahrSkew, *y.bahrSkew, std::max(tol, 1e-7)) << "bahr";
        }
        EXPECT_EQ(x.oneD, y.oneD);
    }
    same(a.strikeDeg, b.strikeDeg, "site strike");
}

const std::vector<EdiRow> kFileRows = {{100.0, TwoD(60.0, 30.0, 25.0), 0.02},
                                       {10.0, WithSkewAndEllipticity(6.0, 0.3), 0.5},
                                       {1.0, OneD(50.0), 0.05}};

TEST(Dimensionality, FileWrittenWithTheOtherTimeConventionGivesTheSameInvariants)
{
    const auto plus = mt1d::sounding::ParseSounding(EdiText(kFileRows, false), "plus.edi");
    const auto minus = mt1d::sounding::ParseSounding(EdiText(kFileRows, true), "minus.edi");
    ASSERT_FALSE(plus.conjugated);
    ASSERT_TRUE(minus.conjugated);
    // Values written with 17 digits read back exactly; the same arithmetic follows.
    ExpectSame(AnalyseDimensionality(plus), AnalyseDimensionality(minus), 1e-12);
    EXPECT_NEAR(*AnalyseDimensionality(minus).rows[0].strikeDeg, 25.0, kTight);
}

TEST(Dimensionality, AnglesAreFromNorthWhateverFrameTheTensorIsRead)
{
    const std::string text = EdiText(kFileRows, false);
    const auto north = AnalyseDimensionality(mt1d::sounding::ParseSounding(text, "t.edi"));
    for (const double frame : {30.0, -50.0, 95.0}) {
        mt1d::sounding::ReadOptions o;
        o.rotateToDeg = frame;
        // The rotation adds a few roundings to the elements: 1e-9 on the angles.
        ExpectSame(north, AnalyseDimensionality(mt1d::sounding::ParseSounding(text, "t.edi", o)), kTight);
    }
    // A row given in a frame 5° from north whose own strike is 20° in that frame.
    const DimsResult r = AnalyseDimensionality(SoundingOf({Row(1.0, TwoD(60.0, 30.0, 20.0), 0.01, 5.0)}));
    EXPECT_NEAR(*r.rows[0].strikeDeg, 25.0, kTight);
    EXPECT_NEAR(*r.rows[0].alphaDeg, -65.0, kTight);  // 20° + 90° + 5° = 115° ≡ −65° (mod 180°)
}

TEST(CircularMean, WeightedMeanAndSpreadOfAnglesModuloNinety)
{
    // 10° with weight 4 and 20° with weight 1: linear weighted mean 12°, standard deviation
    // √((4·2² + 8²)/5) = 4°; the circular forms differ by terms of order (1 − cos 40°)·(a few
    // degrees), below 0.1°.
    const auto m = Mod90Mean({10.0, 20.0}, {4.0, 1.0});
    ASSERT_TRUE(m);
    EXPECT_NEAR(m->meanDeg, 12.0, 0.1);
    EXPECT_NEAR(m->sdDeg, 4.0, 0.1);
    // Shifted by 90° or 180° the angles are the same.
    EXPECT_NEAR(Mod90Mean({100.0, -160.0}, {4.0, 1.0})->meanDeg, m->meanDeg, kTight);
    // 0° and 45° are opposite once quadrupled: no mean direction.
    EXPECT_FALSE(Mod90Mean({0.0, 45.0}, {1.0, 1.0}).has_value());
    EXPECT_FALSE(Mod90Mean({}, {}).has_value());
    EXPECT_THROW(Mod90Mean({1.0}, {}), std::invalid_argument);
    EXPECT_DOUBLE_EQ(Mod90(-0.0), 0.0);
    EXPECT_DOUBLE_EQ(Mod90(-1e-17), 0.0);
    EXPECT_DOUBLE_EQ(Mod90(-30.0), 60.0);
    EXPECT_DOUBLE_EQ(Mod90(270.0), 0.0);
}

}  // namespace
