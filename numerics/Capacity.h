#pragma once
// The fixed capacities of the classic part, in one place. The forward model, the inversion
// engines and the window's store size their arrays with these, and every entry point refuses
// what does not fit before it changes anything.

namespace mt {

inline constexpr int kMaxLayers = 300;       // layers of one forward model, the half-space included
inline constexpr int kMaxFrequencies = 100;  // frequencies of one forward model, also its data rows
inline constexpr int kMaxParameters = 30;    // parameters: the columns of the sensitivity matrix
inline constexpr int kMaxSystemRows = 100;   // an engine's data rows plus one damping row per parameter
inline constexpr int kStoreSlots = 100;      // slots of the window's model, bound and result arrays
inline constexpr int kMaxStoreLayers = kStoreSlots / 2;  // N resistivities and N thicknesses

}  // namespace mt
