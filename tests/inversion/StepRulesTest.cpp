#include "inversion/StepRules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// Damping after each of five rejected attempts, in units of the starting value, which is
// 0.125 so that every value is exact in binary.
struct RaiseCase {
    const char* name;
    int n;
    std::vector<std::vector<float>> afterAttempt;
};

TEST(DampingRaise, AddsSlotNMinusAttemptInPlaceAndNeverReadsBeforeTheArray)
{
    const RaiseCase cases[] = {
        {"five parameters", 5,
         {{2, 2, 2, 2, 2}, {4, 4, 4, 4, 6}, {8, 8, 8, 12, 14}, {16, 16, 24, 28, 30}, {32, 48, 56, 60, 62}}},
        // From the fourth attempt on n − attempt is negative: slot 0 is used.
        {"three parameters", 3, {{2, 2, 2}, {4, 4, 6}, {8, 12, 14}, {16, 28, 30}, {32, 60, 62}}},
        {"one parameter", 1, {{2}, {4}, {8}, {16}, {32}}},
    };
    for (const auto& c : cases) {
        // A canary in front of the slots: reading it would change every value.
        std::vector<float> storage(c.n + 1, 0.125f);
        storage[0] = 1e6f;
        float* damping = storage.data() + 1;
        for (int attempt = 1; attempt <= 5; ++attempt) {
            mt::RaiseDampingAfterRejection(damping, c.n, attempt);
            for (int k = 0; k < c.n; ++k) {
                EXPECT_EQ(damping[k], 0.125f * c.afterAttempt[attempt - 1][k])
                    << c.name << ", attempt " << attempt << ", slot " << k;
            }
        }
        EXPECT_EQ(storage[0], 1e6f);
    }
}

TEST(DampingScale, RaisesByFiveAndRelaxesByZeroPointFourOnTheFirstNSlots)
{
    float damping[3] = {0.125f, 0.125f, 0.125f};
    mt::ScaleDamping(damping, 2, 5.0);
    EXPECT_EQ(damping[0], 0.625f);
    EXPECT_EQ(damping[2], 0.125f) << "slots beyond n are not touched";
    mt::ScaleDamping(damping, 2, 0.4);
    EXPECT_EQ(damping[1], 0.25f);
    // 0.005 → 0.025 → 0.125 as the constrained run raises it.
    float d[1] = {0.005f};
    mt::ScaleDamping(d, 1, 5.0);
    EXPECT_FLOAT_EQ(d[0], 0.025f);
    mt::ScaleDamping(d, 1, 5.0);
    EXPECT_FLOAT_EQ(d[0], 0.125f);
}

struct BoundCase {
    const char* name;
    float d, p, upper, lower, threshold;
    bool logMode;
    double expected;  // the adjusted component
};

TEST(BoundedStep, CutsAtTheBoundItMovesTowardsAndDropsSmallComponents)
{
    const float e = static_cast<float>(M_E);
    const BoundCase cases[] = {
        {"stays inside: kept whole", 0.5f, 1.0f, e, 0.1f, 0.01f, true, 0.5},
        {"would pass the upper bound: lands on it", 2.0f, 1.0f, e, 0.1f, 0.01f, true, 1.0},
        {"would pass the lower bound: lands on it", -2.0f, 1.0f, 10.0f, 1.0f / e, 0.01f, true, -1.0},
        {"already above the upper bound: brought back", 0.5f, e * e, e, 0.1f, 0.01f, true, -1.0},
        {"below the lower bound moving up: lower not consulted", 0.5f, 0.1f, 10.0f, 1.0f, 0.01f, true, 0.5},
        {"equal bounds pin the parameter (up)", 0.3f, 7.0f, 7.0f, 7.0f, 0.01f, true, 0.0},
        {"equal bounds pin the parameter (down)", -0.3f, 7.0f, 7.0f, 7.0f, 0.01f, true, 0.0},
        {"threshold itself is small", 0.01f, 1.0f, 10.0f, 0.1f, 0.01f, true, 0.0},
        {"minus threshold is small", -0.01f, 1.0f, 10.0f, 0.1f, 0.01f, true, 0.0},
        {"just above the threshold is kept", 0.0101f, 1.0f, 10.0f, 0.1f, 0.01f, true, 0.0101},
        {"linear distances without log mode", 2.0f, 1.0f, 2.0f, 0.5f, 0.01f, false, 1.0},
    };
    for (const auto& c : cases) {
        const float got = mt::BoundedStepComponent(c.d, c.p, c.upper, c.lower, c.threshold, c.logMode);
        // The fraction is rounded to float: a few float ulps of the component.
        EXPECT_NEAR(got, c.expected, 4e-7 * (1.0 + std::fabs(c.expected))) << c.name;
    }
}

TEST(BoundedStep, ShortenedStepPutsTheParameterOnTheBound)
{
    const float p = 200.0f, upper = 1000.0f;
    const float d = mt::BoundedStepComponent(3.0f, p, upper, 1.0f, 0.01f, true);
    const double landed = std::exp(std::log(double(p)) + d);
    EXPECT_NEAR(landed, upper, upper * 2e-7);
}

}  // namespace
