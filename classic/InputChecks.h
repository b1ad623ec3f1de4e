#pragma once
// The refusals of the commands: each check throws InputError with a message for the user
// (Chinese, then English in parentheses) and changes nothing.

#include "classic/Defaults.h"

#include <cstddef>

namespace mt1d {

// The accepted range of a model: every real earth with a wide margin (graphite and massive
// sulphides stay above 1e-4 ohm-m, dry crystalline rock below 1e8 ohm-m; a millimetre is
// thinner and ten thousand kilometres thicker than any layer a sounding resolves), and narrow
// enough that the response, the default bounds and the starting model stay ordinary floats.
inline constexpr float kMinResistivity = 1e-4f;  // ohm-m
inline constexpr float kMaxResistivity = 1e8f;   // ohm-m
inline constexpr float kMinThickness = 1e-3f;    // m
inline constexpr float kMaxThickness = 1e7f;     // m

// Bounds of a constrained inversion may lie one decade beyond the model's range, where the
// default bounds (0.1 and 10 times the model, Defaults.h) of a model at its edge lie.
inline constexpr float kMinResistivityBound = 1e-5f;  // ohm-m
inline constexpr float kMaxResistivityBound = 1e9f;   // ohm-m
inline constexpr float kMinThicknessBound = 1e-4f;    // m
inline constexpr float kMaxThicknessBound = 1e8f;     // m

// N must lie within 1..50, the layers the store holds.
void CheckLayerCount(int layerCount);

// The model table may hold at most 50 layer rows.
void CheckTableRowCount(std::size_t rowCount);

// model[0..N−1] resistivities and model[N..2N−1] thicknesses (the half-space's last) must
// be positive finite numbers within their accepted ranges.
void CheckModelValues(const float* model, int layerCount);

// The forward response at `count` frequencies: every apparent resistivity and phase must be
// a finite number; the refusal names the frequencies where one is not.
void CheckResponse(const float* frequencies, const float* appRes, const float* phase, int count);

// The most layers the engine for a data source can invert (15 for one data kind, 9 for
// both), and the refusal of a larger model.
int MaxInversionLayers(int sourceIndex);
void CheckInversionSize(int layerCount, int sourceIndex);

// Every bound of the first paramCount parameters positive, finite and within its accepted
// range (kMin…Bound to kMax…Bound), lower ≤ upper.
void CheckBounds(const float* lower, const float* upper, int layerCount, int paramCount);

}  // namespace mt1d
