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

const std::vector<float> kDefaultModel = testing_support::DefaultParameters();

template <typename Model>
int DataRows()
{
    return std::is_same_v<Model, TMTResPhase> ? 2 * kFreqCount : kFreqCount;
}

// Observed data equal to the response of `params`.
template <typename Model>
std::vector<float> SyntheticData(const std::vector<float>& params)
{
    TMTRes source;
    Prepare(source, params, std::vector<float>(82, 1.0f));
    std::vector<float> res(source.CalcAppRes, source.CalcAppRes + kFreqCount);
    std::vector<float> ph(source.CalcPhase, source.CalcPhase + kFreqCount);
    if constexpr (std::is_same_v<Model, TMTRes>) return res;
    if constexpr (std::is_same_v<Model, TMTPhase>) return ph;
    res.insert(res.end(), ph.begin(), ph.end());
    return res;
}

template <typename Model>
class EveryKind : public ::testing::Test {};
using Kinds = ::testing::Types<TMTRes, TMTPhase, TMTResPhase>;
TYPED_TEST_SUITE(EveryKind, Kinds);

TYPED_TEST(EveryKind, MatchingDataHaveZeroResidualsAndMisfit)
{
    TypeParam model;
    Prepare(model, kDefaultModel, SyntheticData<TypeParam>(kDefaultModel));
    const std::vector<float> weights(100, 1.0f);
    float residual[100];
    model.Residuals(residual, weights.data());
    for (int i = 0; i < DataRows<TypeParam>(); ++i) EXPECT_EQ(residual[i], 0.0f) << "row " << i;
    EXPECT_EQ(model.Misfit(weights.data()), 0.0f);
}

TYPED_TEST(EveryKind, ZeroWeightRemovesARowFromResidualsSensitivitiesAndMisfit)
{
    const std::vector<float> truth = {300.0f, 30.0f, 3000.0f, 400.0f, 800.0f};
    TypeParam model;
    Prepare(model, kDefaultModel, SyntheticData<TypeParam>(truth));
    std::vector<float> weights(100, 1.0f);
    const int row = 7;
    const float before = model.Misfit(weights.data());
    weights[row] = 0.0f;

    float residual[100];
    model.Residuals(residual, weights.data());
    EXPECT_EQ(residual[row], 0.0f);
    EXPECT_NE(residual[row + 1], 0.0f);

    EXPECT_LT(model.Misfit(weights.data()), before);

    model.ComputeSensitivities(weights.data());
    for (int j = 0; j < 5; ++j) {
        EXPECT_EQ(model.Jacobian[row][j], 0.0f) << "column " << j;
        EXPECT_NE(model.Jacobian[row + 1][j], 0.0f) << "column " << j;
    }
}

TYPED_TEST(EveryKind, SensitivitiesLeaveParametersAtTheirFloatValuesAndRestoreTheData)
{
    TypeParam model;
    Prepare(model, {123.456789f, 10.0f, 1000.0f, 500.0f, 500.0f}, SyntheticData<TypeParam>(kDefaultModel));
    model.Resistivity[0] = 123.456789;  // a double that float cannot hold
    model.ComputeResponse();
    std::vector<float> appRes(model.CalcAppRes, model.CalcAppRes + kFreqCount);
    std::vector<float> phase(model.CalcPhase, model.CalcPhase + kFreqCount);
    const std::vector<float> weights(100, 1.0f);
    model.ComputeSensitivities(weights.data());
    EXPECT_EQ(model.Resistivity[0], 123.456787109375);
    if constexpr (!std::is_same_v<TypeParam, TMTPhase>) {
        EXPECT_EQ(std::vector<float>(model.CalcAppRes, model.CalcAppRes + kFreqCount), appRes);
    }
    if constexpr (std::is_same_v<TypeParam, TMTResPhase>) {
        EXPECT_EQ(std::vector<float>(model.CalcPhase, model.CalcPhase + kFreqCount), phase);
    }
    if constexpr (std::is_same_v<TypeParam, TMTPhase>) {
        // The phase kind recomputes the response from the float-rounded parameter first.
        TypeParam rounded;
        Prepare(rounded, {123.456787109375f, 10.0f, 1000.0f, 500.0f, 500.0f},
                SyntheticData<TypeParam>(kDefaultModel));
        EXPECT_EQ(std::vector<float>(model.CalcPhase, model.CalcPhase + kFreqCount),
                  std::vector<float>(rounded.CalcPhase, rounded.CalcPhase + kFreqCount));
    }
}

TEST(Misfit, ResistivityResidualIsLogOfTheRatioAndMisfitDividesByTwiceTheFrequencies)
{
    TMTRes model;
    Prepare(model, kDefaultModel, std::vector<float>(82, 1.0f));
    std::vector<float> observed(kFreqCount);
    for (int k = 0; k < kFreqCount; ++k) observed[k] = static_cast<float>(M_E) * model.CalcAppRes[k];
    Prepare(model, kDefaultModel, observed);
    const std::vector<float> weights(100, 1.0f);
    float residual[100];
    model.Residuals(residual, weights.data());
    for (int k = 0; k < kFreqCount; ++k) EXPECT_NEAR(residual[k], 1.0f, 1e-6f);
    EXPECT_NEAR(model.Misfit(weights.data()), std::sqrt(41.0 / 82.0), 1e-6);

    model.SetOptions(1, false);
    model.Residuals(residual, weights.data());
    EXPECT_NEAR(residual[0], (M_E - 1.0) * model.CalcAppRes[0], 1e-3);
}

TEST(Misfit, ResistivityMisfitSquaresTheWeightPhaseMisfitDoesNot)
{
    const std::vector<float> weights(100, 2.0f);
    TMTRes res;
    Prepare(res, kDefaultModel, std::vector<float>(82, 1.0f));
    std::vector<float> observed(kFreqCount);
    for (int k = 0; k < kFreqCount; ++k) observed[k] = static_cast<float>(M_E) * res.CalcAppRes[k];
    Prepare(res, kDefaultModel, observed);
    // (2·1)² over 41 rows: sqrt(41·4 / 82).
    EXPECT_NEAR(res.Misfit(weights.data()), std::sqrt(2.0), 2e-6);

    TMTPhase phase;
    Prepare(phase, kDefaultModel, std::vector<float>(82, 1.0f));
    for (int k = 0; k < kFreqCount; ++k) observed[k] = phase.CalcPhase[k] + 0.2f;
    Prepare(phase, kDefaultModel, observed);
    // 2 · 0.2² over 41 rows: sqrt(41·0.08 / 82).
    EXPECT_NEAR(phase.Misfit(weights.data()), std::sqrt(0.04), 1e-6);
}

TEST(Misfit, JointMisfitAddsTheTwoRootMeanSquares)
{
    TMTResPhase model;
    Prepare(model, kDefaultModel, std::vector<float>(82, 1.0f));
    std::vector<float> observed(82);
    for (int k = 0; k < kFreqCount; ++k) {
        observed[k] = model.CalcAppRes[k];
        observed[kFreqCount + k] = model.CalcPhase[k] + 0.2f;
    }
    Prepare(model, kDefaultModel, observed);
    std::vector<float> weights(100, 1.0f);
    for (int k = kFreqCount; k < 2 * kFreqCount; ++k) weights[k] = 0.1f;
    EXPECT_NEAR(model.Misfit(weights.data()), std::sqrt(41 * 0.1 * 0.04 / 82), 1e-6);

    // A resistivity residual of 1 everywhere adds sqrt(41/82).
    for (int k = 0; k < kFreqCount; ++k) observed[k] = static_cast<float>(M_E) * model.CalcAppRes[k];
    Prepare(model, kDefaultModel, observed);
    EXPECT_NEAR(model.Misfit(weights.data()), std::sqrt(0.5) + std::sqrt(41 * 0.1 * 0.04 / 82), 2e-6);
}

TEST(Sensitivities, HalfSpaceResistivityHasUnitLogSensitivityAndNoPhaseSensitivity)
{
    const std::vector<float> weights(100, 1.0f);
    for (const bool logMode : {true, false}) {
        TMTRes res;
        res.SetOptions(1, logMode);
        Prepare(res, {100.0f}, std::vector<float>(82, 1.0f));
        res.ComputeSensitivities(weights.data());
        // Without LogMode the entry is dρa/dρ, which is 1 too for a half-space.
        for (int i = 0; i < kFreqCount; ++i) EXPECT_NEAR(res.Jacobian[i][0], 1.0f, 1e-5f) << i;
    }
    TMTPhase phase;
    Prepare(phase, {100.0f}, std::vector<float>(82, 1.0f));
    phase.ComputeSensitivities(weights.data());
    for (int i = 0; i < kFreqCount; ++i) EXPECT_EQ(phase.Jacobian[i][0], 0.0f) << i;
}

// Independent derivatives of the classical recursion by a small central difference in double.
double LogAppResDerivative(std::vector<double> rho, std::vector<double> h, int column, double f)
{
    const int n = static_cast<int>(rho.size());
    double& p = column < n ? rho[column] : h[column - n];
    const double p0 = p, eps = 1e-6;
    p = p0 * (1 + eps);
    const double up = std::log(oracle::Layered(rho, h, f).appRes);
    p = p0 * (1 - eps);
    const double down = std::log(oracle::Layered(rho, h, f).appRes);
    return (up - down) / (2 * eps);  // d ln ρa / d ln p
}

double PhaseDerivative(std::vector<double> rho, std::vector<double> h, int column, double f)
{
    const int n = static_cast<int>(rho.size());
    double& p = column < n ? rho[column] : h[column - n];
    const double p0 = p, eps = 1e-6;
    p = p0 * (1 + eps);
    const double up = oracle::Layered(rho, h, f).phase;
    p = p0 * (1 - eps);
    const double down = oracle::Layered(rho, h, f).phase;
    return (up - down) / (2 * eps * p0);  // dφ / dp
}

TEST(Sensitivities, ColumnsMatchIndependentDerivativesOfEachParameter)
{
    const std::vector<double> rho = {1000.0, 10.0, 1000.0};
    const std::vector<double> h = {500.0, 500.0};
    const auto f = SoundingFrequencies();
    std::vector<float> weights(100, 1.0f);
    for (int i = kFreqCount; i < 100; ++i) weights[i] = 0.5f;

    TMTResPhase model;
    Prepare(model, kDefaultModel, std::vector<float>(82, 1.0f));
    model.ComputeSensitivities(weights.data());
    TMTRes res;
    Prepare(res, kDefaultModel, std::vector<float>(82, 1.0f));
    res.ComputeSensitivities(weights.data());

    for (int j = 0; j < 5; ++j) {
        for (int k = 0; k < kFreqCount; k += 4) {
            const double dLogRho = LogAppResDerivative(rho, h, j, f[k]);
            const double dPhase = PhaseDerivative(rho, h, j, f[k]);
            // Float differences of float responses: about 1e-7 / (2·0.0005) relative noise,
            // plus the truncation error of a 0.5 % step for the resistivity kind.
            EXPECT_NEAR(res.Jacobian[k][j], dLogRho, 2e-3 + 2e-3 * std::fabs(dLogRho))
                << "column " << j << " frequency " << k;
            EXPECT_NEAR(model.Jacobian[k][j], dLogRho, 1e-3 + 1e-3 * std::fabs(dLogRho))
                << "column " << j << " frequency " << k;
            EXPECT_NEAR(model.Jacobian[kFreqCount + k][j], 0.5 * dPhase,
                        1e-3 * (1e-4 + std::fabs(dPhase)))
                << "column " << j << " frequency " << k;
        }
    }
}

}  // namespace
