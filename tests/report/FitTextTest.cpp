#include "report/FitCsv.h"
#include "report/FitText.h"

#include "tests/report/SampleRecords.h"
#include "fitting/Uncertainty.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using namespace mt1d::report;
namespace jobs = mt1d::jobs;
using report_testing::LayeredRecord;
using report_testing::OccamRecord;
using ::testing::HasSubstr;
using ::testing::Not;

TEST(FitText, SaysWhatWasFittedHowAndHowTheRunEnded)
{
    const std::string text = FitText(OccamRecord());
    EXPECT_THAT(text, HasSubstr("site aushield (aushield.dat)\nlocation unknown\n"));
    EXPECT_THAT(text, HasSubstr("data: xy curve, error floor 0 % of |Z|; fitted log10 apparent resistivity, 23 values"));
    EXPECT_THAT(text, HasSubstr("fit: occam, 4 layers at the given tops, target RMS 1, at most 10 iterations\n"));
    EXPECT_THAT(text, HasSubstr("result: target-not-reached, RMS 1.600, roughness 12.50, 2 iterations (target not reached)\n"
                                "  the target RMS 1 was not reached\n"));
    EXPECT_THAT(text, HasSubstr("depth of investigation (Niblett-Bostick): 1000 m\n"));
}

TEST(FitText, SmoothFitsListTheLayersAndEveryIteration)
{
    const std::string text = FitText(OccamRecord());
    EXPECT_THAT(text, HasSubstr("     4           40   half-space         1000\n"));
    EXPECT_THAT(text, HasSubstr(" iteration          rms    roughness   multiplier\n"));
    EXPECT_THAT(text, HasSubstr("         2       1.6000       12.500       0.3333\n"));
    EXPECT_THAT(text, Not(HasSubstr("sd factor")));
}

// A standard error s in log10 is the factor 10^s either way; at the cap the data do not see
// the parameter at all.
TEST(FitText, LayeredFitsGiveEachStandardErrorAsAFactor)
{
    jobs::FitRecord record = LayeredRecord();
    record.report.layers[0].log10RhoSd = std::log10(1.25);
    record.report.layers[1].log10ThicknessSd = mt1d::fitting::kMaxLog10Sd;
    const std::string text = FitText(record);
    EXPECT_THAT(text, HasSubstr("fit: layered, 3 layers, 80 starts (seed 18446744073709551615), target RMS 1, at most "
                                "100 iterations per start\n"));
    EXPECT_THAT(text, HasSubstr("     1            0        46.37        x1.98        2.427        x1.25        19.11"));
    EXPECT_THAT(text, HasSubstr("undetermined"));
    EXPECT_THAT(text, HasSubstr("     3         6528   half-space                      1.55        x1.79\n"));
    EXPECT_THAT(text, Not(HasSubstr("iteration ")));
    EXPECT_THAT(text, HasSubstr("\nnotes:\n  the file gives no variances for ZXX, ZYY\n  2 of 25 rows not usable for mode det\n"));
    EXPECT_THAT(FitText(OccamRecord()), Not(HasSubstr("notes:")));
}

TEST(FitText, NamesOnlyTheStronglyCorrelatedPairs)
{
    jobs::FitRecord record = LayeredRecord();
    const std::size_t n = 5;
    record.correlation[2 * n + 4] = record.correlation[4 * n + 2] = -0.9;  // at the threshold: named
    record.correlation[1 * n + 2] = record.correlation[2 * n + 1] = 0.89;  // below: not
    const std::string text = FitText(record);
    EXPECT_THAT(text, HasSubstr("strongly correlated (|r| >= 0.9):\n"
                                "  log10_rho_1 and log10_thickness_1: 0.992\n"
                                "  log10_rho_3 and log10_thickness_2: -0.9\n"));
    EXPECT_THAT(text, Not(HasSubstr("log10_rho_2 and log10_thickness_2")));  // -0.5
    EXPECT_THAT(text, Not(HasSubstr("log10_rho_2 and log10_rho_3")));        // 0.89
    record.correlation.clear();
    EXPECT_THAT(FitText(record), Not(HasSubstr("strongly correlated")));
}

TEST(FitCsv, OneRowPerLayerWithAnEmptyThicknessForTheHalfSpace)
{
    EXPECT_EQ(FitModelCsv(LayeredRecord()),
              "layer,top_m,thickness_m,resistivity_ohmm,log10_rho_sd,log10_thickness_sd\n"
              "1,0,46.37,2.427,0.2967,0.2966\n"
              "2,46.37,6482,48.42,0.1523,0.0792\n"
              "3,6528.37,,1.55,0.2529,\n");
    EXPECT_EQ(FitModelCsv(OccamRecord()).substr(FitModelCsv(OccamRecord()).rfind("4,")), "4,40,,1000,,\n");
}

}  // namespace
