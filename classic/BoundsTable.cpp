// The parameter-range dialog's table without its widgets: the store's bounds as texts, and
// texts back into the store.

#include "classic/Commands.h"

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

namespace {

// Converts the rows into the store's bounds. A cell for which `keep` holds keeps the store's
// bound instead of converting its text. Everything is converted into copies first, so a bad
// cell changes nothing.
template <typename Keep>
void ApplyRows(ModelStore& store, const std::vector<BoundsRow>& rows, Keep keep)
{
    const int n = RowCountOf(store);
    if (rows.size() != static_cast<std::size_t>(n)) {
        const std::string expected = std::to_string(n);
        const std::string got = std::to_string(rows.size());
        throw InputError("参数范围需要 " + expected + " 行，现有 " + got + " 行 (the parameter ranges need " +
                         expected + " rows, not " + got + ")");
    }
    std::array<float, kStoreSlots> lower{};
    std::array<float, kStoreSlots> upper{};
    std::copy(std::begin(store.LowerBound), std::end(store.LowerBound), lower.begin());
    std::copy(std::begin(store.UpperBound), std::end(store.UpperBound), upper.begin());
    for (int k = 0; k < n; ++k) {
        const std::array<const std::string*, 4> cells = CellsOf(rows[k]);
        float* const slots[4] = {&lower[k], &upper[k], &lower[n + k], &upper[n + k]};
        for (int c = 0; c < 4; ++c) {
            if (!keep(k, c)) *slots[c] = ParseFloat(*cells[c]);
        }
    }
    std::copy(lower.begin(), lower.end(), store.LowerBound);
    std::copy(upper.begin(), upper.end(), store.UpperBound);
}

}  // namespace

void ApplyBoundsTable(ModelStore& store, const std::vector<BoundsRow>& rows)
{
    ApplyRows(store, rows, [](int, int) { return false; });
}

void ApplyBoundsDialog(ModelStore& store, const std::vector<BoundsRow>& shown,
                       const std::vector<BoundsRow>& rows)
{
    // The dialog shows one decimal: 0.03 reads 0.0. A cell left as shown means the bound
    // behind it, not the rounded text.
    const auto unchanged = [&](int row, int cell) {
        return static_cast<std::size_t>(row) < shown.size() &&
               *CellsOf(rows[row])[cell] == *CellsOf(shown[row])[cell];
    };
    ApplyRows(store, rows, unchanged);
}

}  // namespace mt1d
