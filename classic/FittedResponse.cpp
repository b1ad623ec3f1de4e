#include "classic/FittedResponse.h"

#include "numerics/MTSounding.h"

#include <algorithm>
#include <array>
#include <memory>
#include <stdexcept>
#include <string>

namespace mt1d {

ResponseView FittedResponse(const ModelStore& store)
{
    const int n = store.LayerCount;
    if (n < 1 || n > kMaxStoreLayers) {
        throw std::invalid_argument("the inversion model has " + std::to_string(n) +
                                    " layers; 1 to " + std::to_string(kMaxStoreLayers) +
                                    " fit the store");
    }
    const int freqCount = std::clamp(store.FreqCount, 1, kFreqCount);
    const int sizes[1] = {freqCount};
    // The forward model and the store are a few kilobytes of arrays each: on the heap.
    auto sounding = std::make_unique<TMTRes>();
    sounding->SetData(1, sizes, store.Freq, store.AppRes);
    sounding->SetParameters(2 * n, store.InvModel);
    std::array<float, 2 * kFreqCount> response{};  // resistivities, then phases
    sounding->GetResponse(response.data());

    auto fitted = std::make_unique<ModelStore>(store);
    std::copy_n(response.begin(), freqCount, fitted->AppRes);
    std::copy_n(response.begin() + freqCount, freqCount, fitted->Phase);
    return DescribeResponse(*fitted);
}

}  // namespace mt1d
