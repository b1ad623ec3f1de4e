# Hand-written for the tests: a 100 ohm-m half-space by frequency (negative periods are
# frequencies in Hz), impedances in (mV/km)/nT: Zxy = sqrt(5 f rho) e^{i45deg}, so
# Re = Im = sqrt(250 f); error 5 % of |Z|. The RXY block agrees with the impedances in
# these units. A tipper block comes before the impedances.
>AZIMUTH = 0
JFREQ
TZX
2
   -100.0    0.1     0.05    0.01   1.0
     -1.0    0.2     0.02    0.01   1.0
ZXX
2
   -100.0    0.0     0.0     1.0    1.0
     -1.0    0.0     0.0     0.1    1.0
ZXY
2
   -100.0    158.11388300841898    158.11388300841898    11.180339887498949    1.0
     -1.0    15.811388300841896    15.811388300841896    1.1180339887498949    1.0
ZYX
2
   -100.0   -158.11388300841898   -158.11388300841898    11.180339887498949    1.0
     -1.0   -15.811388300841896   -15.811388300841896    1.1180339887498949    1.0
ZYY
2
   -100.0    0.0     0.0     1.0    1.0
     -1.0    0.0     0.0     0.1    1.0
RXY
2
   -100.0    100.0   45.0   110.0   90.0   47.9   42.1   1.0   1.0
     -1.0    100.0   45.0   110.0   90.0   47.9   42.1   1.0   1.0
