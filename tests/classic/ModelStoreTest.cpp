#include "classic/ModelStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

using mt1d::ModelStore;

namespace {

bool AllEqual(const float* values, int count, float expected)
{
    return std::all_of(values, values + count, [&](float v) { return v == expected; });
}

TEST(ModelStoreCreation, HoldsTheFrequenciesAndPlaceholderData)
{
    const auto store = std::make_unique<ModelStore>();
    EXPECT_EQ(store->FreqCount, 41);
    for (int i = 0; i < 41; ++i) {
        EXPECT_EQ(store->Freq[i], static_cast<float>(std::pow(10.0, 0.2 * (i - 20)))) << i;
    }
    EXPECT_EQ(store->Freq[0], 1e-4f);
    EXPECT_EQ(store->Freq[20], 1.0f);
    EXPECT_EQ(store->Freq[40], 1e4f);
    EXPECT_TRUE(std::is_sorted(store->Freq, store->Freq + 41));
    EXPECT_TRUE(AllEqual(store->AppRes, 41, 100.0f));
    EXPECT_TRUE(AllEqual(store->Phase, 41, 45.0f));
    EXPECT_EQ(store->LayerCount, 1);
    for (const float* array : {store->Model, store->UpperBound, store->LowerBound, store->InvRes,
                               store->InvThick, store->InvModel}) {
        EXPECT_TRUE(AllEqual(array, mt1d::kStoreSlots, 0.0f));
    }
}

TEST(ModelStoreDefaultSetup, DerivesBoundsAndStartFromTheModel)
{
    auto store = std::make_unique<ModelStore>();
    store->LayerCount = 3;
    const float model[] = {1000, 10, 1000, 500, 500, 100};
    std::copy(std::begin(model), std::end(model), store->Model);
    store->Model[6] = 42.0f;  // beyond 2N: not part of the model
    store->ApplyDefaultInversionSetup();

    const float upper[] = {1000, 100, 10000, 5000, 5000, 1000};
    const float lower[] = {1000, 1, 100, 50, 50, 10};
    const float start[] = {200, 2, 200, 100, 100, 20};
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(store->UpperBound[k], upper[k]) << k;
        EXPECT_EQ(store->LowerBound[k], lower[k]) << k;
        EXPECT_EQ(store->InvModel[k], start[k]) << k;
    }
    EXPECT_EQ(store->UpperBound[6], 0.0f);
    EXPECT_EQ(store->LowerBound[6], 0.0f);
    EXPECT_EQ(store->InvModel[6], 0.0f);
}

TEST(ModelStoreDefaultSetup, ProductsAreRoundedOnceFromDouble)
{
    // 0.2f·13f in float arithmetic gives 2.60000014; the product formed in double and then
    // narrowed is the float nearest 2.6.
    auto store = std::make_unique<ModelStore>();
    store->LayerCount = 1;
    store->Model[0] = 5.0f;
    store->Model[1] = 13.0f;
    store->ApplyDefaultInversionSetup();
    EXPECT_EQ(store->InvModel[1], 2.6f);
    EXPECT_EQ(store->LowerBound[1], 1.3f);
    EXPECT_EQ(store->UpperBound[1], 130.0f);
    EXPECT_EQ(store->InvModel[0], 1.0f);
    EXPECT_EQ(store->UpperBound[0], 5.0f);
    EXPECT_EQ(store->LowerBound[0], 5.0f);
}

}  // namespace
