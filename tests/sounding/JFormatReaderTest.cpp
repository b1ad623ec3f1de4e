// The J-format reader on hand-written files: apparent resistivity and phase by period
// (j-period-rho-phase.j) and a 100 Ω·m half-space of impedances by frequency
// (j-frequency-impedance.j), and variants of them.

#include "sounding/CurveDerivation.h"
#include "sounding/ImpedanceMath.h"
#include "sounding/JFormatReader.h"
#include "sounding/ReadError.h"
#include "sounding/SoundingFile.h"
#include "tests/sounding/HandFiles.h"
#include "tests/sounding/SyntheticEdi.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace mt1d::sounding;
using sounding_test::HandFile;
using sounding_test::LineOf;
using sounding_test::Replace;
using sounding_test::ReplaceAll;
using C = Component;

// 17 significant digits in the impedance file: ρa exact to a few 1e-15.
constexpr double kRel = 1e-12;

Sounding Read(const std::string& text)
{
    EXPECT_FALSE(text.empty()) << "a replacement pattern no longer matches the hand-written file";
    return ParseJFormat(text, "site.j", "default");
}

const std::string& RhoFile()
{
    static const std::string text = HandFile("j-period-rho-phase.j");
    return text;
}

const std::string& ImpedanceFile()
{
    static const std::string text = HandFile("j-frequency-impedance.j");
    return text;
}

TEST(JFormatReader, RhoPhaseBlocksGiveValuesAndHalfTheirBoundsAsErrors)
{
    const Sounding s = Read(RhoFile());
    EXPECT_EQ(s.format, SourceFormat::kJFormat);
    EXPECT_EQ(s.kind, DataKind::kRhoPhase);
    EXPECT_EQ(s.site.name, "JTEST");
    EXPECT_EQ(*s.site.location.latitudeDeg, -19.5);
    EXPECT_EQ(*s.site.location.longitudeDeg, 135.26);
    EXPECT_EQ(*s.site.location.elevationM, 250.0);
    // The -999 row is skipped; periods 100, 1, 0.01 s become 0.01, 1, 100 Hz, highest first.
    ASSERT_EQ(s.RowCount(), 3u);
    EXPECT_EQ(s.rhoPhase[0].frequencyHz, 100.0);
    EXPECT_EQ(s.rhoPhase[2].frequencyHz, 0.01);
    for (const auto& row : s.rhoPhase) EXPECT_EQ(row.rotationDeg, 15.0);
    const RhoPhaseValue& xy = s.rhoPhase[0][Mode::kXy];
    EXPECT_EQ(*xy.rhoOhmM, 100.0);
    EXPECT_EQ(*xy.rhoErrOhmM, 10.0);   // (110 − 90)/2
    EXPECT_EQ(*xy.phaseDeg, 45.0);
    EXPECT_EQ(*xy.phaseErrDeg, 2.0);   // (47 − 43)/2
    EXPECT_EQ(*s.rhoPhase[2][Mode::kXy].rhoErrOhmM, 5.0);
    // yx phases near −135° are shifted into the first quadrant; their errors stay.
    EXPECT_EQ(*s.rhoPhase[1][Mode::kYx].phaseDeg, 40.0);
    EXPECT_EQ(*s.rhoPhase[1][Mode::kYx].phaseErrDeg, 2.0);
    EXPECT_FALSE(s.yxPhaseStoredFirstQuadrant);
}

TEST(JFormatReader, ImpedanceBlocksByFrequencyGiveTheHalfSpaceInEveryMode)
{
    const Sounding s = Read(ImpedanceFile());
    EXPECT_EQ(s.kind, DataKind::kImpedance);
    ASSERT_EQ(s.RowCount(), 2u);
    EXPECT_EQ(s.tensor[0].frequencyHz, 100.0);  // a negative period is a frequency
    EXPECT_EQ(s.tensor[1].frequencyHz, 1.0);
    for (const Mode m : {Mode::kXy, Mode::kYx, Mode::kDet, Mode::kBerd}) {
        const Curve c = DeriveCurve(s, {m, 0.0});
        for (const auto& r : c.rows) {
            ASSERT_TRUE(r.usable) << r.reason;
            EXPECT_NEAR(r.rhoOhmM, 100.0, 100.0 * kRel);
            EXPECT_NEAR(r.phaseDeg, 45.0, 1e-9);
        }
    }
    // The error column is a standard error: variance = error², 5 % of |Z| here.
    EXPECT_NEAR(*s.tensor[0][C::kXy].variance, 125.0, 125.0 * kRel);
    EXPECT_NEAR(*s.tensor[1][C::kXx].variance, 0.01, 0.01 * kRel);
    // The tipper block stands before the impedances and still finds its rows.
    EXPECT_EQ(*s.tensor[0].tipper[0].value, std::complex<double>(0.1, 0.05));
    EXPECT_NEAR(*s.tensor[1].tipper[0].variance, 1e-4, 1e-16);
}

// The impedance file with its values in ohms (the half-space divided by 10⁴/4π).
std::string InOhms(const std::string& text)
{
    std::string t = ReplaceAll(text, "158.11388300841898", "0.19869176531592203");
    t = ReplaceAll(t, "15.811388300841896", "0.0198691765315922");
    t = ReplaceAll(t, "11.180339887498949", "0.014049629462081452");
    return ReplaceAll(t, "1.1180339887498949", "0.0014049629462081453");
}

std::string LabelledSi(const std::string& text)
{
    std::string t = text;
    for (const char* b : {"ZXX\n", "ZXY\n", "ZYX\n", "ZYY\n"})
        t = Replace(t, b, std::string(b).substr(0, 3) + " S.I.\n");
    return t;
}

std::string WithoutRhoBlock(const std::string& text)
{
    return text.substr(0, text.find("RXY\n"));
}

struct UnitCase {
    const char* what;
    std::string text;
};

void PrintTo(const UnitCase& c, std::ostream* os)
{
    *os << c.what;
}

class JImpedanceUnits : public testing::TestWithParam<UnitCase> {};

// Whatever the label says, the half-space must come out at 100 Ω·m: from the label when the
// file has no ρa block, from the ρa block when it contradicts the label (BIRRP's "S.I.").
TEST_P(JImpedanceUnits, GiveTheHalfSpaceAt100OhmMetres)
{
    const Sounding s = Read(GetParam().text);
    const Curve c = DeriveCurve(s, {Mode::kXy, 0.0});
    for (const auto& r : c.rows) EXPECT_NEAR(r.rhoOhmM, 100.0, 100.0 * 1e-9) << GetParam().what;
    // The error scales with the value: still 5 %.
    EXPECT_NEAR(std::sqrt(*s.tensor[0][C::kXy].variance) / std::abs(*s.tensor[0][C::kXy].value), 0.05, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    JFormatReader, JImpedanceUnits,
    testing::Values(UnitCase{"field units, no label", ImpedanceFile()},
                    UnitCase{"ohms labelled S.I.", LabelledSi(InOhms(ImpedanceFile()))},
                    UnitCase{"ohms labelled S.I., no rho block", WithoutRhoBlock(LabelledSi(InOhms(ImpedanceFile())))},
                    UnitCase{"field units labelled S.I., rho block agrees", LabelledSi(ImpedanceFile())},
                    UnitCase{"ohms without label, rho block agrees", InOhms(ImpedanceFile())}));

TEST(JFormatReader, IsRecognisedFromItsContent)
{
    EXPECT_EQ(DetectFormat(RhoFile(), "a.dat"), FileFormat::kJFormat);
    EXPECT_EQ(DetectFormat(ImpedanceFile(), "a.dat"), FileFormat::kJFormat);
    // Without comments or information lines: a station line and a block.
    EXPECT_EQ(DetectFormat("SITE1\nRXY\n1\n1 100 45 110 90 47 43\n", "a"), FileFormat::kJFormat);
    // Neither an EDI file nor a column file with a comment is taken for one.
    EXPECT_EQ(DetectFormat(">HEAD\n  DATAID=\"x\"\n", "a"), FileFormat::kEdi);
    EXPECT_EQ(DetectFormat("# period rho phase\n1 2 3\n", "a"), FileFormat::kColumns);
}

struct Broken {
    const char* what;
    std::string text;
    int line;
    std::string message;
};

void PrintTo(const Broken& b, std::ostream* os)
{
    *os << b.what;
}

class BrokenJ : public testing::TestWithParam<Broken> {};

TEST_P(BrokenJ, IsRefusedNamingLineAndWhatWasExpected)
{
    const Broken& b = GetParam();
    ASSERT_FALSE(b.text.empty()) << "stale replacement pattern";
    try {
        ParseJFormat(b.text, "site.j", "site");
        FAIL() << "accepted";
    } catch (const ReadError& e) {
        EXPECT_EQ(e.File(), "site.j");
        EXPECT_EQ(e.Line(), b.line) << e.what();
        EXPECT_NE(std::string(e.what()).find(b.message), std::string::npos) << e.what();
    }
}

std::vector<Broken> BrokenCases()
{
    const std::string& r = RhoFile();
    const std::string& z = ImpedanceFile();
    const int ryx = LineOf(r, "RYX");
    return {
        {"no count", Replace(r, "RYX\n3\n", "RYX\nthree\n"), ryx + 1, "expected the number of rows of block RYX"},
        {"cut short", r.substr(0, r.find("  100.0       60.0")), ryx + 3, "ends after 2 of its rows"},
        {"count too large", Replace(r, "RYX\n3\n", "RYX\n5\n"), ryx + 5, "fewer rows than its count"},
        {"short row", Replace(r, "    1.0      180.0   -140.0    190.0    170.0   -138.0   -142.0    1.0    1.0",
                              "    1.0      180.0   -140.0"),
         ryx + 3, "needs 7 numbers per row"},
        {"period of zero", Replace(r, "    1.0      180.0", "    0.0      180.0"), ryx + 3, "a period of 0"},
        {"period twice", Replace(r, "  100.0       60.0", "    1.0       60.0"), ryx + 4, "gives this period twice"},
        {"mixed units", Replace(z, "ZYX\n", "ZYX S.I.\n"), LineOf(z, "ZYX"), "other units than the blocks before it"},
        {"no usable block", "# nothing\nSITE\nRTE\n1\n1 1 1 1 1 1 1\n", 0, "expected impedance blocks"},
        {"all rows missing", "SITE\nRXY\n1\n-999 1 1 1 1 1 1\n", 0, "every row"},
    };
}

INSTANTIATE_TEST_SUITE_P(JFormatReader, BrokenJ, testing::ValuesIn(BrokenCases()));

}  // namespace
