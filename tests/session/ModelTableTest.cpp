// The model table as a place to work: locked parameters that a layered fit keeps, a fit that
// starts from the table, and layers inserted and deleted.

#include "session/SessionCommands.h"
#include "jobs/FitNotes.h"
#include "tests/session/SessionTestSupport.h"

#include <gtest/gtest.h>

namespace mt1d::session {
namespace {

using test::SameBits;
using test::SessionOfModel;
using test::ThreeLayers;

Session Layered(Session s, std::size_t layers, std::size_t starts, std::optional<std::size_t> iterations = {})
{
    jobs::FitOptions settings = s.fit;
    settings.method = Method::kLayered;
    settings.layers = layers;
    settings.starts = starts;
    settings.maxIterations = iterations;
    return WithFitSettings(s, settings);
}

// Data of ThreeLayers(); the table holds another three-layer model.
Session TableOf(const earth::LayeredModel& table)
{
    return WithEditedModel(Layered(SessionOfModel(ThreeLayers()), 3, 4), table);
}

struct LockCase {
    const char* name;
    std::vector<std::size_t> locked;  // parameters, kernel order: ρ0 ρ1 ρ2 h0 h1
    FitStart start;
};

class LockedParameters : public ::testing::TestWithParam<LockCase> {};

// A locked value comes out of the next layered fit bit for bit; the free ones move away from
// the table (they fit the data), so a lock put on the wrong parameter or ignored shows.
TEST_P(LockedParameters, KeepTheirValueThroughTheNextFit)
{
    const earth::LayeredModel table{{37.0, 3.0, 3000.0}, {480.0, 2500.0}};
    Session s = TableOf(table);
    for (const std::size_t p : GetParam().locked) s = WithParameterLocked(s, p, true);
    const FitOutcome outcome = RunFit(s, {}, GetParam().start);
    ASSERT_NE(outcome.report.status, fitting::FitStatus::kInvalidInput) << outcome.report.message;
    ASSERT_EQ(outcome.model.LayerCount(), 3u);
    const auto value = [](const earth::LayeredModel& m, std::size_t p) {
        return p < 3 ? m.resistivity[p] : m.thickness[p - 3];
    };
    for (std::size_t p = 0; p < 5; ++p) {
        const bool locked = IsLocked(s, p);
        EXPECT_EQ(SameBits(value(outcome.model, p), value(table, p)), locked)
            << "parameter " << p << (locked ? " locked" : " free") << ": " << value(outcome.model, p);
    }
    // The locks stay for the fit after it.
    EXPECT_EQ(WithFitOutcome(s, outcome).locked, s.locked);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LockedParameters,
    ::testing::Values(LockCase{"FirstResistivity", {0}, FitStart::kSettings},
                      LockCase{"AThickness", {3}, FitStart::kSettings},
                      LockCase{"ResistivityAndThicknessFromTable", {1, 4}, FitStart::kTable},
                      LockCase{"HalfSpace", {2}, FitStart::kTable}),
    [](const auto& info) { return std::string(info.param.name); });

// A fit from the table takes the table's layer count and its values as the first start: with
// one start and no iterations the fit keeps its start, which is then the table's model and
// not the seeded model a fit from the settings makes.
TEST(FitFromTable, StartsFromTheTableModelAndItsLayerCount)
{
    const earth::LayeredModel table{{55.0, 7.0, 70.0, 900.0}, {300.0, 1200.0, 4000.0}};
    const Session s = WithEditedModel(Layered(SessionOfModel(ThreeLayers()), 3, 1, 0), table);

    const FitOutcome fromTable = RunFit(s, {}, FitStart::kTable);
    ASSERT_NE(fromTable.report.status, fitting::FitStatus::kInvalidInput) << fromTable.report.message;
    ASSERT_EQ(fromTable.model.LayerCount(), 4u);
    // log10 and back: within a few ulps (1e-12 relative is far above them).
    for (std::size_t j = 0; j < 4; ++j) EXPECT_NEAR(fromTable.model.resistivity[j], table.resistivity[j], 1e-12 * table.resistivity[j]);
    for (std::size_t j = 0; j < 3; ++j) EXPECT_NEAR(fromTable.model.thickness[j], table.thickness[j], 1e-12 * table.thickness[j]);
    EXPECT_EQ(fromTable.context.settings.startResistivity, table.resistivity);

    const FitOutcome fromSettings = RunFit(s);
    ASSERT_EQ(fromSettings.model.LayerCount(), 3u);
    EXPECT_TRUE(fromSettings.context.settings.startResistivity.empty());

    // Taken into the window, the settings follow the table's layer count; the starts the user
    // chose (one, not the default of three layers) stay.
    const Session after = WithFitOutcome(s, fromTable);
    EXPECT_EQ(after.fit.layers, 4u);
    EXPECT_EQ(after.fit.starts, 1u);
}

TEST(FitFromTable, FullFitFromTheTrueModelReachesIt)
{
    // Noise-free data, the table at the model that made them, one start: an RMS at rounding.
    const Session s = TableOf(ThreeLayers());
    const FitOutcome outcome = RunFit(Layered(s, 3, 1), {}, FitStart::kTable);
    EXPECT_LT(outcome.report.rms, 1e-6);
}

TEST(FitFromTable, WithoutATableIsRefused)
{
    const Session s = Layered(SessionOfModel(ThreeLayers()), 3, 1);
    const FitOutcome outcome = RunFit(s, {}, FitStart::kTable);
    EXPECT_EQ(outcome.report.status, fitting::FitStatus::kInvalidInput);
    EXPECT_THROW(WithFitOutcome(s, outcome), Refusal);
}

// Inserting splits a layer without changing the response; deleting the new part gives the
// model back bit for bit (halves of a double add up exactly), and the locks follow their layer.
struct InsertCase {
    std::size_t layer;
    std::size_t lockBefore;  // parameter locked before
    std::size_t lockAfter;   // where that lock is after the insertion (kernel order of 4 layers)
};
constexpr std::size_t kGone = 99;  // the lock went with a value the split changed

class InsertedLayer : public ::testing::TestWithParam<InsertCase> {};

TEST_P(InsertedLayer, KeepsTheResponseAndDeletingItUndoesIt)
{
    const Session s = WithParameterLocked(TableOf(ThreeLayers()), GetParam().lockBefore, true);
    const Session inserted = WithLayerInserted(s, GetParam().layer);
    ASSERT_EQ(inserted.edited->LayerCount(), 4u);
    if (GetParam().lockAfter == kGone) {
        EXPECT_TRUE(inserted.locked.empty());
    } else {
        ASSERT_EQ(inserted.locked.size(), 7u);
        for (std::size_t p = 0; p < 7; ++p) EXPECT_EQ(inserted.locked[p], p == GetParam().lockAfter) << "parameter " << p;
    }
    // Same earth, same response: the RMS agrees to rounding of the recursion (1e-9 relative).
    const double before = *Evaluate(s, *s.edited).rms;
    EXPECT_NEAR(*Evaluate(inserted, *inserted.edited).rms, before, 1e-9 * before + 1e-12);

    const Session back = WithLayerDeleted(inserted, GetParam().layer + 1);
    test::ExpectSameNumbers(back.edited->resistivity, s.edited->resistivity, "resistivity");
    test::ExpectSameNumbers(back.edited->thickness, s.edited->thickness, "thickness");
}

INSTANTIATE_TEST_SUITE_P(Layers, InsertedLayer,
                         ::testing::Values(InsertCase{0, 2, 3},   // ρ of the half-space moves down
                                           InsertCase{1, 1, 1},   // the split layer keeps its ρ lock
                                           InsertCase{0, 4, 6},   // h1 → h2 below the new layer
                                           InsertCase{1, 4, kGone},  // h1 itself halved
                                           InsertCase{2, 0, 0},   // the half-space split
                                           InsertCase{2, 3, 4}));

struct DeleteCase {
    std::size_t layer;
    std::vector<double> resistivity;
    std::vector<double> thickness;
};

class DeletedLayer : public ::testing::TestWithParam<DeleteCase> {};

// ThreeLayers(): 100 Ω·m over 500 m, 10 Ω·m over 2000 m, 1000 Ω·m. Every interface but the
// deleted layer's keeps its depth.
TEST_P(DeletedLayer, LeavesTheOtherInterfacesWhereTheyWere)
{
    const Session s = WithLayerDeleted(TableOf(ThreeLayers()), GetParam().layer);
    EXPECT_EQ(s.edited->resistivity, GetParam().resistivity);
    EXPECT_EQ(s.edited->thickness, GetParam().thickness);
}

INSTANTIATE_TEST_SUITE_P(Layers, DeletedLayer,
                         ::testing::Values(DeleteCase{0, {10.0, 1000.0}, {2500.0}},
                                           DeleteCase{1, {100.0, 1000.0}, {2500.0}},
                                           DeleteCase{2, {100.0, 10.0}, {500.0}}));

TEST(ModelTable, RefusesWhatCannotBeDone)
{
    const Session s = TableOf(ThreeLayers());
    EXPECT_THROW(WithLayerDeleted(s, 3), Refusal);
    EXPECT_THROW(WithLayerInserted(s, 3), Refusal);
    EXPECT_THROW(WithParameterLocked(s, 5, true), Refusal);
    Session one = WithEditedModel(s, {{50.0}, {}});
    EXPECT_THROW(WithLayerDeleted(one, 0), Refusal);
    // Two layers, the top deleted: the half-space reaches the surface.
    const Session two = WithLayerDeleted(WithEditedModel(s, {{50.0, 5.0}, {100.0}}), 0);
    EXPECT_EQ(two.edited->resistivity, std::vector<double>{5.0});
    EXPECT_TRUE(two.edited->thickness.empty());
    // At the most layers a layered fit takes, no more.
    earth::LayeredModel many{std::vector<double>(kMaxLayers, 10.0), std::vector<double>(kMaxLayers - 1, 100.0)};
    EXPECT_THROW(WithLayerInserted(WithEditedModel(s, many), 0), Refusal);
    // Freeing the last lock leaves none, as a model never locked.
    EXPECT_TRUE(WithParameterLocked(WithParameterLocked(s, 2, true), 2, false).locked.empty());
    // Another layer count drops the locks; new values for the same layers keep them.
    const Session locked = WithParameterLocked(s, 1, true);
    EXPECT_TRUE(WithEditedModel(locked, {{1.0, 2.0}, {3.0}}).locked.empty());
    EXPECT_EQ(WithEditedModel(locked, {{1.0, 2.0, 3.0}, {4.0, 5.0}}).locked, locked.locked);
}

}  // namespace
}  // namespace mt1d::session

namespace mt1d::session {
namespace {

// Data of three layers with 5 % and 1.5° errors: one and two layers cannot reach RMS 1, three
// fit to rounding. The search stops at three, though four and five would fit as well or a
// hair better: the fewest, not the lowest RMS.
TEST(FewestLayers, StopsAtTheFirstCountThatReachesTheTarget)
{
    const Session s = Layered(SessionOfModel(ThreeLayers()), 5, fitting::DefaultStarts(5));
    const FitOutcome outcome = RunFewestLayers(s);
    ASSERT_NE(outcome.report.status, fitting::FitStatus::kInvalidInput) << outcome.report.message;
    EXPECT_EQ(outcome.model.LayerCount(), 3u);
    EXPECT_TRUE(outcome.report.targetReached);
    std::string notes;
    for (const std::string& n : outcome.context.notes) notes += n + "\n";
    EXPECT_NE(notes.find(std::string(kFewestLayersNote) + ": 3"), std::string::npos) << notes;
    EXPECT_NE(notes.find("2: "), std::string::npos) << notes;
    EXPECT_EQ(notes.find("4: "), std::string::npos) << notes;
    // Noise-free data fitted to rounding: the fit follows the data closer than their errors.
    EXPECT_NE(notes.find(jobs::kOverfitNotePrefix), std::string::npos) << notes;
    // The starts followed each count (the settings had five layers' default).
    EXPECT_EQ(outcome.context.settings.starts, fitting::DefaultStarts(3));
}

TEST(FewestLayers, SaysSoWhenNoCountReachesTheTarget)
{
    const Session s = Layered(SessionOfModel(ThreeLayers()), 2, 20);
    const FitOutcome outcome = RunFewestLayers(s);
    EXPECT_EQ(outcome.model.LayerCount(), 2u);
    EXPECT_FALSE(outcome.report.targetReached);
    ASSERT_FALSE(outcome.context.notes.empty());
    EXPECT_EQ(outcome.context.notes.back().rfind(kNoLayerCountNote, 0), 0u) << outcome.context.notes.back();
}

}  // namespace
}  // namespace mt1d::session
