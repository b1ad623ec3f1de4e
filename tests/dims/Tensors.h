#pragma once
// Impedance tensors of known structure for the dimensionality tests, built here from their
// definitions (not with the code under test), and a way to write them as an EDI text.
//
// Frames: a tensor Z0 given in frame 0 reads R(Δ)·Z0·R(Δ)ᵀ in a frame turned Δ clockwise,
// with R(Δ) = [[cos Δ, sin Δ], [−sin Δ, cos Δ]] (sounding/Rotation.h). Time dependence e^{+iωt}.

#include "dims/PhaseTensor.h"
#include "sounding/Sounding.h"

#include <array>
#include <cmath>
#include <complex>
#include <cstdio>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

namespace dims_test {

using Z = std::complex<double>;
using mt1d::dims::Impedance;
using Mat = std::array<double, 4>;  // row-major 2×2

inline constexpr double kRad = std::numbers::pi / 180.0;

inline Mat Rot(double deg)
{
    const double c = std::cos(deg * kRad), s = std::sin(deg * kRad);
    return {c, s, -s, c};
}

inline Mat Transposed(const Mat& a)
{
    return {a[0], a[2], a[1], a[3]};
}

inline Mat Mul(const Mat& a, const Mat& b)
{
    return {a[0] * b[0] + a[1] * b[2], a[0] * b[1] + a[1] * b[3], a[2] * b[0] + a[3] * b[2],
            a[2] * b[1] + a[3] * b[3]};
}

// a·z·b for real a, b and complex z.
inline Impedance Sandwich(const Mat& a, const Impedance& z, const Mat& b)
{
    Impedance az{};
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j) az[2 * i + j] = a[2 * i] * z[j] + a[2 * i + 1] * z[2 + j];
    Impedance out{};
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j) out[2 * i + j] = az[2 * i] * b[j] + az[2 * i + 1] * b[2 + j];
    return out;
}

// The tensor in a frame turned deltaDeg clockwise.
inline Impedance Rotated(const Impedance& z, double deltaDeg)
{
    return Sandwich(Rot(deltaDeg), z, Transposed(Rot(deltaDeg)));
}

// Galvanic distortion C·Z.
inline Impedance Distorted(const Mat& c, const Impedance& z)
{
    return Sandwich(c, z, {1.0, 0.0, 0.0, 1.0});
}

// A 1-D earth: Zxy = m·e^{iφ}, Zyx = −Zxy, Zxx = Zyy = 0.
inline Impedance OneD(double phaseDeg, double magnitude = 10.0)
{
    const Z zxy = std::polar(magnitude, phaseDeg * kRad);
    return {Z{}, zxy, -zxy, Z{}};
}

// A 2-D earth with its strike strikeDeg clockwise from north, given in the north frame: in
// the strike frame Zxy = Z_TE, Zyx = −Z_TM (both of magnitude m, phases teDeg and tmDeg), so
// that Φ = diag(tan φ_TM, tan φ_TE) there.
inline Impedance TwoD(double teDeg, double tmDeg, double strikeDeg, double magnitude = 10.0)
{
    const Impedance inStrikeFrame = {Z{}, std::polar(magnitude, teDeg * kRad), -std::polar(magnitude, tmDeg * kRad), Z{}};
    return Rotated(inStrikeFrame, -strikeDeg);
}

// A tensor whose phase tensor is Φ = R(α − β)ᵀ·diag(Φmax, Φmin)·R(α + β) (Caldwell et al.
// 2004), with Re Z = x: Y = x·Φ.
inline Impedance WithPhaseTensor(double phiMax, double phiMin, double alphaDeg, double betaDeg,
                                 const Mat& x = {3.0, 11.0, -9.0, 1.5})
{
    const Mat phi = Mul(Mul(Transposed(Rot(alphaDeg - betaDeg)), {phiMax, 0.0, 0.0, phiMin}), Rot(alphaDeg + betaDeg));
    const Mat y = Mul(x, phi);
    Impedance z{};
    for (int k = 0; k < 4; ++k) z[k] = Z(x[k], y[k]);
    return z;
}

inline mt1d::sounding::TensorRow Row(double frequencyHz, const Impedance& z, std::optional<double> variance = {},
                                     double rotationDeg = 0.0)
{
    mt1d::sounding::TensorRow row;
    row.frequencyHz = frequencyHz;
    row.rotationDeg = rotationDeg;
    for (std::size_t k = 0; k < 4; ++k) {
        row.z[k].value = z[k];
        row.z[k].variance = variance;
    }
    return row;
}

inline mt1d::sounding::Sounding SoundingOf(std::vector<mt1d::sounding::TensorRow> rows)
{
    mt1d::sounding::Sounding s;
    s.sourceName = "tensors";
    s.kind = mt1d::sounding::DataKind::kImpedance;
    s.tensor = std::move(rows);
    return s;
}

// An EDI text of the rows (frequency, tensor, variance of every element), conjugated when
// minusIomegaT, as a file written with e^{−iωt} holds them.
struct EdiRow {
    double frequencyHz;
    Impedance z;
    double variance;
};

inline std::string EdiText(const std::vector<EdiRow>& rows, bool minusIomegaT)
{
    const auto block = [&](const std::string& name, auto value) {
        std::string out = ">" + name + (name == "FREQ" ? "" : " ROT=ZROT") + " //" + std::to_string(rows.size()) + "\n";
        for (const auto& r : rows) {
            char buffer[40];
            std::snprintf(buffer, sizeof buffer, " %.17g", value(r));
            out += buffer;
        }
        return out + "\n";
    };
    std::string text = ">HEAD\n  DATAID=\"tensor test\"\n>=DEFINEMEAS\n  MAXCHAN=4\n>=MTSECT\n  NFREQ=" +
                       std::to_string(rows.size()) + "\n";
    text += block("FREQ", [](const EdiRow& r) { return r.frequencyHz; });
    const char* names[4] = {"ZXX", "ZXY", "ZYX", "ZYY"};
    const double sign = minusIomegaT ? -1.0 : 1.0;
    for (int k = 0; k < 4; ++k) {
        text += block(std::string(names[k]) + "R", [&](const EdiRow& r) { return r.z[k].real(); });
        text += block(std::string(names[k]) + "I", [&](const EdiRow& r) { return sign * r.z[k].imag(); });
        text += block(std::string(names[k]) + ".VAR", [](const EdiRow& r) { return r.variance; });
    }
    return text + ">END\n";
}

}  // namespace dims_test
