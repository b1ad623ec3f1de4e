// Exported results: the CSV rows of every model with the products and error factors worked
// out by hand, and JSON that carries the fit reports.

#include "session/ResultExport.h"
#include "io/TextEncoding.h"
#include "session/SessionCommands.h"
#include "tests/session/SessionTestSupport.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <sstream>

namespace mt1d::session {
namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

Session FittedSession()
{
    Session s = test::SessionOfModel(test::ThreeLayers());
    FitOutcome layered;
    layered.method = Method::kLayered;
    layered.report.method = fitting::Method::kLayered;
    layered.report.status = fitting::FitStatus::kConverged;
    layered.report.rms = 0.75;
    layered.model = {{100.0, 10.0, 1000.0}, {500.0, 2000.0}};
    layered.log10Sd = {0.5, 1.0, 0.0, 0.25, 0.125};
    layered.report.layers = fitting::ReportLayers(layered.model);
    // The layered fit's report carries the errors in its layers, as FitLayered fills them.
    for (std::size_t j = 0; j < 3; ++j) layered.report.layers[j].log10RhoSd = layered.log10Sd[j];
    for (std::size_t j = 0; j < 2; ++j) layered.report.layers[j].log10ThicknessSd = layered.log10Sd[3 + j];
    layered.context.settings.method = fitting::Method::kLayered;
    layered.context.settings.layers = 3;
    layered.context.settings.starts = 20;
    layered.context.settings.seed = 7;
    layered.context.curve.mode = sounding::Mode::kXy;
    layered.context.products = {{5.0, 50000.0, 0.1, 0.2}, {200.0, 20000.0, 0.3, 0.4}};
    s = WithFitOutcome(s, layered);
    return WithLayerResistivity(s, 1, 20.0);
}

TEST(ResultExport, CsvHasTheRowsOfMt1dFitForEachModel)
{
    const Session s = FittedSession();
    const auto lines = Lines(ResultsCsv(s));
    ASSERT_EQ(lines.size(), 1u + 3u + 3u);
    // mt1d fit --format csv's columns after the site, the model's name and its RMS.
    EXPECT_EQ(lines[0], "site,model,rms,layer,top_m,thickness_m,resistivity_ohmm,log10_rho_sd,log10_thickness_sd");
    EXPECT_EQ(lines[1], "synthetic,layered,0.75,1,0,500,100,0.5,0.25");
    EXPECT_EQ(lines[2], "synthetic,layered,0.75,2,500,2000,10,1,0.125");
    EXPECT_EQ(lines[3], "synthetic,layered,0.75,3,2500,,1000,0,");  // the half-space has no thickness
    // The edited model: layer 2 at 20 Ω·m, no errors, the RMS of its response (the data are
    // the three-layer model's own, so the edit shows as a misfit well above zero).
    const std::optional<double> editedRms = Evaluate(s, *s.edited).rms;
    ASSERT_TRUE(editedRms.has_value());
    EXPECT_GT(*editedRms, 1.0);
    EXPECT_EQ(lines[4], "synthetic,edited," + io::NumberText(editedRms) + ",1,0,500,100,,");
    EXPECT_EQ(lines[5], "synthetic,edited," + io::NumberText(editedRms) + ",2,500,2000,20,,");
}

// A site named with a comma stays one field.
TEST(ResultExport, CsvQuotesASiteNameWithAComma)
{
    Session s = FittedSession();
    s.sounding.site.name = "Hill 3, north";
    const auto lines = Lines(ResultsCsv(s));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[1].rfind("\"Hill 3, north\",layered,0.75,1,", 0), 0u) << lines[1];
}

TEST(ResultExport, JsonFitsAreMt1dFitRecordsAndTheEditedModelIsBesideThem)
{
    const Session s = FittedSession();
    const auto json = nlohmann::json::parse(ResultsJson(s));
    EXPECT_EQ(json["mode"], "xy");
    const auto& layered = json["layered"];
    EXPECT_EQ(layered["format"], "mt1d fit");
    EXPECT_EQ(layered["method"], "layered");
    EXPECT_EQ(layered["rms"], 0.75);
    EXPECT_EQ(layered["options"]["starts"], 20);
    EXPECT_EQ(layered["options"]["seed"], 7);
    EXPECT_EQ(layered["site"]["file"], "synthetic.dat");
    EXPECT_EQ(layered["layers"][1]["top_m"], 500.0);
    // The products are the fit's own, with their errors.
    EXPECT_EQ(layered["layers"][1]["conductance_s"], 200.0);
    EXPECT_EQ(layered["layers"][0]["log10_transverse_resistance_sd"], 0.2);
    EXPECT_TRUE(layered["layers"][2]["thickness_m"].is_null());
    EXPECT_TRUE(layered["layers"][2]["conductance_s"].is_null());
    EXPECT_FALSE(json.contains("occam"));
    EXPECT_EQ(json["edited"]["layers"][1]["resistivity_ohmm"], 20.0);
    EXPECT_TRUE(json["edited"]["layers"][1]["log10_rho_sd"].is_null());
    // The edited model's RMS is the one the window shows.
    EXPECT_EQ(json["edited"]["rms"], *Evaluate(s, *s.edited).rms);
    EXPECT_EQ(json["edited"]["response"].size(), s.sounding.RowCount());
}

}  // namespace
}  // namespace mt1d::session
