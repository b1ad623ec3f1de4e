#include "numerics/MTSounding.h"
#include "tests/numerics/Soundings.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

using testing_support::kFreqCount;
using testing_support::Prepare;

// Expects `call` to throw E whose message mentions `limit`.
template <typename E, typename F>
void ExpectRefusal(F call, const std::string& limit)
{
    try {
        call();
        ADD_FAILURE() << "no exception; expected a refusal naming " << limit;
    } catch (const E& e) {
        EXPECT_NE(std::string(e.what()).find(limit), std::string::npos) << e.what();
    }
}

TEST(Capacity, TooManyLayersAreRefusedBeforeAnythingChanges)
{
    TMTRes model;
    Prepare(model, testing_support::DefaultParameters(), std::vector<float>(82, 1.0f));
    const std::vector<float> big(1000, 5.0f);
    ExpectRefusal<std::length_error>([&] { model.SetParameters(601, big.data()); }, "300");
    model.SetOptions(0, true);
    ExpectRefusal<std::length_error>([&] { model.SetParameters(301, big.data()); }, "300");
    ExpectRefusal<std::invalid_argument>([&] { model.SetParameters(0, big.data()); }, "1");
    EXPECT_EQ(model.NumLayers, 3);
    EXPECT_EQ(model.Resistivity[0], 1000.0);
    EXPECT_EQ(model.Thickness[1], 500.0);

    // The largest model that fits is accepted.
    model.SetOptions(1, true);
    model.SetParameters(600, big.data());
    EXPECT_EQ(model.NumLayers, 300);
}

TEST(Capacity, DataBlocksOutsideOneToHundredAreRefused)
{
    const std::vector<float> values(200, 1.0f);
    for (const int size : {0, -3, 101}) {
        TMTRes res;
        TMTPhase phase;
        const int sizes[1] = {size};
        const char* limit = size > 0 ? "100" : "1";
        if (size > 0) {
            ExpectRefusal<std::length_error>([&] { res.SetData(1, sizes, values.data(), values.data()); }, limit);
            ExpectRefusal<std::length_error>([&] { phase.SetData(1, sizes, values.data(), values.data()); }, limit);
        } else {
            ExpectRefusal<std::invalid_argument>([&] { res.SetData(1, sizes, values.data(), values.data()); }, limit);
            ExpectRefusal<std::invalid_argument>([&] { phase.SetData(1, sizes, values.data(), values.data()); }, limit);
        }
        EXPECT_EQ(res.NumFreq, 0);
        EXPECT_EQ(phase.NumFreq, 0);
    }
}

TEST(Capacity, JointBlocksMustFitTheHundredDataRowsTogether)
{
    const std::vector<float> values(200, 1.0f);
    TMTResPhase model;
    const int tooMany[2] = {60, 41};
    ExpectRefusal<std::length_error>([&] { model.SetData(2, tooMany, values.data(), values.data()); }, "100");
    const int empty[2] = {41, 0};
    ExpectRefusal<std::invalid_argument>([&] { model.SetData(2, empty, values.data(), values.data()); }, "1");
    EXPECT_EQ(model.NumFreq, 0);
    EXPECT_EQ(model.NumRes, 0);
    const int justFits[2] = {50, 50};
    model.SetData(2, justFits, values.data(), values.data());
    EXPECT_EQ(model.NumRes + model.NumPhase, 100);
}

TEST(Capacity, SensitivitiesOfMoreThanThirtyParametersAreRefused)
{
    std::vector<float> params(31, 100.0f);  // 16 layers: 31 parameters
    TMTRes model;
    Prepare(model, params, std::vector<float>(82, 1.0f));
    model.Jacobian[0][0] = 42.0f;
    const std::vector<float> weights(100, 1.0f);
    ExpectRefusal<std::length_error>([&] { model.ComputeSensitivities(weights.data()); }, "30");
    EXPECT_EQ(model.Jacobian[0][0], 42.0f);
    EXPECT_EQ(model.Resistivity[0], 100.0);

    params.resize(29);  // 15 layers fit
    Prepare(model, params, std::vector<float>(82, 1.0f));
    model.ComputeSensitivities(weights.data());
    EXPECT_NE(model.Jacobian[0][0], 42.0f);
}

TEST(Capacity, ResponseRefusesCountsWrittenDirectlyOutsideTheArrays)
{
    TMTRes model;
    Prepare(model, {100.0f}, std::vector<float>(82, 1.0f));
    model.NumFreq = kFreqCount * 3;
    EXPECT_THROW(model.ComputeResponse(), std::length_error);
    model.NumFreq = kFreqCount;
    model.NumLayers = 301;
    EXPECT_THROW(model.ComputeResponse(), std::length_error);
}

}  // namespace
