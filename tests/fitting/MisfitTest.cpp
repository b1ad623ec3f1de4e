#include "fitting/Misfit.h"
#include "fitting/Roughness.h"
#include "tests/fitting/RealSoundings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using mt1d::fitting::FitComponents;
using mt1d::fitting::FitData;
using mt1d::fitting::MakeFitData;
using mt1d::fitting::Misfit;
using mt1d::fitting::Rms;

const std::vector<double> kFrequencies{100.0, 10.0, 1.0, 0.1};

FitData Data(std::vector<double> rho, std::vector<double> rhoErr, std::vector<double> phase,
             std::vector<double> phaseErr, FitComponents components = FitComponents::kBoth)
{
    auto made = MakeFitData(kFrequencies, rho, rhoErr, phase, phaseErr, components);
    EXPECT_TRUE(made.Ok()) << made.error;
    return made.data;
}

// A uniform earth has ρa = ρ and φ = 45° at every frequency: data 10^0.1 times ρ with
// σ(log10 ρa) = 0.05 and phases of 47° with σ = 1° are all two standard errors off.
TEST(Misfit, HalfSpaceDataOffByTwoErrorsScoreRmsTwo)
{
    const double rho = 100.0 * std::pow(10.0, 0.1);
    const double rhoErr = 0.05 * rho * std::log(10.0);
    const auto data = Data({rho, rho, rho, rho}, {rhoErr, rhoErr, rhoErr, rhoErr}, {47, 47, 47, 47}, {1, 1, 1, 1});
    Misfit misfit(data);
    const double chi2 = misfit.Evaluate(std::vector<double>{100.0}, std::vector<double>{});
    // 8 residuals of 2: χ² = 32; the kernel's ρa and φ agree with the half-space to ~1e-14.
    EXPECT_NEAR(chi2, 32.0, 1e-9);
    EXPECT_NEAR(Rms(chi2, misfit.Count()), 2.0, 1e-10);
    for (int i = 0; i < 8; ++i) EXPECT_NEAR(misfit.Residuals()[i], 2.0, 1e-10) << i;  // observed above model: positive
}

TEST(Misfit, RmsCountsRhoAndPhaseValuesSeparately)
{
    const double e = 0.05 * 100.0 * std::log(10.0);
    auto rhoOnly = Data({100, 100, 100, 100}, {e, e, e, e}, {46, 46, 46, 46}, {1, 1, 1, 1}, FitComponents::kRho);
    auto both = Data({100, 100, 100, 100}, {e, e, e, e}, {46, 46, 46, 46}, {1, 1, 1, 1});
    Misfit a(rhoOnly), b(both);
    const std::vector<double> rho{100.0}, h{};
    EXPECT_NEAR(a.Evaluate(rho, h), 0.0, 1e-18);
    // Four phases one error off and four exact ρa: χ² = 4 over N = 8, RMS = sqrt(1/2).
    const double chi2 = b.Evaluate(rho, h);
    EXPECT_NEAR(chi2, 4.0, 1e-9);
    EXPECT_NEAR(Rms(chi2, b.Count()), std::sqrt(0.5), 1e-10);
}

// Over a uniform earth, ∂log10 ρa/∂log10 ρ = 1 and ∂φ/∂log10 ρ = 0, so the weighted column
// is 1/σ on the ρa rows and 0 on the phase rows (central differences: error ~1e-10).
TEST(Misfit, JacobianRowsAreTheKernelRowsDividedByTheirErrors)
{
    const std::vector<double> errs{5.0, 10.0, 20.0, 40.0};  // σ(log10) = errs/(100 ln 10)
    const auto data = Data({100, 100, 100, 100}, errs, {45, 45, 45, 45}, {1, 2, 3, 4});
    Misfit misfit(data);
    misfit.EvaluateWithJacobian(std::vector<double>{100.0}, std::vector<double>{});
    ASSERT_EQ(misfit.Jacobian().rows(), 8);
    ASSERT_EQ(misfit.Jacobian().cols(), 1);
    for (int i = 0; i < 4; ++i) {
        const double sigma = errs[static_cast<std::size_t>(i)] / (100.0 * std::log(10.0));
        EXPECT_NEAR(misfit.Jacobian()(i, 0) * sigma, 1.0, 1e-7) << i;
        EXPECT_NEAR(misfit.Jacobian()(4 + i, 0), 0.0, 1e-7) << i;
    }
}

TEST(Misfit, PhaseOnlyJacobianIsThePhaseHalfOfTheFullOne)
{
    const std::vector<double> rho{100, 80, 60, 50}, err{5, 4, 3, 2}, phase{50, 55, 60, 58}, phaseErr{1, 2, 1, 2};
    Misfit full(Data(rho, err, phase, phaseErr));
    Misfit phaseOnly(Data(rho, err, phase, phaseErr, FitComponents::kPhase));
    const std::vector<double> r{30.0, 300.0}, h{800.0};
    const double chi2Full = full.EvaluateWithJacobian(r, h);
    const double chi2Phase = phaseOnly.EvaluateWithJacobian(r, h);
    EXPECT_LT(chi2Phase, chi2Full);
    ASSERT_EQ(phaseOnly.Jacobian().rows(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_DOUBLE_EQ(phaseOnly.Residuals()[i], full.Residuals()[4 + i]);
        for (int c = 0; c < 3; ++c) EXPECT_DOUBLE_EQ(phaseOnly.Jacobian()(i, c), full.Jacobian()(4 + i, c));
    }
}

TEST(Misfit, AResponseThatIsNotFiniteScoresInfinityNotNaN)
{
    Misfit misfit(Data({100, 100, 100, 100}, {5, 5, 5, 5}, {45, 45, 45, 45}, {1, 1, 1, 1}));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double chi2 = misfit.Evaluate(std::vector<double>{nan}, std::vector<double>{});
    EXPECT_TRUE(std::isinf(chi2) && chi2 > 0.0);
    EXPECT_TRUE(std::isinf(misfit.EvaluateWithJacobian(std::vector<double>{nan}, std::vector<double>{})));
}

TEST(Misfit, CountsKernelRuns)
{
    Misfit misfit(Data({100, 100, 100, 100}, {5, 5, 5, 5}, {45, 45, 45, 45}, {1, 1, 1, 1}));
    misfit.Evaluate(std::vector<double>{10.0}, std::vector<double>{});
    misfit.Evaluate(std::vector<double>{10.0}, std::vector<double>{});
    misfit.EvaluateWithJacobian(std::vector<double>{10.0}, std::vector<double>{});
    EXPECT_EQ(misfit.ForwardRuns(), 2u);
    EXPECT_EQ(misfit.JacobianRuns(), 1u);
}

// Independent figures: the OCCAM1DCSEM model after 10 iterations scores RMS 1.675 under the
// misfit used here (log10 ρa with δρa/(ρa ln 10), φ in degrees; value from the issue, given
// to three decimals) and has roughness 18.7855938 (that code's own report in ITER_10.iter).
TEST(MisfitOnRealData, TheOccamCodesModelScoresItsPublishedFigures)
{
    const auto root = testing_support::OccamRunDir();
    if (!root) GTEST_SKIP() << testing_support::kNoSharedData;
    const auto curve = testing_support::OccamRunCurve();
    const auto tops = testing_support::OccamRunLayerTops(*root);
    const auto model = testing_support::OccamRunIterationModel(*root / "ITER_10.iter");
    ASSERT_TRUE(curve);
    ASSERT_EQ(tops.size(), 21u);
    ASSERT_EQ(model.size(), 21u);

    const auto selected = mt1d::fitting::SelectData(*curve, {});
    ASSERT_TRUE(selected.Ok()) << selected.error;
    ASSERT_EQ(selected.data.Count(), 60u);
    std::vector<double> rho, h;
    for (double v : model) rho.push_back(std::pow(10.0, v));
    for (std::size_t k = 1; k < tops.size(); ++k) h.push_back(tops[k] - tops[k - 1]);
    Misfit misfit(selected.data);
    const double rms = Rms(misfit.Evaluate(rho, h), misfit.Count());
    EXPECT_NEAR(rms, 1.675, 0.0005);  // half a unit in the last published digit
    // The file prints log10 ρ to 7 significant digits (±5e-7); 20 differences of size ≤ 1.6
    // change R by at most 20 · 2 · 1.6 · 1e-6 ≈ 7e-5.
    EXPECT_NEAR(mt1d::fitting::Roughness(model, mt1d::fitting::RoughnessKind::kFirstDifference),
                18.7855938011682, 1e-4);
}

}  // namespace
