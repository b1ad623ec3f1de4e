// mt1d section: a figure for a batch output folder, notes for the sites left out, and every
// refusal with exit status 2 and no file written.

#include "tests/cli/CliRun.h"
#include "tests/section/SurveyFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace {

using namespace cli_testing;
using namespace section_testing;

class CliSectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        survey_ = folder_.Path() / "results";
        std::filesystem::create_directories(survey_);
        const std::vector<Layer> model{{10.0, 300.0}, {1000.0, std::nullopt}};
        WriteSurvey(survey_, {{"S1", -30.0, 140.0, model, 900.0},
                              {"S2", -30.0, 140.1, model, 1100.0},
                              {"S3", -30.0, 140.2, model, 1000.0, "no usable rows for mode det"}});
    }
    std::string Out(const char* name) const { return (folder_.Path() / name).string(); }

    TempFolder folder_;
    std::filesystem::path survey_;
};

TEST_F(CliSectionTest, WritesTheFigureAndNamesTheSitesLeftOut)
{
    const auto run = RunMt1d({"section", survey_.string(), "--out", Out("s.png")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, Out("s.png") + ": 2 sites, 2000 m deep\n");
    EXPECT_NE(run.err.find("S3: not fitted (no usable rows for mode det)"), std::string::npos) << run.err;
    std::ifstream png(Out("s.png"), std::ios::binary);
    char signature[4] = {};
    png.read(signature, 4);
    EXPECT_EQ(std::string(signature + 1, 3), "PNG");
}

TEST_F(CliSectionTest, TakesAProfileAndADepth)
{
    const auto run =
        RunMt1d({"section", survey_.string(), "--out", Out("s.svg"), "--profile", "-30,139.9,-30,141", "--depth", "750"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, Out("s.svg") + ": 2 sites, 750 m deep\n");
    // Blanks around a number, as every numeric option takes them.
    const auto blanks = RunMt1d({"section", survey_.string(), "--out", Out("t.svg"), "--depth", "100 "});
    ASSERT_EQ(blanks.status, 0) << blanks.err;
    EXPECT_EQ(blanks.out, Out("t.svg") + ": 2 sites, 100 m deep\n");
}

struct Refusal {
    const char* name;
    std::vector<std::string> extra;  // after DIR --out FILE
    const char* message;
};

class CliSectionRefusalTest : public CliSectionTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(CliSectionRefusalTest, ExitsTwoWithAMessageAndWritesNothing)
{
    const Refusal& r = GetParam();
    std::string folder = survey_.string();
    std::string out = Out("s.png");
    std::vector<std::string> args{"section"};
    if (std::string(r.name) == "NotAFolder") folder += "/nowhere";
    if (std::string(r.name) == "EmptyFolder") {
        folder = Out("empty");
        std::filesystem::create_directories(folder);
    }
    if (std::string(r.name) == "JpegOut") out = Out("s.jpg");
    args.insert(args.end(), {folder, "--out", out});
    args.insert(args.end(), r.extra.begin(), r.extra.end());
    const auto run = RunMt1d(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(r.message), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(out));
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, CliSectionRefusalTest,
    ::testing::Values(Refusal{"NotAFolder", {}, "not a folder"}, Refusal{"EmptyFolder", {}, "no summary.csv"},
                      Refusal{"JpegOut", {}, ".png, .svg or .pdf"},
                      Refusal{"ProfileOfThree", {"--profile", "1,2,3"}, "got 3"},
                      Refusal{"ProfileWord", {"--profile", "best"}, "\"best\" is not a number"},
                      Refusal{"NegativeDepth", {"--depth", "-5"}, "--depth takes a positive number, not '-5'"},
                      Refusal{"DepthWithUnit", {"--depth", "5km"}, "--depth takes a positive number"},
                      Refusal{"HexadecimalDepth", {"--depth", "0x10"}, "--depth takes a positive number, not '0x10'"},
                      Refusal{"EmptyDepth", {"--depth", ""}, "--depth takes a positive number"},
                      Refusal{"NoOut", {"--out"}, "--out"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
