#!/usr/bin/env python3
"""Writes a synthetic survey for the resistivity section: N EDI files along a west-east
profile at 30° S (sites 0.05° of longitude apart, about 4.8 km), each the response of a
three-layer model that varies smoothly along the profile, with 5 % Gaussian noise on the
impedance, and models.csv with the true models.

    scripts/synthetic-section.py OUTDIR [N] [SEED]

The models: a 200 Ω·m cover; a 10 Ω·m conductor whose top rises and sinks along the profile
between 400 m and 1400 m depth, 400 m thick; a 2000 Ω·m basement below. The response is
computed here with the impedance recursion of a layered half-space (time dependence e^{+iωt},
Z in field units (mV/km)/nT, Zxy = Z, Zyx = −Z), independently of the program's kernel.
"""
import cmath
import math
import os
import random
import sys

MU0 = 4e-7 * math.pi


def impedance(freq, rhos, thicknesses):
    """Surface impedance in ohms, from the half-space up."""
    omega = 2 * math.pi * freq
    z = cmath.sqrt(1j * omega * MU0 * rhos[-1])
    for rho, h in zip(reversed(rhos[:-1]), reversed(thicknesses)):
        k = cmath.sqrt(1j * omega * MU0 / rho)
        z0 = 1j * omega * MU0 / k
        t = cmath.tanh(k * h)
        z = z0 * (z + z0 * t) / (z0 + z * t)
    return z


def dms(value):
    sign = "-" if value < 0 else ""
    value = abs(value)
    d = int(value)
    m = int((value - d) * 60)
    s = (value - d - m / 60) * 3600
    return f"{sign}{d}:{m:02d}:{s:06.3f}"


def model(k, n):
    x = k / max(1, n - 1)
    top = 900 - 500 * math.sin(2 * math.pi * x)
    return [200.0, 10.0, 2000.0], [top, 400.0]


def main():
    out = sys.argv[1]
    n = int(sys.argv[2]) if len(sys.argv) > 2 else 12
    rng = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 1)
    os.makedirs(out, exist_ok=True)
    freqs = [10 ** (3 - i / 6) for i in range(6 * 5 + 1)]  # 1000 Hz to 0.01 Hz
    field = 1 / (MU0 * 1e3)  # ohms to (mV/km)/nT
    with open(os.path.join(out, "models.csv"), "w") as table:
        table.write("site,latitude,longitude,rho1_ohmm,rho2_ohmm,rho3_ohmm,top2_m,top3_m\n")
        for k in range(n):
            name = f"SYN{k + 1:03d}"
            lat, lon = -30.0, 140.0 + 0.05 * k
            rhos, hs = model(k, n)
            table.write(f"{name},{lat},{lon},{rhos[0]},{rhos[1]},{rhos[2]},{hs[0]:.1f},{hs[0] + hs[1]:.1f}\n")
            zr, zi, var = [], [], []
            for f in freqs:
                z = impedance(f, rhos, hs) * field
                noisy = z * (1 + 0.05 * complex(rng.gauss(0, 1), rng.gauss(0, 1)) / math.sqrt(2))
                zr.append(noisy.real)
                zi.append(noisy.imag)
                var.append((0.05 * abs(z)) ** 2)
            nf = len(freqs)
            row = lambda values: " ".join(f"{v:.6e}" for v in values)
            zeros = row([0.0] * nf)
            text = f""">HEAD
  DATAID="{name}"
  LAT={dms(lat)}
  LONG={dms(lon)}
  ELEV=100
>INFO
  synthetic three-layer model, 5 % noise (scripts/synthetic-section.py)
>=DEFINEMEAS
  MAXCHAN=4
  REFLAT={dms(lat)}
  REFLONG={dms(lon)}
>HMEAS ID=1.001 CHTYPE=HX X=0 Y=0 AZM=0
>HMEAS ID=2.001 CHTYPE=HY X=0 Y=0 AZM=90
>EMEAS ID=4.001 CHTYPE=EX X=-50 Y=0 X2=50 Y2=0
>EMEAS ID=5.001 CHTYPE=EY X=0 Y=-50 X2=0 Y2=50
>=MTSECT
  NFREQ={nf}
>FREQ //{nf}
  {row(freqs)}
>ZROT //{nf}
  {zeros}
>ZXXR ROT=ZROT //{nf}
  {zeros}
>ZXXI ROT=ZROT //{nf}
  {zeros}
>ZXYR ROT=ZROT //{nf}
  {row(zr)}
>ZXYI ROT=ZROT //{nf}
  {row(zi)}
>ZXY.VAR ROT=ZROT //{nf}
  {row(var)}
>ZYXR ROT=ZROT //{nf}
  {row([-v for v in zr])}
>ZYXI ROT=ZROT //{nf}
  {row([-v for v in zi])}
>ZYX.VAR ROT=ZROT //{nf}
  {row(var)}
>ZYYR ROT=ZROT //{nf}
  {zeros}
>ZYYI ROT=ZROT //{nf}
  {zeros}
>END
"""
            with open(os.path.join(out, name + ".edi"), "w") as edi:
                edi.write(text)


if __name__ == "__main__":
    main()
