// mt1d data: the curve of a sounding file in three formats, every option, every refusal.

#include "tests/cli/CliRun.h"
#include "tests/cli/CsvReader.h"
#include "tests/cli/SoundingFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace cli_testing;

namespace {

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& more)
{
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

nlohmann::json DataJson(const std::vector<std::string>& args)
{
    const ProgramRun run = RunMt1d(With(args, {"--format", "json"}));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    return ParseJson(run.out);
}

// The synthetic file's values come back as written, in every format, each row usable.
TEST(CliData, PrintsTheCurveOfAColumnFileInEveryFormat)
{
    TempDir dir;
    const std::string file = dir.Write("three.txt", SyntheticColumnFile());
    const nlohmann::json json = DataJson({"data", file});
    EXPECT_EQ(json["site"]["name"], "three");
    EXPECT_EQ(json["site"]["file"], file);
    EXPECT_TRUE(json["site"]["latitude_deg"].is_null());
    EXPECT_EQ(json["mode"], "xy");  // the default of a file of apparent resistivity and phase
    EXPECT_EQ(json["floor_percent"], 5.0);
    const auto f = SyntheticFrequencies();
    const auto response = mt1d::earth::LayeredEarth(f).Compute(kSyntheticTruth);
    ASSERT_EQ(json["rows"].size(), f.size());
    for (std::size_t i = 0; i < f.size(); ++i) {
        const auto& row = json["rows"][i];
        EXPECT_EQ(row["frequency_hz"].get<double>(), f[i]);
        EXPECT_DOUBLE_EQ(row["period_s"].get<double>(), 1.0 / f[i]);
        EXPECT_EQ(row["rho_ohmm"].get<double>(), response.rhoA[i]);
        EXPECT_EQ(row["phase_deg"].get<double>(), response.phaseDeg[i]);
        EXPECT_EQ(row["phase_err_deg"].get<double>(), 2.866);  // the file's, just above the floor's 2.86598°
        EXPECT_EQ(row["usable"], true);
    }

    const ProgramRun csv = RunMt1d({"data", file, "--format", "csv"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    const std::vector<CsvRecord> records = ParseCsv(csv.out);
    ASSERT_EQ(records.size(), f.size() + 1);
    EXPECT_EQ(records[0], (CsvRecord{"frequency_hz", "period_s", "rho_ohmm", "rho_err_ohmm", "phase_deg",
                                     "phase_err_deg", "usable"}));
    for (std::size_t i = 0; i < f.size(); ++i) {
        EXPECT_EQ(std::stod(records[i + 1][2]), json["rows"][i]["rho_ohmm"].get<double>());
        EXPECT_EQ(records[i + 1][6], "true");
    }

    const ProgramRun text = RunMt1d({"data", file});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("site three ("), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("mode xy, error floor 5 % of |Z|; phase: impedance phase in degrees"), std::string::npos);
    EXPECT_NE(text.out.find("25 of 25 rows usable"), std::string::npos);
}

// The floor raises every error to floor/100 of |Z|: 2·floor % on ρa, asin(floor/100) on the
// phase; with 0 the file's own errors stay.
TEST(CliData, TheFloorRaisesErrorsToItsShareOfTheImpedance)
{
    TempDir dir;
    const std::string file = dir.Write("three.txt", SyntheticColumnFile());
    const nlohmann::json floor0 = DataJson({"data", file, "--floor", "0"});
    const nlohmann::json floor20 = DataJson({"data", file, "--floor=20"});
    EXPECT_EQ(floor0["floor_percent"], 0.0);
    for (std::size_t i = 0; i < floor0["rows"].size(); ++i) {
        const auto& own = floor0["rows"][i];
        const auto& raised = floor20["rows"][i];
        EXPECT_DOUBLE_EQ(own["rho_err_ohmm"].get<double>(), 0.1 * own["rho_ohmm"].get<double>());
        EXPECT_EQ(own["phase_err_deg"].get<double>(), 2.866);
        EXPECT_DOUBLE_EQ(raised["rho_err_ohmm"].get<double>(), 0.4 * raised["rho_ohmm"].get<double>());
        EXPECT_NEAR(raised["phase_err_deg"].get<double>(), std::asin(0.2) * 180.0 / M_PI, 1e-12);
    }
}

// A file without errors has no usable row with floor 0, and the notes say why for each row.
TEST(CliData, RowsWithoutErrorsAreUnusableAtFloorZeroAndTheNotesSayWhy)
{
    TempDir dir;
    const std::string file = dir.Write("bare.txt", "period rho phase\n0.1 100 45\n1 120 50\n");
    const nlohmann::json json = DataJson({"data", file, "--floor", "0"});
    EXPECT_EQ(json["rows"][0]["usable"], false);
    EXPECT_TRUE(json["rows"][0]["rho_err_ohmm"].is_null());
    const std::string notes = json["notes"].dump();
    EXPECT_NE(notes.find("row 1 (10 Hz): no error given and the error floor is 0"), std::string::npos) << notes;
    EXPECT_NE(notes.find("row 2 (1 Hz): no error given"), std::string::npos) << notes;
    const ProgramRun text = RunMt1d({"data", file, "--floor", "0"});
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.out.find("  no: no error given and the error floor is 0"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("0 of 2 rows usable"), std::string::npos);
}

// The values the file's source notes give, computed independently of this program (4 or more
// significant digits: ρa to 1e-5 relative for its 6 printed digits, phases to their 2 decimals).
TEST(CliData, RealFilesGiveTheValuesOfTheirSourceNotes)
{
    const auto iaj = SharedFile("edi/IAJ34.edi");
    if (!iaj) GTEST_SKIP() << testing_support::kNoSharedData;
    const struct {
        std::string file;
        std::vector<std::string> options;
        std::string mode;
        double rho;
        double phase;
        double phaseTolerance;
    } cases[] = {
        {*iaj, {}, "det", 884.444, 44.77, 0.005},
        {*iaj, {"--mode", "xy"}, "xy", 1127.98, 41.02, 0.005},
        {*iaj, {"--mode", "YX"}, "yx", 670.608, -130.23 + 180.0, 0.005},
        {*SharedFile("edi/tf_edi_rho_only.edi"), {}, "xy", 0.2818635, 35.75853, 5e-6},
        {*SharedFile("edi/tf_edi_rho_only.edi"), {"--mode", "yx"}, "yx", 0.258177, 36.69456, 5e-6},
        {*SharedFile("edi/Phoenix2025.edi"), {"--mode", "xy"}, "xy", 135.332, 45.09, 0.005},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file + " " + c.mode);
        const nlohmann::json json = DataJson(With({"data", c.file}, c.options));
        EXPECT_EQ(json["mode"], c.mode);
        const auto& first = json["rows"][0];
        EXPECT_NEAR(first["rho_ohmm"].get<double>(), c.rho, 1e-5 * c.rho);
        EXPECT_NEAR(first["phase_deg"].get<double>(), c.phase, c.phaseTolerance);
    }
    // The Cull sounding: log10 ρa and its error in the file, read with --columns.
    const auto cull = SharedFile("cull1985-occam1987/aushield.dat");
    const nlohmann::json json = DataJson(With({"data", *cull, "--floor", "0"}, kCullColumns));
    ASSERT_EQ(json["rows"].size(), 23u);
    const auto& first = json["rows"][0];
    EXPECT_DOUBLE_EQ(first["frequency_hz"].get<double>(), 50.0);  // period 0.020 s
    EXPECT_NEAR(first["rho_ohmm"].get<double>(), std::pow(10.0, 0.712), 1e-12);
    EXPECT_NEAR(first["rho_err_ohmm"].get<double>(), std::pow(10.0, 0.712) * std::log(10.0) * 0.0434, 1e-12);
    EXPECT_EQ(first["phase_err_deg"].get<double>(), 4.50);
}

// Rotating the frame by 90° turns x into y: the rotated xy curve is the yx curve, and the
// determinant does not depend on the frame.
TEST(CliData, RotateTurnsTheTensorIntoTheGivenFrame)
{
    const auto iaj = SharedFile("edi/IAJ34.edi");
    if (!iaj) GTEST_SKIP() << testing_support::kNoSharedData;
    const nlohmann::json yx = DataJson({"data", *iaj, "--mode", "yx"});
    const nlohmann::json rotatedXy = DataJson({"data", *iaj, "--mode", "xy", "--rotate", "90"});
    const nlohmann::json det = DataJson({"data", *iaj});
    const nlohmann::json rotatedDet = DataJson({"data", *iaj, "--rotate", "33.5"});
    ASSERT_EQ(yx["rows"].size(), rotatedXy["rows"].size());
    for (std::size_t i = 0; i < yx["rows"].size(); ++i) {
        // cos 90° is 6e-17, not 0: a few units of the last place.
        const double rho = yx["rows"][i]["rho_ohmm"].get<double>();
        EXPECT_NEAR(rotatedXy["rows"][i]["rho_ohmm"].get<double>(), rho, 1e-12 * rho);
        EXPECT_NEAR(rotatedXy["rows"][i]["phase_deg"].get<double>(), yx["rows"][i]["phase_deg"].get<double>(), 1e-9);
        const double d = det["rows"][i]["rho_ohmm"].get<double>();
        EXPECT_NEAR(rotatedDet["rows"][i]["rho_ohmm"].get<double>(), d, 1e-12 * d);
    }
}

// Input that cannot be used: a message on standard error naming what is wrong, exit status 2,
// nothing on standard output.
TEST(CliData, RefusesUnusableInputWithExitTwoAndNoOutput)
{
    TempDir dir;
    const std::string good = dir.Write("three.txt", SyntheticColumnFile());
    const std::string broken = dir.Write("broken.txt", "frequency rho phase\n10 100 45\n1 abc 50\n");
    const std::string empty = dir.Write("empty.edi", "");
    const std::string rhoOnly = dir.Write("rho.txt", "period rho rho_err phase phase_err\n1 100 10 45 2\n");
    const struct {
        std::vector<std::string> args;
        std::string named;
    } cases[] = {
        {{"data"}, "a sounding file is needed: mt1d COMMAND FILE"},
        {{"data", good, "extra"}, "data does not take 'extra'"},
        {{"data", dir.Path("absent.edi")}, "absent.edi"},
        {{"data", broken}, "broken.txt, line 3"},
        {{"data", empty}, "empty.edi"},
        {{"data", good, "--mode", "tm"}, "--mode takes xy|yx|det|berd|xy+yx, not 'tm'"},
        {{"data", good, "--mode", "det"}, "has no data for mode det; its modes: xy"},
        {{"data", good, "--floor", "-1"}, "--floor takes a number from 0 to 100, not '-1'"},
        {{"data", good, "--floor", "101"}, "--floor takes a number from 0 to 100, not '101'"},
        {{"data", good, "--floor", "101"}, "--floor 取 0 到 100 之间的数：“101”"},  // one language each
        {{"data", good, "--floor", "5%"}, "--floor takes a number from 0 to 100, not '5%'"},
        {{"data", good, "--floor", "nan"}, "not 'nan'"},
        {{"data", good, "--floor"}, "--floor needs a value"},
        {{"data", good, "--columns", "period,ohms,phase"}, "--columns: unknown column 'ohms'"},
        {{"data", good, "--columns", "period,rho"}, "--columns: column list"},
        {{"data", good, "--rotate", "east"}, "--rotate takes a number from -360 to 360, not 'east'"},
        {{"data", good, "--rotate", "1e9"}, "--rotate takes a number from -360 to 360"},
        {{"data", rhoOnly, "--rotate", "10"}, "cannot rotate: the file holds only apparent resistivity and phase"},
        {{"data", good, "--format", "xml"}, "--format takes text|csv|json, not 'xml'"},
        {{"data", good, "--method", "occam"}, "data does not take '--method'"},
        {{"data", "--", good, "extra"}, "data does not take 'extra'"},
    };
    for (const auto& c : cases) {
        const ProgramRun run = RunMt1d(c.args);
        SCOPED_TRACE(c.named);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("mt1d: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(c.named), std::string::npos) << run.err;
    }
}

}  // namespace

namespace {

// After "--" every word is a file, so a file named like an option can be read.
TEST(CliData, EndOfOptionsMarkLetsAFileLookLikeAnOption)
{
    TempDir dir;
    dir.Write("--help", SyntheticColumnFile());
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path(""));
    const ProgramRun marked = RunMt1d({"data", "--format", "csv", "--", "--help"});
    const ProgramRun plain = RunMt1d({"data", "--format", "csv", "./--help"});
    std::filesystem::current_path(previous);
    EXPECT_EQ(marked.status, 0) << marked.err;
    EXPECT_FALSE(marked.out.empty());
    EXPECT_EQ(marked.out, plain.out);
}

TEST(CliHelp, ListsTheFieldCommandsWithTheirFileAndPhase)
{
    const ProgramRun all = RunMt1d({"--help"});
    EXPECT_EQ(all.status, 0);
    for (const char* word : {"mt1d data FILE [--mode M] [--floor PERCENT] [--columns LIST] [--rotate DEG]",
                             "mt1d fit FILE [--mode M]", "--layer-tops T1,T2,...", "--method M",
                             "data and fit give the impedance phase φ\nitself", "when a fit ends without reaching its\ngoal"}) {
        EXPECT_NE(all.out.find(word), std::string::npos) << word;
    }
    const ProgramRun data = RunMt1d({"data", "--help"});
    EXPECT_NE(data.out.find("Default: det for\n"), std::string::npos) << data.out;
    EXPECT_EQ(data.out.find("fit:"), std::string::npos);
    EXPECT_EQ(data.out.find("--method"), std::string::npos);
    // The accepted ranges of a usable row, in the help of both (the words, wherever wrapped).
    const auto words = [](const std::string& text) {
        std::string out;
        for (const char c : text) {
            if (c == '\n' || c == ' ') {
                if (!out.empty() && out.back() != ' ') out += ' ';
            } else {
                out += c;
            }
        }
        return out;
    };
    for (const ProgramRun& help : {data, RunMt1d({"fit", "--help"})}) {
        EXPECT_NE(words(help.out).find("usable when it has frequencies from 1e-6 to 1e6 Hz, apparent resistivities "
                                       "from 1e-9 to 1e9 ohm-m, phases from -180 to 180 degrees"),
                  std::string::npos)
            << help.out;
    }
    // An option that is needed is shown without brackets.
    EXPECT_NE(RunMt1d({"batch", "--help"}).out.find("mt1d batch INPUT --out DIR [--mode M]"), std::string::npos);
    const ProgramRun fit = RunMt1d({"fit", "-h"});
    for (const char* word : {"--columns LIST", "--rotate DEG", "--starts K", "--seed S", "(2 layers: 20, 3: 80, 4: 180)"}) {
        EXPECT_NE(fit.out.find(word), std::string::npos) << word;
    }
}

}  // namespace
