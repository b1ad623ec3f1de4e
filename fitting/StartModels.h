#pragma once
// Starting models for a layered fit, spread around the Niblett–Bostick profile of the data
// so that a multi-start search covers the depths and resistivities the sounding can see.
//
// Start 0 puts the interfaces evenly in log depth across the profile's depth range and gives
// every layer the geometric mean of the profile within it. Every further start draws the
// interfaces log-uniformly from that range widened by kStartDepthMarginDecades at either
// end, and scatters each layer's resistivity about the profile by a Gaussian factor of
// kStartLog10RhoSpread decades. The same seed gives the same starts on every platform.
//
// A start is the 2L − 1 parameters in log10 (Ω·m and m) in the kernel's order.

#include "fitting/NiblettBostick.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace mt1d::fitting {

inline constexpr double kStartDepthMarginDecades = 0.5;
inline constexpr double kStartLog10RhoSpread = 0.5;
// Adjacent interfaces of a drawn start lie at least this far apart in log10 depth, so that
// no start begins with a layer too thin to matter.
inline constexpr double kStartMinSeparationDecades = 0.05;

// Profile points without a finite log10 depth or resistivity are left out; when none remain,
// the starts spread around a uniform earth at this depth.
inline constexpr double kFallbackDepthM = 1000.0;
inline constexpr double kFallbackResistivityOhmM = 100.0;

// `count` starts for a model of `layers` layers (1 or more). `profile` must not be empty.
std::vector<std::vector<double>> SeededStarts(std::span<const DepthPoint> profile,
                                              std::size_t layers, std::size_t count,
                                              std::uint64_t seed);

}  // namespace mt1d::fitting
