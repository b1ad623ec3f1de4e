// mt1d misfit: a given model scored against a sounding as the fits score their models, and
// the command lines it refuses.

#include "tests/cli/CliRun.h"
#include "tests/cli/SoundingFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace cli_testing;

namespace {

// The --model text of a model, every number as the shortest text that reads back.
std::string ModelText(const nlohmann::json& layers)
{
    std::string text;
    for (std::size_t j = 0; j < layers.size(); ++j) {
        text += (j == 0 ? "" : ",") + layers[j]["resistivity_ohmm"].dump();
        if (!layers[j]["thickness_m"].is_null()) text += ":" + layers[j]["thickness_m"].dump();
    }
    return text;
}

class CliMisfit : public ::testing::Test {
protected:
    TempDir dir_;
    std::string file_ = dir_.Write("three.txt", SyntheticColumnFile());
};

TEST_F(CliMisfit, ChiSquareWeighsEachValueByItsErrorAsComputedByHand)
{
    // The synthetic file is the exact response of kSyntheticTruth with 10 % on ρa and 2.866° on
    // the phase; a first layer of 200 instead of 100 ohm-m misfits it by a known amount.
    const mt1d::earth::LayeredModel wrong{{200.0, 10.0, 1000.0}, {500.0, 2000.0}};
    const ProgramRun run = RunMt1d({"misfit", file_, "--floor", "0", "--model", "200:500,10:2000,1000", "--format", "json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json json = ParseJson(run.out);

    const std::vector<double> f = SyntheticFrequencies();
    const auto observed = mt1d::earth::LayeredEarth(f).Compute(kSyntheticTruth);
    const auto model = mt1d::earth::LayeredEarth(f).Compute(wrong);
    double chi2 = 0.0;
    for (std::size_t i = 0; i < f.size(); ++i) {
        // σ(log10 ρa) = (δρa/ρa)/ln 10 for a 10 % error.
        const double rho = (std::log10(model.rhoA[i]) - std::log10(observed.rhoA[i])) / (0.1 / std::log(10.0));
        const double phase = (model.phaseDeg[i] - observed.phaseDeg[i]) / 2.866;
        chi2 += rho * rho + phase * phase;
    }
    EXPECT_EQ(json["count"], 2 * f.size());
    // The file holds 17 digits of each value: the sums agree to about 1e-12 of themselves.
    EXPECT_NEAR(json["chi2"].get<double>(), chi2, 1e-9 * chi2);
    EXPECT_NEAR(json["rms"].get<double>(), std::sqrt(chi2 / (2.0 * f.size())), 1e-9);
    EXPECT_EQ(json["response"].size(), f.size());

    // Phase alone: half the values.
    const ProgramRun phase =
        RunMt1d({"misfit", file_, "--floor", "0", "--model", "200:500,10:2000,1000", "--fit", "phase", "--format", "json"});
    ASSERT_EQ(phase.status, 0) << phase.err;
    EXPECT_EQ(ParseJson(phase.out)["count"], f.size());
}

TEST_F(CliMisfit, GivesTheRmsAFitReportsForItsOwnModel)
{
    for (const char* method : {"layered", "occam"}) {
        const ProgramRun fit = RunMt1d({"fit", file_, "--method", method, "--format", "json"});
        ASSERT_EQ(fit.status, 0) << fit.err;
        const nlohmann::json fitted = ParseJson(fit.out);
        const ProgramRun run = RunMt1d({"misfit", file_, "--model", ModelText(fitted["layers"]), "--format", "json"});
        ASSERT_EQ(run.status, 0) << run.err;
        const nlohmann::json json = ParseJson(run.out);
        EXPECT_DOUBLE_EQ(json["rms"].get<double>(), fitted["rms"].get<double>()) << method;
        EXPECT_EQ(json["count"], fitted["values_fitted"]) << method;
    }
}

TEST_F(CliMisfit, RefusesWhatCannotBeScoredWithStatusTwoAndNoOutput)
{
    const std::vector<std::vector<std::string>> bad = {
        {"misfit", file_},                                                  // no model
        {"misfit", file_, "--model", "100:500,10"},                         // two layers: valid
        {"misfit", file_, "--model", "100,10:500,1000"},                    // a layer without thickness
        {"misfit", file_, "--model", "100:500,10:2000,1000:300"},           // the half-space with one
        {"misfit", file_, "--model", "100:-5,1000"},                        // a negative thickness
        {"misfit", file_, "--model", "abc:5,1000"},                         // not a number
        {"misfit", file_, "--model", "100:500,1000", "--format", "csv"},    // no csv of a score
        {"misfit", file_, "--model", "100:500,1000", "--fit", "all"},
        {"misfit", dir_.Write("empty.txt", "frequency rho phase\n"), "--model", "100"},
    };
    for (std::size_t i = 0; i < bad.size(); ++i) {
        if (i == 1) continue;  // two layers, both given: a valid model
        const ProgramRun run = RunMt1d(bad[i]);
        EXPECT_EQ(run.status, 2) << i << ": " << run.err;
        EXPECT_EQ(run.out, "") << i;
        EXPECT_NE(run.err, "") << i;
    }
    EXPECT_EQ(RunMt1d(bad[1]).status, 0);
}

}  // namespace
