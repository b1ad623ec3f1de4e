#!/usr/bin/env python3
"""Apparent resistivity and impedance phase of two-layer earths, computed independently of the
program's recursion: the boundary-value problem is solved directly at 40 significant digits.

With time dependence e^{+iωt}, E_x in the top layer is A·e^{-k1 z} + B·e^{k1 z}, in the
half-space C·e^{-k2 (z - h)}, k = sqrt(iωμ0/ρ) with Re k > 0. E and dE/dz are continuous at
z = h (H_y = -(1/(iωμ0))·dE/dz and μ = μ0 everywhere). With C = 1:
    A·e^{-k1 h} + B·e^{k1 h} = 1,   k1·(B·e^{k1 h} - A·e^{-k1 h}) = -k2,
and Z = E/H at z = 0 is iωμ0·(A + B)/(k1·(A - B)); ρa = |Z|²/(ωμ0), φ = arg Z.

Run: python3 two_layer_values.py   (needs mpmath). The test LayeredEarthResponseTest.cpp
quotes its output.
"""
from mpmath import mp, mpf, mpc, sqrt, exp, pi, arg, fabs, nstr

mp.dps = 40
MU0 = 4e-7 * pi

def two_layer(rho1, h, rho2, f):
    omega = 2 * pi * mpf(f)
    iwm = mpc(0, omega * MU0)
    k1 = sqrt(iwm / mpf(rho1))
    k2 = sqrt(iwm / mpf(rho2))
    em, ep = exp(-k1 * mpf(h)), exp(k1 * mpf(h))
    # Solve the 2×2 system for A and B.
    # A·em + B·ep = 1 ;  -k1·A·em + k1·B·ep = -k2
    b_ep = (1 - k2 / k1) / 2     # B·e^{k1 h}
    a_em = (1 + k2 / k1) / 2     # A·e^{-k1 h}
    a, b = a_em / em, b_ep / ep
    z = iwm * (a + b) / (k1 * (a - b))
    return fabs(z) ** 2 / (omega * MU0), arg(z) * 180 / pi

for model in [(100, 1000, 10), (10, 500, 1000)]:
    for f in ["0.001", "0.1", "10"]:
        rho_a, phi = two_layer(*model, f)
        print(model, f, nstr(rho_a, 17), nstr(phi, 17))
