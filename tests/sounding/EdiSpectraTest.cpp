#include "sounding/EdiReader.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace mt1d::sounding;
using Z = std::complex<double>;
using Matrix = std::array<std::array<Z, 2>, 2>;

// The tensor every synthetic file encodes, with the diagonal present and unequal, so that a
// swapped row, column or triangle shows.
const Matrix kZ = {{{Z(1.5, -2.0), Z(30.0, 20.0)}, {Z(-25.0, -35.0), Z(-2.0, 1.0)}}};

Matrix Mul(const Matrix& a, const Matrix& b)
{
    Matrix c{};
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j) c[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j];
    return c;
}

// A spectra EDI whose cross-powers satisfy S_ER = Z·S_HR for the reference channels
// `ref` (S_E,R row E, column R). Channels are listed in `order` (their types); the matrix
// is written in that order with real parts above the diagonal and imaginary parts below.
std::string SpectraEdi(const std::vector<std::string>& order, const std::string& refX, const std::string& refY,
                       const std::string& extra = "")
{
    const std::size_t n = order.size();
    std::map<std::string, std::size_t> at;
    for (std::size_t i = 0; i < n; ++i) at[order[i]] = i;
    std::vector<std::vector<Z>> s(n, std::vector<Z>(n, Z(0.01, 0.0)));
    for (std::size_t i = 0; i < n; ++i) s[i][i] = Z(2.0 + static_cast<double>(i), 0.0);
    const auto set = [&](const std::string& a, const std::string& b, Z v) {
        s[at[a]][at[b]] = v;
        s[at[b]][at[a]] = std::conj(v);
    };
    // With the local magnetics as reference S_HR is S_HH, which is Hermitian.
    const bool local = refX == "HX";
    const Matrix hr = local ? Matrix{{{Z(3.0, 0.0), Z(0.5, 0.2)}, {Z(0.5, -0.2), Z(2.0, 0.0)}}}
                            : Matrix{{{Z(2.0, 0.5), Z(0.3, -0.2)}, {Z(0.1, 0.4), Z(1.5, -0.3)}}};
    const Matrix er = Mul(kZ, hr);
    const std::string h[2] = {"HX", "HY"};
    const std::string e[2] = {"EX", "EY"};
    const std::string r[2] = {refX, refY};
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j) {
            if (h[i] == r[j]) s[at[h[i]]][at[h[i]]] = hr[i][i];
            else set(h[i], r[j], hr[i][j]);
            set(e[i], r[j], er[i][j]);
        }

    std::string text = ">HEAD\n DATAID=spectra\n>=DEFINEMEAS\n";
    for (std::size_t i = 0; i < n; ++i) {
        const std::string& name = order[i];  // R2HX: a second HX
        const std::string type = name == "R2HX" ? "HX" : name == "R2HY" ? "HY" : name;
        text += (type[0] == 'E' ? ">EMEAS" : ">HMEAS") + std::string(" ID=") + std::to_string(100 + i) +
                ".001 CHTYPE=" + type + "\n";
    }
    text += ">=SPECTRASECT\n NCHAN=" + std::to_string(n) + "\n NFREQ=1\n // " + std::to_string(n) + "\n";
    for (std::size_t i = 0; i < n; ++i) text += " " + std::to_string(100 + i) + ".001\n";
    text += ">SPECTRA FREQ=8.0 ROTSPEC=0 AVGT=1000 " + extra + "\n";
    char buf[64];
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            const double a = i <= j ? s[i][j].real() : s[j][i].imag();
            std::snprintf(buf, sizeof buf, " %.17g", a);
            text += buf;
        }
        text += "\n";
    }
    return text + ">END\n";
}

void ExpectTensor(const Sounding& s)
{
    ASSERT_EQ(s.tensor.size(), 1u);
    EXPECT_EQ(s.format, SourceFormat::kEdiSpectra);
    EXPECT_EQ(s.tensor[0].frequencyHz, 8.0);
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j) {
            const auto& e = s.tensor[0].z[static_cast<std::size_t>(2 * i + j)];
            ASSERT_TRUE(e.value.has_value());
            // 17-digit values through a 2 × 2 inverse: 1e-12 relative to |Z| ≈ 40.
            EXPECT_NEAR(std::abs(*e.value - kZ[i][j]), 0.0, 4e-11) << i << j;
            EXPECT_FALSE(e.variance.has_value());
        }
}

TEST(EdiSpectra, RemoteChannelsTypedRxRyGiveTheTensorWhateverTheChannelOrder)
{
    // A reference channel before the electric ones puts their cross-powers below the diagonal.
    ExpectTensor(ParseEdi(SpectraEdi({"RX", "EX", "HX", "HY", "HZ", "EY", "RY"}, "RX", "RY"), "s.edi", "s"));
    ExpectTensor(ParseEdi(SpectraEdi({"HX", "HY", "HZ", "EX", "EY", "RX", "RY"}, "RX", "RY", "// 49"), "s.edi", "s"));
}

TEST(EdiSpectra, SecondMagneticPairServesAsRemoteReference)
{
    const Sounding s = ParseEdi(SpectraEdi({"HX", "HY", "EX", "EY", "R2HX", "R2HY"}, "R2HX", "R2HY"), "s.edi", "s");
    ExpectTensor(s);
    EXPECT_NE(s.notes[0].find("second HX/HY pair"), std::string::npos) << s.notes[0];
}

TEST(EdiSpectra, WithoutReferenceTheLocalMagneticsAreUsedAndSaidSo)
{
    const Sounding s = ParseEdi(SpectraEdi({"EY", "HX", "HY", "EX"}, "HX", "HY"), "s.edi", "s");
    ExpectTensor(s);
    EXPECT_NE(s.notes[0].find("without remote reference"), std::string::npos) << s.notes[0];
}

TEST(EdiSpectra, RotspecGivesTheFrameOfTheTensor)
{
    std::string text = SpectraEdi({"HX", "HY", "EX", "EY", "RX", "RY"}, "RX", "RY");
    text.replace(text.find("ROTSPEC=0"), 9, "ROTSPEC=15");
    EXPECT_EQ(ParseEdi(text, "s.edi", "s").tensor[0].rotationDeg, 15.0);
}

}  // namespace
