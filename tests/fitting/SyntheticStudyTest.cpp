// A noise study on a three-layer earth: 100 seeded draws of 5 % Gaussian noise on the
// impedance (SyntheticSounding.h), each fitted by both methods with their default options.

#include "fitting/LayeredFit.h"
#include "fitting/Misfit.h"
#include "fitting/OccamFit.h"
#include "tests/fitting/FitAssertions.h"
#include "tests/fitting/SyntheticSounding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using namespace mt1d::fitting;
using mt1d::earth::LayeredModel;

const LayeredModel kTruth{{100.0, 10.0, 1000.0}, {500.0, 2000.0}};
constexpr std::size_t kDraws = 100;
constexpr std::uint64_t kSeed = 2024;

// The draws of the study, in order; the same on every platform.
std::vector<mt1d::sounding::Curve> Draws()
{
    const auto frequencies = testing_support::LogFrequencies(1e3, 1e-3, 25);
    SeededRandom random(kSeed);
    std::vector<mt1d::sounding::Curve> curves;
    for (std::size_t d = 0; d < kDraws; ++d) {
        curves.push_back(testing_support::SyntheticCurve(kTruth, frequencies, 0.05, &random));
    }
    return curves;
}

// With correct errors a linearised ±2σ interval holds the truth 95 % of the time; the
// nonlinearity of the layered problem may lose a little of that, not more than 5 %.
TEST(NoiseStudy, TrueParametersLieWithinTwoStandardErrorsNinetyPercentOfTheTime)
{
    const double truth[5] = {100.0, 10.0, 1000.0, 500.0, 2000.0};
    std::size_t inside = 0, total = 0;
    for (const auto& curve : Draws()) {
        const auto fit = FitLayered(curve, LayeredOptions{});
        ASSERT_EQ(fit.report.status, FitStatus::kConverged) << fit.report.message;
        ASSERT_TRUE(testing_support::HasLayeredModel(fit, 3));
        for (std::size_t i = 0; i < 5; ++i) {
            const double value = i < 3 ? fit.model.resistivity[i] : fit.model.thickness[i - 3];
            const double error = std::abs(std::log10(value / truth[i]));
            if (error <= 2.0 * fit.uncertainty.log10Sd[i]) ++inside;
            ++total;
        }
    }
    const double share = static_cast<double>(inside) / static_cast<double>(total);
    EXPECT_GE(share, 0.90);
    RecordProperty("coverage", std::to_string(share));
}

// Occam must reach the target whenever the true model itself does; in the few draws whose
// noise no earth of these layers fits to RMS 1, it must still fit at least as well as the
// truth. Four shards of 25 draws keep each test short.
class OccamNoiseStudy : public ::testing::TestWithParam<std::size_t> {};

TEST_P(OccamNoiseStudy, ReachesTheTargetWheneverTheTruthDoes)
{
    const auto curves = Draws();
    const std::size_t first = GetParam() * 25;
    std::size_t reached = 0;
    for (std::size_t d = first; d < first + 25; ++d) {
        const auto fit = FitOccam(curves[d], OccamOptions{});
        ASSERT_NE(fit.report.status, FitStatus::kInvalidInput);
        Misfit misfit(SelectData(curves[d], {}).data);
        const double truthRms = Rms(misfit.Evaluate(kTruth.resistivity, kTruth.thickness), misfit.Count());
        if (fit.report.targetReached) {
            ++reached;
            // At the target; a long first phase may leave the smoothing to the iteration limit.
            EXPECT_TRUE(fit.report.status == FitStatus::kTargetReached ||
                        fit.report.status == FitStatus::kMaxIterations)
                << "draw " << d << ": " << fit.report.message;
        } else {
            EXPECT_GT(truthRms, 1.0) << "draw " << d << ": " << fit.report.message;
            EXPECT_LE(fit.report.rms, truthRms) << "draw " << d << ": " << fit.report.message;
        }
    }
    RecordProperty("reached", std::to_string(reached));
}

INSTANTIATE_TEST_SUITE_P(Shards, OccamNoiseStudy, ::testing::Values(0, 1, 2, 3));

}  // namespace
