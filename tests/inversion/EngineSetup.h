#pragma once
// Builds engines the way the application does after start-up: synthetic data of the
// default three-layer model, start 0.2 times it, bounds 0.1 and 10 times it with the top
// resistivity pinned, step threshold 0.01, phase damping 0.5, joint weights 1.0 / 0.1.

#include "Inversion1D.h"
#include "MTSounding.h"

#include <array>
#include <cmath>
#include <memory>
#include <type_traits>
#include <vector>

namespace engine_setup {

inline constexpr int kFreq = 41;

struct Synthetic {
    std::array<float, 2 * kFreq> frequencies{};  // the 41 frequencies twice
    std::array<float, 2 * kFreq> response{};     // 41 apparent resistivities, then 41 phases
};

inline Synthetic ResponseOf(const std::vector<float>& model)
{
    Synthetic s;
    for (int i = 0; i < kFreq; ++i) {
        s.frequencies[i] = s.frequencies[kFreq + i] = static_cast<float>(std::pow(10.0, 0.2 * (i - 20)));
    }
    TMTRes forward;
    const int sizes[1] = {kFreq};
    forward.SetData(1, sizes, s.frequencies.data(), s.response.data());
    forward.SetParameters(static_cast<int>(model.size()), model.data());
    forward.GetResponse(s.response.data());
    return s;
}

inline const std::vector<float>& DefaultModel()
{
    static const std::vector<float> model = {1000.0f, 10.0f, 1000.0f, 500.0f, 500.0f, 100.0f};
    return model;
}

// Engine of kind Model fitting the response of `truth` (2N values) from `start` (2N − 1
// values), configured like the application's inversion command.
template <typename Model>
std::unique_ptr<Inversion1D<Model>> Configured(const std::vector<float>& truth,
                                               const std::vector<float>& start)
{
    const Synthetic data = ResponseOf(truth);
    const int count = static_cast<int>(start.size());
    std::unique_ptr<Inversion1D<Model>> engine;
    if constexpr (std::is_same_v<Model, TMTResPhase>) {
        const int sizes[2] = {kFreq, kFreq};
        engine = std::make_unique<Inversion1D<Model>>(2, sizes, data.frequencies.data(),
                                                      data.response.data(), count, start.data(), 1, true);
    } else {
        const int sizes[1] = {kFreq};
        const float* observed = std::is_same_v<Model, TMTPhase> ? data.response.data() + kFreq
                                                                : data.response.data();
        engine = std::make_unique<Inversion1D<Model>>(1, sizes, data.frequencies.data(), observed,
                                                      count, start.data(), 1, true);
    }
    const int n = static_cast<int>(truth.size()) / 2;
    std::vector<float> upper(2 * n), lower(2 * n);
    for (int k = 0; k < 2 * n; ++k) {
        upper[k] = 10.0f * truth[k];
        lower[k] = 0.1f * truth[k];
    }
    upper[0] = lower[0] = truth[0];
    engine->SetStepThreshold(0.01f);
    engine->SetBounds(count, upper.data(), lower.data());
    if constexpr (std::is_same_v<Model, TMTPhase>) {
        const std::vector<float> damping(50, 0.5f);
        engine->SetDamping(damping.data());
    }
    if constexpr (std::is_same_v<Model, TMTResPhase>) {
        std::vector<float> weights(2 * kFreq, 1.0f);
        std::fill(weights.begin() + kFreq, weights.end(), 0.1f);
        engine->SetDataWeights(weights.data());
    }
    return engine;
}

inline std::vector<float> Scaled(const std::vector<float>& model, float factor, int count)
{
    std::vector<float> out(count);
    for (int k = 0; k < count; ++k) out[k] = factor * model[k];
    return out;
}

}  // namespace engine_setup
