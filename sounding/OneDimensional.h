#pragma once
// One mode of a sounding as a sounding of its own, for a file that should hold only that
// curve (`mt1d convert --mode`): what a 1D code reading the file then sees whatever mode it
// takes.
//
// Impedance soundings become the ideal 1D tensor of the mode's impedance Z_m:
//     Zxy = Z_m,  Zyx = −Z_m,  Zxx = Zyy = 0,
// with Z_m = Zxy (xy), −Zyx (yx), sqrt(Zxx·Zyy − Zxy·Zyx) (det) or (Zxy − Zyx)/2 (berd,
// ImpedanceMath.h), and every element given the variance σ_m² of the mode (ImpedanceMath.h;
// none where the mode has none). The xy and yx curves of the result are then the mode's curve
// with its error; its det and berd curves have the same ρa and φ and an error of σ_m/√2, as
// two independent estimates would give. Each row keeps its frame (a 1D tensor is the same in
// every frame); the tipper is left out.
//
// ρa/φ soundings keep the mode's values as xy and as yx (the yx phase stored in the third
// quadrant, as the usual convention has it).
//
// Throws ConversionError (SoundingWriter.h) when no row has data for the mode.

#include "sounding/Curve.h"
#include "sounding/Sounding.h"

namespace mt1d::sounding {

Sounding OneDimensional(const Sounding& sounding, Mode mode);

}  // namespace mt1d::sounding
