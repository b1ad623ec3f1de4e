// The data and model-editing commands of a sounding window: refusals that change nothing,
// the ranges values are held to, and the response and RMS of a hand-made model.

#include "session/SessionCommands.h"
#include "tests/session/SessionTestSupport.h"
#include "tests/support/SharedData.h"

#include "sounding/ReadError.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>

namespace mt1d::session {
namespace {

using test::SessionOfModel;
using test::ThreeLayers;

Session EditableSession()
{
    Session s = SessionOfModel(ThreeLayers());
    s.edited = ThreeLayers();
    return s;
}

TEST(SessionCommands, ModeWithoutDataIsRefusedAndTheStateKeepsItsMode)
{
    const Session s = SessionOfModel(ThreeLayers());  // xy values only
    ASSERT_EQ(s.mode, sounding::Mode::kXy);
    EXPECT_THROW(WithMode(s, sounding::Mode::kYx), Refusal);
    EXPECT_EQ(s.mode, sounding::Mode::kXy);
    EXPECT_EQ(WithMode(s, sounding::Mode::kXy).mode, sounding::Mode::kXy);
}

struct FloorCase {
    double percent;
    bool accepted;
};

class FloorRange : public ::testing::TestWithParam<FloorCase> {};

TEST_P(FloorRange, AcceptsPercentagesFromZeroToHundredOnly)
{
    const Session s = SessionOfModel(ThreeLayers());
    if (GetParam().accepted) {
        EXPECT_EQ(WithFloor(s, GetParam().percent).floorPercent, GetParam().percent);
    } else {
        EXPECT_THROW(WithFloor(s, GetParam().percent), Refusal);
    }
}

INSTANTIATE_TEST_SUITE_P(Edges, FloorRange,
                         ::testing::Values(FloorCase{0.0, true}, FloorCase{100.0, true}, FloorCase{2.5, true},
                                           FloorCase{-1e-9, false}, FloorCase{100.000001, false},
                                           FloorCase{std::numeric_limits<double>::quiet_NaN(), false},
                                           FloorCase{std::numeric_limits<double>::infinity(), false}));

TEST(SessionCommands, ExcludedRowsStayAscendingAndDistinct)
{
    Session s = SessionOfModel(ThreeLayers());
    s = WithRowExcluded(s, 7, true);
    s = WithRowExcluded(s, 2, true);
    s = WithRowExcluded(s, 7, true);  // twice: still once
    s = WithRowExcluded(s, 12, true);
    EXPECT_EQ(s.excludedRows, (std::vector<std::size_t>{2, 7, 12}));
    EXPECT_TRUE(IsExcluded(s, 7));
    s = WithRowExcluded(s, 7, false);
    s = WithRowExcluded(s, 3, false);  // never excluded: nothing happens
    EXPECT_EQ(s.excludedRows, (std::vector<std::size_t>{2, 12}));
    EXPECT_FALSE(SessionProblem(s).has_value());
}

TEST(SessionCommands, ExcludingARowPastTheEndIsRefused)
{
    const Session s = SessionOfModel(ThreeLayers());
    const std::size_t rows = s.sounding.RowCount();
    EXPECT_NO_THROW(WithRowExcluded(s, rows - 1, true));
    EXPECT_THROW(WithRowExcluded(s, rows, true), Refusal);
}

TEST(SessionCommands, SeveralRowsAreExcludedAtOnceOrNotAtAll)
{
    const Session s = WithRowExcluded(SessionOfModel(ThreeLayers()), 4, true);
    EXPECT_EQ(WithRowsExcluded(s, {9, 4, 1}).excludedRows, (std::vector<std::size_t>{1, 4, 9}));
    // One row that does not exist: nothing of the others is taken either.
    EXPECT_THROW(WithRowsExcluded(s, {1, s.sounding.RowCount()}), Refusal);
    EXPECT_EQ(s.excludedRows, (std::vector<std::size_t>{4}));
}

// A 2-D tensor whose strike is 30° east of north: in the frame of the strike Zxx = Zyy = 0,
// Zxy = a, Zyx = −b. In the north frame (Δ = −30°) it reads R(Δ)·Z·R(Δ)ᵀ with
// R = [[cos Δ, sin Δ], [−sin Δ, cos Δ]], multiplied out here by hand.
sounding::Sounding TwoDimensionalTensor()
{
    using C = std::complex<double>;
    const C a(30.0, 28.0), b(5.0, 6.5);
    const double d = -30.0 * std::acos(-1.0) / 180.0, c = std::cos(d), n = std::sin(d);
    // R·Z = [[−n·b, c·a], [−c·b, −n·a]]; (R·Z)·Rᵀ with Rᵀ = [[c, −n], [n, c]].
    const C xx = -n * b * c + c * a * n, xy = n * b * n + c * a * c;
    const C yx = -c * b * c - n * a * n, yy = c * b * n - n * a * c;
    sounding::Sounding s;
    s.sourceName = "two-d.edi";
    s.site.name = "two-d";
    s.kind = sounding::DataKind::kImpedance;
    for (const double f : {100.0, 10.0, 1.0, 0.1}) {
        sounding::TensorRow row;
        row.frequencyHz = f;
        row.rotationDeg = 0.0;
        row.z = {sounding::ImpedanceElement{xx, 1.0}, {xy, 1.0}, {yx, 1.0}, {yy, 1.0}};
        s.tensor.push_back(row);
    }
    return s;
}

TEST(SessionCommands, RotationToTheStrikeMakesTheTensorTwoDimensional)
{
    using sounding::Component;
    Session s = WithRowExcluded(NewSession(TwoDimensionalTensor(), "two-d.edi", {}), 2, true);
    const Session turned = WithRotation(s, 30.0);
    // Rounding of a few products of numbers near 40: 1e-12 of them.
    for (const auto& row : turned.sounding.tensor) {
        EXPECT_EQ(row.rotationDeg, 30.0);
        EXPECT_LT(std::abs(*row[Component::kXx].value), 1e-12);
        EXPECT_LT(std::abs(*row[Component::kYy].value), 1e-12);
        EXPECT_LT(std::abs(*row[Component::kXy].value - std::complex<double>(30.0, 28.0)), 1e-12);
        EXPECT_LT(std::abs(*row[Component::kYx].value + std::complex<double>(5.0, 6.5)), 1e-12);
    }
    EXPECT_EQ(turned.read.rotateToDeg, std::optional<double>(30.0));
    EXPECT_EQ(turned.excludedRows, s.excludedRows);
    // ρa of xy at 1 Hz in the strike frame: 0.2·T·|a|² = 0.2·(30² + 28²).
    const auto curve = CurveOf(WithMode(turned, sounding::Mode::kXy));
    EXPECT_NEAR(curve.rows[2].rhoOhmM, 0.2 * (900.0 + 784.0), 1e-9);

    // Turned again: one note, naming the file's frame and the frame now.
    const Session again = WithRotation(turned, 75.0);
    std::vector<std::string> rotationNotes;
    for (const std::string& note : again.sounding.notes) {
        if (note.find("rotated") != std::string::npos) rotationNotes.push_back(note);
    }
    ASSERT_EQ(rotationNotes.size(), 1u);
    EXPECT_NE(rotationNotes[0].find("(0°"), std::string::npos) << rotationNotes[0];
    EXPECT_NE(rotationNotes[0].find("to 75°"), std::string::npos) << rotationNotes[0];
    // And back: the tensor of the north frame again.
    const Session back = WithRotation(again, 0.0);
    for (std::size_t i = 0; i < back.sounding.tensor.size(); ++i) {
        for (std::size_t k = 0; k < 4; ++k) {
            EXPECT_LT(std::abs(*back.sounding.tensor[i].z[k].value - *s.sounding.tensor[i].z[k].value), 1e-12);
        }
    }
}

TEST(SessionCommands, RotationIsRefusedWithoutATensorOrAnAngle)
{
    const Session rhoPhase = SessionOfModel(ThreeLayers());
    EXPECT_THROW(WithRotation(rhoPhase, 30.0), Refusal);
    const Session tensor = NewSession(TwoDimensionalTensor(), "two-d.edi", {});
    EXPECT_THROW(WithRotation(tensor, std::numeric_limits<double>::quiet_NaN()), Refusal);
    EXPECT_THROW(WithRotation(tensor, std::numeric_limits<double>::infinity()), Refusal);
    EXPECT_FALSE(tensor.read.rotateToDeg.has_value());
    EXPECT_EQ(tensor.sounding.tensor[0].rotationDeg, 0.0);
}

TEST(SessionCommands, ExcludedRowsLeaveTheFitData)
{
    Session s = SessionOfModel(ThreeLayers());
    s = WithRowExcluded(s, 0, true);
    s = WithRowExcluded(s, 4, true);
    const auto selected = fitting::SelectData(CurveOf(s), SelectionOf(s));
    ASSERT_TRUE(selected.Ok()) << selected.error;
    EXPECT_EQ(selected.data.FrequencyCount(), s.sounding.RowCount() - 2);
    EXPECT_EQ(selected.data.curveRows.front(), 1u);
}

TEST(SessionCommands, EditingWithoutAModelIsRefused)
{
    const Session s = SessionOfModel(ThreeLayers());
    EXPECT_THROW(WithLayerResistivity(s, 0, 10.0), Refusal);
    EXPECT_THROW(WithInterfaceDepth(s, 0, 10.0), Refusal);
}

TEST(SessionCommands, LayerResistivityIsSetAndHeldToTheEditRange)
{
    const Session s = EditableSession();
    EXPECT_EQ(WithLayerResistivity(s, 1, 33.0).edited->resistivity[1], 33.0);
    EXPECT_EQ(WithLayerResistivity(s, 2, 1e9).edited->resistivity[2], kMaxEditResistivity);
    EXPECT_EQ(WithLayerResistivity(s, 0, 1e-5).edited->resistivity[0], kMinEditResistivity);
    EXPECT_THROW(WithLayerResistivity(s, 3, 10.0), Refusal);
    EXPECT_THROW(WithLayerResistivity(s, 0, std::numeric_limits<double>::quiet_NaN()), Refusal);
    EXPECT_EQ(s.edited->resistivity, ThreeLayers().resistivity);  // the original is untouched
}

struct InterfaceCase {
    const char* name;
    std::size_t index;
    double depth;
    std::vector<double> thickness;  // expected, of the model {100, 10, 1000}, {500, 2000}
};

class InterfaceMoves : public ::testing::TestWithParam<InterfaceCase> {};

// Interfaces at 500 m and 2500 m.
TEST_P(InterfaceMoves, MovesOneInterfaceBetweenItsNeighbours)
{
    const Session s = WithInterfaceDepth(EditableSession(), GetParam().index, GetParam().depth);
    ASSERT_EQ(s.edited->thickness.size(), GetParam().thickness.size());
    for (std::size_t j = 0; j < GetParam().thickness.size(); ++j) {
        // Depths of a few thousand metres, one subtraction each: 1e-9 m is thousands of ulps
        // and a millionth of the smallest thickness.
        EXPECT_NEAR(s.edited->thickness[j], GetParam().thickness[j], 1e-9) << "layer " << j;
    }
    EXPECT_EQ(s.edited->resistivity, ThreeLayers().resistivity);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InterfaceMoves,
    ::testing::Values(InterfaceCase{"FirstDown", 0, 800.0, {800.0, 1700.0}},
                      InterfaceCase{"FirstUp", 0, 100.0, {100.0, 2400.0}},
                      InterfaceCase{"FirstAboveTheSurface", 0, -50.0, {kMinEditThickness, 2500.0 - kMinEditThickness}},
                      InterfaceCase{"FirstBelowTheSecond", 0, 9000.0, {2500.0 - kMinEditThickness, kMinEditThickness}},
                      InterfaceCase{"LastDown", 1, 4000.0, {500.0, 3500.0}},
                      InterfaceCase{"LastAboveTheFirst", 1, 10.0, {500.0, kMinEditThickness}},
                      InterfaceCase{"LastPastTheDeepest", 1, 1e9, {500.0, kMaxEditDepth - 500.0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SessionCommands, InterfaceThatDoesNotExistIsRefused)
{
    EXPECT_THROW(WithInterfaceDepth(EditableSession(), 2, 100.0), Refusal);
}

TEST(SessionCommands, LayerThicknessMovesEverythingBelow)
{
    const Session s = WithLayerThickness(EditableSession(), 0, 300.0);
    EXPECT_EQ(s.edited->thickness, (std::vector<double>{300.0, 2000.0}));
    EXPECT_EQ(LayerTops(*s.edited), (std::vector<double>{0.0, 300.0, 2300.0}));
    EXPECT_THROW(WithLayerThickness(s, 2, 10.0), Refusal);  // the half-space has none
}

TEST(SessionCommands, EditedModelIsChecked)
{
    const Session s = EditableSession();
    EXPECT_THROW(WithEditedModel(s, {{10.0, 20.0}, {}}), Refusal);
    EXPECT_THROW(WithEditedModel(s, {{10.0, -20.0}, {5.0}}), Refusal);
    EXPECT_THROW(WithEditedModel(s, {{}, {}}), Refusal);
    EXPECT_EQ(WithEditedModel(s, {{10.0, 20.0}, {5.0}}).edited->thickness, std::vector<double>{5.0});
}

// A uniform earth of ρ has ρa = ρ and φ = 45° at every frequency. Data of 100 Ω·m with a
// 10 % error (σ(log10 ρa) = 0.1/ln 10) against a half-space of 100·10^0.1 Ω·m: every ρa
// residual is 0.1/σ = ln 10, every phase residual 0, so over F rows of both components
// RMS = sqrt(F·ln²10 / 2F) = ln 10 / √2.
TEST(SessionCommands, EvaluationOfAHalfSpaceAgainstKnownData)
{
    Session s = SessionOfModel({{100.0}, {}});
    // The floor is off (SessionOfModel): the rows' own errors weigh the values.
    for (auto& row : s.sounding.rhoPhase) row[sounding::Mode::kXy].rhoErrOhmM = 10.0;
    const ModelEvaluation e = Evaluate(s, {{100.0 * std::pow(10.0, 0.1)}, {}});
    ASSERT_TRUE(e.rms.has_value()) << e.rmsProblem;
    // The kernel's half-space phase is 45° to rounding (a few ulps); the residual is ln 10
    // computed through log10 and a division: 1e-12 is many ulps and far below any mistake.
    EXPECT_NEAR(*e.rms, std::log(10.0) / std::sqrt(2.0), 1e-12);
    ASSERT_EQ(e.response.size(), s.sounding.RowCount());
    EXPECT_NEAR(e.response[3].rhoOhmM, 100.0 * std::pow(10.0, 0.1), 1e-9);
    EXPECT_NEAR(e.response[3].phaseDeg, 45.0, 1e-9);
}

TEST(SessionCommands, EvaluationOfTheTrueModelFitsExactly)
{
    const Session s = SessionOfModel(ThreeLayers());
    const ModelEvaluation e = Evaluate(s, ThreeLayers());
    ASSERT_TRUE(e.rms.has_value());
    EXPECT_LT(*e.rms, 1e-9);  // the data are this model's response
}

TEST(SessionCommands, EvaluationWithEveryRowExcludedSaysWhyThereIsNoRms)
{
    Session s = SessionOfModel({{100.0}, {}});
    for (std::size_t row = 0; row < s.sounding.RowCount(); ++row) s = WithRowExcluded(s, row, true);
    const ModelEvaluation e = Evaluate(s, {{100.0}, {}});
    EXPECT_FALSE(e.rms.has_value());
    EXPECT_FALSE(e.rmsProblem.empty());
    EXPECT_EQ(e.response.size(), s.sounding.RowCount());  // the curve is still drawn
}

TEST(SessionCommands, OpeningAMissingFileNamesIt)
{
    try {
        OpenSounding("/nonexistent/site9.edi");
        FAIL() << "no refusal";
    } catch (const sounding::ReadError& e) {
        EXPECT_NE(std::string(e.what()).find("site9.edi"), std::string::npos) << e.what();
    }
}

TEST(SessionCommands, OpensTheCullSoundingWithItsColumns)
{
    const auto data = testing_support::SharedDataDir();
    if (!data) GTEST_SKIP() << testing_support::kNoSharedData;
    ReadSettings read;
    read.columns = sounding::ParseColumnList("period,log10rho,log10rho_err,phase,phase_err");
    const Session s = OpenSounding(*data / "cull1985-occam1987" / "aushield.dat", read);
    EXPECT_EQ(s.sounding.RowCount(), 23u);  // SOURCE.md: 23 rows
    EXPECT_EQ(s.mode, sounding::Mode::kXy);
    EXPECT_EQ(s.read.columns.size(), 5u);
    EXPECT_FALSE(SessionProblem(s).has_value());
}

}  // namespace
}  // namespace mt1d::session
