#pragma once
// Shared set-up for the forward-model tests: the program's 41 sounding frequencies and default
// model (Defaults.h) and a helper that gives a model its data and parameters.

#include "classic/Defaults.h"
#include "numerics/MTSounding.h"

#include <array>
#include <type_traits>
#include <vector>

namespace testing_support {

inline constexpr int kFreqCount = mt1d::kFreqCount;

inline std::array<float, kFreqCount> SoundingFrequencies() { return mt1d::SoundingFrequencies(); }

// The default model's five parameters: three resistivities, two thicknesses.
inline std::vector<float> DefaultParameters()
{
    return {mt1d::kDefaultModel.begin(), mt1d::kDefaultModel.end() - 1};
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
