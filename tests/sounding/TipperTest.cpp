// The tipper kept with the impedance rows: read from EDI in its own frame and turned into the
// frame of the impedances, moved with its row when rows are sorted, conjugated with the
// impedances and rotated with them.

#include "sounding/EdiReader.h"
#include "sounding/Normalize.h"
#include "sounding/Rotation.h"
#include "tests/sounding/SyntheticEdi.h"

#include <gtest/gtest.h>

namespace {

using namespace mt1d::sounding;
using sounding_test::kHalfSpaceEdi;
using sounding_test::Replace;

// cos 90° is 6e-17 in double precision, which the rotation snaps to 0; other angles leave a
// rounding or two.
constexpr double kTol = 1e-15;

TensorRow TipperRow(std::complex<double> tx, std::complex<double> ty)
{
    TensorRow row;
    row.frequencyHz = 1.0;
    row.tipper[0] = {tx, 0.01};
    row.tipper[1] = {ty, 0.04};
    return row;
}

TEST(Tipper, TurnsWithItsRow)
{
    // A tipper pointing north, Hz = Hx. The frame 90° has x east and y south, where north
    // is −y: the same tipper reads (0, −1) there.
    const TensorRow north = TipperRow(1.0, 0.0);
    const TensorRow east = RotatedRow(north, 90.0);
    EXPECT_EQ(*east.tipper[0].value, std::complex<double>(0.0, 0.0));
    EXPECT_EQ(*east.tipper[1].value, std::complex<double>(-1.0, 0.0));
    // Variances swap with the elements at 90°.
    EXPECT_NEAR(*east.tipper[0].variance, 0.04, kTol);
    EXPECT_NEAR(*east.tipper[1].variance, 0.01, kTol);
    // There and back.
    const TensorRow any = TipperRow({0.3, -0.1}, {-0.2, 0.05});
    const TensorRow back = RotatedRow(RotatedRow(any, 33.0), 0.0);
    for (std::size_t c = 0; c < 2; ++c) EXPECT_NEAR(std::abs(*back.tipper[c].value - *any.tipper[c].value), 0.0, kTol);
    // Its length does not change, nor does the sum of the variances (the columns of R are
    // unit vectors); the variances themselves mix, as those of Z do.
    const TensorRow turned = RotatedRow(any, 33.0);
    EXPECT_NEAR(std::norm(*turned.tipper[0].value) + std::norm(*turned.tipper[1].value),
                std::norm(*any.tipper[0].value) + std::norm(*any.tipper[1].value), kTol);
    EXPECT_NEAR(*turned.tipper[0].variance + *turned.tipper[1].variance, 0.05, kTol);
}

TEST(Tipper, IsConjugatedWithTheImpedances)
{
    Sounding s;
    s.sourceName = "t";
    s.tensor.push_back(TipperRow({0.1, 0.2}, {0.3, -0.4}));
    s.tensor[0].z[1].value = std::complex<double>(10.0, -10.0);  // xy at −45°: e^{−iωt}
    NormalizeSounding(s);
    ASSERT_TRUE(s.conjugated);
    EXPECT_EQ(*s.tensor[0].tipper[0].value, std::complex<double>(0.1, -0.2));
    EXPECT_EQ(*s.tensor[0].tipper[1].value, std::complex<double>(0.3, 0.4));
}

// The synthetic half-space (frequencies 1, 10, 100, 0.1 Hz in the file) with a tipper in the
// frame 90°, its x values 1, 2, 3, 4 in file order.
const std::string kTipperBlocks = R"(>TROT //4
  90 90 90 90
>TXR.EXP ROT=TROT //4
  1 2 3 4
>TXI.EXP ROT=TROT //4
  0.5 0.5 0.5 0.5
>TXVAR.EXP ROT=TROT //4
  0.01 0.02 0.03 1.0E32
>TYR.EXP ROT=TROT //4
  0 0 0 0
>TYI.EXP ROT=TROT //4
  0 0 0 0
)";

TEST(Tipper, IsReadFromEdiIntoTheFrameOfTheImpedances)
{
    const std::string text = Replace(kHalfSpaceEdi, ">TXR.EXP //4\n  0.1 0.1 0.1 1.0E32\n", kTipperBlocks);
    ASSERT_FALSE(text.empty());
    const Sounding s = ParseEdi(text, "t.edi", "t");
    ASSERT_EQ(s.RowCount(), 4u);
    // Frame 90° (x east) into frame 0 (y east): Hz = T'x·H_east becomes Ty = T'x, Tx = 0.
    // Sorted 100, 10, 1, 0.1 Hz: the file's third, second, first and fourth values.
    const double tx[] = {3.0, 2.0, 1.0, 4.0};
    const double var[] = {0.03, 0.02, 0.01, -1.0};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(s.tensor[i].rotationDeg, 0.0);
        EXPECT_EQ(*s.tensor[i].tipper[1].value, std::complex<double>(tx[i], 0.5)) << i;
        EXPECT_NEAR(std::abs(*s.tensor[i].tipper[0].value), 0.0, kTol) << i;
        if (var[i] < 0.0) EXPECT_FALSE(s.tensor[i].tipper[1].variance) << i;  // 1.0E32: none
        else EXPECT_NEAR(*s.tensor[i].tipper[1].variance, var[i], kTol) << i;
    }
}

TEST(Tipper, ABrokenTipperBlockLeavesTheImpedancesReadable)
{
    const std::string text = Replace(kHalfSpaceEdi, ">TXR.EXP //4\n  0.1 0.1 0.1 1.0E32\n",
                                     ">TXR.EXP //3\n  1 2 3\n>TXI.EXP //4\n  0 0 0 0\n");
    ASSERT_FALSE(text.empty());
    const Sounding s = ParseEdi(text, "t.edi", "t");
    ASSERT_EQ(s.RowCount(), 4u);
    for (const auto& row : s.tensor) EXPECT_FALSE(row.tipper[0].value);
    EXPECT_TRUE(s.tensor[0].z[1].value);
    EXPECT_NE(std::find_if(s.notes.begin(), s.notes.end(),
                           [](const std::string& n) { return n.find("tipper not read") != std::string::npos; }),
              s.notes.end());
}

}  // namespace
