// Batch output folders read back: the sites in summary order, every site left out named with
// its reason, and folders that are not one refused.

#include "tests/section/SurveyFixture.h"
#include "section/Section.h"
#include "section/SurveyFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

using namespace section_testing;
using mt1d::section::ReadSurvey;
using mt1d::section::SurveyError;

const std::vector<Layer> kTwoLayers{{10.0, 200.0}, {1000.0, std::nullopt}};

bool AnyNoteHas(const std::vector<std::string>& notes, const std::string& a, const std::string& b)
{
    for (const auto& n : notes) {
        if (n.find(a) != std::string::npos && n.find(b) != std::string::npos) return true;
    }
    return false;
}

TEST(ReadSurveyTest, ReadsEveryFittedSiteInSummaryOrderWithItsModelAndLocation)
{
    TempFolder folder;
    WriteSurvey(folder.Path(), {{"Z9", -30.0, 140.0, kTwoLayers, 1500.0},
                                {"A1", -30.1, 140.1, {{50.0, std::nullopt}}, 800.0}});
    const auto survey = ReadSurvey(folder.Path());
    ASSERT_EQ(survey.sites.size(), 2u);
    EXPECT_EQ(survey.sites[0].site.name, "Z9");
    EXPECT_EQ(survey.sites[1].site.name, "A1");
    EXPECT_EQ(survey.sites[0].site.latitudeDeg, -30.0);
    EXPECT_EQ(survey.sites[0].site.longitudeDeg, 140.0);
    ASSERT_EQ(survey.sites[0].layers.size(), 2u);
    EXPECT_EQ(survey.sites[0].layers[1].topM, 200.0);
    EXPECT_EQ(survey.sites[0].layers[1].resistivityOhmM, 1000.0);
    EXPECT_EQ(survey.sites[0].depthOfInvestigationM, 1500.0);
    EXPECT_EQ(survey.sites[1].resultFile, folder.Path() / "A1.json");
    EXPECT_TRUE(survey.notes.empty());
}

TEST(ReadSurveyTest, SitesThatCannotBeShownAreLeftOutWithTheirReason)
{
    TempFolder folder;
    WriteSurvey(folder.Path(), {{"good", 0.0, 0.0, kTwoLayers},
                                {"failed", 0.0, 0.1, kTwoLayers, 1000.0, "no usable rows for mode det"},
                                {"lost", 0.0, 0.2, kTwoLayers},
                                {"broken", 0.0, 0.3, kTwoLayers}});
    std::filesystem::remove(folder.Path() / "lost.json");
    WriteText(folder.Path() / "broken.json", "{\"format\": \"mt1d fit\"");
    const auto survey = ReadSurvey(folder.Path());
    ASSERT_EQ(survey.sites.size(), 1u);
    EXPECT_EQ(survey.sites[0].site.name, "good");
    ASSERT_EQ(survey.notes.size(), 3u);
    EXPECT_TRUE(AnyNoteHas(survey.notes, "failed", "no usable rows for mode det"));
    EXPECT_TRUE(AnyNoteHas(survey.notes, "lost", "no result file"));
    EXPECT_TRUE(AnyNoteHas(survey.notes, "broken", "broken.json"));
}

TEST(ReadSurveyTest, AFitThatMissedItsTargetIsShownWithItsStatus)
{
    TempFolder folder;
    WriteSurvey(folder.Path(), {{"near", 0.0, 0.0, kTwoLayers}, {"far", 0.0, 0.1, kTwoLayers}});
    // The batch writes the result and records why it is not "ok".
    std::string summary;
    {
        std::ifstream in(folder.Path() / "summary.csv");
        summary.assign(std::istreambuf_iterator<char>(in), {});
    }
    summary.replace(summary.rfind(",ok\n"), 4, ",target-not-reached: RMS 1.38\n");
    WriteText(folder.Path() / "summary.csv", summary);
    const auto survey = ReadSurvey(folder.Path());
    ASSERT_EQ(survey.sites.size(), 2u);
    EXPECT_EQ(survey.sites[1].site.name, "far");
    ASSERT_EQ(survey.notes.size(), 1u);
    EXPECT_EQ(survey.notes[0], "far: target-not-reached: RMS 1.38; shown all the same");
    // Marked, in the survey and in the section drawn from it.
    EXPECT_FALSE(survey.sites[0].missedTarget);
    EXPECT_TRUE(survey.sites[1].missedTarget);
    const auto section = mt1d::section::MakeSection(survey, {});
    ASSERT_EQ(section.sites.size(), 2u);
    for (const auto& site : section.sites) EXPECT_EQ(site.missedTarget, site.name == "far") << site.name;
}

TEST(ReadSurveyTest, AResultUnderAnotherFileNameIsFoundByItsSiteName)
{
    TempFolder folder;
    WriteSurvey(folder.Path(), {{"S/1", 0.0, 0.0, kTwoLayers}, {"S2", 0.0, 0.1, kTwoLayers}});
    // A site name that is no file name: the batch stores it under a name of its own.
    WriteText(folder.Path() / "S_1.json", report::FitJsonText(SiteRecord({"S/1", 0.0, 0.0, kTwoLayers})));
    std::filesystem::rename(folder.Path() / "S2.json", folder.Path() / "site-2.json");
    const auto survey = ReadSurvey(folder.Path());
    ASSERT_EQ(survey.sites.size(), 2u) << (survey.notes.empty() ? "" : survey.notes.front());
    EXPECT_EQ(survey.sites[0].resultFile, folder.Path() / "S_1.json");
    EXPECT_EQ(survey.sites[1].resultFile, folder.Path() / "site-2.json");
}

TEST(ReadSurveyTest, RefusesFoldersThatAreNotABatchOutput)
{
    TempFolder folder;
    const auto refusal = [](const std::filesystem::path& path) -> std::string {
        try {
            ReadSurvey(path);
        } catch (const SurveyError& e) {
            return e.what();
        }
        return "accepted";
    };
    EXPECT_NE(refusal(folder.Path() / "nowhere").find("not a folder"), std::string::npos);
    // An empty folder, and one of soundings.
    EXPECT_NE(refusal(folder.Path()).find("no summary.csv"), std::string::npos);
    WriteText(folder.Path() / "a.edi", ">HEAD\n");
    EXPECT_NE(refusal(folder.Path()).find("no summary.csv"), std::string::npos);
    // A CSV of something else.
    WriteText(folder.Path() / "summary.csv", "station,x,y\nA,1,2\n");
    EXPECT_NE(refusal(folder.Path()).find("not the summary of an mt1d batch"), std::string::npos);
    // A summary where every site failed: each named in the message.
    WriteSurvey(folder.Path(), {{"F1", 0.0, 0.0, kTwoLayers, 1000.0, "cannot read"},
                                {"F2", 0.0, 0.1, kTwoLayers, 1000.0, "fit failed"}});
    const std::string none = refusal(folder.Path());
    EXPECT_NE(none.find("not one site with a model among the 2 rows"), std::string::npos) << none;
    EXPECT_NE(none.find("F2: not fitted (fit failed)"), std::string::npos) << none;
}

}  // namespace
