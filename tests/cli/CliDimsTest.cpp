// mt1d dims: the phase-tensor verdict of a sounding as the command line prints it, its limits
// passed through, and the files and values it refuses.

#include "tests/cli/CliRun.h"
#include "tests/cli/SoundingFiles.h"
#include "tests/sounding/SyntheticEdi.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace cli_testing;

namespace {

// The half-space site with the yx impedance's imaginary part doubled: Zyx = −R(1 + 2i) while
// Zxy = R(1 + i). With no diagonal, Φ = X⁻¹Y = diag(Im Zyx / Re Zyx, Im Zxy / Re Zxy) = diag(2, 1):
// Π1 = ½·|2 − 1| = 0.5 and Π2 = ½·(2 + 1) = 1.5, so Φmax = 2, Φmin = 1 (angles atan 2 = 63.4349°
// and 45°), β = 0, α = 0, the ellipticity (2 − 1)/(2 + 1) = 1/3 and the strike 0° (mod 90°).
std::string TwoDimensionalEdi()
{
    return sounding_test::Replace(sounding_test::kHalfSpaceEdi,
                                  "  -15.8113883008419 -50 -158.113883008419 -5\n>ZYX.VAR",
                                  "  -31.6227766016838 -100 -316.227766016838 -10\n>ZYX.VAR");
}

// Distance of two strikes on the circle of 90°.
double StrikeGap(double a, double b)
{
    const double d = std::fmod(std::fabs(a - b), 90.0);
    return std::min(d, 90.0 - d);
}

TEST(CliDims, OneDimensionalAndTwoDimensionalTensorsGetTheirInvariantsAndVerdicts)
{
    TempDir dir;
    const std::string halfSpace = dir.Write("halfspace.edi", sounding_test::kHalfSpaceEdi);
    const std::string twoD = dir.Write("twod.edi", TwoDimensionalEdi());
    ASSERT_FALSE(TwoDimensionalEdi().empty());

    const ProgramRun one = RunMt1d({"dims", halfSpace, "--format", "json"});
    ASSERT_EQ(one.status, 0) << one.err;
    const nlohmann::json a = ParseJson(one.out);
    ASSERT_EQ(a["rows"].size(), 4u);
    for (const auto& row : a["rows"]) {
        EXPECT_NEAR(row["phi_max_deg"].get<double>(), 45.0, 1e-9);  // the impedance phase
        EXPECT_NEAR(row["phi_min_deg"].get<double>(), 45.0, 1e-9);
        EXPECT_NEAR(row["beta_deg"].get<double>(), 0.0, 1e-9);
        EXPECT_EQ(row["one_d"], true);
    }
    EXPECT_EQ(a["one_d_fraction"], 1.0);
    EXPECT_TRUE(a["strike_deg"].is_null());  // no 2-D row
    EXPECT_EQ(a["site"]["name"], "Test site");

    // Three settings of one 2-D file: the limits decide, the rotation does not move the
    // strike (measured from north).
    const struct {
        std::vector<std::string> options;
        bool oneD;
    } settings[] = {
        {{}, false},
        {{"--max-ellipticity", "0.34"}, true},   // 1/3 is within
        {{"--max-ellipticity", "0.33"}, false},  // and not within this
        {{"--rotate", "30"}, false},
    };
    for (const auto& s : settings) {
        std::vector<std::string> args{"dims", twoD, "--format", "json"};
        args.insert(args.end(), s.options.begin(), s.options.end());
        const ProgramRun run = RunMt1d(args);
        ASSERT_EQ(run.status, 0) << run.err;
        const nlohmann::json b = ParseJson(run.out);
        SCOPED_TRACE(run.out.substr(0, 400));
        for (const auto& row : b["rows"]) {
            EXPECT_NEAR(row["phi_max_deg"].get<double>(), 63.43494882292201, 1e-9);
            EXPECT_NEAR(row["phi_min_deg"].get<double>(), 45.0, 1e-9);
            EXPECT_NEAR(row["ellipticity"].get<double>(), 1.0 / 3.0, 1e-12);
            EXPECT_LT(StrikeGap(row["strike_deg"].get<double>(), 0.0), 1e-9);
            EXPECT_EQ(row["one_d"], s.oneD);
            EXPECT_EQ(row["two_d"], !s.oneD);
        }
        if (s.oneD) {
            EXPECT_TRUE(b["strike_deg"].is_null());
        } else {
            EXPECT_LT(StrikeGap(b["strike_deg"].get<double>(), 0.0), 1e-9);
        }
    }

    // The same rows as a table for a person and as CSV.
    const ProgramRun text = RunMt1d({"dims", twoD});
    EXPECT_NE(text.out.find("2-D: ellipticity 0.33 > 0.1"), std::string::npos) << text.out;
    const ProgramRun csv = RunMt1d({"dims", twoD, "--format", "csv"});
    const auto lines = Lines(csv.out);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].rfind("frequency_hz,period_s,phi_max_deg,phi_min_deg,", 0), 0u) << lines[0];
}

TEST(CliDims, RefusesFilesWithoutATensorAndLimitsOutOfRange)
{
    TempDir dir;
    const std::string rhoPhase = dir.Write("rp.edi", sounding_test::kRhoPhaseEdi);
    const std::string edi = dir.Write("halfspace.edi", sounding_test::kHalfSpaceEdi);
    const struct {
        std::vector<std::string> args;
        std::string named;
    } cases[] = {
        {{"dims", rhoPhase}, "holds apparent resistivity and phase only"},
        {{"dims", edi, "--max-skew", "46"}, "--max-skew takes a number from 0 to 45, not '46'"},
        {{"dims", edi, "--max-ellipticity", "-0.1"}, "--max-ellipticity takes a number from 0 to 1"},
        {{"dims", edi, "--rotate", "x"}, "--rotate takes a number"},
        {{"dims", dir.Path("absent.edi")}, "absent.edi"},
        {{"dims", edi, "--format", "xml"}, "--format takes text|csv|json"},
    };
    for (const auto& c : cases) {
        const ProgramRun run = RunMt1d(c.args);
        SCOPED_TRACE(c.named);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find(c.named), std::string::npos) << run.err;
    }
}

}  // namespace

namespace {

// A fit records the verdict on its sounding with the limits it used, and a batch's summary
// carries the share of 1-D rows and the strike.
TEST(CliDims, FitRecordsAndBatchSummariesCarryTheVerdict)
{
    TempDir dir;
    std::filesystem::create_directories(dir.Path("in"));
    dir.Write("in/twod.edi", TwoDimensionalEdi());
    dir.Write("in/rp.edi", sounding_test::kRhoPhaseEdi);

    const struct {
        std::vector<std::string> extra;
        double maxEllipticity;
    } runs[] = {{{}, 0.1}, {{"--only-1d", "--max-ellipticity", "0.5"}, 0.5}};
    for (const auto& r : runs) {
        std::vector<std::string> args{"fit", dir.Path("in/twod.edi"), "--method", "layered", "--layers", "1",
                                      "--format", "json"};
        args.insert(args.end(), r.extra.begin(), r.extra.end());
        const ProgramRun run = RunMt1d(args);
        ASSERT_NE(run.out, "") << run.err;
        const nlohmann::json d = ParseJson(run.out)["dimensionality"];
        EXPECT_EQ(d["max_ellipticity"], r.maxEllipticity);
        EXPECT_EQ(d["computed_rows"], 4);
        EXPECT_EQ(d["one_d_fraction"], r.maxEllipticity > 1.0 / 3.0 ? 1.0 : 0.0);
    }
    const ProgramRun rp = RunMt1d({"fit", dir.Path("in/rp.edi"), "--method", "layered", "--layers", "1", "--format", "json"});
    ASSERT_NE(rp.out, "") << rp.err;
    EXPECT_TRUE(ParseJson(rp.out)["dimensionality"].is_null());

    const ProgramRun batch = RunMt1d({"batch", dir.Path("in"), "--out", dir.Path("out"), "--method", "layered",
                                      "--layers", "1"});
    ASSERT_NE(batch.status, 2) << batch.err;
    std::ifstream in(dir.Path("out/summary.csv"));
    std::stringstream text;
    text << in.rdbuf();
    const auto lines = Lines(text.str());
    ASSERT_EQ(lines.size(), 3u) << text.str();
    EXPECT_NE(lines[0].find(",one_d_fraction,strike_deg,status"), std::string::npos);
    // rp has no tensor: both fields empty; twod is 2-D at every row with the strike 0° (or
    // the same direction written as a hair below 90°).
    EXPECT_NE(lines[1].find(",,,"), std::string::npos) << lines[1];
    EXPECT_TRUE(lines[2].find(",0,0,") != std::string::npos || lines[2].find(",0,89.99") != std::string::npos)
        << lines[2];
}

}  // namespace
