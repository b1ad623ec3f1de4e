#pragma once
// The refusals of the commands: each check throws InputError with a message for the user
// (Chinese, then English in parentheses) and changes nothing.

#include <cstddef>

namespace mt1d {

// N must lie within 1..50, the layers the store holds.
void CheckLayerCount(int layerCount);

// The model table may hold at most 50 layer rows.
void CheckTableRowCount(std::size_t rowCount);

// model[0..N−1] resistivities and model[N..2N−1] thicknesses (the half-space's last) must
// be positive finite numbers.
void CheckModelValues(const float* model, int layerCount);

// The most layers the engine for a data source can invert (15 for one data kind, 9 for
// both), and the refusal of a larger model.
int MaxInversionLayers(int sourceIndex);
void CheckInversionSize(int layerCount, int sourceIndex);

// Every bound of the first paramCount parameters positive and finite, lower ≤ upper.
void CheckBounds(const float* lower, const float* upper, int layerCount, int paramCount);

}  // namespace mt1d
