#include "sounding/ColumnReader.h"
#include "sounding/ReadError.h"
#include "sounding/SoundingFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

namespace {

using namespace mt1d::sounding;

Sounding Read(const std::string& text, const std::string& columns = "")
{
    ReadOptions o;
    if (!columns.empty()) o.columns = ParseColumnList(columns);
    return ParseSounding(text, "cols.txt", o);
}

TEST(ColumnReader, HeaderLineNamesTheColumns)
{
    const Sounding s = Read("# a sounding\nfrequency, rho, rho_err, phase, phase_err\n1, 100, 5, 45, 1\n10,50,2,40,2\n");
    EXPECT_EQ(s.format, SourceFormat::kColumns);
    EXPECT_EQ(s.site.name, "cols");
    ASSERT_EQ(s.rhoPhase.size(), 2u);
    const RhoPhaseValue& v = s.rhoPhase[1][Mode::kXy];
    EXPECT_EQ(s.rhoPhase[1].frequencyHz, 1.0);
    EXPECT_EQ(*v.rhoOhmM, 100.0);
    EXPECT_EQ(*v.rhoErrOhmM, 5.0);
    EXPECT_EQ(*v.phaseDeg, 45.0);
    EXPECT_EQ(*v.phaseErrDeg, 1.0);
}

TEST(ColumnReader, PeriodAndLog10ColumnsAreConverted)
{
    const Sounding s = Read("PERIOD\tlog10rho\tlog10rho_err\tphase\tskip\n0.02\t2\t0.1\t30\t999\n");
    const RhoPhaseRow& r = s.rhoPhase[0];
    EXPECT_DOUBLE_EQ(r.frequencyHz, 50.0);
    EXPECT_DOUBLE_EQ(*r[Mode::kXy].rhoOhmM, 100.0);
    EXPECT_NEAR(*r[Mode::kXy].rhoErrOhmM, 100.0 * std::log(10.0) * 0.1, 1e-12);
    EXPECT_FALSE(r[Mode::kXy].phaseErrDeg.has_value());
}

TEST(ColumnReader, HeaderInACommentCountsWhenEveryWordIsAColumnName)
{
    EXPECT_EQ(Read("# period rho phase\n2 10 45\n").rhoPhase[0].frequencyHz, 0.5);
    EXPECT_THROW(Read("# periods rho phs\n2 10 45\n"), ReadError);
}

TEST(ColumnReader, GivenColumnsReplaceOrSupplyTheHeader)
{
    // The "rho" of this header holds log10 ρa, as in the Cull sounding.
    const std::string text = "period rho rho_err phase phase_err\n0.02 0.712 0.0434 20.5 4.5\n";
    EXPECT_DOUBLE_EQ(*Read(text).rhoPhase[0][Mode::kXy].rhoOhmM, 0.712);
    const Sounding s = Read(text, "period,log10rho,log10rho_err,phase,phase_err");
    EXPECT_NEAR(*s.rhoPhase[0][Mode::kXy].rhoOhmM, std::pow(10.0, 0.712), 1e-12);
    EXPECT_EQ(Read("2 10 45\n", "period,rho,phase").rhoPhase.size(), 1u);
}

TEST(ColumnList, UnknownNamesAndIncompleteSetsAreRefused)
{
    EXPECT_EQ(ParseColumnList(" Frequency , rho,phase").size(), 3u);
    for (const char* bad : {"", "frequency,rho", "frequency,period,rho,phase", "frequency,rho,log10rho,phase",
                            "frequency,rho,phase,phase", "freq,rho,phase", "frequency,rho,phase,rho_err,log10rho_err"})
        EXPECT_THROW(ParseColumnList(bad), std::invalid_argument) << bad;
}

struct BrokenColumns {
    const char* what;
    const char* text;
    int line;
    const char* message;
};

void PrintTo(const BrokenColumns& b, std::ostream* os)
{
    *os << b.what;
}

class BrokenColumnFiles : public testing::TestWithParam<BrokenColumns> {};

TEST_P(BrokenColumnFiles, AreRefusedWithLineAndExpectation)
{
    const auto& b = GetParam();
    try {
        ParseSounding(b.text, "c.txt");
        FAIL() << "accepted";
    } catch (const ReadError& e) {
        EXPECT_EQ(e.Line(), b.line) << e.what();
        EXPECT_NE(std::string(e.what()).find(b.message), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BrokenColumnFiles,
    testing::Values(BrokenColumns{"no header", "1 100 45\n", 1, "expected a header line"},
                    BrokenColumns{"unknown name", "frequency rhoa phase\n1 100 45\n", 1, "unknown column 'rhoa'"},
                    BrokenColumns{"no phase", "frequency rho\n1 100\n", 1, "expected a phase column"},
                    BrokenColumns{"short row", "frequency rho phase\n1 100 45\n2 90\n", 3, "expected 3 values"},
                    BrokenColumns{"long row", "frequency rho phase\n1 100 45 7\n", 2, "found 4"},
                    BrokenColumns{"text in numbers", "frequency rho phase\n1 1OO 45\n", 2,
                                  "column 2 (rho): expected a number, found '1OO'"},
                    BrokenColumns{"no rows", "frequency rho phase\n# nothing\n", 0, "the file holds none"}));

}  // namespace
