#include "sounding/CurveDerivation.h"
#include "sounding/ImpedanceMath.h"
#include "sounding/TextScan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace {

using namespace mt1d::sounding;
using C = Component;
using Z = std::complex<double>;

constexpr double kDeg = 180.0 / std::numbers::pi;
// Double arithmetic over a handful of operations: 1e-12 relative is a thousand times the
// rounding and a million times below any mistake of a factor or a sign.
constexpr double kTight = 1e-12;

// A half-space of rho Ω·m at f Hz: |Z| = sqrt(5·f·ρ) field units at 45°.
Z HalfSpaceZ(double rho, double f)
{
    return std::polar(std::sqrt(5.0 * f * rho), std::numbers::pi / 4.0);
}

Sounding OneRow(const TensorRow& row)
{
    Sounding s;
    s.kind = DataKind::kImpedance;
    s.tensor.push_back(row);
    return s;
}

TensorRow OneDRow(double rho, double f, std::optional<double> variance)
{
    TensorRow r;
    r.frequencyHz = f;
    r[C::kXy].value = HalfSpaceZ(rho, f);
    r[C::kYx].value = -HalfSpaceZ(rho, f);
    r[C::kXx].value = Z{};
    r[C::kYy].value = Z{};
    r[C::kXy].variance = variance;
    r[C::kYx].variance = variance;
    return r;
}

CurveRow Derive(const TensorRow& row, Mode mode, double floor = 5.0)
{
    return DeriveCurve(OneRow(row), {mode, floor}).rows.at(0);
}

TEST(CurveDerivation, HalfSpaceGivesItsResistivityAndFortyFiveDegreesInEveryMode)
{
    for (const Mode m : {Mode::kXy, Mode::kYx, Mode::kDet, Mode::kBerd}) {
        const CurveRow r = Derive(OneDRow(250.0, 8.0, std::nullopt), m);
        ASSERT_TRUE(r.usable) << r.reason;
        EXPECT_NEAR(r.rhoOhmM, 250.0, 250.0 * kTight);
        EXPECT_NEAR(r.phaseDeg, 45.0, kTight);  // yx: −135° shifted by 180°
        EXPECT_DOUBLE_EQ(r.frequencyHz, 8.0);
        EXPECT_DOUBLE_EQ(r.periodS, 0.125);
    }
}

TEST(CurveDerivation, ReportedErrorAboveTheFloorSetsTheErrorBars)
{
    // dZ/|Z| = 0.1: δρa/ρa = 0.2 and δφ = asin 0.1 = 5.7392°.
    const double f = 2.0;
    const double a2 = 5.0 * f * 100.0;
    const CurveRow r = Derive(OneDRow(100.0, f, 0.01 * a2), Mode::kXy);
    EXPECT_NEAR(r.rhoErrOhmM, 20.0, 20.0 * kTight);
    EXPECT_NEAR(r.phaseErrDeg, std::asin(0.1) * kDeg, kTight);
    EXPECT_NEAR(r.phaseErrDeg, 5.7392, 1e-4);  // the same, as a number to read
}

TEST(CurveDerivation, FloorRaisesSmallErrorsAndStandsInForMissingOnes)
{
    const double a2 = 5.0 * 1.0 * 100.0;
    // 1 % reported, 5 % floor: the floor wins; 10 % on ρa, asin 0.05 = 2.8660° on φ.
    for (const auto variance : {std::optional<double>(1e-4 * a2), std::optional<double>()}) {
        const CurveRow r = Derive(OneDRow(100.0, 1.0, variance), Mode::kXy, 5.0);
        ASSERT_TRUE(r.usable);
        EXPECT_NEAR(r.rhoErrOhmM, 10.0, 10.0 * kTight);
        EXPECT_NEAR(r.phaseErrDeg, 2.8660, 1e-4);
    }
    // 1 % reported, floor 0: the reported error stands.
    EXPECT_NEAR(Derive(OneDRow(100.0, 1.0, 1e-4 * a2), Mode::kXy, 0.0).rhoErrOhmM, 2.0, 2.0 * kTight);
}

TEST(CurveDerivation, WithoutErrorAndWithoutFloorARowIsUnusableAndSaysWhy)
{
    const Curve c = DeriveCurve(OneRow(OneDRow(100.0, 1.0, std::nullopt)), {Mode::kXy, 0.0});
    EXPECT_FALSE(c.rows[0].usable);
    EXPECT_EQ(c.rows[0].reason, "no error given and the error floor is 0");
    EXPECT_NEAR(c.rows[0].rhoOhmM, 100.0, 100.0 * kTight);  // the values stay for display
}

TEST(CurveDerivation, FloorNoteCountsTheRowsWithoutErrors)
{
    const Curve c = DeriveCurve(OneRow(OneDRow(100.0, 1.0, std::nullopt)), {Mode::kXy, 5.0});
    ASSERT_FALSE(c.notes.empty());
    EXPECT_NE(c.notes.back().find("1 of 1 rows have no error"), std::string::npos) << c.notes.back();
}

TEST(CurveDerivation, InvalidFloorIsRefused)
{
    const Sounding s = OneRow(OneDRow(100.0, 1.0, std::nullopt));
    EXPECT_THROW(DeriveCurve(s, {Mode::kXy, -1.0}), std::invalid_argument);
    EXPECT_THROW(DeriveCurve(s, {Mode::kXy, std::nan("")}), std::invalid_argument);
}

TEST(DeterminantImpedance, PrincipalRootAndFirstOrderErrorOfA1DTensor)
{
    // 1D: Z_det = Zxy; σ_det² = (|Zyx|²σ² + |Zxy|²σ²)/(4|Z|²) = σ²/2.
    TensorRow r = OneDRow(100.0, 1.0, 4.0);
    r[C::kXx].variance = 9.0;  // weighted by |Zyy|² = 0: no influence
    r[C::kYy].variance = 9.0;
    const ModeImpedance d = DeterminantImpedance(r);
    EXPECT_NEAR(std::abs(d.z - *r[C::kXy].value), 0.0, kTight * std::abs(d.z));
    ASSERT_TRUE(d.sigma.has_value());
    EXPECT_NEAR(*d.sigma, 2.0 / std::sqrt(2.0), kTight);
}

TEST(DeterminantImpedance, ErrorMatchesTheNumericalDerivativeOfEveryElement)
{
    TensorRow r;
    r.frequencyHz = 3.0;
    const Z zs[4] = {{1.5, -2.0}, {30.0, 20.0}, {-25.0, -35.0}, {-2.0, 1.0}};
    const double var[4] = {0.3, 2.0, 1.5, 0.7};
    for (int k = 0; k < 4; ++k) {
        r.z[k].value = zs[k];
        r.z[k].variance = var[k];
    }
    // Z_det is holomorphic in each element, so |∂Z_det/∂Z_k| is |ΔZ_det/Δ| for a real step Δ.
    double sum = 0.0;
    const double h = 1e-6;
    for (int k = 0; k < 4; ++k) {
        TensorRow up = r;
        TensorRow down = r;
        up.z[k].value = zs[k] + h;
        down.z[k].value = zs[k] - h;
        const double slope = std::abs(DeterminantImpedance(up).z - DeterminantImpedance(down).z) / (2 * h);
        sum += slope * slope * var[k];
    }
    // Central differences with h = 1e-6 on values near 30: truncation ~h², rounding ~1e-10.
    EXPECT_NEAR(*DeterminantImpedance(r).sigma, std::sqrt(sum), 1e-8);
}

TEST(DeterminantImpedance, ErrorIsAbsentUnlessEveryElementHasOne)
{
    TensorRow r = OneDRow(100.0, 1.0, 4.0);
    EXPECT_FALSE(DeterminantImpedance(r).sigma.has_value());  // Zxx, Zyy: no variance
}

TEST(BerdichevskyImpedance, AverageOfTheOffDiagonalsWithTheirErrors)
{
    TensorRow r;
    r[C::kXy].value = Z{10.0, 6.0};
    r[C::kYx].value = Z{-8.0, -4.0};
    r[C::kXy].variance = 9.0;
    r[C::kYx].variance = 16.0;
    const ModeImpedance b = BerdichevskyImpedance(r);
    EXPECT_EQ(b.z, Z(9.0, 5.0));
    EXPECT_DOUBLE_EQ(*b.sigma, 2.5);  // sqrt(9 + 16)/2
}

TEST(CurveDerivation, MissingElementsMakeOnlyTheModesThatNeedThemUnusable)
{
    TensorRow r = OneDRow(100.0, 1.0, 1.0);
    r[C::kXx].value.reset();
    r[C::kYy].value.reset();
    EXPECT_TRUE(Derive(r, Mode::kXy).usable);
    EXPECT_TRUE(Derive(r, Mode::kBerd).usable);
    const CurveRow det = Derive(r, Mode::kDet);
    EXPECT_FALSE(det.usable);
    EXPECT_EQ(det.reason, "Zxx, Zyy missing");
}

struct BadRow {
    const char* what;
    double frequency;
    Z zxy;
    const char* reason;
};

void PrintTo(const BadRow& r, std::ostream* os)
{
    *os << r.what;
}

class UnusableRows : public testing::TestWithParam<BadRow> {};

TEST_P(UnusableRows, SayWhyAndHoldNoNaN)
{
    const auto& c = GetParam();
    TensorRow r = OneDRow(100.0, 1.0, 1.0);
    r.frequencyHz = c.frequency;
    r[C::kXy].value = c.zxy;
    const CurveRow row = Derive(r, Mode::kXy);
    EXPECT_FALSE(row.usable) << c.what;
    EXPECT_EQ(row.reason, c.reason) << c.what;
    for (const double v : {row.frequencyHz, row.periodS, row.rhoOhmM, row.rhoErrOhmM, row.phaseDeg, row.phaseErrDeg})
        EXPECT_TRUE(std::isfinite(v)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnusableRows,
    testing::Values(BadRow{"zero frequency", 0.0, {1, 1}, "frequency is not a positive number"},
                    BadRow{"negative frequency", -2.0, {1, 1}, "frequency is not a positive number"},
                    BadRow{"NaN frequency", std::nan(""), {1, 1}, "frequency is not a positive number"},
                    BadRow{"zero impedance", 1.0, {0, 0}, "apparent resistivity is not positive"},
                    BadRow{"infinite impedance", 1.0, {INFINITY, 1}, "impedance is not a finite number"},
                    BadRow{"ρa overflows", 1e-300, {1e200, 0}, "apparent resistivity is not a finite number"}));

TEST(CurveDerivation, RhoPhaseRowsTakeTheLargerOfReportedErrorAndFloor)
{
    Sounding s;
    s.kind = DataKind::kRhoPhase;
    RhoPhaseRow row;
    row.frequencyHz = 4.0;
    row[Mode::kXy] = RhoPhaseValue{50.0, 20.0, 40.0, 1.0};  // 40 % on ρa beats 10 %; 1° loses to 2.87°
    s.rhoPhase.push_back(row);
    const CurveRow r = DeriveCurve(s, {Mode::kXy, 5.0}).rows[0];
    ASSERT_TRUE(r.usable);
    EXPECT_DOUBLE_EQ(r.rhoErrOhmM, 20.0);
    EXPECT_NEAR(r.phaseErrDeg, std::asin(0.05) * kDeg, kTight);

    s.rhoPhase[0][Mode::kXy].phaseErrDeg.reset();
    const CurveRow noFloor = DeriveCurve(s, {Mode::kXy, 0.0}).rows[0];
    EXPECT_FALSE(noFloor.usable);
    EXPECT_EQ(noFloor.reason, "no error given for the phase and the error floor is 0");

    s.rhoPhase[0][Mode::kXy].rhoOhmM = -3.0;
    EXPECT_EQ(DeriveCurve(s, {Mode::kXy, 5.0}).rows[0].reason, "apparent resistivity is not positive");
    EXPECT_EQ(DeriveCurve(s, {Mode::kYx, 5.0}).rows[0].reason, "apparent resistivity and phase missing");
}

// (phase of Zxy in degrees, usable by default)
class PhaseQuadrant : public testing::TestWithParam<std::pair<double, bool>> {};

TEST_P(PhaseQuadrant, OnlyPhasesFromZeroToNinetyDegreesAreUsableUnlessAnyIsKept)
{
    const auto [phase, usable] = GetParam();
    TensorRow r = OneDRow(100.0, 1.0, 1.0);
    // Built from its parts, so that 0° and 90° come out exactly (polar() leaves 6e-16 of a real part).
    const double rad = phase / kDeg;
    r[C::kXy].value = phase == 90.0 ? Z{0.0, 20.0} : Z{20.0 * std::cos(rad), 20.0 * std::sin(rad)};
    CurveOptions o;
    o.mode = Mode::kXy;
    const Curve c = DeriveCurve(OneRow(r), o);
    EXPECT_EQ(c.rows[0].usable, usable) << c.rows[0].reason;
    if (!usable) {
        EXPECT_EQ(c.rows[0].reason, "phase " + FormatNumber(phase, 3) + "° outside 0–90°: a 1-D earth cannot give it");
        EXPECT_NE(c.notes.back().find("1 of 1 rows of mode xy have a phase outside 0–90°"), std::string::npos)
            << c.notes.back();
    }
    o.keepAnyPhase = true;
    EXPECT_TRUE(DeriveCurve(OneRow(r), o).rows[0].usable);
}

INSTANTIATE_TEST_SUITE_P(Phases, PhaseQuadrant,
                         testing::Values(std::pair{0.0, true}, std::pair{90.0, true}, std::pair{45.0, true},
                                         std::pair{90.5, false}, std::pair{-0.5, false}, std::pair{-135.0, false},
                                         std::pair{170.0, false}));

TEST(CurveDerivation, PhaseLimitHoldsForTheChosenModeAndForRhoPhaseFiles)
{
    // Zyx at −85°: the yx curve shows −Zyx at 95°; xy (45°) is not affected.
    TensorRow r = OneDRow(100.0, 1.0, 1.0);
    r[C::kYx].value = std::polar(20.0, -85.0 / kDeg);
    EXPECT_TRUE(Derive(r, Mode::kXy).usable);
    EXPECT_FALSE(Derive(r, Mode::kYx).usable);
    Sounding s;
    s.kind = DataKind::kRhoPhase;
    RhoPhaseRow row;
    row.frequencyHz = 4.0;
    row[Mode::kYx] = RhoPhaseValue{50.0, 5.0, 94.6, 1.0};
    s.rhoPhase.push_back(row);
    CurveOptions o;
    o.mode = Mode::kYx;
    EXPECT_EQ(DeriveCurve(s, o).rows[0].reason, "phase 94.6° outside 0–90°: a 1-D earth cannot give it");
}

TEST(CurveDerivation, ExcludedFrequenciesMatchToAMillionthAndSayWhy)
{
    Sounding s;
    s.kind = DataKind::kImpedance;
    for (const double f : {10.0, 1.0, 0.1, 0.01}) s.tensor.push_back(OneDRow(100.0, f, 1.0));
    s.tensor[3][C::kXy].value.reset();  // unusable already: keeps its reason
    s.tensor[2][C::kXy].value = std::polar(20.0, 100.0 / kDeg);  // phase outside and excluded
    CurveOptions o;
    o.mode = Mode::kXy;
    o.excludeFrequencies = {1.0 * (1 + 9e-7), 0.1, 0.01, 10.0 * (1 + 2e-6), 7.0};
    const Curve c = DeriveCurve(s, o);
    EXPECT_TRUE(c.rows[0].usable) << "2e-6 apart is another frequency";
    EXPECT_EQ(c.rows[1].reason, "excluded by the user");
    EXPECT_EQ(c.rows[2].reason, "excluded by the user");
    EXPECT_EQ(c.rows[3].reason, "Zxy missing");
    const auto has = [&](const std::string& text) {
        return std::find(c.notes.begin(), c.notes.end(), text) != c.notes.end();
    };
    EXPECT_TRUE(has("no row at 7 Hz to exclude"));
    EXPECT_TRUE(has("no row at 10.00002 Hz to exclude"));
    EXPECT_FALSE(has("no row at 0.01 Hz to exclude")) << "a row that matched, though unusable anyway";
    for (const double bad : {0.0, -1.0, std::nan("")}) {
        o.excludeFrequencies = {bad};
        EXPECT_THROW(DeriveCurve(s, o), std::invalid_argument);
    }
}

}  // namespace
