// The fitted response drawn after an inversion: the response of the result model, computed
// by the forward model the engines use.

#include "classic/EngineSetup.h"
#include "classic/FittedResponse.h"
#include "tests/classic/StoreTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

using namespace mt1d;
using store_testing::StartedStore;

namespace {

TEST(FittedResponse, OfTheForwardModelIsTheObservedResponseBitForBit)
{
    auto store = StartedStore();
    std::copy(std::begin(store->Model), std::end(store->Model), store->InvModel);
    const ResponseView fitted = FittedResponse(*store);
    const ResponseView observed = DescribeResponse(*store);
    EXPECT_EQ(fitted.listing, observed.listing);
    ASSERT_EQ(fitted.appResCurve.size(), observed.appResCurve.size());
    ASSERT_EQ(fitted.phaseCurve.size(), observed.phaseCurve.size());
    for (std::size_t k = 0; k < observed.appResCurve.size(); ++k) {
        EXPECT_EQ(fitted.appResCurve[k].x, observed.appResCurve[k].x);
        EXPECT_EQ(fitted.appResCurve[k].y, observed.appResCurve[k].y) << k;
        EXPECT_EQ(fitted.phaseCurve[k].y, observed.phaseCurve[k].y) << k;
    }
}

TEST(FittedResponse, OfAHalfSpaceIsItsResistivityAndMinusFortyFiveDegrees)
{
    ModelStore store;
    RunForward(store, "1", {{"100", "50"}});
    store.InvModel[0] = 250.0f;  // a result other than the forward model
    const ResponseView fitted = FittedResponse(store);
    ASSERT_EQ(fitted.appResCurve.size(), 41u);
    for (std::size_t k = 0; k < 41; ++k) {
        // Float output of a double computation: a few float roundings, 1e-6 relative.
        EXPECT_NEAR(fitted.appResCurve[k].y, 250.0, 250.0 * 1e-6) << k;
        // The classic phase of a half-space, −π/4 as a float turned into degrees.
        EXPECT_NEAR(fitted.phaseCurve[k].y, -45.0, 1e-4) << k;
    }
}

// The engine's own response at the end of a run, and the fitted response from the result
// as the inversion command stores it (GetModel into InvModel). The run is stopped after two
// iterations, still away from the data, so that a response of the forward model would
// show.
template <typename Model>
void ExpectFittedIsEngineResponse()
{
    auto store = StartedStore();
    const int paramCount = 2 * store->LayerCount - 1;
    auto engine = MakeEngine<Model>(*store, paramCount);
    engine->MaxIterations = 2;
    engine->RunSvdInversion();
    int count = 0;
    engine->GetModel(count, store->InvModel);
    ASSERT_EQ(count, paramCount);
    engine->ForwardModel->ComputeResponse();

    const ResponseView fitted = FittedResponse(*store);
    ASSERT_EQ(static_cast<int>(fitted.appResCurve.size()), store->FreqCount);
    // The result reaches the store as floats of the engine's double parameters: 2^-24
    // relative each. A layered earth's log-response moves by at most about 2 per unit of a
    // log-parameter, over 5 parameters: 5 × 2 × 6e-8 = 6e-7, with the response's own float
    // rounding 7e-7; safety 10 gives 1e-5 (relative for ρa, radians for the phase).
    constexpr double kTolerance = 1e-5;
    constexpr double kDegreesPerRadian = 180.0 / 3.14159265358979323846;
    for (int k = 0; k < store->FreqCount; ++k) {
        const double rho = engine->ForwardModel->CalcAppRes[k];
        const double phaseDeg = engine->ForwardModel->CalcPhase[k] * kDegreesPerRadian;
        EXPECT_NEAR(fitted.appResCurve[k].y, rho, rho * kTolerance) << k;
        EXPECT_NEAR(fitted.phaseCurve[k].y, phaseDeg, kTolerance * kDegreesPerRadian) << k;
    }
    double largestMisfit = 0.0;
    for (int k = 0; k < store->FreqCount; ++k) {
        largestMisfit = std::max(largestMisfit,
                                 std::abs(std::log(fitted.appResCurve[k].y / store->AppRes[k])));
    }
    EXPECT_GT(largestMisfit, 0.01) << "the run has already fitted the data";
}

TEST(FittedResponse, IsTheResponseTheResistivityEngineEndsWith) { ExpectFittedIsEngineResponse<TMTRes>(); }
TEST(FittedResponse, IsTheResponseThePhaseEngineEndsWith) { ExpectFittedIsEngineResponse<TMTPhase>(); }
TEST(FittedResponse, IsTheResponseTheJointEngineEndsWith) { ExpectFittedIsEngineResponse<TMTResPhase>(); }

class FittedResponseRefusal : public testing::TestWithParam<int> {};

TEST_P(FittedResponseRefusal, LayerCountOutsideTheStoreIsRefused)
{
    auto store = StartedStore();
    store->LayerCount = GetParam();
    EXPECT_THROW(FittedResponse(*store), std::invalid_argument);
}

INSTANTIATE_TEST_SUITE_P(Counts, FittedResponseRefusal, testing::Values(0, -1, kMaxStoreLayers + 1));

}  // namespace
