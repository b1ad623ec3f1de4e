#pragma once
// Standard errors of the phase tensor's skew angle β, ellipticity and strike α − β from the
// impedance errors, by first-order (linear) propagation.
//
// Why first order and not a bootstrap: it is exact for the linear part and deterministic, it
// costs one 2×2 Jacobian per frequency (a bootstrap of a few hundred draws would cost a few
// hundred phase tensors and the 50 µs a whole sounding may take), and with the errors of real
// data (a few percent of |Z|) the neglected second-order terms are a few percent of the error
// itself; tests/dims/ErrorPropagationTest.cpp checks it against a seeded Monte-Carlo. Where it
// fails: the ellipticity Π1/Π2 near 0, where Π1 = ½·|(Φ11 − Φ22, Φ12 + Φ21)| has a kink.
// Noise then biases the ellipticity upwards (Π1 of pure noise follows a Rayleigh law) and
// its error stays what the linear rule gives; at Π1 = 0 exactly the error used is the one
// averaged over all directions of that 2-vector, ½·√((var(Φ11 − Φ22) + var(Φ12 + Φ21))/2).
//
// Model of the errors: the real and imaginary parts of the four elements are independent,
// each with the standard error PartStandardError gives. With Φ = X⁻¹Y,
//     ∂Φ/∂X_ij = −X⁻¹·E_ij·Φ,   ∂Φ/∂Y_ij = X⁻¹·E_ij   (E_ij: 1 at (i, j), else 0),
// and with p = Φ11 + Φ22, q = Φ12 − Φ21, r = Φ11 − Φ22, t = Φ12 + Φ21:
//     dβ = ½·(p·dq − q·dp)/(p² + q²),     dα = ½·(r·dt − t·dr)/(r² + t²),
//     dΠ1 = (r·dr + t·dt)/(4·Π1),         dΠ2 = (p·dp + q·dq)/(4·Π2),
//     d(Π1/Π2) = (dΠ1 − (Π1/Π2)·dΠ2)/Π2,  d(α − β) = dα − dβ.

#include "dims/PhaseTensor.h"
#include "sounding/Sounding.h"

#include <array>
#include <optional>

namespace mt1d::dims {

// The standard error of the real part of one impedance element, and alike of its imaginary
// part. The file's variance is that of the complex value, E|δZ|² = var(Re Z) + var(Im Z)
// (sounding/Sounding.h), shared equally by the two parts: √(variance/2). The one place that
// reads that convention. Empty when the element has no value or no variance.
std::optional<double> PartStandardError(const sounding::ImpedanceElement& element);

struct InvariantErrors {
    double betaDeg = 0.0;
    double ellipticity = 0.0;
    std::optional<double> strikeDeg;  // empty where α is (Π1 = 0)
};

// One standard error of β, the ellipticity and the strike of the tensor z whose elements'
// parts have the standard errors partSd (Zxx, Zxy, Zyx, Zyy). Empty when the phase tensor or
// its β cannot be computed (PhaseTensor.h).
std::optional<InvariantErrors> PropagateErrors(const Impedance& z, const std::array<double, 4>& partSd);

// The same with the phase tensor of z and its invariants already at hand (PhaseTensorOf(z),
// InvariantsOf(phi)); empty when β is undefined.
std::optional<InvariantErrors> PropagateErrors(const Impedance& z, const Matrix2& phi,
                                               const PhaseTensorInvariants& inv,
                                               const std::array<double, 4>& partSd);

}  // namespace mt1d::dims
