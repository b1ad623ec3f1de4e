# Hand-written for the tests: apparent resistivity and phase by period, with a missing row
# and a block mt1d does not use. Errors are the +-1 sigma bounds: rho 100 +- 10 is written
# as max 110, min 90.
>LATITUDE  = -19:30:00
>LONGITUDE = 135.26
>ELEVATION = 250
>AZIMUTH   = 15
>STATION   = JTEST
JTEST
RXY
4
    0.01     100.0     45.0    110.0     90.0     47.0     43.0    1.0    1.0
    1.0      200.0     40.0    220.0    180.0     42.0     38.0    1.0    1.0
 -999.0     -999.0   -999.0   -999.0   -999.0   -999.0   -999.0 -999.0 -999.0
  100.0       50.0     60.0     55.0     45.0     63.0     57.0    1.0    1.0
RYX
3
    0.01     120.0   -135.0    130.0    110.0   -133.0   -137.0    1.0    1.0
    1.0      180.0   -140.0    190.0    170.0   -138.0   -142.0    1.0    1.0
  100.0       60.0   -120.0     66.0     54.0   -117.0   -123.0    1.0    1.0
RTE
1
    1.0        1.0      1.0      1.0      1.0      1.0      1.0    1.0    1.0
