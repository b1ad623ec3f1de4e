#pragma once
// A small section for the drawing tests and the Qt application they need.

#include "render/SectionFigure.h"
#include "section/Section.h"

#include <gtest/gtest.h>

#include <memory>

namespace render_testing {

using namespace mt1d;
using namespace mt1d::section;

class RenderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance()) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            app_ = GuiForFigures();
        }
    }
    static void TearDownTestSuite() { app_.reset(); }

    // Three sites 0.1° apart on the equator: a conductor over a resistor, a resistor over a
    // conductor, and a half-space, with depths of investigation 600 m, 800 m and unknown.
    static Section ThreeSites(std::vector<std::string> names = {"W1", "M2", "E3"})
    {
        Survey survey;
        const auto site = [](std::string name, double lon, std::vector<fitting::ReportLayer> layers, double doi) {
            SiteModel s;
            s.site.name = std::move(name);
            s.site.latitudeDeg = 0.0;
            s.site.longitudeDeg = lon;
            s.layers = std::move(layers);
            s.depthOfInvestigationM = doi;
            return s;
        };
        survey.sites = {site(names[0], 0.0, {{0.0, 300.0, 3.0, {}, {}}, {300.0, {}, 3000.0, {}, {}}}, 600.0),
                        site(names[1], 0.1, {{0.0, 200.0, 1000.0, {}, {}}, {200.0, {}, 10.0, {}, {}}}, 800.0),
                        site(names[2], 0.2, {{0.0, {}, 100.0, {}, {}}}, 0.0)};
        SectionOptions options;
        options.bottomM = 1000.0;
        return MakeSection(survey, options);
    }

private:
    static inline std::unique_ptr<QGuiApplication> app_;
};

}  // namespace render_testing
