// The window's exported results against `mt1d fit` on the same file with the same options: a
// fit of either method is written with the same keys and, the runs being deterministic (a
// fixed seed, no timing in the record), the same numbers.

#include "cli/Cli.h"
#include "sounding/Modes.h"
#include "session/ResultExport.h"
#include "session/SessionCommands.h"
#include "tests/support/SharedData.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <sstream>

namespace mt1d::session {
namespace {

struct AgreementCase {
    const char* name;
    Method method;
    std::vector<std::string> fitOptions;  // what the window's settings mean on the command line
};

class WindowAndCommandLine : public ::testing::TestWithParam<AgreementCase> {};

TEST_P(WindowAndCommandLine, WriteTheSameFitRecord)
{
    const auto data = testing_support::SharedDataDir();
    if (!data) GTEST_SKIP() << testing_support::kNoSharedData;
    const std::string file = (*data / "cull1985-occam1987/aushield.dat").string();
    const std::string columns = "period,log10rho,log10rho_err,phase,phase_err";

    ReadSettings read;
    read.columns = sounding::ParseColumnList(columns);
    Session session = OpenSounding(file, read);
    session = WithRowExcluded(session, 2, true);
    jobs::FitOptions settings = session.fit;
    settings.method = GetParam().method;
    settings.layers = 3;
    settings.starts = 20;
    settings.seed = 5;
    session = WithFitSettings(session, settings);
    session = WithFitOutcome(session, RunFit(session));
    const nlohmann::json window = nlohmann::json::parse(ResultsJson(session));
    const char* key = GetParam().method == Method::kLayered ? "layered" : "occam";
    ASSERT_TRUE(window.contains(key));

    // The excluded row cannot be left out on the command line; the file is fitted whole there,
    // so the window's row is put back before the comparison run.
    Session whole = WithRowExcluded(session, 2, false);
    whole = WithFitOutcome(whole, RunFit(whole));
    const nlohmann::json windowWhole = nlohmann::json::parse(ResultsJson(whole))[key];

    std::vector<std::string> args = {"fit", file, "--columns", columns, "--mode",
                                     std::string(sounding::ModeName(session.mode)), "--floor", "5", "--target-rms", "1",
                                     "--format", "json"};
    args.insert(args.end(), GetParam().fitOptions.begin(), GetParam().fitOptions.end());
    std::ostringstream out, err;
    ASSERT_NE(cli::Main(args, out, err), cli::kBadInput) << err.str();
    const nlohmann::json command = nlohmann::json::parse(out.str());

    // Every key, at every depth, is the command line's (the excluded run included).
    const auto keys = [](const nlohmann::json& j) {
        std::vector<std::string> paths;
        const nlohmann::json flat = j.flatten();
        for (const auto& item : flat.items()) paths.push_back(item.key());
        return paths;
    };
    const auto topKeys = [](const nlohmann::json& j) {
        std::vector<std::string> names;
        for (const auto& item : j.items()) names.push_back(item.key());
        return names;
    };
    EXPECT_EQ(topKeys(window[key]), topKeys(command));
    EXPECT_EQ(topKeys(window[key]["layers"][0]), topKeys(command["layers"][0]));
    EXPECT_EQ(topKeys(window[key]["options"]), topKeys(command["options"]));
    // And on the same rows, the same record, number for number.
    EXPECT_EQ(keys(windowWhole), keys(command));
    EXPECT_EQ(windowWhole, command);
    // The excluded row shows in what was fitted: two values fewer (ρa and phase).
    EXPECT_EQ(window[key]["values_fitted"].get<int>() + 2, command["values_fitted"].get<int>());
}

INSTANTIATE_TEST_SUITE_P(
    Methods, WindowAndCommandLine,
    ::testing::Values(AgreementCase{"Smooth", Method::kOccam, {"--method", "occam"}},
                      AgreementCase{"Layered", Method::kLayered,
                                    {"--method", "layered", "--layers", "3", "--starts", "20", "--seed", "5"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mt1d::session
