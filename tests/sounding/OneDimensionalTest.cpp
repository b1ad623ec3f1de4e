// One mode of a sounding as a 1D sounding of its own (`mt1d convert --mode`).

#include "sounding/CurveDerivation.h"
#include "sounding/EdiWriter.h"
#include "sounding/ImpedanceMath.h"
#include "sounding/Modes.h"
#include "sounding/OneDimensional.h"
#include "sounding/SoundingFile.h"
#include "sounding/SoundingWriter.h"

#include <gtest/gtest.h>

namespace {

using namespace mt1d::sounding;
using C = Component;

// A tensor far from 1D, so that every mode differs from every other.
Sounding ThreeDimensional()
{
    Sounding s;
    s.sourceName = "t";
    s.kind = DataKind::kImpedance;
    for (const double f : {10.0, 1.0}) {
        TensorRow r;
        r.frequencyHz = f;
        r.rotationDeg = 20.0;
        r[C::kXx] = {std::complex<double>(1.0, 2.0) * f, 1.0};
        r[C::kXy] = {std::complex<double>(10.0, 10.0) * f, 2.0};
        r[C::kYx] = {std::complex<double>(-8.0, -12.0) * f, 3.0};
        r[C::kYy] = {std::complex<double>(-1.0, 0.5) * f, 4.0};
        r.tipper[0].value = std::complex<double>(0.1, 0.1);
        s.tensor.push_back(r);
    }
    return s;
}

TEST(OneDimensional, EveryModeOfTheResultGivesTheChosenModesCurve)
{
    const Sounding s = ThreeDimensional();
    for (const Mode chosen : kAllModes) {
        const Sounding one = OneDimensional(s, chosen);
        const Curve expected = DeriveCurve(s, {chosen, 0.0});
        for (const Mode m : kAllModes) {
            const Curve got = DeriveCurve(one, {m, 0.0});
            for (std::size_t i = 0; i < 2; ++i) {
                EXPECT_NEAR(got.rows[i].rhoOhmM, expected.rows[i].rhoOhmM, 1e-12 * expected.rows[i].rhoOhmM)
                    << ModeName(chosen) << " as " << ModeName(m);
                EXPECT_NEAR(got.rows[i].phaseDeg, expected.rows[i].phaseDeg, 1e-9) << ModeName(chosen) << " as " << ModeName(m);
            }
        }
        EXPECT_FALSE(one.tensor[0].tipper[0].value);
        EXPECT_EQ(one.tensor[1].rotationDeg, 20.0);
    }
}

TEST(OneDimensional, ElementsCarryTheVarianceOfTheMode)
{
    const Sounding s = ThreeDimensional();
    // xy and yx: the element's own variance, not its square root.
    EXPECT_NEAR(*OneDimensional(s, Mode::kXy).tensor[0][C::kXy].variance, 2.0, 1e-15);
    EXPECT_NEAR(*OneDimensional(s, Mode::kYx).tensor[0][C::kYx].variance, 3.0, 1e-15);
    // berd: σ² = (σxy² + σyx²)/4 = (2 + 3)/4.
    EXPECT_NEAR(*OneDimensional(s, Mode::kBerd).tensor[1][C::kYy].variance, 1.25, 1e-15);
    const double det = *DeterminantImpedance(s.tensor[0]).variance;
    EXPECT_NEAR(*OneDimensional(s, Mode::kDet).tensor[0][C::kXx].variance, det, 1e-12 * det);
}

TEST(OneDimensional, DetOnlyRhoPhaseBecomesWritableAsEdi)
{
    Sounding s;
    s.sourceName = "occam.dat";
    s.kind = DataKind::kRhoPhase;
    s.rhoPhase.resize(2);
    for (std::size_t i = 0; i < 2; ++i) {
        s.rhoPhase[i].frequencyHz = 10.0 / static_cast<double>(i + 1);
        s.rhoPhase[i][Mode::kDet] = {100.0 * static_cast<double>(i + 1), 5.0, 40.0, 1.5};
    }
    EXPECT_THROW(WriteEdi(s), ConversionError);
    const Sounding back = ParseSounding(WriteEdi(OneDimensional(s, Mode::kDet)).text, "one.edi");
    ASSERT_EQ(back.RowCount(), 2u);
    for (std::size_t i = 0; i < 2; ++i)
        for (const Mode m : {Mode::kXy, Mode::kYx}) {
            EXPECT_NEAR(*back.rhoPhase[i][m].rhoOhmM, 100.0 * static_cast<double>(i + 1), 1e-12);
            EXPECT_NEAR(*back.rhoPhase[i][m].phaseDeg, 40.0, 1e-12);
            EXPECT_NEAR(*back.rhoPhase[i][m].rhoErrOhmM, 5.0, 1e-12);
        }
    EXPECT_THROW(OneDimensional(s, Mode::kXy), ConversionError);
}

}  // namespace
