#include "classic/Commands.h"
#include "tests/classic/StoreTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

using namespace mt1d;
using store_testing::ExpectRefusal;
using store_testing::ExpectSameStore;
using store_testing::StartedStore;

namespace {

using Cells = std::vector<std::array<std::string, 4>>;

Cells CellsOf(const std::vector<BoundsRow>& rows)
{
    Cells cells;
    for (const BoundsRow& r : rows) {
        cells.push_back({r.resistivityLower, r.resistivityUpper, r.thicknessLower, r.thicknessUpper});
    }
    return cells;
}

TEST(BoundsTable, ShowsTheDefaultBoundsAfterStartUp)
{
    const auto store = StartedStore();
    const Cells expected = {{
        {"1000.0", "1000.0", "50.0", "5000.0"},
        {"1.0", "100.0", "50.0", "5000.0"},
        {"100.0", "10000.0", "10.0", "1000.0"},
    }};
    EXPECT_EQ(CellsOf(BoundsTable(*store)), expected);
}

TEST(BoundsTable, AppliedRowsGoToLayerAndThicknessSlots)
{
    auto store = StartedStore();
    ApplyBoundsTable(*store, {{"1", "2", "3", "4"}, {"5", "6", "7", "8"}, {"9", "10", "11", "12"}});
    const float lower[] = {1, 5, 9, 3, 7, 11};
    const float upper[] = {2, 6, 10, 4, 8, 12};
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(store->LowerBound[k], lower[k]) << k;
        EXPECT_EQ(store->UpperBound[k], upper[k]) << k;
    }
}

// The dialog shows one decimal: the default lower bound 0.03 of a 0.3 ohm-m layer reads 0.0.
// An OK without editing keeps every exact bound; an edited cell takes its text; the plain
// table (the command line's --bounds) takes every text as typed.
TEST(BoundsTable, DialogKeepsTheExactBoundOfEveryCellLeftAsShown)
{
    auto store = StartedStore();
    store->LowerBound[1] = 0.03f;
    store->UpperBound[1] = 0.16f;
    store->LowerBound[4] = 12.345f;
    const std::vector<BoundsRow> shown = BoundsTable(*store);
    ASSERT_EQ(shown[1].resistivityLower, "0.0");
    const auto before = std::make_unique<ModelStore>(*store);

    ApplyBoundsDialog(*store, shown, shown);
    ExpectSameStore(*store, *before);

    std::vector<BoundsRow> edited = shown;
    edited[1].resistivityUpper = "0.5";
    edited[1].thicknessLower = "0.0";  // typed over 12.3: the text counts
    ApplyBoundsDialog(*store, shown, edited);
    EXPECT_EQ(store->LowerBound[1], 0.03f);
    EXPECT_EQ(store->UpperBound[1], 0.5f);
    EXPECT_EQ(store->LowerBound[4], 0.0f);
    EXPECT_EQ(store->UpperBound[2], 10000.0f);

    ApplyBoundsTable(*store, shown);
    EXPECT_EQ(store->LowerBound[1], 0.0f);
    EXPECT_EQ(store->UpperBound[1], 0.2f);
    EXPECT_EQ(store->LowerBound[4], 12.3f);
}

TEST(BoundsTable, DialogRefusesABadEditedCellAndChangesNothing)
{
    auto store = StartedStore();
    const std::vector<BoundsRow> shown = BoundsTable(*store);
    std::vector<BoundsRow> edited = shown;
    edited[0].resistivityUpper = "5";
    edited[2].thicknessUpper = "x";
    const auto before = std::make_unique<ModelStore>(*store);
    ExpectRefusal([&] { ApplyBoundsDialog(*store, shown, edited); }, {"“x”"});
    ExpectSameStore(*store, *before);
}

TEST(BoundsTable, ConvertsOnlyWhenEveryCellIsANumber)
{
    const std::vector<BoundsRow> good = {{"1", "2", "3", "4"}, {" 5 ", "6e1", "-7", "8.5"}};
    EXPECT_TRUE(BoundsTableConverts(good));
    EXPECT_TRUE(BoundsTableConverts({}));
    for (int cell = 0; cell < 4; ++cell) {
        for (const char* bad : {"", "abc", "1,5"}) {
            auto rows = good;
            std::string* cells[] = {&rows[1].resistivityLower, &rows[1].resistivityUpper,
                                    &rows[1].thicknessLower, &rows[1].thicknessUpper};
            *cells[cell] = bad;
            EXPECT_FALSE(BoundsTableConverts(rows)) << cell << " “" << bad << "”";
        }
    }
}

TEST(BoundsTable, FailedApplyLeavesTheStoreAsItWas)
{
    const struct {
        std::vector<BoundsRow> rows;
        std::vector<std::string> named;
    } cases[] = {
        {{{"1", "2", "3", "4"}, {"5", "6", "7", "8"}, {"9", "10", "11", "x"}}, {"“x”"}},
        {{{"", "2", "3", "4"}, {"5", "6", "7", "8"}, {"9", "10", "11", "12"}}, {"“”"}},
        {{{"1", "2", "3", "4"}, {"5", "6", "7", "8"}}, {"need 3 rows", "not 2"}},
        {{}, {"need 3 rows", "not 0"}},
    };
    for (const auto& c : cases) {
        auto store = StartedStore();
        const auto before = std::make_unique<ModelStore>(*store);
        ExpectRefusal([&] { ApplyBoundsTable(*store, c.rows); }, c.named);
        ExpectSameStore(*store, *before);
    }
}

TEST(BoundsTable, AcceptsAnyNumbersTheDialogAccepts)
{
    // Ordering and sign are checked only when a constrained inversion runs.
    auto store = StartedStore();
    ApplyBoundsTable(*store, {{"-1", "0", "5", "2"}, {"5", "6", "7", "8"}, {"9", "10", "11", "12"}});
    EXPECT_EQ(store->LowerBound[0], -1.0f);
    EXPECT_EQ(store->LowerBound[3], 5.0f);
    EXPECT_EQ(store->UpperBound[3], 2.0f);
}

}  // namespace
