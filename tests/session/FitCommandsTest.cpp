// Running fits through the window's commands: both methods on data of a known model, the
// outcome kept per method and put in the results table, cancellation and refused data.

#include "session/SessionCommands.h"
#include "tests/session/SessionTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>

namespace mt1d::session {
namespace {

using test::SessionOfModel;
using test::ThreeLayers;

Session WithMethod(const Session& s, Method method, std::size_t starts = 5)
{
    jobs::FitOptions settings = s.fit;
    settings.method = method;
    settings.layers = 3;
    settings.starts = starts;
    return WithFitSettings(s, settings);
}

TEST(FitCommands, LayeredFitOfNoiseFreeDataFindsTheModel)
{
    const Session s = WithMethod(SessionOfModel(ThreeLayers()), Method::kLayered);
    const FitOutcome outcome = RunFit(s);
    ASSERT_NE(outcome.report.status, fitting::FitStatus::kInvalidInput) << outcome.report.message;
    EXPECT_EQ(outcome.method, Method::kLayered);
    // Noise-free data of a three-layer model: the fit reaches it to the solver's tolerance,
    // far below one standard error.
    EXPECT_LT(outcome.report.rms, 1e-3);
    ASSERT_EQ(outcome.model.LayerCount(), 3u);
    // The conductive layer's conductance h/ρ = 2000/10 S is what the data see best; 1 %.
    EXPECT_NEAR(outcome.model.thickness[1] / outcome.model.resistivity[1], 200.0, 2.0);
    EXPECT_EQ(outcome.log10Sd.size(), outcome.model.ParameterCount());
    EXPECT_GE(outcome.elapsedMs, 0.0);

    const Session fitted = WithFitOutcome(s, outcome);
    ASSERT_TRUE(fitted.layered.has_value());
    EXPECT_FALSE(fitted.occam.has_value());
    EXPECT_EQ(fitted.edited->resistivity, outcome.model.resistivity);
}

TEST(FitCommands, SmoothFitReachesTheTargetAndKeepsItsOwnSlot)
{
    Session s = WithMethod(SessionOfModel(ThreeLayers()), Method::kOccam);
    const FitOutcome outcome = RunFit(s);
    EXPECT_EQ(outcome.method, Method::kOccam);
    EXPECT_EQ(outcome.report.status, fitting::FitStatus::kTargetReached) << outcome.report.message;
    EXPECT_LE(outcome.report.rms, s.fit.targetRms * (1 + 1e-6));
    EXPECT_TRUE(outcome.log10Sd.empty());
    s = WithFitOutcome(s, outcome);
    // A layered fit afterwards keeps the smooth result beside it.
    s = WithMethod(s, Method::kLayered, 2);
    s = WithFitOutcome(s, RunFit(s));
    ASSERT_TRUE(s.occam.has_value());
    ASSERT_TRUE(s.layered.has_value());
    EXPECT_EQ(s.occam->model.resistivity, outcome.model.resistivity);
    EXPECT_EQ(s.edited->resistivity, s.layered->model.resistivity);
}

TEST(FitCommands, CancelledRunSaysSo)
{
    const Session s = WithMethod(SessionOfModel(ThreeLayers()), Method::kLayered, 50);
    std::atomic<bool> cancel{true};
    fitting::RunControl control;
    control.cancel = &cancel;
    EXPECT_EQ(RunFit(s, control).report.status, fitting::FitStatus::kCancelled);
}

TEST(FitCommands, FitOfNoRowsIsRefusedWithoutChangingTheResults)
{
    Session s = SessionOfModel(ThreeLayers());
    s.edited = earth::LayeredModel{{5.0}, {}};
    for (std::size_t row = 0; row < s.sounding.RowCount(); ++row) s = WithRowExcluded(s, row, true);
    const FitOutcome outcome = RunFit(s);
    EXPECT_EQ(outcome.report.status, fitting::FitStatus::kInvalidInput);
    EXPECT_THROW(WithFitOutcome(s, outcome), Refusal);
    EXPECT_EQ(s.edited->resistivity, std::vector<double>{5.0});
}

struct SettingsCase {
    const char* name;
    jobs::FitOptions settings;
    bool accepted;
};

jobs::FitOptions Settings(std::size_t layers, double target, std::size_t starts)
{
    jobs::FitOptions s = DefaultWindowFit();
    s.layers = layers;
    s.targetRms = target;
    s.starts = starts;
    return s;
}

class FitSettingsRange : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(FitSettingsRange, RefusesValuesOutsideTheOfferedRanges)
{
    const Session s = SessionOfModel(ThreeLayers());
    if (GetParam().accepted) {
        EXPECT_EQ(WithFitSettings(s, GetParam().settings).fit.layers, GetParam().settings.layers);
    } else {
        EXPECT_THROW(WithFitSettings(s, GetParam().settings), Refusal);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Edges, FitSettingsRange,
    ::testing::Values(SettingsCase{"OneLayer", Settings(1, 1.0, 1), true},
                      SettingsCase{"MostLayers", Settings(kMaxLayers, 1.0, 1), true},
                      SettingsCase{"NoLayer", Settings(0, 1.0, 1), false},
                      SettingsCase{"TooManyLayers", Settings(kMaxLayers + 1, 1.0, 1), false},
                      SettingsCase{"SmallestTarget", Settings(3, kMinTargetRms, 1), true},
                      SettingsCase{"TargetTooSmall", Settings(3, kMinTargetRms * 0.99, 1), false},
                      SettingsCase{"TargetTooLarge", Settings(3, kMaxTargetRms * 1.01, 1), false},
                      SettingsCase{"NoStart", Settings(3, 1.0, 0), false},
                      SettingsCase{"MostStarts", Settings(3, 1.0, kMaxStarts), true}),
    [](const auto& info) { return std::string(info.param.name); });

// mt1d fit's default starts, 20·(L − 1)² within [20, 1000], worked out by hand for the counts used.
TEST(FitSettings, StartsFollowTheLayerCountUntilTheUserChoosesThem)
{
    const jobs::FitOptions fresh = DefaultWindowFit();
    EXPECT_EQ(fresh.starts, std::optional<std::size_t>(80));  // 3 layers: 20·2²
    struct Case {
        std::size_t layersBefore, startsBefore, layersAfter, startsAfter, expected;
    };
    for (const Case c : {Case{3, 80, 5, 80, 320},     // the default follows: 20·4²
                         Case{5, 320, 2, 320, 20},    // down to the floor of 20
                         Case{3, 80, 12, 80, 1000},   // 20·11² = 2420, held at 1000
                         Case{3, 50, 5, 50, 50},      // the user's own number stays
                         Case{3, 80, 3, 120, 120},    // the starts changed themselves
                         Case{3, 80, 5, 200, 200}}) { // both at once: the user's starts
        jobs::FitOptions before = fresh, after = fresh;
        before.layers = c.layersBefore;
        before.starts = c.startsBefore;
        after.layers = c.layersAfter;
        after.starts = c.startsAfter;
        EXPECT_EQ(StartsFollowLayers(before, after).starts, std::optional<std::size_t>(c.expected))
            << c.layersBefore << " → " << c.layersAfter << " layers, starts " << c.startsAfter;
    }
}

}  // namespace
}  // namespace mt1d::session
