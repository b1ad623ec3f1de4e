#include "report/FitJsonReader.h"

#include "report/FitJson.h"
#include "fitting/LayeredFit.h"
#include "tests/report/SampleRecords.h"
#include "fitting/OccamFit.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>

namespace {

using namespace mt1d::report;
namespace jobs = mt1d::jobs;
namespace io = mt1d::io;
using mt1d::fitting::FitReport;
using report_testing::LayeredRecord;
using report_testing::OccamRecord;
using ::testing::HasSubstr;

// Exact comparison of everything a record holds: the file must give back every bit.
void ExpectSameRecord(const jobs::FitRecord& a, const jobs::FitRecord& b)
{
    EXPECT_EQ(a.site, b.site);
    EXPECT_EQ(a.curve, b.curve);
    EXPECT_EQ(a.settings, b.settings);
    EXPECT_EQ(a.valuesFitted, b.valuesFitted);
    EXPECT_EQ(a.notes, b.notes);
    const FitReport& r = a.report;
    const FitReport& s = b.report;
    EXPECT_EQ(r.method, s.method);
    EXPECT_EQ(r.mode, s.mode);
    EXPECT_EQ(r.status, s.status);
    EXPECT_EQ(r.rms, s.rms);
    EXPECT_EQ(r.roughness, s.roughness);
    EXPECT_EQ(r.iterations, s.iterations);
    EXPECT_EQ(r.targetReached, s.targetReached);
    EXPECT_EQ(r.message, s.message);
    ASSERT_EQ(r.history.size(), s.history.size());
    for (std::size_t i = 0; i < r.history.size(); ++i) {
        EXPECT_EQ(r.history[i].iteration, s.history[i].iteration);
        EXPECT_EQ(r.history[i].rms, s.history[i].rms);
        EXPECT_EQ(r.history[i].roughness, s.history[i].roughness);
        EXPECT_EQ(r.history[i].multiplier, s.history[i].multiplier);
    }
    ASSERT_EQ(r.layers.size(), s.layers.size());
    for (std::size_t i = 0; i < r.layers.size(); ++i) {
        EXPECT_EQ(r.layers[i].topM, s.layers[i].topM);
        EXPECT_EQ(r.layers[i].thicknessM, s.layers[i].thicknessM);
        EXPECT_EQ(r.layers[i].resistivityOhmM, s.layers[i].resistivityOhmM);
        EXPECT_EQ(r.layers[i].log10RhoSd, s.layers[i].log10RhoSd);
        EXPECT_EQ(r.layers[i].log10ThicknessSd, s.layers[i].log10ThicknessSd);
    }
    ASSERT_EQ(r.response.size(), s.response.size());
    for (std::size_t i = 0; i < r.response.size(); ++i) {
        EXPECT_EQ(r.response[i].frequencyHz, s.response[i].frequencyHz);
        EXPECT_EQ(r.response[i].rhoOhmM, s.response[i].rhoOhmM);
        EXPECT_EQ(r.response[i].phaseDeg, s.response[i].phaseDeg);
    }
    ASSERT_EQ(r.niblettBostick.size(), s.niblettBostick.size());
    for (std::size_t i = 0; i < r.niblettBostick.size(); ++i) {
        EXPECT_EQ(r.niblettBostick[i].frequencyHz, s.niblettBostick[i].frequencyHz);
        EXPECT_EQ(r.niblettBostick[i].depthM, s.niblettBostick[i].depthM);
        EXPECT_EQ(r.niblettBostick[i].resistivityOhmM, s.niblettBostick[i].resistivityOhmM);
    }
    EXPECT_EQ(r.depthOfInvestigationM, s.depthOfInvestigationM);
    ASSERT_EQ(a.products.size(), b.products.size());
    for (std::size_t i = 0; i < a.products.size(); ++i) {
        EXPECT_EQ(a.products[i].conductanceS, b.products[i].conductanceS);
        EXPECT_EQ(a.products[i].transverseResistanceOhmM2, b.products[i].transverseResistanceOhmM2);
        EXPECT_EQ(a.products[i].log10ConductanceSd, b.products[i].log10ConductanceSd);
        EXPECT_EQ(a.products[i].log10TransverseResistanceSd, b.products[i].log10TransverseResistanceSd);
    }
    EXPECT_EQ(a.correlation, b.correlation);
    EXPECT_EQ(a.dims, b.dims);
    EXPECT_EQ(r.staticShift, s.staticShift);
}

TEST(FitJsonReader, ReadsBackEveryValueOfALayeredAndASmoothRecord)
{
    for (const jobs::FitRecord& record : {LayeredRecord(), OccamRecord()}) {
        ExpectSameRecord(ParseFitJson(FitJsonText(record), "fit.json"), record);
    }
    // The dimensionality of a tensor sounding (0.1 + 0.2: every digit must come back), and
    // none for a sounding of apparent resistivity and phase only.
    jobs::FitRecord withDims = LayeredRecord();
    withDims.dims = jobs::DimsSummary{{5.0, 0.2, true, 2.0}, 41, 17, 17.0 / 41.0, 0.1 + 0.2, 1.5};
    ExpectSameRecord(ParseFitJson(FitJsonText(withDims), "fit.json"), withDims);
    jobs::FitRecord noTensor = OccamRecord();
    noTensor.dims.reset();
    ExpectSameRecord(ParseFitJson(FitJsonText(noTensor), "fit.json"), noTensor);
}

TEST(FitJsonReader, ReadsBackBothCurvesTheShiftOptionsAndTheFactors)
{
    // A record of xy + yx with free factors: the options and the result must come back bit for
    // bit (a batch resumed compares them; the window shows the factors).
    jobs::FitRecord record = LayeredRecord();
    record.curve.mode = mt1d::sounding::Mode::kXy;
    record.curve.bothOffDiagonal = true;
    record.settings.shift = mt1d::fitting::ShiftMode::kFree;
    record.settings.shiftReference = mt1d::fitting::ShiftReference::kYx;
    record.settings.shiftPriorSd = 0.1 + 0.2;
    mt1d::fitting::StaticShiftReport shift;
    shift.reference = "yx";
    shift.curves = {{mt1d::sounding::Mode::kXy, 2.5 + 1e-15, 0.01 / 3.0}, {mt1d::sounding::Mode::kYx, 1.0, std::nullopt}};
    shift.halfSpace = mt1d::fitting::HalfSpaceEstimate{3, 1000.0, 300.0, std::log10(2.5), 0.02, {1.7, 1.3}};
    shift.note = "a note";
    record.report.staticShift = shift;
    const std::string text = FitJsonText(record);
    EXPECT_THAT(text, HasSubstr("\"mode\": \"xy+yx\""));
    ExpectSameRecord(ParseFitJson(text, "fit.json"), record);
    // An anchor instead of a reference.
    record.settings.shiftReference = mt1d::fitting::ShiftReference::kSurface;
    record.settings.surfaceRhoOhmM = 120.0;
    record.settings.surfaceDepthM = 0.0;
    ExpectSameRecord(ParseFitJson(FitJsonText(record), "fit.json"), record);
}

// The records of real fits (a small synthetic sounding), with all the digits their numbers have.
TEST(FitJsonReader, ReadsBackTheRecordsOfRealFits)
{
    std::vector<double> f, rho, rhoErr, phase, phaseErr;
    const mt1d::earth::LayeredModel truth{{100.0, 10.0, 1000.0}, {500.0, 2000.0}};
    for (int k = 0; k < 13; ++k) f.push_back(std::pow(10.0, 3.0 - 0.5 * k));
    const auto response = mt1d::earth::LayeredEarth(f).Compute(truth);
    for (std::size_t i = 0; i < f.size(); ++i) {
        // Scatter of a few percent that the model cannot follow, so that neither fit is exact.
        const double wiggle = 1.0 + 0.03 * ((i % 3) - 1.0);
        rho.push_back(response.rhoA[i] * wiggle);
        rhoErr.push_back(0.1 * rho.back());
        phase.push_back(response.phaseDeg[i] + ((i % 2) ? 1.0 : -1.0));
        phaseErr.push_back(2.0);
    }
    const auto data = mt1d::fitting::MakeFitData(f, rho, rhoErr, phase, phaseErr, mt1d::fitting::FitComponents::kBoth);
    ASSERT_TRUE(data.Ok()) << data.error;
    mt1d::fitting::LayeredOptions layeredOptions;
    layeredOptions.starts = 5;
    const auto layered = mt1d::fitting::FitLayered(data.data, layeredOptions);
    mt1d::fitting::OccamOptions occamOptions;
    occamOptions.mesh.layers = 20;
    const auto smooth = mt1d::fitting::FitOccam(data.data, occamOptions);
    const jobs::SiteSummary site{"synthetic", "synthetic.dat", {}, {}, {}};
    jobs::FitOptions settings;
    settings.method = mt1d::fitting::Method::kLayered;
    settings.layers = 3;
    settings.starts = 5;
    settings.seed = 1;
    const jobs::FitRecord a = jobs::MakeFitRecord(site, jobs::DataOptions{.mode = mt1d::sounding::Mode::kDet}, settings, data.data, layered);
    settings = jobs::FitOptions{};
    settings.layers = 20;
    const jobs::FitRecord b = jobs::MakeFitRecord(site, jobs::DataOptions{.mode = mt1d::sounding::Mode::kDet}, settings, data.data, smooth);
    ASSERT_EQ(a.correlation.size(), 25u);
    ASSERT_EQ(a.products.size(), 2u);
    ASSERT_EQ(b.report.layers.size(), 20u);
    ExpectSameRecord(ParseFitJson(FitJsonText(a), "a.json"), a);
    ExpectSameRecord(ParseFitJson(FitJsonText(b), "b.json"), b);
}

struct Spoil {
    const char* name;
    std::function<void(Json&)> change;
    const char* message;  // expected in the error, after "fit.json"
};

class FitJsonRefusals : public ::testing::TestWithParam<Spoil> {};

TEST_P(FitJsonRefusals, NameTheFileTheKeyAndWhatWasExpected)
{
    Json json = FitJson(LayeredRecord());
    GetParam().change(json);
    try {
        static_cast<void>(ParseFitJson(json.dump(), "fit.json"));
        FAIL() << "accepted";
    } catch (const io::FileError& e) {
        EXPECT_THAT(e.what(), HasSubstr(GetParam().message));
        EXPECT_EQ(std::string(e.what()).rfind("fit.json", 0), 0u) << e.what();
        EXPECT_EQ(e.File(), "fit.json");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Malformed, FitJsonRefusals,
    ::testing::Values(
        Spoil{"NoFormat", [](Json& j) { j.erase("format"); }, "not a fit result of mt1d"},
        Spoil{"OtherFormat", [](Json& j) { j["format"] = "mt1d data"; }, "not a fit result of mt1d"},
        Spoil{"NewerVersion", [](Json& j) { j["format_version"] = 2; },
              "fit.json, format_version: this program reads version 1, the file is version 2"},
        Spoil{"MissingKey", [](Json& j) { j.erase("rms"); }, "fit.json, rms: missing"},
        Spoil{"NumberAsNote", [](Json& j) { j["notes"][1] = 2; }, "notes[1]: expected a string, found 2"},
        Spoil{"MissingNestedKey", [](Json& j) { j["site"].erase("elevation_m"); }, "site.elevation_m: missing"},
        Spoil{"TextForNumber", [](Json& j) { j["rms"] = "0.5"; }, "rms: expected a number, found \""},
        Spoil{"NullForNumber", [](Json& j) { j["layers"][1]["resistivity_ohmm"] = nullptr; },
              "layers[1].resistivity_ohmm: expected a number, found null"},
        Spoil{"NegativeRms", [](Json& j) { j["rms"] = -1.0; }, "rms: expected a number of at least 0, found -1.0"},
        Spoil{"ZeroResistivity", [](Json& j) { j["layers"][0]["resistivity_ohmm"] = 0.0; },
              "layers[0].resistivity_ohmm: expected a positive number, found 0.0"},
        Spoil{"FractionalCount", [](Json& j) { j["iterations"] = 2.5; },
              "iterations: expected a whole number of at least 0, found 2.5"},
        Spoil{"NegativeCount", [](Json& j) { j["history"][0]["iteration"] = -1; },
              "history[0].iteration: expected a whole number of at least 0, found -1"},
        Spoil{"UnknownMethod", [](Json& j) { j["method"] = "simplex"; },
              "method: expected one of layered, occam, found \"simplex\""},
        Spoil{"UnknownMode", [](Json& j) { j["options"]["mode"] = "zz"; }, "options.mode: expected one of xy, yx, det, berd"},
        Spoil{"UnknownStatus", [](Json& j) { j["status"] = "done"; }, "status: expected one of converged"},
        Spoil{"UnknownComponents", [](Json& j) { j["options"]["fit"] = "all"; }, "options.fit: expected one of rho, phase, both"},
        Spoil{"StartModelNegativeResistivity",
              [](Json& j) { j["options"]["start_model"] = {{"resistivity_ohm_m", {10.0, -1.0}}, {"thickness_m", {5.0}}}; },
              "options.start_model.resistivity_ohm_m: expected positive resistivities"},
        Spoil{"FixedFlagAsNumber", [](Json& j) { j["options"]["fixed"] = {true, 1}; }, "options.fixed[1]: expected"},
        Spoil{"UnknownColumn", [](Json& j) { j["options"]["columns"] = Json::array({"period", "ohms"}); },
              "options.columns[1]: expected a column name"},
        Spoil{"NotAnArray", [](Json& j) { j["layers"] = Json::object(); }, "layers: expected an array, found an object"},
        Spoil{"HalfSpaceWithThickness", [](Json& j) { j["layers"][2]["thickness_m"] = 100.0; },
              "layers[2].thickness_m: expected null: the last layer is the half-space"},
        Spoil{"LayerWithoutThickness", [](Json& j) { j["layers"][1]["thickness_m"] = nullptr; },
              "layers[1].thickness_m: expected a number, found null"},
        Spoil{"ConductanceMissingInOneLayer", [](Json& j) { j["layers"][1].erase("conductance_s"); },
              "layers[1].conductance_s: missing"},
        Spoil{"ConductanceOnlyInALaterLayer",
              [](Json& j) {
                  for (const char* k : {"conductance_s", "log10_conductance_sd", "transverse_resistance_ohmm2",
                                        "log10_transverse_resistance_sd"}) {
                      j["layers"][0].erase(k);
                  }
              },
              "layers[1].conductance_s: unexpected"},
        Spoil{"HalfSpaceWithConductance", [](Json& j) { j["layers"][2]["conductance_s"] = 1.0; },
              "layers[2].conductance_s: expected null for the half-space"},
        Spoil{"CorrelationRowMissing", [](Json& j) { j["correlation"]["matrix"].erase(4); },
              "correlation.matrix: expected 5 rows, found 4"},
        Spoil{"CorrelationRowShort", [](Json& j) { j["correlation"]["matrix"][2].erase(0); },
              "correlation.matrix[2]: expected 5 values, found 4"},
        Spoil{"CorrelationAboveOne", [](Json& j) { j["correlation"]["matrix"][0][1] = 1.5; },
              "correlation.matrix[0][1]: expected a correlation between -1 and 1"},
        Spoil{"CorrelationOfOtherParameters", [](Json& j) { j["correlation"]["parameters"][3] = "log10_rho_4"; },
              "correlation.parameters[3]: expected \"log10_thickness_1\""},
        Spoil{"NegativeStandardError", [](Json& j) { j["layers"][0]["log10_rho_sd"] = -0.1; },
              "layers[0].log10_rho_sd: expected a number of at least 0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FitJsonReader, RefusesTextThatIsNotJsonWithItsPosition)
{
    const std::string text = FitJsonText(LayeredRecord());
    for (const std::string& broken : {text.substr(0, text.size() / 2), std::string(""), std::string("{\"rms\": nan}")}) {
        try {
            static_cast<void>(ParseFitJson(broken, "cut.json"));
            FAIL() << "accepted";
        } catch (const io::FileError& e) {
            EXPECT_THAT(e.what(), HasSubstr("cut.json: not a JSON document: parse error at line"));
            EXPECT_THAT(e.what(), ::testing::Not(HasSubstr("[json.exception")));
        }
    }
    // A number beyond the range of a double is no number of a fit.
    std::string huge = text;
    huge.replace(huge.find("\"rms\": ") + 7, 10, "1e999");
    try {
        static_cast<void>(ParseFitJson(huge, "huge.json"));
        FAIL() << "accepted";
    } catch (const io::FileError& e) {
        EXPECT_THAT(e.what(), HasSubstr("huge.json: not a JSON document this program can read: number overflow"));
    }
}

using mt1d_testing::TempDir;

TEST(FitJsonReader, ReadsAFileAndRefusesWhatIsNoFile)
{
    TempDir dir;
    const auto file = dir.Path() / "s1.fit.json";
    std::ofstream(file) << FitJsonText(LayeredRecord());
    ExpectSameRecord(ReadFitJsonFile(file), LayeredRecord());
    EXPECT_THROW(static_cast<void>(ReadFitJsonFile(dir.Path() / "absent.json")), io::FileError);
    try {
        static_cast<void>(ReadFitJsonFile(dir.Path()));
        FAIL() << "a folder was read";
    } catch (const io::FileError& e) {
        EXPECT_THAT(e.what(), HasSubstr("not a regular file"));
    }
}

}  // namespace
