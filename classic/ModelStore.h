#pragma once
// The main window's data: the sounding frequencies, the response of the last forward
// calculation (the observed data of every inversion), its model, the inversion bounds and
// the inversion model that carries one inversion into the next.

#include "classic/Defaults.h"

namespace mt1d {

struct ModelStore {
    // The sounding frequencies (Defaults.h); AppRes 100, Phase 45, LayerCount 1; every other
    // value 0.
    ModelStore();

    int FreqCount;
    float Freq[kFreqCount];          // Hz, ascending
    float AppRes[kFreqCount];        // ohm-m at Freq[i]
    float Phase[kFreqCount];         // radians at Freq[i]
    int LayerCount;                  // N of the last forward calculation
    float Model[kStoreSlots];        // N resistivities, then N thicknesses (the last: half-space)
    float UpperBound[kStoreSlots];   // indexed like Model
    float LowerBound[kStoreSlots];
    float InvRes[kStoreSlots];       // layer resistivities of the last inversion report
    float InvThick[kStoreSlots];     // layer thicknesses of the last inversion report
    float InvModel[kStoreSlots];     // starting model of the next inversion

    // The default set-up of Defaults.h: bounds 0.1 and 10 times every model value except the
    // top resistivity, whose bounds both equal its value; starting model 0.2 times the model.
    // Reads LayerCount and Model.
    void ApplyDefaultInversionSetup();
};

}  // namespace mt1d
