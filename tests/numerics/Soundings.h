#pragma once
// Shared set-up for the forward-model tests: the 41 sounding frequencies and small helpers
// that give a model its data and parameters.

#include "MTSounding.h"

#include <array>
#include <cmath>
#include <vector>

namespace testing_support {

inline constexpr int kFreqCount = 41;

// 10^(0.2·(i − 20)) Hz, five per decade from 1e-4 to 1e4 Hz.
inline std::array<float, kFreqCount> SoundingFrequencies()
{
    std::array<float, kFreqCount> f{};
    for (int i = 0; i < kFreqCount; ++i) f[i] = static_cast<float>(std::pow(10.0, 0.2 * (i - 20)));
    return f;
}

// Gives `model` the sounding frequencies with `observed` data (41 values, or 82 for the
// joint kind) and the parameters `params`.
template <typename Model>
void Prepare(Model& model, const std::vector<float>& params, const std::vector<float>& observed)
{
    auto f = SoundingFrequencies();
    if constexpr (std::is_same_v<Model, TMTResPhase>) {
        std::vector<float> freq2(f.begin(), f.end());
        freq2.insert(freq2.end(), f.begin(), f.end());
        const int sizes[2] = {kFreqCount, kFreqCount};
        model.SetData(2, sizes, freq2.data(), observed.data());
    } else {
        const int sizes[1] = {kFreqCount};
        model.SetData(1, sizes, f.data(), observed.data());
    }
    model.SetParameters(static_cast<int>(params.size()), params.data());
}

}  // namespace testing_support
