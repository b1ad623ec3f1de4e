#include "sounding/CurveDerivation.h"
#include "sounding/ReadError.h"
#include "sounding/SoundingFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

using namespace mt1d::sounding;

const std::string kHeader = R"(Format:  EMData_1.1
!mode:   TE
!rotation_angle = 30.00
# Transmitters: 1
0 0 0 0 0
# Frequencies:   3
   +1.0e+00
   +1.0e+01
   1.0e-01
# Receivers: 1
0 0 0 0 0 0
)";

Sounding Read(const std::string& data)
{
    return ParseSounding(kHeader + data, "occam.dat");
}

TEST(OccamReader, NamesAndCodesGiveRhoAndPhasePerMode)
{
    const Sounding s = Read("# Data: 5\n!Type Freq# Tx# Rx# Data Std_Error\n"
                            "RhoZxy 1 0 1 100 4\nPhsZxy 1 0 1 45 2\n104 2 0 1 40 1\nrhozyx 3 0 1 50 5\n106 3 0 1 30 3\n");
    EXPECT_EQ(s.format, SourceFormat::kOccamData);
    ASSERT_EQ(s.rhoPhase.size(), 3u);
    const RhoPhaseRow& f1 = s.rhoPhase[1];  // sorted: 10, 1, 0.1 Hz
    EXPECT_EQ(f1.frequencyHz, 1.0);
    EXPECT_EQ(f1.rotationDeg, 30.0);
    EXPECT_EQ(*f1[Mode::kXy].rhoOhmM, 100.0);
    EXPECT_EQ(*f1[Mode::kXy].rhoErrOhmM, 4.0);
    EXPECT_EQ(*f1[Mode::kXy].phaseErrDeg, 2.0);
    EXPECT_EQ(*s.rhoPhase[0][Mode::kXy].phaseDeg, 40.0);
    EXPECT_FALSE(s.rhoPhase[0][Mode::kXy].rhoOhmM.has_value());
    EXPECT_EQ(*s.rhoPhase[2][Mode::kYx].phaseDeg, 30.0);
    EXPECT_EQ(DeriveCurve(s, {Mode::kXy, 5.0}).rows[0].reason, "apparent resistivity missing");
}

TEST(OccamReader, Log10AndImpedanceTypesAreConverted)
{
    // Impedance in ohms of a 100 Ω·m half-space at 1 Hz: |Z| = sqrt(ωμ0ρ) at 45°, with a
    // standard error of 1 % on each part.
    const double mu0 = 4e-7 * std::numbers::pi;
    const double a = std::sqrt(2.0 * std::numbers::pi * mu0 * 100.0) / std::sqrt(2.0);
    char rows[256];
    std::snprintf(rows, sizeof rows, "RealZxy 1 0 1 %.17g %.17g\nImagZxy 1 0 1 %.17g %.17g\n", a, 0.01 * a, a,
                  0.01 * a);
    const Sounding s = Read(std::string("# Data: 4\nlog10RhoZyx 2 0 1 2 0.05\n125 3 0 1 1 0.1\n") + rows);
    const RhoPhaseValue& z = s.rhoPhase[1][Mode::kXy];
    EXPECT_NEAR(*z.rhoOhmM, 100.0, 1e-10);  // the ohm → field-unit factor, squared, is exact to 1e-15
    EXPECT_NEAR(*z.phaseDeg, 45.0, 1e-12);
    // dZ = 0.01·a per part, |Z| = a·√2: dZ/|Z| = 0.01/√2; δρa = 2·ρa·that.
    EXPECT_NEAR(*z.rhoErrOhmM, 200.0 * 0.01 / std::sqrt(2.0), 1e-10);
    const RhoPhaseValue& lg = s.rhoPhase[0][Mode::kYx];  // 10 Hz: log10 ρa = 2
    EXPECT_NEAR(*lg.rhoOhmM, 100.0, 1e-12);
    EXPECT_NEAR(*lg.rhoErrOhmM, 100.0 * std::log(10.0) * 0.05, 1e-12);
}

TEST(OccamReader, ModeDetPutsTheXyRowsUnderTheDeterminant)
{
    std::string header = kHeader;
    header.replace(header.find("TE"), 2, "DET");
    const Sounding s = ParseSounding(header + "# Data: 2\nRhoZxy 1 0 1 100 4\nPhsZxy 1 0 1 45 2\n", "det.dat");
    EXPECT_TRUE(s.rhoPhase[1][Mode::kXy].Empty());
    EXPECT_EQ(*s.rhoPhase[1][Mode::kDet].rhoOhmM, 100.0);
}

TEST(OccamReader, UnusedTypesAreSkippedWithANote)
{
    const Sounding s = Read("# Data: 3\nRhoZxy 1 0 1 100 4\nPhsZxy 1 0 1 45 2\nTZYR 1 0 1 0.1 0.01\n");
    const bool noted = std::any_of(s.notes.begin(), s.notes.end(), [](const std::string& n) {
        return n.find("1 data rows of types mt1d does not use") != std::string::npos;
    });
    EXPECT_TRUE(noted);
}

struct BrokenOccam {
    const char* what;
    std::string text;
    int line;
    const char* message;
};

void PrintTo(const BrokenOccam& b, std::ostream* os)
{
    *os << b.what;
}

class BrokenOccamFiles : public testing::TestWithParam<BrokenOccam> {};

TEST_P(BrokenOccamFiles, AreRefusedWithLineAndExpectation)
{
    const auto& b = GetParam();
    try {
        ParseSounding(b.text, "o.dat");
        FAIL() << "accepted";
    } catch (const ReadError& e) {
        EXPECT_EQ(e.Line(), b.line) << e.what();
        EXPECT_NE(std::string(e.what()).find(b.message), std::string::npos) << e.what();
    }
}

// kHeader has 11 lines.
INSTANTIATE_TEST_SUITE_P(
    Cases, BrokenOccamFiles,
    testing::Values(
        BrokenOccam{"count larger than rows", kHeader + "# Data: 3\nRhoZxy 1 0 1 100 4\nPhsZxy 1 0 1 45 2\n", 0,
                    "announces 3 rows but 2 follow"},
        BrokenOccam{"text in numbers", kHeader + "# Data: 1\nRhoZxy 1 0 1 hundred 4\n", 13, "found 'hundred'"},
        BrokenOccam{"short row", kHeader + "# Data: 1\nRhoZxy 1 0 1 100\n", 13, "expected six fields"},
        BrokenOccam{"frequency number out of range", kHeader + "# Data: 1\nRhoZxy 4 0 1 100 4\n", 13,
                    "is not between 1 and 3"},
        BrokenOccam{"same quantity twice", kHeader + "# Data: 2\nRhoZxy 1 0 1 100 4\nlog10RhoZxy 1 0 1 2 0.1\n", 14,
                    "a second log10RhoZxy value for frequency 1 (the first is on line 13)"},
        BrokenOccam{"frequency list cut short", "Format: EMData_1.1\n# Frequencies: 3\n1\n2\n", 0,
                    "the file ends after 2 of 3 frequencies"},
        BrokenOccam{"two receivers", "Format: EMData_1.1\n# Receivers: 2\n0 0 0\n0 0 1\n", 2, "2 receivers"},
        BrokenOccam{"no MT data", kHeader + "# Data: 1\nTZYR 1 0 1 0.1 0.01\n", 0, "expected MT data rows"},
        BrokenOccam{"no data section", kHeader, 0, "expected a '# Data:' section"}));

}  // namespace
