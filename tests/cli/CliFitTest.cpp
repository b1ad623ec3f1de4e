// mt1d fit: smooth and layered fits of a sounding file, every option, the formats, the exit
// statuses, and the two real soundings measured against published results.

#include "tests/cli/CliRun.h"
#include "tests/cli/CsvReader.h"
#include "report/FitJsonReader.h"
#include "tests/cli/SoundingFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace cli_testing;

namespace {

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& more)
{
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

class CliFit : public ::testing::Test {
protected:
    // The fit's JSON after a run that must end with `status`.
    nlohmann::json FitJson(const std::vector<std::string>& options, int status = 0)
    {
        const ProgramRun run = RunMt1d(With(With({"fit", file_}, options), {"--format", "json"}));
        EXPECT_EQ(run.status, status) << run.err;
        return ParseJson(run.out);
    }

    TempDir dir_;
    std::string file_ = dir_.Write("three.txt", SyntheticColumnFile());
};

TEST_F(CliFit, OccamIsTheDefaultAndReachesTheTarget)
{
    const ProgramRun run = RunMt1d({"fit", file_, "--format", "json"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const nlohmann::json json = ParseJson(run.out);
    EXPECT_EQ(json["method"], "occam");
    EXPECT_EQ(json["mode"], "xy");
    EXPECT_EQ(json["status"], "target-reached");
    EXPECT_EQ(json["target_reached"], true);
    EXPECT_LE(json["rms"].get<double>(), 1.0);
    EXPECT_TRUE(json["roughness"].is_number());
    EXPECT_EQ(json["values_fitted"], 50);
    EXPECT_EQ(json["layers"].size(), 50u);
    EXPECT_TRUE(json["layers"][49]["thickness_m"].is_null());
    EXPECT_EQ(json["response"].size(), 25u);
    EXPECT_EQ(json["niblett_bostick"].size(), 25u);
    EXPECT_GT(json["depth_of_investigation_m"].get<double>(), 0.0);
    EXPECT_EQ(json["history"].back()["rms"], json["rms"]);
    EXPECT_EQ(json["site"]["name"], "three");
    EXPECT_EQ(json["options"]["floor_percent"], 5.0);
    EXPECT_EQ(json["options"]["max_iterations"], 30);
    // The output is a result file mt1d reads back.
    const mt1d::jobs::FitRecord record = mt1d::report::ParseFitJson(run.out, "stdout");
    EXPECT_EQ(record.report.rms, json["rms"].get<double>());
    EXPECT_EQ(record.report.layers.size(), 50u);
}

// Exact data of a three-layer earth: the layered fit finds that earth. Its RMS is near 0, so
// the parameters are limited only by how far the fit drove χ² down: 1e-3 decades is ample.
TEST_F(CliFit, LayeredFitFindsTheEarthOfExactData)
{
    const nlohmann::json json = FitJson({"--method", "layered", "--layers", "3"});
    EXPECT_EQ(json["method"], "layered");
    EXPECT_EQ(json["status"], "converged");
    EXPECT_LT(json["rms"].get<double>(), 1e-3);
    EXPECT_TRUE(json["roughness"].is_null());
    ASSERT_EQ(json["layers"].size(), 3u);
    for (std::size_t j = 0; j < 3; ++j) {
        const auto& layer = json["layers"][j];
        EXPECT_NEAR(std::log10(layer["resistivity_ohmm"].get<double>() / kSyntheticTruth.resistivity[j]), 0.0, 1e-3);
        EXPECT_TRUE(layer["log10_rho_sd"].is_number());
        if (j < 2) {
            EXPECT_NEAR(std::log10(layer["thickness_m"].get<double>() / kSyntheticTruth.thickness[j]), 0.0, 1e-3);
            EXPECT_TRUE(layer["conductance_s"].is_number());
        }
    }
    EXPECT_EQ(json["correlation"]["matrix"].size(), 5u);
    EXPECT_EQ(json["options"]["starts"], 80);  // the default for three layers
    EXPECT_EQ(json["options"]["seed"], 1);
    EXPECT_EQ(json["options"]["max_iterations"], 100);
}

TEST_F(CliFit, TextAndCsvFormats)
{
    const ProgramRun text = RunMt1d({"fit", file_, "--method", "layered", "--layers", "2"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("fit: layered, 2 layers, 20 starts (seed 1)"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("sd factor"), std::string::npos);
    // Four layers cannot follow the data to RMS 1; a loose target keeps the exit status 0.
    const ProgramRun csv =
        RunMt1d({"fit", file_, "--layer-tops", "0,100,1000,10000", "--target-rms", "20", "--format", "csv"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    const std::vector<CsvRecord> rows = ParseCsv(csv.out);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0], (CsvRecord{"layer", "top_m", "thickness_m", "resistivity_ohmm", "log10_rho_sd",
                                  "log10_thickness_sd"}));
    EXPECT_EQ(rows[2][1], "100");
    EXPECT_EQ(rows[2][2], "900");
    EXPECT_EQ(rows[4][1], "10000");
    EXPECT_EQ(rows[4][2], "");  // the half-space
}

// Which values are fitted: N counts ρa and phase values separately.
TEST_F(CliFit, FitChoosesTheComponents)
{
    EXPECT_EQ(FitJson({"--fit", "rho"})["values_fitted"], 25);
    EXPECT_EQ(FitJson({"--fit", "phase"})["options"]["fit"], "phase");
    EXPECT_EQ(FitJson({"--fit", "phase"})["values_fitted"], 25);
    EXPECT_EQ(FitJson({"--fit", "both", "--method", "layered"})["values_fitted"], 50);
}

// Occam stops at the target with the smoothest model: a looser target gives an RMS at that
// target (to the tolerance of its multiplier search) and a smoother model.
TEST_F(CliFit, TargetRmsIsWhereOccamStops)
{
    const nlohmann::json tight = FitJson({});
    const nlohmann::json loose = FitJson({"--target-rms", "2.5"});
    EXPECT_EQ(loose["options"]["target_rms"], 2.5);
    EXPECT_LE(loose["rms"].get<double>(), 2.5);
    EXPECT_GT(loose["rms"].get<double>(), 2.4);
    EXPECT_LT(loose["roughness"].get<double>(), tight["roughness"].get<double>());
}

// A fit that ends without reaching its goal is printed in full, named on standard error, and
// mt1d exits with 1.
TEST_F(CliFit, AFitThatDoesNotReachItsGoalExitsOneAfterPrintingIt)
{
    const ProgramRun run = RunMt1d({"fit", file_, "--max-iterations", "1", "--format", "json"});
    EXPECT_EQ(run.status, 1);
    const nlohmann::json json = ParseJson(run.out);
    EXPECT_EQ(json["status"], "max-iterations");
    EXPECT_EQ(json["iterations"], 1);
    EXPECT_EQ(json["options"]["max_iterations"], 1);
    EXPECT_EQ(json["layers"].size(), 50u);
    EXPECT_NE(run.err.find("the fit did not reach its goal: max-iterations"), std::string::npos) << run.err;

    // Exact data and a target no model of these layers reaches.
    const ProgramRun unreachable = RunMt1d({"fit", file_, "--layers", "3", "--target-rms", "1e-6"});
    EXPECT_EQ(unreachable.status, 1);
    EXPECT_NE(unreachable.out.find("result: target-not-reached"), std::string::npos) << unreachable.out;
    EXPECT_NE(unreachable.err.find("target-not-reached"), std::string::npos) << unreachable.err;
}

// The same seed gives the same fit; the options say which starts were made.
TEST_F(CliFit, StartsAndSeedMakeTheLayeredFitReproducible)
{
    const std::vector<std::string> options = {"--method", "layered", "--layers", "2", "--starts", "7", "--seed", "42"};
    const ProgramRun a = RunMt1d(With(With({"fit", file_}, options), {"--format", "json"}));
    const ProgramRun b = RunMt1d(With(With({"fit", file_}, options), {"--format", "json"}));
    ASSERT_EQ(a.status, 0) << a.err;
    EXPECT_EQ(a.out, b.out);
    const nlohmann::json json = ParseJson(a.out);
    EXPECT_EQ(json["options"]["starts"], 7);
    EXPECT_EQ(json["options"]["seed"], 42);
    EXPECT_NE(json["message"].get<std::string>().find("best of 7 starts"), std::string::npos);
}

TEST_F(CliFit, LayerTopsAndDepthsPlaceTheOccamLayers)
{
    const nlohmann::json tops = FitJson({"--layer-tops", "0,10,100.5,1000,5e4", "--target-rms", "20"});
    ASSERT_EQ(tops["layers"].size(), 5u);
    const std::vector<double> expected = {0.0, 10.0, 100.5, 1000.0, 5e4};
    for (std::size_t j = 0; j < 5; ++j) EXPECT_DOUBLE_EQ(tops["layers"][j]["top_m"].get<double>(), expected[j]);
    EXPECT_EQ(tops["options"]["layer_tops"], expected);
    EXPECT_EQ(tops["options"]["layers"], 5);

    const nlohmann::json depths = FitJson({"--layers", "12", "--top-depth", "30", "--bottom-depth", "20000"});
    ASSERT_EQ(depths["layers"].size(), 12u);
    EXPECT_DOUBLE_EQ(depths["layers"][1]["top_m"].get<double>(), 30.0);
    EXPECT_NEAR(depths["layers"][11]["top_m"].get<double>(), 20000.0, 1e-9 * 20000.0);  // a sum of thicknesses
    EXPECT_EQ(depths["options"]["top_depth_m"], 30.0);
    EXPECT_EQ(depths["options"]["bottom_depth_m"], 20000.0);
}

// Every option of mt1d data works in fit too and is recorded.
TEST_F(CliFit, TakesEveryOptionOfData)
{
    const std::string bare = dir_.Write("columns.txt", [] {
        std::istringstream in(SyntheticColumnFile());
        std::string text, line;
        std::getline(in, line);  // the comment
        std::getline(in, line);  // the header: left out, the columns given instead
        while (std::getline(in, line)) text += line + "\n";
        return text;
    }());
    const ProgramRun run = RunMt1d({"fit", bare, "--columns", "frequency,rho,rho_err,phase,phase_err", "--floor", "10",
                                    "--mode", "xy", "--format", "json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json json = ParseJson(run.out);
    EXPECT_EQ(json["options"]["columns"],
              (std::vector<std::string>{"frequency", "rho", "rho_err", "phase", "phase_err"}));
    EXPECT_EQ(json["options"]["floor_percent"], 10.0);
    EXPECT_EQ(json["options"]["mode"], "xy");
    EXPECT_TRUE(json["options"]["rotate_deg"].is_null());
    const auto iaj = SharedFile("edi/IAJ34.edi");
    if (!iaj) return;
    const nlohmann::json rotated = ParseJson(RunMt1d({"fit", *iaj, "--rotate", "30", "--mode", "berd", "--format",
                                                      "json", "--target-rms", "3"}).out);
    EXPECT_EQ(rotated["options"]["rotate_deg"], 30.0);
    EXPECT_EQ(rotated["mode"], "berd");
    EXPECT_NEAR(rotated["site"]["latitude_deg"].get<double>(), 43.3411528, 1e-6);
}

TEST_F(CliFit, RefusesUnusableInputWithExitTwoAndNoOutput)
{
    const std::string bare = dir_.Write("bare.txt", "period rho phase\n0.1 100 45\n1 120 50\n10 150 55\n");
    const std::string few = dir_.Write("few.txt", "period rho rho_err phase phase_err\n0.1 100 10 45 2\n1 120 12 50 2\n");
    const struct {
        std::vector<std::string> args;
        std::string named;
    } cases[] = {
        {{"fit"}, "a sounding file is needed"},
        {{"fit", file_, "--method", "simplex"}, "--method takes occam|layered, not 'simplex'"},
        {{"fit", file_, "--fit", "amplitude"}, "--fit takes rho|phase|both, not 'amplitude'"},
        {{"fit", file_, "--method", "layered", "--layers", "0"}, "--layers takes a whole number from 1 to 30, not '0'"},
        {{"fit", file_, "--method", "layered", "--layers", "31"}, "from 1 to 30, not '31'"},
        {{"fit", file_, "--layers", "2"}, "--layers takes a whole number from 3 to 500, not '2'"},
        {{"fit", file_, "--layers", "3.5"}, "--layers takes a whole number from 3 to 500, not '3.5'"},
        {{"fit", file_, "--layer-tops", "0,10,x"}, "item 3 of --layer-tops is not a number: 'x'"},
        {{"fit", file_, "--layer-tops", "0,100", "--layers", "5"}, "--layers does not go with --layer-tops"},
        {{"fit", file_, "--layer-tops", "0,100", "--top-depth", "5"}, "--top-depth does not go with --layer-tops"},
        {{"fit", file_, "--layer-tops", "10,100,1000"}, "the first top must be 0, not 10"},
        {{"fit", file_, "--layer-tops", "0,100,50"}, "layer tops: top 3"},
        {{"fit", file_, "--method", "layered", "--layer-tops", "0,100"}, "--layer-tops applies to --method occam only"},
        {{"fit", file_, "--method", "layered", "--bottom-depth", "100"}, "--bottom-depth applies to --method occam only"},
        {{"fit", file_, "--starts", "10"}, "--starts applies to --method layered only"},
        {{"fit", file_, "--seed", "3"}, "--seed applies to --method layered only"},
        {{"fit", file_, "--top-depth", "0"}, "--top-depth takes a positive number, not '0'"},
        {{"fit", file_, "--top-depth", "500", "--bottom-depth", "100"}, "the bottom depth (100 m"},
        {{"fit", file_, "--target-rms", "0"}, "--target-rms takes a positive number, not '0'"},
        {{"fit", file_, "--target-rms", "-1"}, "--target-rms takes a positive number, not '-1'"},
        {{"fit", file_, "--max-iterations", "0"}, "--max-iterations takes a whole number from 1 to 10000, not '0'"},
        {{"fit", file_, "--max-iterations", "10001"}, "from 1 to 10000, not '10001'"},
        {{"fit", file_, "--method", "layered", "--starts", "0"}, "--starts takes a whole number from 1 to 10000"},
        {{"fit", file_, "--method", "layered", "--seed", "-1"}, "--seed takes a whole number from 0 to 18446744073709551615"},
        {{"fit", file_, "--method", "layered", "--seed", "18446744073709551616"}, "not '18446744073709551616'"},
        {{"fit", file_, "--floor", "200"}, "--floor takes a number from 0 to 100"},
        {{"fit", file_, "--method", "layered", "--relative-tolerance", "1"}, "--relative-tolerance 取不小于 0 且小于 1 的数"},
        {{"fit", file_, "--method", "layered", "--exact-chi2", "-1"}, "--exact-chi2 取不小于 0 的数"},
        {{"fit", file_, "--mode", "det"}, "has no data for mode det"},
        {{"fit", file_, "--mode", "xy+yx"}, "has no data for mode yx"},
        {{"fit", file_, "--mode", "xy+det"}, "--mode takes xy|yx|det|berd|xy+yx, not 'xy+det'"},
        // Static shifts: the options that go together, and a single curve without an anchor.
        {{"fit", file_, "--shift", "maybe"}, "--shift takes none|free, not 'maybe'"},
        {{"fit", file_, "--shift-reference", "xy"}, "--shift-reference applies with --shift free or --surface-rho only"},
        {{"fit", file_, "--shift-prior", "0.2"}, "--shift-prior applies with --shift free or --surface-rho only"},
        {{"fit", file_, "--shift", "none", "--surface-rho", "100"}, "it cannot go with --shift none"},
        {{"fit", file_, "--surface-rho", "100", "--shift-reference", "xy"}, "--shift-reference cannot go with --surface-rho"},
        {{"fit", file_, "--shift", "free", "--surface-depth", "5"}, "--surface-depth applies with --surface-rho only"},
        {{"fit", file_, "--surface-rho", "0"}, "--surface-rho takes a positive number, not '0'"},
        {{"fit", file_, "--shift", "free", "--shift-prior", "0"}, "--shift-prior"},
        {{"fit", file_, "--shift", "free"}, "free static shifts of a single curve need a known surface resistivity"},
        {{"fit", file_, "--shift", "free", "--shift-reference", "yx"}, "the shift reference yx is not among the fitted curves"},
        {{"fit", file_, "--format", "xml"}, "--format takes text|csv|json"},
        // What the fit itself refuses: too few values for the parameters, no usable rows.
        {{"fit", few, "--method", "layered", "--layers", "3"}, "4 data values cannot determine 5 free parameters"},
        {{"fit", bare, "--floor", "0"}, "the fit cannot be made: "},
        {{"fit", dir_.Path("absent.txt")}, "absent.txt"},
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

TEST_F(CliFit, ShiftNoneChangesNoByteAndASurfaceAnchorShiftsASingleCurve)
{
    const ProgramRun plain = RunMt1d({"fit", file_, "--format", "json"});
    const ProgramRun none = RunMt1d({"fit", file_, "--shift", "none", "--format", "json"});
    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(none.out, plain.out);
    EXPECT_EQ(plain.out.find("shift"), std::string::npos);
    // The synthetic file's top layer is 100 ohm-m: an anchor of 200 says its curve reads half
    // the truth, a factor of 0.5 to within the anchor's 12 % (and the noise).
    const nlohmann::json fit = FitJson({"--method", "layered", "--surface-rho", "200"});
    EXPECT_EQ(fit["options"]["shift"], "free");
    EXPECT_EQ(fit["options"]["shift_reference"], "surface");
    EXPECT_EQ(fit["options"]["surface_depth_m"], 0.0);
    EXPECT_EQ(fit["options"]["shift_prior_sd"], 0.3);
    EXPECT_EQ(fit["static_shift"]["reference"], "surface");
    EXPECT_NEAR(fit["static_shift"]["xy"]["factor"].get<double>(), 0.5, 0.1);
    EXPECT_TRUE(fit["static_shift"]["xy"]["log10_sd"].is_number());
}

// ---------------------------------------------------------------- real soundings

// Both curves of IAJ34, whose xy curve lies about 1.5 times above its yx curve.
TEST(CliFitRealData, BothModesWithFactorsHeldByTheYxCurve)
{
    const auto file = SharedFile("edi/IAJ34.edi");
    if (!file) GTEST_SKIP() << testing_support::kNoSharedData;
    const ProgramRun run = RunMt1d({"fit", *file, "--mode", "xy+yx", "--method", "layered", "--layers", "3", "--shift",
                                    "free", "--shift-reference", "yx", "--format", "json"});
    ASSERT_EQ(run.status, 0) << run.err;  // a layered fit succeeds at its minimum
    const nlohmann::json fit = ParseJson(run.out);
    EXPECT_EQ(fit["options"]["mode"], "xy+yx");
    EXPECT_EQ(fit["options"]["shift_reference"], "yx");
    EXPECT_NEAR(fit["static_shift"]["xy"]["factor"].get<double>(), 1.51, 0.05);
    EXPECT_EQ(fit["static_shift"]["yx"]["factor"], 1.0);
    EXPECT_TRUE(fit["static_shift"]["yx"]["log10_sd"].is_null());
    EXPECT_EQ(fit["values_fitted"], 120);  // 30 rows of each curve, rho and phase
    const ProgramRun text = RunMt1d({"fit", *file, "--mode", "xy+yx", "--method", "layered", "--layers", "3",
                                     "--shift", "free"});
    EXPECT_NE(text.out.find("data: xy+yx curves"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("static shift (reference mean): xy x1.23"), std::string::npos) << text.out;
    // mt1d data lists both curves; the CSV names each row's curve.
    const ProgramRun csv = RunMt1d({"data", *file, "--mode", "xy+yx", "--format", "csv"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    const auto lines = Lines(csv.out);
    ASSERT_EQ(lines.size(), 61u);
    EXPECT_EQ(lines[0].rfind("mode,frequency", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1].rfind("xy,", 0), 0u);
    EXPECT_EQ(lines[60].rfind("yx,", 0), 0u);
}

// The Cull (1985) sounding with its published errors: the smooth inversion of Constable,
// Parker & Constable (1987) reaches RMS 1.0, and so does ours.
TEST(CliFitRealData, CullSoundingReachesRmsOneWithThePublishedErrors)
{
    const auto cull = SharedFile("cull1985-occam1987/aushield.dat");
    if (!cull) GTEST_SKIP() << testing_support::kNoSharedData;
    const ProgramRun run = RunMt1d(With(With({"fit", *cull, "--floor", "0"}, kCullColumns), {"--format", "json"}));
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json json = ParseJson(run.out);
    EXPECT_EQ(json["values_fitted"], 46);
    EXPECT_EQ(json["status"], "target-reached");
    EXPECT_NEAR(json["rms"].get<double>(), 1.0, 1e-3);
}

// The OCCAM1DCSEM run on file: its 21 layers, its data with their own errors. That code ended
// its 10th iteration at roughness 18.79 and RMS 1.675 under this program's misfit; ours must
// do at least as well within 10 iterations. The target 1.0 is out of reach with these layers,
// so the run ends with status 1.
TEST(CliFitRealData, OccamCodeSiteDoesAtLeastAsWellAsThePeerInTenIterations)
{
    const auto data = SharedFile("occam1dcsem-r1/Occam1d_DataFile_DET.dat");
    if (!data) GTEST_SKIP() << testing_support::kNoSharedData;
    // The ground layers of Model1D (the air layer, with a negative top, left out).
    std::ifstream model(*SharedFile("occam1dcsem-r1/Model1D"));
    std::string tops, line;
    bool inLayers = false;
    while (std::getline(model, line)) {
        if (line.rfind("#LAYERS:", 0) == 0) {
            inLayers = true;
        } else if (inLayers && !line.empty() && line[0] != '!') {
            std::istringstream s(line);
            double top = 0.0;
            if (s >> top && top >= 0.0) tops += (tops.empty() ? "" : ",") + line.substr(0, line.find_first_of(" \t"));
        }
    }
    const ProgramRun run = RunMt1d(
        {"fit", *data, "--floor", "0", "--layer-tops", tops, "--max-iterations", "10", "--format", "json"});
    EXPECT_EQ(run.status, 1) << run.err;
    const nlohmann::json json = ParseJson(run.out);
    EXPECT_EQ(json["layers"].size(), 21u);
    EXPECT_EQ(json["mode"], "det");
    EXPECT_EQ(json["status"], "max-iterations");
    // The 10th iteration, and the model the run gives (which may be an earlier, smoother one
    // that fits as well: the history's last entry).
    const nlohmann::json& tenth = json["history"][10];
    EXPECT_EQ(tenth["iteration"], 10);
    EXPECT_LE(tenth["rms"].get<double>(), 1.675);
    EXPECT_LE(tenth["roughness"].get<double>(), 18.79);
    EXPECT_LE(json["rms"].get<double>(), 1.675);
    EXPECT_LE(json["roughness"].get<double>(), 18.79);
    EXPECT_FALSE(json["target_reached"].get<bool>());
}

}  // namespace

namespace {

TEST_F(CliFit, StopCriteriaAreRecordedAndBelongToTheirMethod)
{
    // Each criterion given reaches the record; the other method's are null.
    const nlohmann::json layered = FitJson({"--method", "layered", "--layers", "2", "--starts", "2",
                                            "--relative-tolerance", "1e-5", "--max-damping", "1e12"});
    EXPECT_EQ(layered["options"]["relative_tolerance"], 1e-5);
    EXPECT_EQ(layered["options"]["max_damping"], 1e12);
    EXPECT_EQ(layered["options"]["settled_steps"], 2);  // the default, resolved
    EXPECT_TRUE(layered["options"]["rms_tolerance"].is_null());
    const nlohmann::json occam = FitJson({"--step-cuts", "3", "--rms-tolerance", "0.001"});
    EXPECT_EQ(occam["options"]["step_cuts"], 3);
    EXPECT_EQ(occam["options"]["rms_tolerance"], 0.001);
    EXPECT_TRUE(occam["options"]["max_damping"].is_null());

    const std::vector<std::vector<std::string>> refused = {
        {"--max-damping", "1e10"},                                       // a layered criterion for Occam
        {"--method", "layered", "--step-cuts", "3"},                     // and the other way round
        {"--rms-tolerance", "1"},                                        // a share below 1
        {"--step-cuts", "61"},
        {"--method", "layered", "--initial-damping", "10", "--max-damping", "1"},
    };
    for (const auto& options : refused) {
        const ProgramRun run = RunMt1d(With({"fit", file_}, options));
        EXPECT_EQ(run.status, 2) << options.front() << ": " << run.err;
        EXPECT_EQ(run.out, "");
    }
}

}  // namespace
