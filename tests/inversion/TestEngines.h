#pragma once
// Engines for the inversion tests, built the one way the program builds them (the store's
// EngineSetup.h): synthetic data of a true model through the forward command, a chosen start
// and the default bounds of the true model.

#include "classic/Commands.h"
#include "classic/EngineSetup.h"

#include <array>
#include <charconv>
#include <memory>
#include <vector>

namespace engine_setup {

inline constexpr int kFreq = mt1d::kFreqCount;

// The default model, 2N values, and its five parameters.
inline const std::vector<float>& DefaultModel()
{
    static const std::vector<float> model = mt1d::DefaultModelValues();
    return model;
}

// A store after the forward calculation of `truth` (N resistivities, then N thicknesses).
inline std::unique_ptr<mt1d::ModelStore> StoreOf(const std::vector<float>& truth)
{
    const auto text = [](float value) {
        std::array<char, 32> buffer{};
        const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr;
        return std::string(buffer.data(), end);
    };
    const std::size_t n = truth.size() / 2;
    std::vector<mt1d::LayerText> rows;
    for (std::size_t i = 0; i < n; ++i) rows.push_back({text(truth[i]), text(truth[n + i])});
    auto store = std::make_unique<mt1d::ModelStore>();
    mt1d::RunForward(*store, std::to_string(n), rows);
    return store;
}

// Engine of kind Model fitting the response of `truth` (2N values) from `start` (2N − 1
// values), set up as the inversion command sets it up.
template <typename Model>
std::unique_ptr<Inversion1D<Model>> Configured(const std::vector<float>& truth,
                                               const std::vector<float>& start)
{
    auto store = StoreOf(truth);
    std::copy(start.begin(), start.end(), store->InvModel);
    return mt1d::MakeEngine<Model>(*store, static_cast<int>(start.size()));
}

inline std::vector<float> Scaled(const std::vector<float>& model, float factor, int count)
{
    std::vector<float> out(count);
    for (int k = 0; k < count; ++k) out[k] = factor * model[k];
    return out;
}

}  // namespace engine_setup
