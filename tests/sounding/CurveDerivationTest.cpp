#include "sounding/CurveDerivation.h"
#include "sounding/ImpedanceMath.h"
#include "sounding/Limits.h"
#include "sounding/TextScan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>
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

Sounding OneRow(const TensorRow& row, VarianceConvention convention = kDefaultVarianceConvention)
{
    Sounding s;
    s.kind = DataKind::kImpedance;
    s.varianceConvention = convention;
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

CurveRow Derive(const TensorRow& row, Mode mode, double floor = 5.0,
               VarianceConvention convention = kDefaultVarianceConvention)
{
    return DeriveCurve(OneRow(row, convention), {mode, floor}).rows.at(0);
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

// A part error of 0.1·|Z| is the variance 0.02·|Z|² of the complex value, or 0.01·|Z|² of
// each part: read with its own convention each gives δρa/ρa = 0.2 and δφ = asin 0.1 =
// 5.7392°; read with the other, the errors come out √2 too large or too small.
TEST(CurveDerivation, ReportedErrorAboveTheFloorSetsTheErrorBarsAsTheConventionReadsIt)
{
    const double f = 2.0;
    const double a2 = 5.0 * f * 100.0;
    const struct {
        VarianceConvention convention;
        double variance;
    } cases[] = {{VarianceConvention::kComplex, 0.02 * a2}, {VarianceConvention::kPart, 0.01 * a2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(VarianceConventionName(c.convention)));
        const CurveRow r = Derive(OneDRow(100.0, f, c.variance), Mode::kXy, 5.0, c.convention);
        EXPECT_NEAR(r.rhoErrOhmM, 20.0, 20.0 * kTight);
        EXPECT_NEAR(r.phaseErrDeg, std::asin(0.1) * kDeg, kTight);
        EXPECT_NEAR(r.phaseErrDeg, 5.7392, 1e-4);  // the same, as a number to read
        const VarianceConvention other = c.convention == VarianceConvention::kPart ? VarianceConvention::kComplex
                                                                                   : VarianceConvention::kPart;
        const double otherRatio = c.convention == VarianceConvention::kPart ? 1.0 / std::numbers::sqrt2 : std::numbers::sqrt2;
        EXPECT_NEAR(Derive(OneDRow(100.0, f, c.variance), Mode::kXy, 0.0, other).rhoErrOhmM, 20.0 * otherRatio,
                    20.0 * kTight);
    }
}

TEST(VarianceConvention, NamesParseAndTheWrittenVarianceReadsBack)
{
    for (const auto c : {VarianceConvention::kComplex, VarianceConvention::kPart}) {
        EXPECT_EQ(ParseVarianceConvention(VarianceConventionName(c)), c);
        EXPECT_DOUBLE_EQ(PartError(VarianceForPartError(0.3, c), c), 0.3);
    }
    EXPECT_EQ(ParseVarianceConvention(" Complex "), VarianceConvention::kComplex);
    EXPECT_FALSE(ParseVarianceConvention("both").has_value());
    EXPECT_DOUBLE_EQ(PartError(8.0, VarianceConvention::kComplex), 2.0);  // sqrt(8/2)
    EXPECT_DOUBLE_EQ(PartError(4.0, VarianceConvention::kPart), 2.0);
    EXPECT_EQ(kDefaultVarianceConvention, VarianceConvention::kComplex);
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
    // 1 % reported (the complex value's variance 2·(0.01·|Z|)²), floor 0: the reported error
    // stands.
    EXPECT_NEAR(Derive(OneDRow(100.0, 1.0, 2e-4 * a2), Mode::kXy, 0.0).rhoErrOhmM, 2.0, 2.0 * kTight);
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
    // 1D: Z_det = Zxy; var_det = (|Zyx|²·var + |Zxy|²·var)/(4|Z|²) = var/2.
    TensorRow r = OneDRow(100.0, 1.0, 4.0);
    r[C::kXx].variance = 9.0;  // weighted by |Zyy|² = 0: no influence
    r[C::kYy].variance = 9.0;
    const ModeImpedance d = DeterminantImpedance(r);
    EXPECT_NEAR(std::abs(d.z - *r[C::kXy].value), 0.0, kTight * std::abs(d.z));
    ASSERT_TRUE(d.variance.has_value());
    EXPECT_NEAR(*d.variance, 2.0, kTight);
    EXPECT_EQ(d.leftOutShare, 0.0);
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
    EXPECT_NEAR(std::sqrt(*DeterminantImpedance(r).variance), std::sqrt(sum), 1e-8);
}

// Missing variances are left out (as 0) while their elements carry at most 10 % of the error
// weight: the share of a missing Zxx is |Zyy|²/(|Zxx|² + |Zxy|² + |Zyx|² + |Zyy|²).
TEST(DeterminantImpedance, MissingVariancesAreLeftOutOnlyWhileTheyCarryLittleWeight)
{
    const struct {
        const char* what;
        Z zyy;
        std::array<bool, 4> hasVariance;  // xx, xy, yx, yy
        double share;                     // of the missing ones; < 0: no variance at all
        bool present;
    } cases[] = {
        // |Zxy|² + |Zyx|² = 200 with |Z| = 10.
        {"1D, no diagonal variances", {0, 0}, {false, true, true, false}, 0.0, true},
        {"Zyy 4.7: 22.09/222.09 just below 10 %", {4.7, 0}, {false, true, true, true}, 22.09 / 222.09, true},
        {"Zyy 4.75: 22.5625/222.5625 just above 10 %", {4.75, 0}, {false, true, true, true}, 22.5625 / 222.5625, false},
        {"Zyx without variance: half the weight", {0, 0}, {true, true, false, true}, 0.5, false},
        {"no variance at all", {0, 0}, {false, false, false, false}, 1.0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TensorRow r;
        r[C::kXx].value = Z{};
        r[C::kXy].value = Z{6.0, 8.0};
        r[C::kYx].value = Z{-8.0, -6.0};
        r[C::kYy].value = c.zyy;
        for (std::size_t k = 0; k < 4; ++k)
            if (c.hasVariance[k]) r.z[k].variance = 4.0;
        const ModeImpedance d = DeterminantImpedance(r);
        EXPECT_NEAR(d.leftOutShare, c.share, kTight);
        EXPECT_EQ(d.variance.has_value(), c.present);
        for (std::size_t k = 0; k < 4; ++k) EXPECT_EQ(d.leftOut[k], !c.hasVariance[k]) << k;
        if (d.variance) {
            // The given terms only: (|Zyx|²·4 + |Zxy|²·4 + |Zxx|²·var_yy)/(4·|Z_det|²), Zxx = 0.
            const double expected = (100.0 * 4.0 + 100.0 * 4.0) / (4.0 * std::norm(d.z));
            EXPECT_NEAR(*d.variance, expected, kTight * expected);
        }
    }
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
    EXPECT_DOUBLE_EQ(*b.variance, 6.25);  // (9 + 16)/4
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
                    BadRow{"ρa overflows", 1e-6, {1e160, 0}, "apparent resistivity is not a finite number"},
                    // Outside the accepted ranges of Limits.h, just beyond each bound.
                    BadRow{"denormal frequency", 4.9e-324, {1, 1},
                           "frequency 4.94066e-324 Hz outside the accepted 1e-06 to 1e+06 Hz"},
                    BadRow{"frequency just below the lowest", 0.99e-6, {1, 1},
                           "frequency 9.9e-07 Hz outside the accepted 1e-06 to 1e+06 Hz"},
                    BadRow{"frequency of 1e308 Hz", 1e308, {1, 1},
                           "frequency 1e+308 Hz outside the accepted 1e-06 to 1e+06 Hz"},
                    // ρa = 0.2·|Z|²/f: |Z|² = 5.5e9 gives 1.1e9 Ω·m, 5e-10 gives 1e-10 Ω·m.
                    BadRow{"ρa above the range", 1.0, {std::sqrt(5.5e9), 0},
                           "apparent resistivity 1.1e+09 Ω·m outside the accepted 1e-09 to 1e+09 Ω·m"},
                    BadRow{"ρa below the range", 1.0, {std::sqrt(5e-10), 0},
                           "apparent resistivity 1e-10 Ω·m outside the accepted 1e-09 to 1e+09 Ω·m"}));

// The sentence the help quotes names the bounds the rows are held to, in this order.
TEST(Limits, TheRangesTextQuotesTheBoundsInForce)
{
    std::vector<double> quoted;
    std::string text(kUsableRangesText);
    for (char& c : text)
        if (c == ',') c = ' ';
    std::istringstream words(text);
    for (std::string word; words >> word;) {
        std::size_t used = 0;
        try {
            const double v = std::stod(word, &used);
            if (used == word.size()) quoted.push_back(v);
        } catch (const std::exception&) {
        }
    }
    EXPECT_EQ(quoted, (std::vector<double>{kMinFrequencyHz, kMaxFrequencyHz, kMinApparentResistivityOhmM,
                                           kMaxApparentResistivityOhmM, -kMaxPhaseMagnitudeDeg, kMaxPhaseMagnitudeDeg,
                                           kMaxRelativeError, kMaxPhaseErrorDeg}));
}

// Just inside each bound a row is usable (ρa comes from |Z|², a few ulps from the bound when
// aimed at it, so 0.1 % inside).
TEST(CurveDerivation, RowsJustInsideTheAcceptedRangesAreUsable)
{
    for (const auto& [f, rho] : {std::pair{1e-6, 0.999e9}, std::pair{1e6, 1.001e-9}}) {
        TensorRow r = OneDRow(rho, f, std::nullopt);
        const CurveRow row = Derive(r, Mode::kXy);
        EXPECT_TRUE(row.usable) << f << " Hz, " << rho << " ohm-m: " << row.reason;
    }
}

// An error of ρa more than 1000 times ρa (a part error of more than 500·|Z|) makes the row
// unusable; just below is still a (worthless but finite) datum.
TEST(CurveDerivation, ErrorsBeyondAThousandTimesTheValueMakeTheRowUnusable)
{
    const double a2 = 5.0 * 1.0 * 100.0;
    // The complex value's variance 2·(k·|Z|)² is a part error of k·|Z|, δρa/ρa = 2k.
    const CurveRow below = Derive(OneDRow(100.0, 1.0, 2.0 * 499.0 * 499.0 * a2), Mode::kXy, 0.0);
    EXPECT_TRUE(below.usable) << below.reason;
    const CurveRow beyond = Derive(OneDRow(100.0, 1.0, 2.0 * 501.0 * 501.0 * a2), Mode::kXy, 0.0);
    EXPECT_FALSE(beyond.usable);
    EXPECT_EQ(beyond.reason, "error of the apparent resistivity more than 1000 times its value");
    const CurveRow overflow = Derive(OneDRow(100.0, 1.0, 1e308 * 10.0), Mode::kXy, 0.0);
    EXPECT_FALSE(overflow.usable);
}

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

// What a column or EDI file may store as ρa and φ: phases only from −180° to 180° (a phase of
// 10⁶° once "fitted" to RMS 246357), errors at most 1000 times ρa and 180° on the phase.
TEST(CurveDerivation, StoredValuesOutsideTheAcceptedRangesAreNotUsable)
{
    const struct {
        const char* what;
        RhoPhaseValue value;
        const char* reason;  // empty: usable
    } cases[] = {
        {"phase 180°", {50.0, 5.0, 180.0, 1.0}, ""},
        {"phase −180°", {50.0, 5.0, -180.0, 1.0}, ""},
        {"phase 180.5°", {50.0, 5.0, 180.5, 1.0}, "phase 180.5° outside the accepted −180° to 180°"},
        {"phase 1e308°", {50.0, 5.0, 1e308, 1.0}, "phase 1e+308° outside the accepted −180° to 180°"},
        {"phase −1e6°", {50.0, 5.0, -1e6, 1.0}, "phase -1e+06° outside the accepted −180° to 180°"},
        {"ρa 1e300", {1e300, 5.0, 45.0, 1.0}, "apparent resistivity 1e+300 Ω·m outside the accepted 1e-09 to 1e+09 Ω·m"},
        {"ρa error 1000 times", {50.0, 50000.0, 45.0, 1.0}, ""},
        {"ρa error 1e308", {50.0, 1e308, 45.0, 1.0}, "error of the apparent resistivity more than 1000 times its value"},
        {"phase error 181°", {50.0, 5.0, 45.0, 181.0}, "phase error more than 180°"},
    };
    for (const auto& c : cases) {
        Sounding s;
        s.kind = DataKind::kRhoPhase;
        RhoPhaseRow row;
        row.frequencyHz = 4.0;
        row[Mode::kXy] = c.value;
        s.rhoPhase.push_back(row);
        // Any phase kept: the ranges alone decide here (the 0–90° rule is tested on its own).
        const CurveRow r = DeriveCurve(s, {Mode::kXy, 5.0, true}).rows[0];
        EXPECT_EQ(r.usable, std::string(c.reason).empty()) << c.what;
        EXPECT_EQ(r.reason, c.reason) << c.what;
        EXPECT_TRUE(r.phaseKnown) << c.what;
        for (const double v : {r.frequencyHz, r.periodS, r.rhoOhmM, r.rhoErrOhmM, r.phaseDeg, r.phaseErrDeg})
            EXPECT_TRUE(std::isfinite(v)) << c.what;
    }
}

// An unusable row knows its phase when the data give it and says so; 0 is a phase too.
TEST(CurveDerivation, UnusableRowsSayWhetherTheirPhaseIsKnown)
{
    TensorRow noZxy = OneDRow(100.0, 1.0, 1.0);
    noZxy[C::kXy].value.reset();
    EXPECT_FALSE(Derive(noZxy, Mode::kXy).phaseKnown);
    TensorRow realZ = OneDRow(100.0, 1.0, std::nullopt);
    realZ[C::kXy].value = Z{22.36, 0.0};  // phase 0°
    const CurveRow noError = Derive(realZ, Mode::kXy, 0.0);
    EXPECT_FALSE(noError.usable);
    EXPECT_TRUE(noError.phaseKnown);
    EXPECT_EQ(noError.phaseDeg, 0.0);
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
