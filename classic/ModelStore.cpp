#include "classic/ModelStore.h"

#include <algorithm>

namespace mt1d {

ModelStore::ModelStore()
    : FreqCount(kFreqCount), Freq{}, AppRes{}, Phase{}, LayerCount(1), Model{}, UpperBound{},
      LowerBound{}, InvRes{}, InvThick{}, InvModel{}
{
    for (int i = 0; i < kFreqCount; ++i) {
        Freq[i] = SoundingFrequency(i);
        AppRes[i] = 100.0f;
        Phase[i] = 45.0f;
    }
}

void ModelStore::ApplyDefaultInversionSetup()
{
    // The commands keep LayerCount within 1..50; the clamp only keeps a hand-made store
    // inside its arrays.
    const int slots = std::clamp(2 * LayerCount, 0, kStoreSlots);
    if (slots == 0) return;
    // Products in double, then narrowed, so 0.1·500 stores exactly 50.
    const auto scaled = [](double factor, float value) {
        return static_cast<float>(factor * static_cast<double>(value));
    };
    UpperBound[0] = Model[0];
    LowerBound[0] = Model[0];
    for (int k = 0; k < slots; ++k) InvModel[k] = scaled(kStartFactor, Model[k]);
    for (int k = 1; k < slots; ++k) {
        UpperBound[k] = scaled(kUpperBoundFactor, Model[k]);
        LowerBound[k] = scaled(kLowerBoundFactor, Model[k]);
    }
}

}  // namespace mt1d
