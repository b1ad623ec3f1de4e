// The Zonge AVG reader on hand-written files of both layouts: one column header for the whole
// file (avg-one-header.avg) and channel metadata with a header per component, columns in
// another order and the polarity of MTEdit without Auto.PhaseFlip
// (avg-header-per-component.avg). Both hold a 100 Ω·m half-space.

#include "sounding/CurveDerivation.h"
#include "sounding/Modes.h"
#include "sounding/ReadError.h"
#include "sounding/SoundingFile.h"
#include "sounding/ZongeAvgReader.h"
#include "tests/sounding/HandFiles.h"
#include "tests/sounding/SyntheticEdi.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace mt1d::sounding;
using sounding_test::HandFile;
using sounding_test::LineOf;
using sounding_test::Replace;
using C = Component;

Sounding Read(const std::string& text)
{
    EXPECT_FALSE(text.empty()) << "a replacement pattern no longer matches the hand-written file";
    return ParseZongeAvg(text, "site.avg", "default");
}

const std::string& OneHeader()
{
    static const std::string text = HandFile("avg-one-header.avg");
    return text;
}

const std::string& PerComponent()
{
    static const std::string text = HandFile("avg-header-per-component.avg");
    return text;
}

// The files give |Z| to 8 digits (22.360680 for sqrt(500)) and phases to 1e-6 mrad.
constexpr double kRhoRel = 1e-7;
constexpr double kPhaseDeg = 1e-6;

void ExpectHalfSpace(const Sounding& s)
{
    for (const Mode m : {Mode::kXy, Mode::kYx, Mode::kBerd}) {
        const Curve c = DeriveCurve(s, {m, 0.0});
        for (const auto& r : c.rows) {
            ASSERT_TRUE(r.usable) << r.reason;
            EXPECT_NEAR(r.rhoOhmM, 100.0, 100.0 * kRhoRel) << ModeName(m);
            EXPECT_NEAR(r.phaseDeg, 45.0, kPhaseDeg) << ModeName(m);
        }
    }
}

TEST(ZongeAvgReader, OneHeaderLayoutGivesTensorMilliradiansAndPercentErrors)
{
    const Sounding s = Read(OneHeader());
    EXPECT_EQ(s.format, SourceFormat::kZongeAvg);
    EXPECT_EQ(s.site.name, "7");
    EXPECT_EQ(*s.site.location.latitudeDeg, 32.5);
    EXPECT_EQ(*s.site.location.longitudeDeg, -107.25);
    ASSERT_EQ(s.RowCount(), 2u);
    EXPECT_EQ(s.tensor[0].frequencyHz, 100.0);  // given from low to high
    ExpectHalfSpace(s);
    // ARes.%err = 10 is 5 % of |Z|: variance (0.05·|Z|)² = 1.25 at 1 Hz (|Z|² = 500); the
    // yx rows' 4 % give (0.02·|Z|)² = 0.2. A reader taking the percentage as that of |Z|
    // would give four times these.
    EXPECT_NEAR(*s.tensor[1][C::kXy].variance, 1.25, 1.25 * kRhoRel);
    EXPECT_NEAR(*s.tensor[1][C::kYx].variance, 0.2, 0.2 * kRhoRel);
    EXPECT_FALSE(s.tensor[0][C::kXx].value);  // no such component in the file
    EXPECT_FALSE(s.tensor[0].tipper[0].value);  // Tzx is skipped
}

TEST(ZongeAvgReader, HeaderPerComponentLayoutFindsColumnsByNameAndUndoesThePolarity)
{
    const Sounding s = Read(PerComponent());
    EXPECT_EQ(s.site.name, "42");
    ASSERT_EQ(s.RowCount(), 2u);
    // No Z.mag column: |Z| = sqrt(5·f·ρa); xy written near −135° and yx near +45°, negated.
    ExpectHalfSpace(s);
    // ARes.%err = 6 at 10 Hz: (0.03·|Z|)² with |Z|² = 5·10·100.
    EXPECT_NEAR(*s.tensor[0][C::kXy].variance, 5.0 * 10.0 * 100.0 * 0.03 * 0.03, 1e-9);
    const auto negated = std::find_if(s.notes.begin(), s.notes.end(), [](const std::string& n) {
        return n.find("negated") != std::string::npos && n.find("Auto.PhaseFlip=No") != std::string::npos;
    });
    EXPECT_NE(negated, s.notes.end());
    // A quoted header value loses its quotes.
    const auto job = std::find(s.site.header.begin(), s.site.header.end(),
                               std::pair<std::string, std::string>{"JOB.NAME", "Hand-written"});
    EXPECT_NE(job, s.site.header.end());
}

TEST(ZongeAvgReader, UsualPolarityIsLeftAlone)
{
    // One component flipped alone is no reason to negate the tensor.
    const Sounding s = Read(Replace(PerComponent(), "10,   2, 100.0, 785.398163", "10,   2, 100.0, -2356.194490"));
    EXPECT_NEAR(std::abs(DeriveCurve(s, {Mode::kXy, 0.0}).rows[0].phaseDeg), 135.0, kPhaseDeg);
    EXPECT_TRUE(std::none_of(s.notes.begin(), s.notes.end(),
                             [](const std::string& n) { return n.find("negated") != std::string::npos; }));
}

TEST(ZongeAvgReader, ZMagnitudeThatContradictsTheResistivityGivesWay)
{
    // 2.2360680E+02 at 1 Hz would give ρa = 10⁴; ARes.mag says 100.
    const Sounding s = Read(Replace(OneHeader(), "2,  1,         1.0,        1.0,        2.2360680E+01, 785",
                                    "2,  1,         1.0,        1.0,        2.2360680E+02, 785"));
    const Curve c = DeriveCurve(s, {Mode::kXy, 0.0});
    EXPECT_NEAR(c.rows[1].rhoOhmM, 100.0, 100.0 * kRhoRel);
}

TEST(ZongeAvgReader, AnySkipFlagIsOnlyCounted)
{
    // A flag far beyond an int once made the count convert it to int (undefined behaviour).
    const Sounding s = Read(Replace(OneHeader(), "1,  100,", "1.7e60,  100,"));
    ASSERT_EQ(s.RowCount(), 2u);
    EXPECT_NE(std::find_if(s.notes.begin(), s.notes.end(),
                           [](const std::string& n) { return n.find("1 with Skp=1.7e+60") != std::string::npos; }),
              s.notes.end());
}

TEST(ZongeAvgReader, IsRecognisedFromItsContent)
{
    EXPECT_EQ(DetectFormat(OneHeader(), "a.txt"), FileFormat::kZongeAvg);
    EXPECT_EQ(DetectFormat(PerComponent(), "a.txt"), FileFormat::kZongeAvg);
    EXPECT_EQ(ParseSounding(OneHeader(), "x/a.avg").format, SourceFormat::kZongeAvg);
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

class BrokenAvg : public testing::TestWithParam<Broken> {};

TEST_P(BrokenAvg, IsRefusedNamingLineAndWhatWasExpected)
{
    const Broken& b = GetParam();
    ASSERT_FALSE(b.text.empty()) << "stale replacement pattern";
    try {
        ParseZongeAvg(b.text, "site.avg", "site");
        FAIL() << "accepted";
    } catch (const ReadError& e) {
        EXPECT_EQ(e.File(), "site.avg");
        EXPECT_EQ(e.Line(), b.line) << e.what();
        EXPECT_NE(std::string(e.what()).find(b.message), std::string::npos) << e.what();
    }
}

std::vector<Broken> BrokenCases()
{
    const std::string& o = OneHeader();
    const std::string& p = PerComponent();
    const int firstRow = LineOf(o, "2,  1,");
    return {
        {"no column header", Replace(o, "Skp,Freq,", "Skip:Frequency;"), LineOf(o, "Skp,Freq,"),
         "data before the column header"},
        {"header without Freq", Replace(p, "Freq,Skp", "Frq,Skp"), LineOf(p, "Freq,Skp"), "names no Freq column"},
        {"data before a component", Replace(o, "$Rx.Cmp = Zxy\n", ""), firstRow - 1, "data before the first component"},
        {"short row", Replace(o, ",  0.99,  10,  10\n2,  100", ",  0.99\n2,  100"), firstRow,
         "expected 12 comma-separated values"},
        {"text for a number", Replace(o, "785.398163,  1.0000E+02", "phase,  1.0000E+02"), firstRow, "'phase' where a number belongs"},
        {"no impedance", "$Survey.Type=MT\n$Rx.Cmp = Tzx\nSkp,Freq,Z.mag\n2, 1, 0.1\n", 0, "expected impedance components"},
        {"frequency twice", Replace(o, "2,  100,       1.0,        1.0,        2.2360680E+02, 785",
                                    "2,  1,         1.0,        1.0,        2.2360680E+02, 785"),
         firstRow + 1, "gives frequency 1 Hz twice"},
    };
}

INSTANTIATE_TEST_SUITE_P(ZongeAvgReader, BrokenAvg, testing::ValuesIn(BrokenCases()));

}  // namespace
