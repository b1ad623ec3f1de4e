// The mask that keeps only the 1-D rows of a curve (--only-1d).

#include "dims/OneDMask.h"
#include "sounding/CurveDerivation.h"
#include "tests/dims/Tensors.h"

#include <gtest/gtest.h>

namespace {

using namespace mt1d::dims;
using namespace dims_test;
using mt1d::sounding::Component;
using mt1d::sounding::CurveOptions;
using mt1d::sounding::DeriveCurve;
using mt1d::sounding::Mode;

TEST(OneDMask, RowsThatAreNotOneDBecomeUnusableWithTheReason)
{
    auto noDiagonal = Row(0.1, OneD(45.0), 0.01);
    noDiagonal[Component::kXx].value.reset();
    auto noError = Row(0.01, OneD(45.0));
    const auto s = SoundingOf({Row(100.0, OneD(45.0), 0.01), Row(10.0, WithPhaseTensor(1.0, 1.0, 0.0, 5.2), 0.01),
                               Row(1.0, TwoD(60.0, 30.0, 25.0), 0.01), noDiagonal, noError});
    const DimsResult dims = AnalyseDimensionality(s);
    CurveOptions o;
    o.mode = Mode::kXy;  // xy needs no Zxx: the row without it is usable until masked
    o.floorPercent = 0.0;
    auto curve = DeriveCurve(s, o);
    ASSERT_TRUE(curve.rows[3].usable);
    ASSERT_FALSE(curve.rows[4].usable);
    const std::string before = curve.rows[4].reason;
    const std::size_t notesBefore = curve.notes.size();

    EXPECT_EQ(ApplyOneDMask(curve, dims), 3u);
    EXPECT_TRUE(curve.rows[0].usable);
    EXPECT_FALSE(curve.rows[1].usable);
    EXPECT_EQ(curve.rows[1].reason, "not 1-D: skew 5.2° > 3°");
    EXPECT_EQ(curve.rows[2].reason, "not 1-D: ellipticity 0.5 > 0.1");
    EXPECT_EQ(curve.rows[3].reason, "not 1-D: no phase tensor (Zxx missing)");
    EXPECT_EQ(curve.rows[4].reason, before) << "a row already unusable keeps its reason";
    ASSERT_EQ(curve.notes.size(), notesBefore + 1);
    EXPECT_EQ(curve.notes.back(), "3 of 5 rows not 1-D by the phase tensor (|β| ≤ 3°, ellipticity ≤ 0.1) made unusable");
}

TEST(OneDMask, RowsAreMatchedByFrequencyNotByPosition)
{
    // The curve's second row (10 Hz) is the dims' first: 1-D. 3 Hz has no tensor at all.
    const DimsResult dims =
        AnalyseDimensionality(SoundingOf({Row(10.0, OneD(45.0), 0.01), Row(1.0, TwoD(60.0, 30.0, 0.0), 0.01)}));
    const auto s = SoundingOf({Row(100.0, OneD(45.0), 0.01), Row(10.0 * (1 + 5e-7), OneD(45.0), 0.01),
                               Row(3.0, OneD(45.0), 0.01), Row(1.0, OneD(45.0), 0.01)});
    auto curve = DeriveCurve(s, {});
    EXPECT_EQ(ApplyOneDMask(curve, dims), 3u);
    EXPECT_EQ(curve.rows[0].reason, "not 1-D: no impedance tensor at this frequency");
    EXPECT_TRUE(curve.rows[1].usable) << "5e-7 apart is the same frequency";
    EXPECT_EQ(curve.rows[2].reason, "not 1-D: no impedance tensor at this frequency");
    EXPECT_EQ(curve.rows[3].reason, "not 1-D: ellipticity 0.5 > 0.1");
}

TEST(OneDMask, AllOneDChangesNothing)
{
    const auto s = SoundingOf({Row(10.0, OneD(45.0), 0.01), Row(1.0, OneD(60.0), 0.01)});
    auto curve = DeriveCurve(s, {});
    const auto before = curve.notes;
    EXPECT_EQ(ApplyOneDMask(curve, AnalyseDimensionality(s)), 0u);
    EXPECT_EQ(curve.notes, before);
    EXPECT_TRUE(curve.rows[0].usable && curve.rows[1].usable);
}

}  // namespace
