// The parameter-range dialog's table without its widgets: the store's bounds as texts, and
// texts back into the store.

#include "Commands.h"

#include <algorithm>
#include <array>

namespace mt1d {

namespace {

// The four cells of a row in the order the dialog converts them.
std::array<const std::string*, 4> CellsOf(const BoundsRow& row)
{
    return {&row.resistivityLower, &row.resistivityUpper, &row.thicknessLower,
            &row.thicknessUpper};
}

int RowCountOf(const ModelStore& store) { return std::clamp(store.LayerCount, 0, kMaxStoreLayers); }

}  // namespace

std::vector<BoundsRow> BoundsTable(const ModelStore& store)
{
    const int n = RowCountOf(store);
    std::vector<BoundsRow> rows;
    rows.reserve(n);
    for (int i = 0; i < n; ++i) {
        rows.push_back({FormatFixed1(store.LowerBound[i]), FormatFixed1(store.UpperBound[i]),
                        FormatFixed1(store.LowerBound[n + i]), FormatFixed1(store.UpperBound[n + i])});
    }
    return rows;
}

bool BoundsTableConverts(const std::vector<BoundsRow>& rows)
{
    try {
        for (const BoundsRow& row : rows) {
            for (const std::string* cell : CellsOf(row)) ParseFloat(*cell);
        }
    } catch (const InputError&) {
        return false;
    }
    return true;
}

void ApplyBoundsTable(ModelStore& store, const std::vector<BoundsRow>& rows)
{
    const int n = RowCountOf(store);
    if (rows.size() != static_cast<std::size_t>(n)) {
        const std::string expected = std::to_string(n);
        const std::string got = std::to_string(rows.size());
        throw InputError("参数范围需要 " + expected + " 行，现有 " + got + " 行 (the parameter ranges need " +
                         expected + " rows, not " + got + ")");
    }
    // Converted into copies first, so a bad cell changes nothing.
    std::array<float, kStoreSlots> lower{};
    std::array<float, kStoreSlots> upper{};
    std::copy(std::begin(store.LowerBound), std::end(store.LowerBound), lower.begin());
    std::copy(std::begin(store.UpperBound), std::end(store.UpperBound), upper.begin());
    for (int k = 0; k < n; ++k) {
        const BoundsRow& row = rows[k];
        lower[k] = ParseFloat(row.resistivityLower);
        upper[k] = ParseFloat(row.resistivityUpper);
        lower[n + k] = ParseFloat(row.thicknessLower);
        upper[n + k] = ParseFloat(row.thicknessUpper);
    }
    std::copy(lower.begin(), lower.end(), store.LowerBound);
    std::copy(upper.begin(), upper.end(), store.UpperBound);
}

}  // namespace mt1d
