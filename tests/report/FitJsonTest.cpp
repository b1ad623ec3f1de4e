#include "report/FitJson.h"

#include "tests/report/SampleRecords.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

using namespace mt1d::report;
namespace jobs = mt1d::jobs;
using report_testing::LayeredRecord;
using report_testing::OccamRecord;

std::vector<std::string> Keys(const Json& object)
{
    std::vector<std::string> keys;
    for (const auto& [key, value] : object.items()) keys.push_back(key);
    return keys;
}

Json Written(const jobs::FitRecord& record) { return Json::parse(FitJsonText(record)); }

TEST(FitJson, HasEveryKeyOfAFitResultInOrder)
{
    const Json json = Written(LayeredRecord());
    EXPECT_EQ(Keys(json), (std::vector<std::string>{"format", "format_version", "site", "options", "method", "mode",
                                                   "status", "rms", "roughness", "iterations", "target_reached",
                                                   "message", "values_fitted", "notes", "history", "layers", "correlation",
                                                   "response", "niblett_bostick", "depth_of_investigation_m",
                                                   "dimensionality"}));
    EXPECT_EQ(Keys(json["site"]),
              (std::vector<std::string>{"name", "file", "latitude_deg", "longitude_deg", "elevation_m"}));
    EXPECT_EQ(Keys(json["options"]),
              (std::vector<std::string>{"mode", "floor_percent", "columns", "rotate_deg", "var_convention", "rho_err",
                                        "exclude_hz", "keep_any_phase", "only_1d", "method", "fit", "target_rms",
                                        "max_iterations", "layers", "layer_tops", "top_depth_m", "bottom_depth_m",
                                        "starts", "seed", "relative_tolerance", "settled_steps", "exact_chi2",
                                        "initial_damping", "max_damping", "rms_tolerance", "roughness_tolerance",
                                        "step_cuts", "multiplier_tolerance", "level_tolerance"}));
    EXPECT_EQ(Keys(json["history"][0]), (std::vector<std::string>{"iteration", "rms", "roughness", "multiplier"}));
    EXPECT_EQ(Keys(json["response"][0]), (std::vector<std::string>{"frequency_hz", "rho_ohmm", "phase_deg"}));
    EXPECT_EQ(Keys(json["niblett_bostick"][0]),
              (std::vector<std::string>{"frequency_hz", "depth_m", "resistivity_ohmm"}));
    EXPECT_EQ(json["format"], "mt1d fit");
    EXPECT_EQ(json["format_version"], 1);
}

TEST(FitJson, LayeredFitsGiveStandardErrorsConductancesAndTheCorrelationMatrix)
{
    const Json json = Written(LayeredRecord());
    EXPECT_EQ(json["method"], "layered");
    EXPECT_EQ(json["status"], "converged");
    EXPECT_TRUE(json["roughness"].is_null());
    EXPECT_TRUE(json["history"][1]["roughness"].is_null());
    const Json& layers = json["layers"];
    ASSERT_EQ(layers.size(), 3u);
    EXPECT_EQ(Keys(layers[0]), (std::vector<std::string>{"top_m", "thickness_m", "resistivity_ohmm", "log10_rho_sd",
                                                          "log10_thickness_sd", "conductance_s", "log10_conductance_sd",
                                                          "transverse_resistance_ohmm2",
                                                          "log10_transverse_resistance_sd"}));
    EXPECT_EQ(layers[1]["conductance_s"], 133.9);
    EXPECT_EQ(layers[1]["log10_transverse_resistance_sd"], 0.1584);
    // The half-space: no thickness, and nothing that depends on one.
    for (const char* key : {"thickness_m", "log10_thickness_sd", "conductance_s", "log10_conductance_sd",
                            "transverse_resistance_ohmm2", "log10_transverse_resistance_sd"}) {
        EXPECT_TRUE(layers[2][key].is_null()) << key;
    }
    EXPECT_EQ(layers[2]["log10_rho_sd"], 0.2529);
    const Json& correlation = json["correlation"];
    EXPECT_EQ(correlation["parameters"], (std::vector<std::string>{"log10_rho_1", "log10_rho_2", "log10_rho_3",
                                                                   "log10_thickness_1", "log10_thickness_2"}));
    ASSERT_EQ(correlation["matrix"].size(), 5u);
    EXPECT_EQ(correlation["matrix"][0][3], 0.992);
    EXPECT_EQ(correlation["matrix"][4][1], -0.5);
    EXPECT_EQ(json["options"]["starts"], 80);
    EXPECT_EQ(json["options"]["seed"].get<std::uint64_t>(), 18446744073709551615ull);
    EXPECT_TRUE(json["options"]["layer_tops"].is_null());
    EXPECT_EQ(json["options"]["rotate_deg"], 30.0);
}

TEST(FitJson, SmoothFitsGiveRoughnessAndNoLayeredFigures)
{
    const Json json = Written(OccamRecord());
    EXPECT_EQ(json["method"], "occam");
    EXPECT_EQ(json["status"], "target-not-reached");
    EXPECT_EQ(json["roughness"], 12.5);
    EXPECT_EQ(json["target_reached"], false);
    EXPECT_EQ(json["history"][2]["roughness"], 12.5);
    EXPECT_EQ(Keys(json["layers"][0]), (std::vector<std::string>{"top_m", "thickness_m", "resistivity_ohmm",
                                                                  "log10_rho_sd", "log10_thickness_sd"}));
    EXPECT_TRUE(json["layers"][0]["log10_rho_sd"].is_null());
    EXPECT_TRUE(json["correlation"].is_null());
    EXPECT_EQ(json["options"]["columns"],
              (std::vector<std::string>{"period", "log10rho", "log10rho_err", "phase", "phase_err"}));
    EXPECT_EQ(json["options"]["layer_tops"], (std::vector<double>{0.0, 10.0, 20.5, 40.0}));
    EXPECT_TRUE(json["options"]["starts"].is_null());
    EXPECT_TRUE(json["options"]["seed"].is_null());
    EXPECT_TRUE(json["site"]["latitude_deg"].is_null());
}

// Whatever a fit hands over, the file never holds NaN or infinity: such a value is null.
TEST(FitJson, ValuesThatAreNotFiniteAreWrittenAsNull)
{
    jobs::FitRecord record = LayeredRecord();
    record.report.rms = std::numeric_limits<double>::quiet_NaN();
    record.report.layers[0].resistivityOhmM = std::numeric_limits<double>::infinity();
    record.correlation[1] = std::numeric_limits<double>::quiet_NaN();
    const std::string text = FitJsonText(record);
    EXPECT_EQ(text.find("NaN"), std::string::npos);
    EXPECT_EQ(text.find("nan"), std::string::npos);
    EXPECT_EQ(text.find("inf"), std::string::npos);
    const Json json = Json::parse(text);
    EXPECT_TRUE(json["rms"].is_null());
    EXPECT_TRUE(json["layers"][0]["resistivity_ohmm"].is_null());
    EXPECT_TRUE(json["correlation"]["matrix"][0][1].is_null());
}

// A correlation matrix of the wrong size for the layers is left out rather than read past.
TEST(FitJson, ACorrelationOfTheWrongSizeIsLeftOut)
{
    jobs::FitRecord record = LayeredRecord();
    record.correlation.resize(4);
    EXPECT_TRUE(Written(record)["correlation"].is_null());
}

}  // namespace
