#include "classic/Commands.h"
#include "tests/classic/StoreTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <sstream>

using namespace mt1d;
using store_testing::DefaultTable;
using store_testing::ExpectRefusal;
using store_testing::ExpectSameStore;
using store_testing::StartedStore;

namespace {

std::vector<std::string> Fields(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> fields;
    for (std::string f; in >> f;) fields.push_back(f);
    return fields;
}

TEST(ForwardCommand, DefaultModelListsFortyOneFrequencies)
{
    ModelStore store;
    const ResponseView view = RunForward(store, "3", DefaultTable());
    ASSERT_EQ(view.listing.size(), 41u);
    ASSERT_EQ(view.appResCurve.size(), 41u);
    ASSERT_EQ(view.phaseCurve.size(), 41u);
    EXPECT_EQ(Fields(view.listing[0])[0], "1.0E-04");
    EXPECT_EQ(Fields(view.listing[1])[0], "1.6E-04");
    EXPECT_EQ(Fields(view.listing[40])[0], "1.0E+04");
    // At 1 Hz: the conductive second layer pulls ρa down to 44 ohm-m.
    EXPECT_EQ(view.listing[20], "1.0E+00 4.4E+01 -6.3E-02");
    for (const std::string& line : view.listing) {
        EXPECT_EQ(Fields(line).size(), 3u) << line;
        EXPECT_EQ(line.find("  "), std::string::npos) << line;  // single blanks only
        EXPECT_NE(line.front(), ' ');
        EXPECT_NE(line.back(), ' ');
    }
    // Periods run from 1e4 s down to 1e-4 s; the float frequencies make them inexact.
    EXPECT_NEAR(view.appResCurve.front().x, 1e4, 1e4 * 1e-6);
    EXPECT_NEAR(view.appResCurve.back().x, 1e-4, 1e-4 * 1e-6);
    for (int k = 0; k < 41; ++k) {
        EXPECT_EQ(view.appResCurve[k].x, 1.0 / static_cast<double>(store.Freq[k]));
        EXPECT_EQ(view.phaseCurve[k].x, view.appResCurve[k].x);
        EXPECT_EQ(view.appResCurve[k].y, store.AppRes[k]);
        EXPECT_NEAR(view.phaseCurve[k].y, store.Phase[k] * 180.0 / std::numbers::pi, 1e-9);
    }
}

TEST(ForwardCommand, StoresModelResponseAndDefaultSetup)
{
    const auto store = StartedStore();
    EXPECT_EQ(store->LayerCount, 3);
    // The default model and start the classic guide describes (docs/guide/classic.md).
    const float model[] = {1000, 10, 1000, 500, 500, 100};
    const float start[] = {200, 2, 200, 100, 100, 20};
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(store->Model[k], model[k]) << k;
        EXPECT_EQ(store->InvModel[k], start[k]) << k;
    }
    EXPECT_EQ(store->UpperBound[0], 1000.0f);
    EXPECT_EQ(store->LowerBound[0], 1000.0f);
    EXPECT_EQ(store->UpperBound[5], 1000.0f);
    EXPECT_EQ(store->LowerBound[5], 10.0f);
    // Long periods see the resistive half-space, short ones the resistive top layer.
    EXPECT_GT(store->AppRes[0], 100.0f);
    EXPECT_NEAR(store->AppRes[40], 1000.0f, 10.0f);
}

TEST(ForwardCommand, UniformHalfSpaceHasFlatCurves)
{
    ModelStore store;
    const ResponseView view = RunForward(store, "1", {{"250", "100"}});
    for (int k = 0; k < 41; ++k) {
        const auto f = Fields(view.listing[k]);
        EXPECT_EQ(f[1], "2.5E+02") << k;
        EXPECT_EQ(f[2], "-7.9E-01") << k;
        // float phase of −π/4: 2^-24 relative, in degrees.
        EXPECT_NEAR(view.phaseCurve[k].y, -45.0, 1e-5) << k;
        EXPECT_NEAR(view.appResCurve[k].y, 250.0, 250.0 * 1e-5) << k;
    }
}

TEST(ForwardCommand, HalfSpaceThicknessChangesOnlyTheSetup)
{
    ModelStore a;
    ModelStore b;
    auto table = DefaultTable();
    const ResponseView va = RunForward(a, "3", table);
    table[2].thickness = "777";
    const ResponseView vb = RunForward(b, "3", table);
    EXPECT_EQ(va.listing, vb.listing);
    for (int k = 0; k < 41; ++k) {
        EXPECT_EQ(va.appResCurve[k].y, vb.appResCurve[k].y);
        EXPECT_EQ(va.phaseCurve[k].y, vb.phaseCurve[k].y);
    }
    EXPECT_EQ(b.Model[5], 777.0f);
    EXPECT_EQ(b.UpperBound[5], 7770.0f);
    EXPECT_EQ(b.LowerBound[5], 77.7f);
    EXPECT_EQ(b.InvModel[5], 155.4f);
    EXPECT_EQ(a.InvModel[5], 20.0f);
}

TEST(ForwardCommand, RunningAgainRestoresTheDefaults)
{
    auto store = StartedStore();
    const ResponseView first = DescribeResponse(*store);
    store->InvModel[0] = 123.0f;
    store->UpperBound[3] = 9.0f;
    store->LowerBound[1] = -4.0f;
    const ResponseView second = RunForward(*store, "3", DefaultTable());
    EXPECT_EQ(first.listing, second.listing);
    ExpectSameStore(*store, *StartedStore());
}

TEST(ForwardCommand, ThicknessesArePlacedByTheTypedLayerCount)
{
    // N = 2 with three rows: row r's thickness goes to slot N + r − 1, so row 3's
    // resistivity overwrites row 1's thickness.
    ModelStore store;
    RunForward(store, "2", {{"100", "11"}, {"200", "22"}, {"300", "33"}});
    EXPECT_EQ(store.LayerCount, 2);
    const float expected[] = {100, 200, 300, 22, 33};
    for (int k = 0; k < 5; ++k) EXPECT_EQ(store.Model[k], expected[k]) << k;
    // The model handed on is Model[0..3]: 100 ohm-m over 300 m on a 200 ohm-m half-space.
    ModelStore direct;
    RunForward(direct, "2", {{"100", "300"}, {"200", "22"}});
    EXPECT_EQ(DescribeResponse(store).listing, DescribeResponse(direct).listing);
}

TEST(ForwardCommand, FewerRowsKeepThePreviousSlots)
{
    auto store = StartedStore();  // Model = 1000 10 1000 500 500 100
    RunForward(*store, "3", {{"50", "60"}});
    const float expected[] = {50, 10, 1000, 60, 500, 100};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(store->Model[k], expected[k]) << k;
}

// Texts that are not numbers: the message names the text and nothing is stored.
TEST(ForwardCommand, ConversionErrorChangesNothing)
{
    const struct {
        const char* layerCount;
        std::vector<LayerText> rows;
        const char* named;
    } cases[] = {
        {"x", DefaultTable(), "“x”"},
        {"", DefaultTable(), "“”"},
        {"2.5", DefaultTable(), "“2.5”"},
        {"3", {{"1000", "500"}, {"abc", "500"}, {"1000", "100"}}, "“abc”"},
        {"3", {{"1000", ""}, {"10", "500"}, {"1000", "100"}}, "“”"},
        {"3", {{"1000", "500"}, {"10", "500"}, {"1000", "1,5"}}, "“1,5”"},
        {"3", {{"1000", "500"}, {"10", "500"}, {"1e", "100"}}, "“1e”"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.named);
        auto store = StartedStore();
        store->InvModel[0] = 7.0f;  // as after an inversion
        const auto before = std::make_unique<ModelStore>(*store);
        ExpectRefusal([&] { RunForward(*store, c.layerCount, c.rows); }, {c.named});
        ExpectSameStore(*store, *before);
    }
}

std::vector<LayerText> Rows(int count)
{
    return std::vector<LayerText>(count, LayerText{"100", "10"});
}

// Numbers the store or the forward model cannot take: refused with a message that names
// the problem in Chinese and English, nothing stored.
TEST(ForwardCommand, RefusesModelsTheStoreCannotHold)
{
    const struct {
        std::string layerCount;
        std::vector<LayerText> rows;
        std::vector<std::string> named;
    } cases[] = {
        {"0", Rows(1), {"1 到 50", "between 1 and 50", "not 0"}},
        {"-1", Rows(1), {"between 1 and 50", "not -1"}},
        {"51", Rows(51), {"between 1 and 50", "not 51"}},
        {"101", Rows(1), {"not 101"}},
        {"50", Rows(51), {"at most 50 layers", "not 51 rows"}},
        {"2", {{"100", "10"}, {"0", "10"}}, {"第 2 层的电阻率", "resistivity of layer 2", "not 0"}},
        {"2", {{"-5", "10"}, {"100", "10"}}, {"第 1 层的电阻率", "resistivity of layer 1", "not -5"}},
        {"2", {{"100", "0"}, {"100", "10"}}, {"第 1 层的厚度", "thickness of layer 1"}},
        {"2", {{"100", "10"}, {"100", "-1"}}, {"thickness of layer 2", "not -1"}},  // half-space
        {"2", {{"100", "10"}, {"1e-50", "10"}}, {"'1e-50' is out of range"}},  // no float holds it
        {"3", {{"100", "10"}}, {"resistivity of layer 2", "not 0"}},  // untouched slot of a new store
        // Positive numbers outside the accepted ranges, named with the range.
        {"2", {{"1e30", "10"}, {"100", "10"}},
         {"第 1 层的电阻率必须在 1e-4 到 1e8 ohm-m 之间，现为 1e+30",
          "the resistivity of layer 1 must lie between 1e-4 and 1e8 ohm-m, not 1e+30"}},
        {"2", {{"100", "10"}, {"1e-41", "10"}}, {"resistivity of layer 2 must lie between", "not 1e-41"}},
        {"2", {{"100", "10"}, {"9.9e-5", "10"}}, {"resistivity of layer 2", "not 9.9e-05"}},
        {"2", {{"1.0000001e8", "10"}, {"100", "10"}}, {"resistivity of layer 1", "not 100000008"}},
        {"2", {{"100", "1e-45"}, {"100", "10"}},
         {"第 1 层的厚度必须在 1e-3 到 1e7 m 之间", "the thickness of layer 1 must lie between 1e-3 and 1e7 m, not 1e-45"}},
        {"2", {{"100", "9e-4"}, {"100", "10"}}, {"thickness of layer 1", "not 9e-04"}},
        {"2", {{"100", "10"}, {"100", "2e7"}}, {"thickness of layer 2", "not 2e+07"}},  // half-space
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.layerCount + " layers, " + std::to_string(c.rows.size()) + " rows");
        auto store = std::make_unique<ModelStore>();
        if (c.rows.size() > 1) RunForward(*store, "3", DefaultTable());
        const auto before = std::make_unique<ModelStore>(*store);
        ExpectRefusal([&] { RunForward(*store, c.layerCount, c.rows); }, c.named);
        ExpectSameStore(*store, *before);
    }
}

TEST(ForwardCommand, AcceptsModelsAtTheEdgesOfTheRanges)
{
    ModelStore store;
    const ResponseView view = RunForward(store, "3", {{"1e-4", "1e-3"}, {"1e8", "1e7"}, {"1e-4", "1e7"}});
    EXPECT_EQ(store.Model[0], 1e-4f);
    EXPECT_EQ(store.Model[1], 1e8f);
    EXPECT_EQ(store.Model[3], 1e-3f);
    EXPECT_EQ(store.Model[4], 1e7f);
    for (const std::string& line : view.listing) {
        EXPECT_EQ(line.find("INF"), std::string::npos) << line;
        EXPECT_EQ(line.find("NAN"), std::string::npos) << line;
    }
}

// A response that is not a finite number is refused, naming where; nothing is stored. The
// sounding frequencies give finite responses for every accepted model, so the store's
// frequencies are spoilt by hand: at 0 Hz the propagation constants vanish and the
// recursion divides 0 by 0.
TEST(ForwardCommand, RefusesAResponseThatIsNotFinite)
{
    auto store = StartedStore();
    store->Freq[3] = 0.0f;
    store->Freq[9] = std::numeric_limits<float>::infinity();
    const auto before = std::make_unique<ModelStore>(*store);
    ExpectRefusal([&] { RunForward(*store, "3", DefaultTable()); },
                  {"在 2 个频率上（共 41 个）的响应不是有限数",
                   "not a finite number at 2 of 41 frequencies: 0.0E+00, INF Hz"});
    ExpectSameStore(*store, *before);

    // Many failed frequencies: the first five are named.
    for (int k = 0; k < 7; ++k) store->Freq[k] = 0.0f;
    ExpectRefusal([&] { RunForward(*store, "3", DefaultTable()); },
                  {"at 8 of 41 frequencies: 0.0E+00, 0.0E+00, 0.0E+00, 0.0E+00, 0.0E+00, … Hz"});
}

TEST(ForwardCommand, FiftyLayersFit)
{
    auto store = std::make_unique<ModelStore>();
    const ResponseView view = RunForward(*store, "50", Rows(50));
    EXPECT_EQ(store->LayerCount, 50);
    EXPECT_EQ(store->Model[99], 10.0f);
    EXPECT_EQ(store->InvModel[99], 2.0f);
    // A uniform stack of 100 ohm-m is a half-space of 100 ohm-m.
    EXPECT_EQ(Fields(view.listing[20])[1], "1.0E+02");
}

}  // namespace
