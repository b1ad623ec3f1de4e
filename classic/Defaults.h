#pragma once
// The program's defaults in one place: the sounding frequencies, the model the window and the
// command-line tool start with, the default inversion set-up and the choices of data and
// method. The window, the command-line tool, the tests and the benchmarks all read them here;
// EngineSetup.h builds engines from them.

#include "numerics/Capacity.h"

#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace mt1d {

// The store's capacities, shared with the forward model and the engines (Capacity.h).
using mt::kMaxStoreLayers;
using mt::kStoreSlots;

// ---------------------------------------------------------------- frequencies

inline constexpr int kFreqCount = 41;  // 1e-4 .. 1e4 Hz, five per decade

// Frequency i of the sounding: 10^(0.2·(i − 20)) Hz, computed in double and stored as float.
inline float SoundingFrequency(int i)
{
    return static_cast<float>(std::pow(10.0, 0.2 * (i - 20)));
}

// The 41 sounding frequencies in ascending order.
inline std::array<float, kFreqCount> SoundingFrequencies()
{
    std::array<float, kFreqCount> f{};
    for (int i = 0; i < kFreqCount; ++i) f[i] = SoundingFrequency(i);
    return f;
}

// ---------------------------------------------------------------- the default model

// 1000 ohm-m over 500 m, 10 ohm-m over 500 m, a 1000 ohm-m half-space. The half-space's
// thickness (100 m) is no parameter; it only seeds its default bounds and start value.
inline constexpr int kDefaultLayerCount = 3;
inline constexpr std::array<float, 2 * kDefaultLayerCount> kDefaultModel = {
    1000.0f, 10.0f, 1000.0f,  // resistivities, ohm-m, from the top
    500.0f, 500.0f, 100.0f,   // thicknesses, m; the last one the half-space's
};

// The default model as N resistivities and N thicknesses, a std::vector for callers that
// grow or cut it.
inline std::vector<float> DefaultModelValues()
{
    return {kDefaultModel.begin(), kDefaultModel.end()};
}

// ---------------------------------------------------------------- the inversion set-up

// After every forward calculation (ModelStore::ApplyDefaultInversionSetup): the inversion
// starts from 0.2 times the model, within bounds of 0.1 and 10 times each model value, with
// the top resistivity's bounds both at its value.
inline constexpr double kStartFactor = 0.2;
inline constexpr double kLowerBoundFactor = 0.1;
inline constexpr double kUpperBoundFactor = 10.0;

// The engine set-up of every inversion (EngineSetup.h): thicknesses are inverted (parameter
// layout 1), apparent-resistivity residuals are logarithmic, steps of at most 0.01 in every
// component are dropped by the constrained method, the phase engine damps every slot with
// 0.5 instead of the engine's 0.005, and the joint engine weighs apparent resistivities 1
// and phases 0.1.
inline constexpr int kInvertThickness = 1;
inline constexpr bool kLogMode = true;
inline constexpr float kStepThreshold = 0.01f;
inline constexpr float kPhaseDamping = 0.5f;
inline constexpr float kAppResWeight = 1.0f;
inline constexpr float kPhaseWeight = 0.1f;

// ---------------------------------------------------------------- choices

// Item indices of the window's two radio groups; the first item of each is the default.
enum DataSourceIndex { kSourceAppRes = 0, kSourcePhase = 1, kSourceBoth = 2 };
enum MethodIndex { kMethodSvd = 0, kMethodConstrained = 1 };
inline constexpr int kDefaultSource = kSourceAppRes;
inline constexpr int kDefaultMethod = kMethodSvd;

}  // namespace mt1d
