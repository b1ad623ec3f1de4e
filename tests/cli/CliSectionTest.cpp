// mt1d section: a figure for a batch output folder, notes for the sites left out, and every
// refusal with exit status 2 and no file written.

#include "tests/cli/CliRun.h"
#include "tests/section/SurveyFixture.h"

#include "cli/SectionDrawing.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

using namespace cli_testing;
using namespace section_testing;

class CliSectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // In-process, the section is drawn here; the program starts mt1d-section (tested below).
        mt1d::cli::UseSectionDrawer(&mt1d::cli::DrawSectionHere);
        if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        survey_ = folder_.Path() / "results";
        std::filesystem::create_directories(survey_);
        const std::vector<Layer> model{{10.0, 300.0}, {1000.0, std::nullopt}};
        WriteSurvey(survey_, {{"S1", -30.0, 140.0, model, 900.0},
                              {"S2", -30.0, 140.1, model, 1100.0},
                              {"S3", -30.0, 140.2, model, 1000.0, "no usable rows for mode det"}});
    }
    void TearDown() override { mt1d::cli::UseSectionDrawer(&mt1d::cli::StartSectionProgram); }
    std::string Out(const char* name) const { return (folder_.Path() / name).string(); }

    TempFolder folder_;
    std::filesystem::path survey_;
};

TEST_F(CliSectionTest, WritesTheFigureAndNamesTheSitesLeftOut)
{
    // The depth: the median of the depths of investigation, 900 and 1100 m, rounded up.
    const auto run = RunMt1d({"section", survey_.string(), "--out", Out("s.png")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, Out("s.png") + ": 2 sites, 1000 m deep\n");
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

namespace {

// The request the section command hands to its drawer, recorded instead of drawn.
mt1d::cli::SectionRequest gRecorded;
int Record(const mt1d::cli::SectionRequest& request, std::ostream&, std::ostream&)
{
    gRecorded = request;
    return 0;
}

// mt1d-section reads back exactly the values mt1d read, whatever they look like: the folder
// "-", values beginning with '-' or holding '=' or ',', the depth given or not.
TEST(SectionProgramArguments, AreReadBackAsTheSameRequest)
{
    const std::vector<std::vector<std::string>> commands = {
        {"section", "results", "--out", "s.png"},
        {"section", "--out=s.svg", "-", "--depth", "750"},
        {"section", "a=b", "--out", "-s.pdf", "--profile", "-30,139.9,-30,141"},
        {"section", "--out", "x=.png", "--depth=-5km", "--profile", "auto", "-"},
    };
    mt1d::cli::UseSectionDrawer(&Record);
    for (const auto& args : commands) {
        SCOPED_TRACE(args[1]);
        ASSERT_EQ(RunMt1d(args).status, 0);
        const mt1d::cli::SectionRequest first = gRecorded;
        const auto again = RunMt1d(mt1d::cli::SectionProgramArguments(first));
        ASSERT_EQ(again.status, 0) << again.err;
        EXPECT_EQ(gRecorded.folder, first.folder);
        EXPECT_EQ(gRecorded.out, first.out);
        EXPECT_EQ(gRecorded.profile, first.profile);
        EXPECT_EQ(gRecorded.depth, first.depth);
    }
    mt1d::cli::UseSectionDrawer(&mt1d::cli::StartSectionProgram);
}

#ifdef MT1D_PROGRAM
// Runs `program` with `args` in `folder`; standard output and error are collected.
ProgramRun RunProgram(const std::string& program, std::vector<std::string> args, const std::filesystem::path& folder)
{
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string out = (folder / ".out").string();
    const std::string err = (folder / ".err").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t pid = 0;
    ProgramRun run;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return run;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    auto text = [](const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    };
    run.out = text(out);
    run.err = text(err);
    return run;
}

// The program draws through mt1d-section with the same output, messages and exit statuses as
// the command run in-process; values that look like options reach it as values.
TEST_F(CliSectionTest, ProgramDrawsThroughTheSectionProgramWithTheSameResults)
{
    const struct {
        std::vector<std::string> args;
        int status;
        std::string out;
        std::string err;
    } cases[] = {
        {{"section", "--out", "-s.png", "results"}, 0, "-s.png: 2 sites, 1000 m deep\n",
         "mt1d: S3: not fitted (no usable rows for mode det); left out\n"},
        {{"section", "--out=s.svg", "--depth", "750", "results"}, 0, "s.svg: 2 sites, 750 m deep\n",
         "mt1d: S3: not fitted (no usable rows for mode det); left out\n"},
        {{"section", "--out", "s.png", "--depth=-5", "results"}, 2, "",
         "mt1d: --depth 取正数：“-5” (--depth takes a positive number, not '-5')\n(mt1d --help)\n"},
        {{"section", "--out", "s.png", "nowhere"}, 2, "", "not a folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[2]);
        const ProgramRun run = RunProgram(MT1D_PROGRAM, c.args, folder_.Path());
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_EQ(run.out, c.out);
        // Qt may add its own notes (no XDG_RUNTIME_DIR): the program's lines are looked for.
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    }
    EXPECT_TRUE(std::filesystem::exists(folder_.Path() / "-s.png"));
    EXPECT_TRUE(std::filesystem::exists(folder_.Path() / "s.svg"));
    EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "s.png"));
}

// Without mt1d-section beside it, mt1d says which program it could not start and exits 1.
TEST_F(CliSectionTest, ProgramWithoutTheSectionProgramSaysSoAndFails)
{
    const std::filesystem::path alone = folder_.Path() / "alone";
    std::filesystem::create_directories(alone);
    std::filesystem::copy_file(MT1D_PROGRAM, alone / "mt1d");
    const ProgramRun run = RunProgram((alone / "mt1d").string(), {"section", survey_.string(), "--out", "s.png"},
                                      folder_.Path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find((alone / "mt1d-section").string() + ", which cannot be started: No such file"),
              std::string::npos)
        << run.err;
    EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "s.png"));
}
#endif

}  // namespace
