// mt1d report: a PDF of two pages from the fit files of a site, whose text names the site, the
// RMS of each fit and the program's version; bad fit files refused with the file named and no
// PDF written.

#include "tests/cli/CliRun.h"
#include "tests/cli/SoundingFiles.h"

#include "cli/ReportDrawing.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>

namespace {

using namespace cli_testing;

std::string ReadAll(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The text of a PDF by poppler's pdftotext, when it is installed.
std::optional<std::string> PdfText(const std::string& file)
{
    if (std::system("command -v pdftotext >/dev/null 2>&1") != 0) return std::nullopt;
    const std::string txt = file + ".txt";
    if (std::system(("pdftotext -enc UTF-8 '" + file + "' '" + txt + "'").c_str()) != 0) return std::nullopt;
    return ReadAll(txt);
}

class CliReportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mt1d::cli::UseReportDrawer(&mt1d::cli::DrawReportHere);
        if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        data_ = dir_.Write("synthetic.dat", SyntheticColumnFile());
    }
    void TearDown() override { mt1d::cli::UseReportDrawer(&mt1d::cli::StartReportProgram); }

    // A fit of the synthetic file written as mt1d fit writes it.
    std::string Fit(const std::string& name, const std::vector<std::string>& options, double& rms)
    {
        std::vector<std::string> args{"fit", data_, "--format", "json"};
        args.insert(args.end(), options.begin(), options.end());
        const ProgramRun run = RunMt1d(args);
        EXPECT_EQ(run.status, 0) << run.err;
        rms = ParseJson(run.out)["rms"].get<double>();
        return dir_.Write(name, run.out);
    }

    TempDir dir_;
    std::string data_;
};

TEST_F(CliReportTest, WritesTwoPagesNamingSiteRmsAndVersion)
{
    double layeredRms = 0, occamRms = 0;
    const std::string layered = Fit("layered.json", {"--method", "layered", "--layers", "3", "--starts", "5"}, layeredRms);
    const std::string occam = Fit("occam.json", {}, occamRms);
    const std::string pdf = dir_.Path("site.pdf");
    const ProgramRun run = RunMt1d({"report", layered, occam, "--out", pdf});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, pdf + ": 2 pages, 2 fits\n");  // the data were found: no "no data drawn"

    const std::string bytes = ReadAll(pdf);
    ASSERT_EQ(bytes.rfind("%PDF", 0), 0u);
    // Qt's PDF writer gives each page one "/Type /Page" object (and one "/Type /Pages").
    const std::regex page("/Type\\s*/Page[^s]");
    EXPECT_EQ(std::distance(std::sregex_iterator(bytes.begin(), bytes.end(), page), std::sregex_iterator()), 2);

    const auto text = PdfText(pdf);
    if (!text) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed: the text was not read back";
    // The site is the file's stem; the RMS as the report rounds it (4 significant digits).
    EXPECT_NE(text->find("synthetic"), std::string::npos);
    EXPECT_NE(text->find("mt1d 0."), std::string::npos) << "version";
    char expected[32];
    std::snprintf(expected, sizeof expected, "RMS %.4g", layeredRms);
    EXPECT_NE(text->find(expected), std::string::npos) << expected << "\n" << *text;
    std::snprintf(expected, sizeof expected, "RMS %.4g", occamRms);
    EXPECT_NE(text->find(expected), std::string::npos) << expected;
}

TEST_F(CliReportTest, DataFoundBesideTheFitWhenTheNamedPathIsRelative)
{
    double rms = 0;
    std::string json = ReadAll(Fit("occam.json", {}, rms));
    // Name the data as a relative path that only resolves beside the fit file.
    const std::string key = "\"file\": \"";
    const auto at = json.find(key);
    ASSERT_NE(at, std::string::npos);
    json.replace(at + key.size(), json.find('"', at + key.size()) - at - key.size(), "synthetic.dat");
    const std::string fit = dir_.Write("relative.json", json);
    const ProgramRun run = RunMt1d({"report", fit, "--out", dir_.Path("r.pdf")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.find("no data drawn"), std::string::npos) << run.out;
}

// Each bad input: exit status 2, a message naming what is wrong, nothing on standard output
// and no PDF.
TEST_F(CliReportTest, RefusesBadInputWithoutWritingThePdf)
{
    double rms = 0;
    const std::string good = Fit("good.json", {}, rms);
    std::string other = ReadAll(good);
    other.replace(other.find("\"name\": \"synthetic\""), 19, "\"name\": \"elsewhere\"");
    const struct {
        std::vector<std::string> fits;
        std::string out;
        std::string message;
    } cases[] = {
        {{dir_.Write("broken.json", "{\"format\": \"mt1d fit\", ")}, "a.pdf", "broken.json"},
        {{dir_.Write("sample.json", "{\"format\": \"mt1d sample\", \"format_version\": 1}")}, "b.pdf", "sample.json"},
        {{dir_.Path("missing.json")}, "c.pdf", "missing.json"},
        {{good, dir_.Write("other.json", other)}, "d.pdf", "different sites"},
        {{good}, "e.png", "--out"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"report"};
        args.insert(args.end(), c.fits.begin(), c.fits.end());
        args.insert(args.end(), {"--out", dir_.Path(c.out)});
        const ProgramRun run = RunMt1d(args);
        EXPECT_EQ(run.status, 2) << c.message << ": " << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_FALSE(std::filesystem::exists(dir_.Path(c.out))) << c.out;
    }
}

TEST(ReportProgramArguments, FitFilesFollowADoubleDashSoThatADashNameStaysAFile)
{
    const auto args = mt1d::cli::ReportProgramArguments({{"-odd.json", "b.json"}, "out.pdf"});
    EXPECT_EQ(args, (std::vector<std::string>{"report", "--out=out.pdf", "--", "-odd.json", "b.json"}));
}

}  // namespace
