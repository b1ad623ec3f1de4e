#include "ModelStore.h"

#include <algorithm>
#include <cmath>

namespace mt1d {

ModelStore::ModelStore()
    : FreqCount(kFreqCount), Freq{}, AppRes{}, Phase{}, LayerCount(1), Model{}, UpperBound{},
      LowerBound{}, InvRes{}, InvThick{}, InvModel{}
{
    for (int i = 0; i < kFreqCount; ++i) {
        Freq[i] = static_cast<float>(std::pow(10.0, 0.2 * (i - 20)));
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
    for (int k = 0; k < slots; ++k) InvModel[k] = scaled(0.2, Model[k]);
    for (int k = 1; k < slots; ++k) {
        UpperBound[k] = scaled(10.0, Model[k]);
        LowerBound[k] = scaled(0.1, Model[k]);
    }
}

}  // namespace mt1d
