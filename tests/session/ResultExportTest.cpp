// Exported results: the CSV rows of every model with the products and error factors worked
// out by hand, and JSON that carries the fit reports.

#include "ResultExport.h"
#include "SessionCommands.h"
#include "SessionTestSupport.h"

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
    layered.method = FitMethod::kLayered;
    layered.report.status = fitting::FitStatus::kConverged;
    layered.report.rms = 0.75;
    layered.model = {{100.0, 10.0, 1000.0}, {500.0, 2000.0}};
    layered.log10Sd = {0.5, 1.0, 0.0, 0.25, 0.125};
    layered.report.layers = fitting::ReportLayers(layered.model);
    s = WithFitOutcome(s, layered);
    return WithLayerResistivity(s, 1, 20.0);
}

TEST(ResultExport, CsvHasOneRowPerLayerOfEachModelWithItsProducts)
{
    const auto lines = Lines(ResultsCsv(FittedSession()));
    ASSERT_EQ(lines.size(), 1u + 3u + 3u);
    EXPECT_EQ(lines[0],
              "model,layer,top_m,thickness_m,resistivity_ohmm,log10_rho_sd,log10_thickness_sd,conductance_s,"
              "transverse_resistance_ohmm2");
    // Conductance 500/100 = 5 S, transverse resistance 500·100 = 50000 Ω·m²; the thickness
    // errors follow the three resistivity errors in the kernel's order.
    EXPECT_EQ(lines[1], "layered,1,0,500,100,0.5,0.25,5,50000");
    EXPECT_EQ(lines[2], "layered,2,500,2000,10,1,0.125,200,20000");
    EXPECT_EQ(lines[3], "layered,3,2500,,1000,0,,,");  // the half-space has no thickness
    // The edited model: layer 2 at 20 Ω·m, no errors.
    EXPECT_EQ(lines[5], "edited,2,500,2000,20,,,100,40000");
}

TEST(ResultExport, JsonCarriesTheFitAndTheEditedModel)
{
    const Session s = FittedSession();
    const auto json = nlohmann::json::parse(ResultsJson(s));
    EXPECT_EQ(json["mode"], "xy");
    EXPECT_EQ(json["layered"]["method"], "layered");
    EXPECT_EQ(json["layered"]["rms"], 0.75);
    EXPECT_EQ(json["layered"]["layers"][1]["top_m"], 500.0);
    EXPECT_EQ(json["layered"]["layers"][1]["conductance_s"], 200.0);
    EXPECT_TRUE(json["layered"]["layers"][2]["thickness_m"].is_null());
    EXPECT_FALSE(json.contains("smooth"));
    EXPECT_EQ(json["edited"]["layers"][1]["resistivity_ohmm"], 20.0);
    // The edited model's RMS is the one the window shows.
    EXPECT_EQ(json["edited"]["rms"], *Evaluate(s, *s.edited).rms);
    EXPECT_EQ(json["edited"]["response"].size(), s.sounding.RowCount());
}

}  // namespace
}  // namespace mt1d::session
