#include "numerics/MTSounding.h"
#include "numerics/Notice.h"
#include "tests/numerics/Soundings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using testing_support::kFreqCount;
using testing_support::Prepare;
using testing_support::SoundingFrequencies;

const std::vector<float> kNoData(82, 1.0f);

TEST(ParameterExchange, OddCountGivesResistivitiesThenThicknesses)
{
    TMTRes model;
    Prepare(model, {1.0f, 2.0f, 3.0f, 4.0f, 5.0f}, kNoData);
    EXPECT_EQ(model.NumLayers, 3);
    EXPECT_EQ(model.Resistivity[0], 1.0);
    EXPECT_EQ(model.Resistivity[2], 3.0);
    EXPECT_EQ(model.Thickness[0], 4.0);
    EXPECT_EQ(model.Thickness[1], 5.0);
    int count = 0;
    float back[5] = {};
    model.GetParameters(count, back);
    EXPECT_EQ(count, 5);
    EXPECT_EQ(std::vector<float>(back, back + 5), (std::vector<float>{1, 2, 3, 4, 5}));
}

TEST(ParameterExchange, EvenCountStoresTheHalfSpaceThicknessButReturnsOddCount)
{
    TMTRes model;
    Prepare(model, {1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f}, kNoData);
    EXPECT_EQ(model.NumLayers, 3);
    EXPECT_EQ(model.Thickness[2], 6.0);
    int count = 0;
    float back[6] = {0, 0, 0, 0, 0, -7.0f};
    model.GetParameters(count, back);
    EXPECT_EQ(count, 5);
    EXPECT_EQ(back[5], -7.0f) << "only 2N - 1 values are written";
}

TEST(ParameterExchange, ResistivityOnlyLayoutReadsTwiceTheCountAndUpdatesResistivitiesOnly)
{
    TMTRes model;
    model.SetOptions(0, true);
    const std::vector<float> values = {10.0f, 20.0f, 30.0f, 100.0f, 200.0f, 300.0f};
    auto f = SoundingFrequencies();
    const int sizes[1] = {kFreqCount};
    model.SetData(1, sizes, f.data(), kNoData.data());
    model.SetParameters(3, values.data());
    EXPECT_EQ(model.NumLayers, 3);
    EXPECT_EQ(model.Thickness[0], 100.0);
    EXPECT_EQ(model.Thickness[2], 300.0);

    int count = 0;
    float back[5] = {};
    model.GetParameters(count, back);
    EXPECT_EQ(count, 3);
    // The thickness loop runs in either layout.
    EXPECT_EQ(back[3], 100.0f);
    EXPECT_EQ(back[4], 200.0f);

    const float delta[5] = {std::log(2.0f), 0.0f, 0.0f, 1.0f, 1.0f};
    model.ApplyUpdate(delta);
    EXPECT_NEAR(model.Resistivity[0], 20.0, 1e-5);
    EXPECT_EQ(model.Thickness[0], 100.0);
    EXPECT_EQ(model.Thickness[1], 200.0);
}

TEST(ParameterExchange, ApplyUpdateIsMultiplicativeOnAbsoluteValues)
{
    TMTRes model;
    Prepare(model, {100.0f, -50.0f, 200.0f, 300.0f, 400.0f}, kNoData);
    const float zero[5] = {};
    model.ApplyUpdate(zero);
    EXPECT_NEAR(model.Resistivity[0], 100.0, 1e-12);
    EXPECT_NEAR(model.Resistivity[1], 50.0, 1e-12) << "the sign is dropped";
    EXPECT_NEAR(model.Thickness[1], 400.0, 1e-12);

    const float ln2 = std::log(2.0f);
    const float doubling[5] = {ln2, ln2, ln2, ln2, ln2};
    model.ApplyUpdate(doubling);
    // ln 2 is rounded to float: the factor is 2·(1 ± 6e-8).
    EXPECT_NEAR(model.Resistivity[0], 200.0, 1e-4);
    EXPECT_NEAR(model.Resistivity[2], 400.0, 1e-4);
    EXPECT_NEAR(model.Thickness[0], 600.0, 1e-4);
    EXPECT_NEAR(model.Thickness[1], 800.0, 1e-4);
}

TEST(JointData, SetDataWithOneBlockShowsTheNoticeAndKeepsNoData)
{
    std::string caption, text;
    auto previous = mt::SetNoticeHandler([&](const std::string& c, const std::string& t) {
        caption = c;
        text = t;
    });
    TMTResPhase model;
    auto f = SoundingFrequencies();
    const int sizes[1] = {kFreqCount};
    model.SetData(1, sizes, f.data(), kNoData.data());
    mt::SetNoticeHandler(previous);
    EXPECT_EQ(caption, "错误提示...");
    EXPECT_EQ(text, "数据设置不正确。");
    EXPECT_EQ(model.NumFreq, 0);
    EXPECT_EQ(model.NumRes, 0);
    EXPECT_EQ(model.NumPhase, 0);
}

TEST(JointData, TakesTheFrequenciesOfTheLongerBlock)
{
    std::vector<float> freq(71), obs(71);
    for (int i = 0; i < 71; ++i) {
        freq[i] = static_cast<float>(i + 1);
        obs[i] = static_cast<float>(1000 + i);
    }
    struct Case {
        int sizes[2];
        float firstFrequency;
    };
    for (const Case c : {Case{{41, 30}, 1.0f}, Case{{30, 41}, 31.0f}}) {
        TMTResPhase model;
        model.SetData(2, c.sizes, freq.data(), obs.data());
        EXPECT_EQ(model.NumFreq, 41);
        EXPECT_EQ(model.Frequency[0], c.firstFrequency);
        EXPECT_EQ(model.Frequency[40], c.firstFrequency + 40.0f);
        EXPECT_EQ(model.NumRes, c.sizes[0]);
        EXPECT_EQ(model.NumPhase, c.sizes[1]);
        EXPECT_EQ(model.ObsAppRes[0], 1000.0f);
        EXPECT_EQ(model.ObsPhase[0], 1000.0f + c.sizes[0]);
    }
}

}  // namespace
