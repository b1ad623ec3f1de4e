#include "sounding/CurveDerivation.h"
#include "sounding/EdiReader.h"
#include "sounding/ReadError.h"
#include "tests/sounding/SyntheticEdi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

namespace {

using namespace mt1d::sounding;
using sounding_test::kHalfSpaceEdi;
using sounding_test::kRhoPhaseEdi;
using sounding_test::Replace;
using sounding_test::ReplaceAll;
using C = Component;

// The file holds 15 significant digits: ρa = 0.2·|Z|²/f is then exact to a few 1e-14.
constexpr double kRel = 1e-12;

Sounding Read(const std::string& text)
{
    EXPECT_FALSE(text.empty()) << "a replacement pattern no longer matches the synthetic file";
    return ParseEdi(text, "test.edi", "test");
}

void ExpectHalfSpace(const Sounding& s, Mode mode)
{
    const Curve c = DeriveCurve(s, {mode, 5.0});
    ASSERT_EQ(c.rows.size(), 4u);
    const double freqs[] = {100.0, 10.0, 1.0, 0.1};
    for (std::size_t i = 0; i < 4; ++i) {
        const auto& r = c.rows[i];
        EXPECT_EQ(r.frequencyHz, freqs[i]);
        ASSERT_TRUE(r.usable) << i << ": " << r.reason;
        EXPECT_NEAR(r.rhoOhmM, 100.0, 100.0 * kRel) << i;
        EXPECT_NEAR(r.phaseDeg, 45.0, 1e-10) << i;
    }
}

TEST(EdiReader, HalfSpaceReadsSortedWithEveryBlockPermutedAlike)
{
    const Sounding s = Read(kHalfSpaceEdi);
    EXPECT_EQ(s.format, SourceFormat::kEdiImpedance);
    EXPECT_EQ(s.site.name, "Test site");
    for (const Mode m : {Mode::kXy, Mode::kYx, Mode::kDet, Mode::kBerd}) ExpectHalfSpace(s, m);
    // VAR = |Z|²/200 at every frequency, the variance of the complex value: each part |Z|/20,
    // 10 % on ρa, only if VAR moved with Z (no floor to stand in).
    const Curve xy = DeriveCurve(s, {Mode::kXy, 0.0});
    for (const auto& r : xy.rows) EXPECT_NEAR(r.rhoErrOhmM, 10.0, 1e-9);
}

TEST(EdiReader, HeadGivesNameAndLocationInDegrees)
{
    const Sounding s = Read(kHalfSpaceEdi);
    EXPECT_NEAR(*s.site.location.latitudeDeg, -19.5, 1e-12);
    EXPECT_NEAR(*s.site.location.longitudeDeg, 135.26, 1e-12);
    EXPECT_EQ(*s.site.location.elevationM, 250.0);
    ASSERT_EQ(s.site.info.size(), 1u);
    EXPECT_EQ(s.site.info[0], "  synthetic half-space of 100 ohm-m");

    // Without LAT/LONG in HEAD the reference location of DEFINEMEAS stands in.
    const Sounding ref = Read(Replace(Replace(kHalfSpaceEdi, "  LAT=-19:30:00\n", ""), "  LONG=135:15:36.0\n", ""));
    EXPECT_EQ(*ref.site.location.latitudeDeg, 10.0);
    EXPECT_EQ(*ref.site.location.longitudeDeg, 20.0);
    // 0, 0 is a writer that did not know.
    const Sounding zero = Read(Replace(Replace(kHalfSpaceEdi, "LAT=-19:30:00", "LAT=0.0"), "LONG=135:15:36.0", "LONG=0"));
    EXPECT_FALSE(zero.site.location.latitudeDeg.has_value());
    EXPECT_FALSE(zero.site.location.longitudeDeg.has_value());
    // No DATAID: the name the caller gives.
    EXPECT_EQ(Read(Replace(kHalfSpaceEdi, "  DATAID=\"Test site\"\n", "")).site.name, "test");
}

TEST(EdiReader, LineEndingsIndentationAndCaseDoNotChangeTheNumbers)
{
    const Sounding base = Read(kHalfSpaceEdi);
    std::string dialect = ReplaceAll(kHalfSpaceEdi, "\n>Z", "\n   >z");  // indented, lower case
    dialect = ReplaceAll(dialect, "//4", "// 4");
    dialect = Replace(dialect, ">=MTSECT", "> =mtsect");
    dialect = Replace(dialect, ">INFO", ">=INFO MAXINFO 5000");
    for (const std::string& text : {ReplaceAll(kHalfSpaceEdi, "\n", "\r\n"), ReplaceAll(kHalfSpaceEdi, "\n", "\r"),
                                    dialect, ReplaceAll(kHalfSpaceEdi, "\n  ", "\n\t")}) {
        const Sounding s = Read(text);
        ASSERT_EQ(s.tensor.size(), base.tensor.size());
        for (std::size_t i = 0; i < s.tensor.size(); ++i)
            for (std::size_t k = 0; k < 4; ++k) {
                EXPECT_EQ(s.tensor[i].z[k].value, base.tensor[i].z[k].value);
                EXPECT_EQ(s.tensor[i].z[k].variance, base.tensor[i].z[k].variance);
            }
    }
}

TEST(EdiReader, NumbersInAnyLayoutAndSpelling)
{
    // One value per line, a leading '+', a Fortran exponent, a 3-digit exponent, no count.
    const std::string text = Replace(kHalfSpaceEdi, ">ZXYR ROT=ZROT //4\n  15.8113883008419 50 158.113883008419 5",
                                     ">ZXYR ROT=ZROT\n+15.8113883008419\n0.5D+02\n1.58113883008419e+002\n  5");
    ExpectHalfSpace(Read(text), Mode::kXy);
}

class MissingMarks : public testing::TestWithParam<const char*> {};

TEST_P(MissingMarks, DropOneElementAtOneFrequencyAndNeverBecomeZero)
{
    // The Zxy of 10 Hz is marked missing; its other elements and frequencies stay.
    const std::string text = Replace(kHalfSpaceEdi, "  15.8113883008419 50 158", std::string("  15.8113883008419 ") + GetParam() + " 158");
    const Sounding s = Read(text);
    const TensorRow& row = s.tensor[1];
    ASSERT_EQ(row.frequencyHz, 10.0);
    EXPECT_FALSE(row[C::kXy].value.has_value());
    EXPECT_TRUE(row[C::kYx].value.has_value());
    const Curve xy = DeriveCurve(s, {Mode::kXy, 5.0});
    EXPECT_FALSE(xy.rows[1].usable);
    EXPECT_EQ(xy.rows[1].reason, "Zxy missing");
    EXPECT_TRUE(xy.rows[0].usable);
    EXPECT_TRUE(DeriveCurve(s, {Mode::kYx, 5.0}).rows[1].usable);
}

INSTANTIATE_TEST_SUITE_P(Spellings, MissingMarks,
                         testing::Values("1.0E32", "1E+32", "1.000000e+032", "0.1000000E+33", "-1.0e32", "******",
                                         "NaN"));

TEST(EdiReader, EmptyKeyDeclaresTheMissingMark)
{
    const std::string text = Replace(Replace(kHalfSpaceEdi, "  ELEV=250\n", "  ELEV=250\n  EMPTY=-999\n"),
                                     "  15.8113883008419 50 158", "  15.8113883008419 -999 158");
    EXPECT_FALSE(Read(text).tensor[1][C::kXy].value.has_value());
}

TEST(EdiReader, VarianceZeroOrNegativeMeansNoError)
{
    const Sounding s = Read(Replace(kHalfSpaceEdi, "  2.5 25 250 0.25", "  2.5 0 -250 0.25"));
    EXPECT_FALSE(s.tensor[0][C::kXy].variance.has_value());  // 100 Hz: −250
    EXPECT_FALSE(s.tensor[1][C::kXy].variance.has_value());  // 10 Hz: 0
    EXPECT_EQ(*s.tensor[2][C::kXy].variance, 2.5);
}

TEST(EdiReader, MissingVarianceBlocksAreNamedInTheNotes)
{
    const Sounding s = Read(Replace(kHalfSpaceEdi, ">ZXY.VAR ROT=ZROT //4\n  2.5 25 250 0.25\n", ""));
    EXPECT_FALSE(s.tensor[0][C::kXy].variance.has_value());
    bool named = false;
    for (const auto& n : s.notes) named = named || n == "the file gives no variances for Zxx, Zxy, Zyy";
    EXPECT_TRUE(named);
}

TEST(EdiReader, RotationFromZrotOrFromTheBlocks)
{
    const Sounding zrot = Read(Replace(kHalfSpaceEdi, ">ZROT //4\n  0 0 0 0", ">ZROT //4\n  1 2 3 4"));
    EXPECT_EQ(zrot.tensor[0].rotationDeg, 3.0);  // 100 Hz was the third
    const Sounding rot = Read(ReplaceAll(kHalfSpaceEdi, "ROT=ZROT", "ROT=12.5"));
    for (const auto& r : rot.tensor) EXPECT_EQ(r.rotationDeg, 12.5);
    const Sounding none = Read(Replace(kHalfSpaceEdi, ">ZROT //4\n  0 0 0 0\n", ""));
    EXPECT_EQ(none.tensor[0].rotationDeg, 0.0);
}

TEST(EdiReader, UnknownAndCommentBlocksAreSkipped)
{
    const std::string text = Replace(kHalfSpaceEdi, ">END", ">COH //4\n 1 2 3 4\n>!a comment!\n>XYZZY A=B\n words here\n>END");
    ExpectHalfSpace(Read(text), Mode::kDet);
}

TEST(EdiReader, RhoPhaseFileReadsLog10ErrorsAndMovesTheYxPhase)
{
    const Sounding s = Read(kRhoPhaseEdi);
    EXPECT_EQ(s.format, SourceFormat::kEdiRhoPhase);
    ASSERT_EQ(s.rhoPhase.size(), 3u);
    const auto& top = s.rhoPhase[0];  // 100 Hz, the third column
    EXPECT_EQ(top.frequencyHz, 100.0);
    EXPECT_EQ(top.rotationDeg, 20.0);
    EXPECT_EQ(*top[Mode::kXy].phaseDeg, 47.0);
    // σ(log10 ρa) = 0.1: δρa = 100·ln 10·0.1 = 23.026 Ω·m.
    EXPECT_NEAR(*top[Mode::kXy].rhoErrOhmM, 10.0 * std::log(10.0), 1e-12);
    EXPECT_EQ(*top[Mode::kYx].phaseDeg, 47.0);  // −133° + 180°
    EXPECT_FALSE(s.yxPhaseStoredFirstQuadrant);
    EXPECT_FALSE(top[Mode::kYx].rhoErrOhmM.has_value());
}

TEST(EdiReader, ImpedancesWinOverRhoPhaseBlocksInTheSameFile)
{
    const std::string text = Replace(kHalfSpaceEdi, ">END", ">RHOXY //4\n 1 1 1 1\n>PHSXY //4\n 9 9 9 9\n>END");
    const Sounding s = Read(text);
    EXPECT_EQ(s.kind, DataKind::kImpedance);
    ExpectHalfSpace(s, Mode::kXy);
}

// The half-space file has no ZXX.VAR or ZYY.VAR; its diagonal is 0, so those elements carry
// no error weight in the determinant, and the det error comes from Zxy and Zyx alone:
// var_det = (|Zyx|²·v + |Zxy|²·v)/(4·|Z|²) = v/2 = |Z|²/400 with v = |Z|²/200, the variance of
// the complex value: each part sqrt(1/800)·|Z|, 2·sqrt(1/800) = 7.07 % on ρa.
TEST(EdiReader, DetErrorLeavesOutDiagonalElementsWithoutVarianceAndSaysSo)
{
    const Curve det = DeriveCurve(Read(kHalfSpaceEdi), {Mode::kDet, 0.0});
    for (const auto& r : det.rows) {
        ASSERT_TRUE(r.usable) << r.reason;
        EXPECT_NEAR(r.rhoErrOhmM, 200.0 * std::sqrt(1.0 / 800.0), 1e-9);
    }
    bool said = false;
    for (const auto& n : det.notes)
        said = said || n == "in 4 of 4 rows the det error leaves out Zxx, Zyy, whose variance the file does not give "
                            "(taken as 0; at most 0 % of the error weight)";
    EXPECT_TRUE(said);
}

// Phase error blocks beside the impedances show how their writer read Z.VAR. With
// VAR = |Z|²/200: atan(sqrt(VAR/2)/|Z|) = atan(0.05) = 2.8624° for the complex value,
// atan(sqrt(VAR)/|Z|) = atan(0.0707) = 4.0447° for each part (their ratio 0.7077, not quite
// 1/√2: the arctangent bends).
TEST(EdiReader, VarianceReadingComesFromThePhaseErrorBlocksOrTheDefaultOrTheUser)
{
    const auto withPhaseErrors = [](const char* value) {
        const std::string v(value);
        return Replace(kHalfSpaceEdi, ">END", ">PHSXY.ERR //4\n " + v + " " + v + " " + v + " " + v + "\n>END");
    };
    const struct {
        const char* what;
        std::string text;
        std::optional<VarianceConvention> forced;
        VarianceConvention used;
        const char* note;  // the start of the note saying which reading and why
    } cases[] = {
        {"complex errors", withPhaseErrors("2.8624"), {}, VarianceConvention::kComplex,
         "Z.VAR read as the variance of the complex impedance (each part sqrt(VAR/2)), the reading the file's own "
         "phase errors show (median ratio 0.7077 of"},
        {"part errors", withPhaseErrors("4.0447"), {}, VarianceConvention::kPart,
         "Z.VAR read as the variance of each part of the impedance (sqrt(VAR)), the reading the file's own phase "
         "errors show (median ratio 1 of"},
        // 0.76 of the part error: more than 5 % from either.
        {"neither", withPhaseErrors("3.0742"), {}, VarianceConvention::kComplex,
         "the file's phase errors match neither reading of Z.VAR (median ratio 0.76"},
        {"no phase errors", kHalfSpaceEdi, {}, VarianceConvention::kComplex,
         "Z.VAR read as the variance of the complex impedance (each part sqrt(VAR/2)), the default; the file has no "
         "phase error blocks that tell"},
        {"forced against the blocks", withPhaseErrors("2.8624"), VarianceConvention::kPart, VarianceConvention::kPart,
         "Z.VAR read as the variance of each part of the impedance (sqrt(VAR)), as asked; the file's own phase "
         "errors show the other reading"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ReadOptions options;
        options.varianceConvention = c.forced;
        const Sounding s = ParseEdi(c.text, "test.edi", "test", options);
        EXPECT_EQ(s.varianceConvention, c.used);
        const bool found = std::any_of(s.notes.begin(), s.notes.end(),
                                       [&](const std::string& n) { return n.rfind(c.note, 0) == 0; });
        EXPECT_TRUE(found) << testing::PrintToString(s.notes);
        // The reading reaches the errors: each part |Z|/20 (complex) or |Z|/14.1 (part).
        const double relative = c.used == VarianceConvention::kComplex ? 0.05 : std::sqrt(1.0 / 200.0);
        EXPECT_NEAR(DeriveCurve(s, {Mode::kXy, 0.0}).rows[0].rhoErrOhmM, 200.0 * relative, 1e-9);
    }
}

// RHO*.ERR in log10 or in Ω·m, decided from the data. Beside PHSXY.ERR = 1° a log10 error
// reads about 0.0152, an Ω·m error of ρa = 100 about 3.49; without phase errors, more than a
// quarter of the values above 1 (a factor of ten as log10) mean Ω·m.
TEST(EdiReader, RhoErrorUnitComesFromTheDataOrTheUser)
{
    const auto withRhoErrors = [](const char* values, bool phaseErrors) {
        std::string text = Replace(kRhoPhaseEdi, "  0.1 0.1 0.1", std::string("  ") + values);
        if (!phaseErrors) text = Replace(text, ">PHSXY.ERR ROT=RHOROT // 3\n  1 1 1\n", "");
        return text;
    };
    const struct {
        const char* what;
        std::string text;
        std::optional<RhoErrorUnit> forced;
        double errorAt100Hz;  // Ω·m
        const char* note;
    } cases[] = {
        {"log10 beside phase errors", withRhoErrors("0.0152 0.0152 0.0152", true), {}, 100.0 * std::numbers::ln10 * 0.0152,
         "RHO*.ERR read as standard errors of log10 ρa (δρa = ρa·ln 10·σ): 3 of 3 agree better"},
        {"ohm-m beside phase errors", withRhoErrors("3.5 3.5 3.5", true), {}, 3.5,
         "RHO*.ERR read as standard errors of ρa in Ω·m: 3 of 3 agree better"},
        {"two of three vote ohm-m", withRhoErrors("3.5 0.0152 3.5", true), {}, 3.5,
         "RHO*.ERR read as standard errors of ρa in Ω·m: 2 of 3 agree better"},
        {"large values without phase errors", withRhoErrors("2 0.1 3", false), {}, 3.0,
         "RHO*.ERR read as standard errors of ρa in Ω·m: no phase errors to compare with; 2 of 3 would exceed"},
        {"one large value of four is not enough", withRhoErrors("0.1 0.1 0.1", false), {}, 100.0 * std::numbers::ln10 * 0.1,
         "RHO*.ERR read as standard errors of log10 ρa (δρa = ρa·ln 10·σ): no phase errors to compare with; 0 of 3"},
        {"forced log10 against the data", withRhoErrors("3.5 3.5 3.5", true), RhoErrorUnit::kLog10,
         100.0 * std::numbers::ln10 * 3.5, "RHO*.ERR read as standard errors of log10 ρa (δρa = ρa·ln 10·σ), as asked, "
         "although the data suggest ohmm"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_FALSE(c.text.empty()) << "stale pattern";
        ReadOptions options;
        options.rhoErrorUnit = c.forced;
        const Sounding s = ParseEdi(c.text, "test.edi", "test", options);
        const auto& top = s.rhoPhase[0];  // 100 Hz, the third value of each block
        ASSERT_EQ(top.frequencyHz, 100.0);
        EXPECT_NEAR(*top[Mode::kXy].rhoErrOhmM, c.errorAt100Hz, 1e-12 * c.errorAt100Hz);
        const bool found = std::any_of(s.notes.begin(), s.notes.end(),
                                       [&](const std::string& n) { return n.rfind(c.note, 0) == 0; });
        EXPECT_TRUE(found) << testing::PrintToString(s.notes);
    }
    EXPECT_EQ(ParseRhoErrorUnit("OhmM"), RhoErrorUnit::kOhmM);
    EXPECT_EQ(ParseRhoErrorUnit("log10"), RhoErrorUnit::kLog10);
    EXPECT_FALSE(ParseRhoErrorUnit("decades").has_value());
}

}  // namespace
