#pragma once
// Rotation of the impedance tensor into another frame.
//
// A frame θ has its x axis θ degrees clockwise from north and its y axis 90° further. Fields
// in frame θ follow from those in the north–east frame by R(θ) = [[cos θ, sin θ],
// [−sin θ, cos θ]], so a tensor Z0 given in frame θ0 reads in frame θ1
//     Z1 = R(Δ)·Z0·R(Δ)ᵀ,   Δ = θ1 − θ0.
// Rotating by Δ and back by −Δ returns Z0; a 1D tensor (Zxx = Zyy = 0, Zyx = −Zxy) and the
// invariants det Z, Zxy − Zyx and the sum of squares of the elements do not change.
//
// Variances follow to first order with independent elements:
//     var Z1_ij = Σ_kl (R_ik·R_jl)²·var Z0_kl.
// An element of the result is missing when an element it depends on (with a non-zero
// weight) is missing, and has no variance when such an element has none. The tipper of the
// row turns with it: T1 = T0·R(Δ)ᵀ, by the same rules.

#include "sounding/Sounding.h"

namespace mt1d::sounding {

// The row in the frame targetDeg (the row's own frame is row.rotationDeg). A row already in
// that frame comes back unchanged, bit for bit.
TensorRow RotatedRow(const TensorRow& row, double targetDeg);

// Every row of an impedance sounding into the frame targetDeg, with a note saying so.
// Throws std::invalid_argument for a ρa/φ sounding (apparent resistivity and phase cannot
// be rotated without the tensor) or a non-finite angle.
void RotateTo(Sounding& sounding, double targetDeg);

}  // namespace mt1d::sounding
