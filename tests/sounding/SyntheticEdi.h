#pragma once
// Small EDI texts written for the tests, and a way to vary them.
//
// kHalfSpaceEdi: a 100 Ω·m half-space at 1, 10, 100 and 0.1 Hz (in that order, so that the
// reader must sort). Zxy = |Z|·e^{i45°} with |Z| = sqrt(5·f·ρ) = sqrt(500·f), so
// Re = Im = sqrt(250·f); Zyx = −Zxy; Zxx = Zyy = 0. Every mode then gives ρa = 100 Ω·m and
// φ = 45° at every frequency, whatever the order of the blocks, provided that every block
// was permuted alike. The variances are |Z|²/200: read as the variance of the complex value
// (the default), each part has the error |Z|/20, a relative error of 0.05.

#include <string>
#include <string_view>

namespace sounding_test {

inline const std::string kHalfSpaceEdi = R"(>HEAD
  DATAID="Test site"
  LAT=-19:30:00
  LONG=135:15:36.0
  ELEV=250
>INFO
  synthetic half-space of 100 ohm-m
>=DEFINEMEAS
  MAXCHAN=4
  REFLAT=10:00:00
  REFLONG=20:00:00
>HMEAS ID=1.001 CHTYPE=HX X=0 Y=0 AZM=0
>HMEAS ID=2.001 CHTYPE=HY X=0 Y=0 AZM=90
>EMEAS ID=4.001 CHTYPE=EX X=-50 Y=0 X2=50 Y2=0
>EMEAS ID=5.001 CHTYPE=EY X=0 Y=-50 X2=0 Y2=50
>=MTSECT
  NFREQ=4
>!****FREQUENCIES****!
>FREQ //4
  1.0 10.0 100.0 0.1
>ZROT //4
  0 0 0 0
>ZXXR ROT=ZROT //4
  0 0 0 0
>ZXXI ROT=ZROT //4
  0 0 0 0
>ZXYR ROT=ZROT //4
  15.8113883008419 50 158.113883008419 5
>ZXYI ROT=ZROT //4
  15.8113883008419 50 158.113883008419 5
>ZXY.VAR ROT=ZROT //4
  2.5 25 250 0.25
>ZYXR ROT=ZROT //4
  -15.8113883008419 -50 -158.113883008419 -5
>ZYXI ROT=ZROT //4
  -15.8113883008419 -50 -158.113883008419 -5
>ZYX.VAR ROT=ZROT //4
  2.5 25 250 0.25
>ZYYR ROT=ZROT //4
  0 0 0 0
>ZYYI ROT=ZROT //4
  0 0 0 0
>TXR.EXP //4
  0.1 0.1 0.1 1.0E32
>ZSTRIKE //4
  0 0 0 0
>END
)";

// The same site with apparent resistivity and phase only, errors as log10 errors, the yx
// phase stored in the third quadrant (−135°).
inline const std::string kRhoPhaseEdi = R"(>HEAD
  DATAID=rp
>=DEFINEMEAS
>=MTSECT
>FREQ // 3
  10 1 100
>RHOROT // 3
  20 20 20
>RHOXY ROT=RHOROT // 3
  100 100 100
>RHOXY.ERR ROT=RHOROT // 3
  0.1 0.1 0.1
>PHSXY ROT=RHOROT // 3
  45 46 47
>PHSXY.ERR ROT=RHOROT // 3
  1 1 1
>RHOYX ROT=RHOROT // 3
  200 200 200
>PHSYX ROT=RHOROT // 3
  -135 -134 -133
>END
)";

// `text` with the first occurrence of `from` replaced by `to`; an empty string when `from`
// does not occur, so that a test with a stale pattern fails rather than passes.
inline std::string Replace(std::string text, std::string_view from, std::string_view to)
{
    const auto at = text.find(from);
    if (at == std::string::npos) return {};
    text.replace(at, from.size(), to);
    return text;
}

// Every occurrence replaced.
inline std::string ReplaceAll(std::string text, std::string_view from, std::string_view to)
{
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

}  // namespace sounding_test
