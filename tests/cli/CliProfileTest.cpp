// mt1d profile on a small synthetic profile written as EDI files: the folder it writes (site
// files with the keys of mt1d fit, a batch's summary, profile.json in profile order), the
// section reading it back, windows fitted as separate parts and joined, and its refusals.

#include "batch/Summary.h"
#include "batch/SyntheticSurvey.h"
#include "section/Section.h"
#include "section/SurveyFolder.h"
#include "tests/cli/CliRun.h"
#include "tests/cli/CsvReader.h"
#include "tests/cli/SoundingFiles.h"
#include "tests/lci/SyntheticProfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace {

using namespace cli_testing;
namespace fs = std::filesystem;

constexpr std::size_t kSites = 12;

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

nlohmann::json ReadJson(const fs::path& path) { return ParseJson(ReadText(path)); }

class CliProfileTest : public ::testing::Test {
protected:
    // kSites EDI files 1 km apart along a line due east, over the three-layer earth whose first
    // interface rises from 1,500 m to 500 m (tests/lci/SyntheticProfile.h), 5 % noise, 3
    // frequencies per decade. The input list is shuffled: the profile must order them.
    void SetUp() override
    {
        mt1d::batch::SurveyOptions options;
        options.sites = kSites;
        options.frequenciesPerDecade = 3;
        options.seed = 5;
        auto sites = mt1d::batch::SurveySites(options);
        for (std::size_t i = 0; i < sites.size(); ++i) {
            sites[i].model = testing_support::ProfileTruth(i, kSites);
            names_.push_back(sites[i].name);
            files_.push_back(dir_.Write(sites[i].name + ".edi", mt1d::batch::SurveyEdi(sites[i], i, options)));
        }
        shuffled_ = files_;
        std::reverse(shuffled_.begin(), shuffled_.end());
        std::swap(shuffled_[2], shuffled_[7]);
    }

    ProgramRun Profile(const std::string& out, const std::vector<std::string>& extra) const
    {
        std::vector<std::string> args = {"profile"};
        args.insert(args.end(), shuffled_.begin(), shuffled_.end());
        args.insert(args.end(), {"--out", dir_.Path(out)});
        args.insert(args.end(), extra.begin(), extra.end());
        return RunMt1d(args);
    }

    std::vector<double> Log10Rho(const std::string& out, const std::string& site) const
    {
        std::vector<double> rho;
        const auto json = ReadJson(fs::path(dir_.Path(out)) / (site + ".json"));
        for (const auto& layer : json["layers"]) {
            rho.push_back(std::log10(layer["resistivity_ohmm"].get<double>()));
        }
        return rho;
    }

    TempDir dir_;
    std::vector<std::string> names_;     // S0001 … in profile order
    std::vector<std::string> files_;     // in profile order
    std::vector<std::string> shuffled_;  // as given to mt1d
};

// The folder of a profile: per site the keys of mt1d fit plus lateral_weight and distance_km,
// the batch's summary in input order, and profile.json with the sites in profile order at
// their distances: 1 km apart along a great circle, while the line that fits them best is
// found in a flat local frame (section/Profile.h) and so runs a hair off that circle; 1e-4 km
// over 11 km allows for it (1.5e-5 km measured).
TEST_F(CliProfileTest, WritesSiteFilesSummaryAndProfileInProfileOrder)
{
    const auto run = Profile("lci", {"-j", "2"});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    const fs::path out = dir_.Path("lci");
    EXPECT_NE(run.out.find("12 sites"), std::string::npos) << run.out;

    const auto profile = ReadJson(out / "profile.json");
    EXPECT_EQ(profile["format"], "mt1d profile");
    EXPECT_EQ(profile["method"], "occam");
    EXPECT_LE(profile["rms"].get<double>(), 1.0 + 1e-9);
    EXPECT_GT(profile["roughness"]["vertical"].get<double>(), 0.0);
    EXPECT_GT(profile["roughness"]["lateral"].get<double>(), 0.0);
    EXPECT_GT(profile["iterations"].get<int>(), 0);
    ASSERT_EQ(profile["sites"].size(), kSites);

    const auto single = RunMt1d({"fit", files_[0], "--format", "json"});
    std::set<std::string> fitKeys;
    const auto fitJson = ParseJson(single.out);
    for (const auto& [key, value] : fitJson.items()) fitKeys.insert(key);

    for (std::size_t i = 0; i < kSites; ++i) {
        const auto& entry = profile["sites"][i];
        ASSERT_EQ(entry["site"], names_[i]) << "profile order, place " << i;
        EXPECT_NEAR(entry["distance_km"].get<double>(), static_cast<double>(i), 1e-4);
        const auto site = ReadJson(out / (names_[i] + ".json"));
        std::set<std::string> keys;
        for (const auto& [key, value] : site.items()) keys.insert(key);
        std::set<std::string> expected = fitKeys;
        expected.insert("lateral_weight");
        expected.insert("distance_km");
        EXPECT_EQ(keys, expected) << names_[i];
        EXPECT_EQ(site["distance_km"], entry["distance_km"]);
        EXPECT_EQ(site["lateral_weight"], entry["lateral_weight"]);
        EXPECT_GT(site["lateral_weight"].get<double>(), 0.0);
        EXPECT_EQ(site["method"], "occam");
    }

    const auto rows = ParseCsv(ReadText(out / "summary.csv"));
    ASSERT_EQ(rows.size(), kSites + 1);
    std::ostringstream header;
    for (std::size_t k = 0; k < rows[0].size(); ++k) header << (k ? "," : "") << rows[0][k];
    EXPECT_EQ(header.str(), mt1d::batch::kSummaryHeader);
    for (std::size_t r = 1; r < rows.size(); ++r) {
        EXPECT_EQ(rows[r][1], shuffled_[r - 1]) << "summary in input order";
        EXPECT_EQ(rows[r].back(), "ok");
    }
}

// The files do not depend on the threads; the section reads the folder as a batch's and
// places the sites in the order profile.json gives.
TEST_F(CliProfileTest, ThreadsChangeNothingAndTheSectionReadsTheFolderInProfileOrder)
{
    ASSERT_EQ(Profile("one", {"-j", "1"}).status, 0);
    ASSERT_EQ(Profile("two", {"-j", "2"}).status, 0);
    for (const auto& name : names_) {
        EXPECT_EQ(ReadText(fs::path(dir_.Path("one")) / (name + ".json")),
                  ReadText(fs::path(dir_.Path("two")) / (name + ".json")))
            << name;
    }
    EXPECT_EQ(ReadText(fs::path(dir_.Path("one")) / "profile.json"), ReadText(fs::path(dir_.Path("two")) / "profile.json"));

    const auto survey = mt1d::section::ReadSurvey(dir_.Path("one"));
    const auto section = mt1d::section::MakeSection(survey, {});
    ASSERT_EQ(section.sites.size(), kSites);
    const auto profile = ReadJson(fs::path(dir_.Path("one")) / "profile.json");
    for (std::size_t i = 0; i < kSites; ++i) {
        EXPECT_EQ(section.sites[i].name, profile["sites"][i]["site"].get<std::string>());
        EXPECT_NEAR(section.sites[i].distanceKm, profile["sites"][i]["distance_km"].get<double>(), 1e-9);
    }
}

// Windows of 6 sharing 2 (three windows over 12 sites) fitted as three separate parts in three
// folders, their window files copied into one, and joined by a run over the whole profile:
// the join takes the three files (fits nothing) and gives byte for byte the site files of the
// windowed run done in one process. Against the single run of the whole profile, at every
// site two windows share, each layer above the depth of investigation lies within 0.05 in
// log10 ρ: the bound the LCI's own window test holds (bench/LciStudy.cpp measures 0.013 for
// the smooth form on its profile); each window aims at RMS 1 over its own sites, so its
// multiplier differs a little from the single run's.
TEST_F(CliProfileTest, WindowPartsJoinedEqualAWindowedRunAndMatchTheSingleRunAtTheOverlaps)
{
    ASSERT_EQ(Profile("single", {}).status, 0);
    const auto windowed = Profile("windowed", {"--window", "6", "--overlap", "2"});
    ASSERT_EQ(windowed.status, 0) << windowed.out << windowed.err;
    EXPECT_NE(windowed.out.find("3 windows joined"), std::string::npos) << windowed.out;

    fs::create_directories(dir_.Path("joined"));
    for (int part = 1; part <= 3; ++part) {
        const std::string folder = "part" + std::to_string(part);
        const auto run = Profile(folder, {"--window", "6", "--overlap", "2", "--part", std::to_string(part) + "/3"});
        ASSERT_EQ(run.status, 0) << run.out << run.err;
        const std::string name = "window-00" + std::to_string(part) + "-of-003.json";
        ASSERT_TRUE(fs::exists(fs::path(dir_.Path(folder)) / name)) << run.out;
        EXPECT_FALSE(fs::exists(fs::path(dir_.Path(folder)) / "summary.csv")) << "a part writes its window only";
        fs::copy_file(fs::path(dir_.Path(folder)) / name, fs::path(dir_.Path("joined")) / name);
    }
    const auto joined = Profile("joined", {"--window", "6", "--overlap", "2"});
    ASSERT_EQ(joined.status, 0) << joined.out << joined.err;
    EXPECT_NE(joined.out.find("(3 from their files)"), std::string::npos) << joined.out;
    for (const auto& name : names_) {
        EXPECT_EQ(ReadText(fs::path(dir_.Path("joined")) / (name + ".json")),
                  ReadText(fs::path(dir_.Path("windowed")) / (name + ".json")))
            << name;
    }

    // Three windows as even as the counts allow, 6, 5 and 5 sites overlapping by 2: sites
    // 0–5, 4–8 and 7–11, so sites 4, 5 and 7, 8 are shared.
    const auto profile = ReadJson(fs::path(dir_.Path("windowed")) / "profile.json");
    EXPECT_EQ(profile["windows"]["count"], 3);
    std::size_t compared = 0;
    for (const auto& sites : {std::vector<std::size_t>{4, 5}, std::vector<std::size_t>{7, 8}}) {
        for (const std::size_t s : sites) {
            const auto a = Log10Rho("windowed", names_[s]);
            const auto b = Log10Rho("single", names_[s]);
            const auto single = ReadJson(fs::path(dir_.Path("single")) / (names_[s] + ".json"));
            const double doi = single["depth_of_investigation_m"].get<double>();
            ASSERT_EQ(a.size(), b.size());
            for (std::size_t j = 0; j < a.size() && single["layers"][j]["top_m"].get<double>() < doi; ++j) {
                EXPECT_NEAR(a[j], b[j], 0.05) << names_[s] << ", layer " << j;
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 40u);
}

// mt1d export reads a profile folder as a batch's: a point per site in GeoJSON, a row per
// layer in the models' CSV (the smooth form's mesh at every site), sites at the distances of
// profile.json; an unknown suffix is refused with exit 2 and nothing written.
TEST_F(CliProfileTest, ExportWritesTheProfileFolderForGisAndRefusesUnknownSuffixes)
{
    ASSERT_EQ(Profile("lci", {}).status, 0);
    const auto geo = RunMt1d({"export", dir_.Path("lci"), "--out", dir_.Path("sites.geojson")});
    ASSERT_EQ(geo.status, 0) << geo.err;
    EXPECT_NE(geo.out.find("12 sites"), std::string::npos) << geo.out;
    EXPECT_EQ(ReadJson(dir_.Path("sites.geojson"))["features"].size(), kSites);

    const auto csv = RunMt1d({"export", dir_.Path("lci"), "--out", dir_.Path("models.csv")});
    ASSERT_EQ(csv.status, 0) << csv.err;
    const auto rows = ParseCsv(ReadText(dir_.Path("models.csv")));
    const auto profile = ReadJson(fs::path(dir_.Path("lci")) / "profile.json");
    const std::size_t layers = profile["layer_tops_m"].size();
    ASSERT_EQ(rows.size(), 1 + kSites * layers);
    for (std::size_t i = 0; i < kSites; ++i) {
        const auto& row = rows[1 + i * layers];
        EXPECT_EQ(row[0], names_[i]);
        EXPECT_NEAR(std::stod(row[1]), profile["sites"][i]["distance_km"].get<double>(), 1e-9);
    }

    const auto bad = RunMt1d({"export", dir_.Path("lci"), "--out", dir_.Path("sites.shp")});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find(".geojson, .kml, .csv and .vtk"), std::string::npos) << bad.err;
    EXPECT_FALSE(fs::exists(dir_.Path("sites.shp")));
    const auto notAFolder = RunMt1d({"export", dir_.Path("nowhere"), "--out", dir_.Path("x.kml")});
    EXPECT_EQ(notAFolder.status, 2);
    EXPECT_FALSE(fs::exists(dir_.Path("x.kml")));
}

// Window files from other options are not taken: the join fits that window again.
TEST_F(CliProfileTest, WindowFileOfOtherOptionsIsFittedAgain)
{
    ASSERT_EQ(Profile("w", {"--window", "6", "--overlap", "2", "--part", "2/3", "--target-rms", "1.5"}).status, 0);
    const auto joined = Profile("w", {"--window", "6", "--overlap", "2"});
    ASSERT_EQ(joined.status, 0) << joined.out << joined.err;
    EXPECT_EQ(joined.out.find("from their files"), std::string::npos) << joined.out;
    EXPECT_NE(joined.err.find("window-002-of-003.json: made from other sites or options"), std::string::npos) << joined.err;
}

// A file that cannot be read is left out with its reason in the summary; the others are fitted
// and the exit status says the profile is not whole.
TEST_F(CliProfileTest, UnreadableFileIsLeftOutAndNamed)
{
    const std::string broken = dir_.Write("broken.edi", ">HEAD\nnot an edi file\n");
    std::vector<std::string> args = {"profile", broken};
    args.insert(args.end(), files_.begin(), files_.end());
    args.insert(args.end(), {"--out", dir_.Path("lci")});
    const auto run = RunMt1d(args);
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_NE(run.out.find("12 sites"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("1 left out"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("broken"), std::string::npos) << run.err;
    const auto rows = ParseCsv(ReadText(fs::path(dir_.Path("lci")) / "summary.csv"));
    ASSERT_EQ(rows.size(), kSites + 2);
    EXPECT_EQ(rows[1][0], "broken");
    EXPECT_EQ(rows[1].back().rfind("cannot read", 0), 0u) << rows[1].back();
    const auto profile = ReadJson(fs::path(dir_.Path("lci")) / "profile.json");
    ASSERT_EQ(profile["left_out"].size(), 1u);
    EXPECT_EQ(profile["left_out"][0]["site"], "broken");
}

// Arguments that cannot be used: exit 2, a message naming the option, nothing written.
TEST_F(CliProfileTest, UnusableArgumentsExitTwoAndWriteNothing)
{
    const struct {
        std::vector<std::string> extra;
        const char* named;
    } cases[] = {
        {{"--lateral-weight", "-1"}, "--lateral-weight"},
        {{"--lateral-weight", "2e6"}, "--lateral-weight"},
        {{"--profile", "10,20,30"}, "--profile"},
        {{"--part", "1/3"}, "--part goes with --window"},
        {{"--overlap", "2"}, "--overlap goes with --window"},
        {{"--window", "1"}, "--window"},
        {{"--window", "6", "--overlap", "6"}, "--overlap"},
        {{"--window", "6", "--overlap", "2", "--part", "2/4"}, "give the part as I/3"},
        {{"--window", "6", "--overlap", "2", "--part", "4/3"}, "--part"},
        {{"--rms-tolerance", "0.1"}, "--rms-tolerance"},
        {{"--method", "sample"}, "--method"},
        {{"--method", "layered", "--layers", "31"}, "layers"},
        {{"-j", "0"}, "-j"},
    };
    for (const auto& c : cases) {
        const auto run = Profile("never", c.extra);
        EXPECT_EQ(run.status, 2) << c.named << "\n" << run.err;
        EXPECT_NE(run.err.find(c.named), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_FALSE(fs::exists(dir_.Path("never"))) << c.named;
    }
}

}  // namespace
