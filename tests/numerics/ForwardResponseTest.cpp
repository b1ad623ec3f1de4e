#include "numerics/MTSounding.h"
#include "tests/numerics/Soundings.h"
#include "tests/numerics/WaitRecursion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using testing_support::kFreqCount;
using testing_support::Prepare;
using testing_support::SoundingFrequencies;

const std::vector<float> kNoData(82, 1.0f);

TEST(ForwardResponse, ResponseOfHalfSpaceIsItsResistivityAndMinusFortyFiveDegrees)
{
    for (const float rho : {1.0f, 100.0f, 12345.0f}) {
        TMTRes model;
        Prepare(model, {rho, 100.0f}, kNoData);
        ASSERT_EQ(model.NumLayers, 1);
        for (int k = 0; k < kFreqCount; ++k) {
            EXPECT_FLOAT_EQ(model.CalcAppRes[k], rho) << "frequency " << k;
            EXPECT_FLOAT_EQ(model.CalcPhase[k], -0.785398f) << "frequency " << k;
        }
    }
}

TEST(ForwardResponse, EqualResistivitiesMeetTheGuardAndActAsAHalfSpace)
{
    TMTRes model;
    Prepare(model, {100.0f, 100.0f, 50.0f}, kNoData);
    ASSERT_EQ(model.NumLayers, 2);
    for (int k = 0; k < kFreqCount; ++k) {
        ASSERT_TRUE(std::isfinite(model.CalcAppRes[k]));
        // The guard shifts u by 1e-15, far below float resolution.
        EXPECT_NEAR(model.CalcAppRes[k], 100.0f, 1e-4f) << "frequency " << k;
        EXPECT_NEAR(model.CalcPhase[k], -0.7853982f, 1e-6f) << "frequency " << k;
    }
}

struct KnownValue {
    int frequencyIndex;
    double appRes;
    double phase;
};

TEST(ForwardResponse, DefaultModelGivesTheValuesOfTheImpedanceRecursion)
{
    TMTRes model;
    Prepare(model, testing_support::DefaultParameters(), kNoData);
    // The default model's response at 1e-4, 1 and 1e4 Hz, worked out in double precision with
    // the impedance recursion of WaitRecursion.h (no inverse hyperbolic tangent, no guard) and
    // rounded to four or five significant figures; the tolerances cover that rounding.
    const KnownValue figures[] = {{20, 44.236, -0.06324}, {0, 939.73, -0.7252}, {40, 993.91, -0.78540}};
    for (const auto& v : figures) {
        EXPECT_NEAR(model.CalcAppRes[v.frequencyIndex], v.appRes, 1e-4 * v.appRes);
        EXPECT_NEAR(model.CalcPhase[v.frequencyIndex], v.phase, 6e-5);
    }
}

struct LayeredCase {
    const char* name;
    std::vector<double> resistivity;
    std::vector<double> thickness;
};

TEST(ForwardResponse, AgreesWithTheClassicalImpedanceRecursion)
{
    const LayeredCase cases[] = {
        {"conductive basement", {100.0, 1.0}, {300.0}},
        {"resistive basement", {10.0, 5000.0}, {2000.0}},
        {"default three layers", {1000.0, 10.0, 1000.0}, {500.0, 500.0}},
        {"five layers", {50.0, 500.0, 5.0, 200.0, 20.0}, {100.0, 1500.0, 800.0, 3000.0}},
        {"thin conductor", {300.0, 0.5, 300.0}, {1000.0, 10.0}},
    };
    const auto f = SoundingFrequencies();
    for (const auto& c : cases) {
        std::vector<float> params(c.resistivity.begin(), c.resistivity.end());
        params.insert(params.end(), c.thickness.begin(), c.thickness.end());
        TMTRes model;
        Prepare(model, params, kNoData);
        std::vector<double> rho(params.begin(), params.begin() + c.resistivity.size());
        std::vector<double> h(params.begin() + c.resistivity.size(), params.end());
        for (int k = 0; k < kFreqCount; ++k) {
            const auto expected = oracle::Layered(rho, h, f[k]);
            // Float outputs of a double computation: a few float ulps.
            EXPECT_NEAR(model.CalcAppRes[k], expected.appRes, 2e-6 * expected.appRes)
                << c.name << " at " << f[k] << " Hz";
            EXPECT_NEAR(model.CalcPhase[k], expected.phase, 2e-6) << c.name << " at " << f[k] << " Hz";
        }
    }
}

TEST(ForwardResponse, GetResponseListsResistivitiesThenPhases)
{
    TMTRes model;
    Prepare(model, mt1d::DefaultModelValues(), kNoData);
    float out[2 * kFreqCount];
    model.GetResponse(out);
    for (int k = 0; k < kFreqCount; ++k) {
        EXPECT_EQ(out[k], model.CalcAppRes[k]);
        EXPECT_EQ(out[kFreqCount + k], model.CalcPhase[k]);
    }
}

TEST(ForwardResponse, HalfSpaceThicknessHasNoEffect)
{
    TMTRes thin, thick;
    std::vector<float> model = mt1d::DefaultModelValues();
    model.back() = 1.0f;
    Prepare(thin, model, kNoData);
    model.back() = 1e6f;
    Prepare(thick, model, kNoData);
    for (int k = 0; k < kFreqCount; ++k) {
        EXPECT_EQ(thin.CalcAppRes[k], thick.CalcAppRes[k]);
        EXPECT_EQ(thin.CalcPhase[k], thick.CalcPhase[k]);
    }
}

}  // namespace
