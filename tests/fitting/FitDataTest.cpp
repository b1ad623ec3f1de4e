#include "fitting/FitData.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <ostream>
#include <string>

namespace {

using mt1d::fitting::DataSelection;
using mt1d::fitting::FitComponents;
using mt1d::fitting::SelectData;
using mt1d::sounding::Curve;
using mt1d::sounding::CurveRow;
using ::testing::HasSubstr;

const double kLn10 = std::log(10.0);

CurveRow Row(double f, double rho, double rhoErr, double phase, double phaseErr, bool usable = true)
{
    CurveRow r;
    r.frequencyHz = f;
    r.periodS = 1.0 / f;
    r.rhoOhmM = rho;
    r.rhoErrOhmM = rhoErr;
    r.phaseDeg = phase;
    r.phaseErrDeg = phaseErr;
    r.usable = usable;
    return r;
}

// Four rows, the third not usable.
Curve FourRows()
{
    Curve c;
    c.mode = mt1d::sounding::Mode::kYx;
    c.rows = {Row(100.0, 100.0, 10.0, 45.0, 2.0), Row(10.0, 50.0, 5.0, 50.0, 1.0),
              Row(1.0, 0.0, 0.0, 0.0, 0.0, false), Row(0.1, 20.0, 4.0, 60.0, 3.0)};
    return c;
}

TEST(SelectData, TakesUsableRowsMinusExclusionsInCurveOrder)
{
    const auto selected = SelectData(FourRows(), {FitComponents::kBoth, {1}});
    ASSERT_TRUE(selected.Ok()) << selected.error;
    EXPECT_EQ(selected.data.curveRows, (std::vector<std::size_t>{0, 3}));
    EXPECT_EQ(selected.data.frequencies, (std::vector<double>{100.0, 0.1}));
    EXPECT_EQ(selected.data.mode, mt1d::sounding::Mode::kYx);
}

TEST(SelectData, BothComponentsGiveLog10RhoThenPhaseWithPropagatedErrors)
{
    const auto selected = SelectData(FourRows(), {});
    ASSERT_TRUE(selected.Ok()) << selected.error;
    const auto& d = selected.data;
    ASSERT_EQ(d.Count(), 6u);  // three rows, two values each
    EXPECT_DOUBLE_EQ(d.values[0], 2.0);
    EXPECT_DOUBLE_EQ(d.values[2], std::log10(20.0));
    EXPECT_EQ(d.values[3], 45.0);
    EXPECT_EQ(d.values[5], 60.0);
    // A 10 % error on ρa is 0.1/ln 10 = 0.0434294… in log10 ρa; 20 % is twice that.
    EXPECT_NEAR(d.sigmas[0], 0.04342944819, 1e-11);
    EXPECT_NEAR(d.sigmas[2], 0.08685889638, 1e-11);
    EXPECT_DOUBLE_EQ(d.sigmas[1], 0.1 / kLn10);
    EXPECT_EQ(d.sigmas[4], 1.0);
    EXPECT_EQ(d.kernelRows, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5}));
}

struct ComponentCase {
    FitComponents components;
    std::vector<std::size_t> kernelRows;  // for three frequencies
    double firstValue;
    friend void PrintTo(const ComponentCase& c, std::ostream* os) { *os << mt1d::fitting::ToString(c.components); }
};

class ComponentChoice : public ::testing::TestWithParam<ComponentCase> {};

TEST_P(ComponentChoice, KeepsOnlyTheChosenValuesAndTheirKernelRows)
{
    const auto selected = SelectData(FourRows(), {GetParam().components, {}});
    ASSERT_TRUE(selected.Ok()) << selected.error;
    EXPECT_EQ(selected.data.kernelRows, GetParam().kernelRows);
    EXPECT_EQ(selected.data.Count(), GetParam().kernelRows.size());
    EXPECT_DOUBLE_EQ(selected.data.values[0], GetParam().firstValue);
    EXPECT_EQ(selected.data.FrequencyCount(), 3u);  // ρa and φ kept for every row either way
}

INSTANTIATE_TEST_SUITE_P(Components, ComponentChoice,
                         ::testing::Values(ComponentCase{FitComponents::kRho, {0, 1, 2}, 2.0},
                                           ComponentCase{FitComponents::kPhase, {3, 4, 5}, 45.0},
                                           ComponentCase{FitComponents::kBoth, {0, 1, 2, 3, 4, 5}, 2.0}));

struct RefusalCase {
    std::string name;
    std::function<void(Curve&, DataSelection&)> spoil;
    std::string expected;  // part of the message
    friend void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }
};

class Refusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(Refusal, SaysWhatIsWrongAndKeepsNoData)
{
    Curve curve = FourRows();
    DataSelection selection;
    GetParam().spoil(curve, selection);
    const auto selected = SelectData(curve, selection);
    EXPECT_FALSE(selected.Ok());
    EXPECT_THAT(selected.error, HasSubstr(GetParam().expected));
    EXPECT_EQ(selected.data.Count(), 0u);
    EXPECT_EQ(selected.data.FrequencyCount(), 0u);
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    BadInput, Refusal,
    ::testing::Values(
        RefusalCase{"ExclusionPastTheEnd", [](Curve&, DataSelection& s) { s.excludedRows = {4}; },
                    "cannot exclude row 4: the curve has 4 rows"},
        RefusalCase{"EverythingExcluded", [](Curve&, DataSelection& s) { s.excludedRows = {0, 1, 3}; },
                    "no usable rows left after the exclusions"},
        RefusalCase{"NaNResistivity", [](Curve& c, DataSelection&) { c.rows[1].rhoOhmM = kNaN; },
                    "row 1 (10 Hz): the apparent resistivity"},
        RefusalCase{"NegativeResistivity", [](Curve& c, DataSelection&) { c.rows[3].rhoOhmM = -1.0; },
                    "row 3 (0.1 Hz): the apparent resistivity"},
        RefusalCase{"ZeroFrequency", [](Curve& c, DataSelection&) { c.rows[0].frequencyHz = 0.0; },
                    "frequency must be finite and positive"},
        RefusalCase{"InfinitePhase", [](Curve& c, DataSelection&) { c.rows[1].phaseDeg = kInf; },
                    "the phase is not a finite number"},
        RefusalCase{"ZeroErrorOnFittedRho", [](Curve& c, DataSelection&) { c.rows[1].rhoErrOhmM = 0.0; },
                    "error of the apparent resistivity"},
        RefusalCase{"NaNErrorOnFittedPhase",
                    [](Curve& c, DataSelection& s) {
                        c.rows[0].phaseErrDeg = kNaN;
                        s.components = FitComponents::kPhase;
                    },
                    "error of the phase"}),
    [](const auto& info) { return info.param.name; });

TEST(SelectData, IgnoresFlawsInRowsItDoesNotUse)
{
    Curve curve = FourRows();
    curve.rows[2].rhoOhmM = kNaN;          // not usable
    curve.rows[1].frequencyHz = -5.0;      // excluded
    curve.rows[0].phaseErrDeg = 0.0;       // phase not fitted
    const auto selected = SelectData(curve, {FitComponents::kRho, {1}});
    EXPECT_TRUE(selected.Ok()) << selected.error;
    EXPECT_EQ(selected.data.Count(), 2u);
}

// Exclusions are named only when there were some: a curve without usable rows is the file's
// problem, not the user's.
TEST(SelectData, CurveWithoutUsableRowsDoesNotBlameExclusions)
{
    Curve curve = FourRows();
    for (auto& row : curve.rows) row.usable = false;
    EXPECT_EQ(SelectData(curve, {FitComponents::kBoth, {}}).error, "nothing to fit: the curve has no usable rows");
}

TEST(MakeFitData, RefusesColumnsOfDifferentLengths)
{
    const std::vector<double> two{1.0, 2.0}, one{1.0};
    const auto made = mt1d::fitting::MakeFitData(two, two, two, one, two, FitComponents::kBoth);
    EXPECT_THAT(made.error, HasSubstr("differ in length"));
}

}  // namespace
