#include "sounding/Rotation.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using namespace mt1d::sounding;
using C = Component;
using Z = std::complex<double>;

// A few additions and products of values near 30: 1e-12 absolute is a thousand times the
// rounding.
constexpr double kTol = 1e-12;

TensorRow General()
{
    TensorRow r;
    r.frequencyHz = 10.0;
    r.rotationDeg = 5.0;
    const Z zs[4] = {{1.5, -2.0}, {30.0, 20.0}, {-25.0, -35.0}, {-2.0, 1.0}};
    const double var[4] = {0.3, 2.0, 1.5, 0.7};
    for (std::size_t k = 0; k < 4; ++k) {
        r.z[k].value = zs[k];
        r.z[k].variance = var[k];
    }
    return r;
}

Z V(const TensorRow& r, C c)
{
    return *r[c].value;
}

class RotationAngles : public testing::TestWithParam<double> {};

TEST_P(RotationAngles, RoundTripReturnsTheTensor)
{
    const TensorRow r = General();
    const TensorRow back = RotatedRow(RotatedRow(r, GetParam()), r.rotationDeg);
    EXPECT_DOUBLE_EQ(back.rotationDeg, r.rotationDeg);
    for (std::size_t k = 0; k < 4; ++k) EXPECT_NEAR(std::abs(*back.z[k].value - *r.z[k].value), 0.0, kTol) << k;
}

TEST_P(RotationAngles, TotalVarianceIsKept)
{
    // Σ_ij Σ_kl (R_ik·R_jl)²·var_kl = Σ_kl var_kl, as every column of R has unit length. (The
    // single variances spread: treating the elements as independent drops the correlations
    // a rotation creates, so a round trip does not return them.)
    const auto total = [](const TensorRow& x) {
        double t = 0.0;
        for (const auto& e : x.z) t += *e.variance;
        return t;
    };
    const TensorRow r = General();
    EXPECT_NEAR(total(RotatedRow(r, GetParam())), total(r), kTol);
}

TEST_P(RotationAngles, InvariantsStay)
{
    const TensorRow r = General();
    const TensorRow t = RotatedRow(r, GetParam());
    const auto det = [](const TensorRow& x) { return V(x, C::kXx) * V(x, C::kYy) - V(x, C::kXy) * V(x, C::kYx); };
    const auto diff = [](const TensorRow& x) { return V(x, C::kXy) - V(x, C::kYx); };
    const auto squares = [](const TensorRow& x) {
        Z s{};
        for (const auto& e : x.z) s += *e.value * *e.value;
        return s;
    };
    EXPECT_NEAR(std::abs(det(t) - det(r)), 0.0, 1e-9);  // det is near 1e3: relative 1e-12
    EXPECT_NEAR(std::abs(diff(t) - diff(r)), 0.0, kTol);
    EXPECT_NEAR(std::abs(squares(t) - squares(r)), 0.0, 1e-9);
}

TEST_P(RotationAngles, OneDimensionalTensorIsUnchanged)
{
    TensorRow r;
    r[C::kXx].value = Z{};
    r[C::kYy].value = Z{};
    r[C::kXy].value = Z{12.0, 7.0};
    r[C::kYx].value = Z{-12.0, -7.0};
    const TensorRow t = RotatedRow(r, GetParam());
    for (std::size_t k = 0; k < 4; ++k) EXPECT_NEAR(std::abs(*t.z[k].value - *r.z[k].value), 0.0, kTol) << k;
}

INSTANTIATE_TEST_SUITE_P(Angles, RotationAngles, testing::Values(-37.0, 0.5, 30.0, 90.0, 135.0, 400.0));

TEST(Rotation, NinetyDegreesMovesElementsExactly)
{
    // Δ = 90°: R = [[0, 1], [−1, 0]], so Z' = [[Zyy, −Zyx], [−Zxy, Zxx]].
    const TensorRow r = General();
    const TensorRow t = RotatedRow(r, r.rotationDeg + 90.0);
    EXPECT_EQ(V(t, C::kXx), V(r, C::kYy));
    EXPECT_EQ(V(t, C::kXy), -V(r, C::kYx));
    EXPECT_EQ(V(t, C::kYx), -V(r, C::kXy));
    EXPECT_EQ(V(t, C::kYy), V(r, C::kXx));
    EXPECT_EQ(*t[C::kXy].variance, *r[C::kYx].variance);
}

TEST(Rotation, SignConventionTurnsTheXAxisClockwiseFromNorth)
{
    // Only Zxy = 1: E_north = H_east. In a frame turned 30° clockwise,
    // Z'xy = cos²30° = 0.75 and Z'yx = −sin²30° = −0.25 (R Z Rᵀ with R = [[c, s], [−s, c]]).
    TensorRow r;
    for (auto& e : r.z) e.value = Z{};
    r[C::kXy].value = Z{1.0, 0.0};
    const TensorRow t = RotatedRow(r, 30.0);
    EXPECT_NEAR(V(t, C::kXy).real(), 0.75, kTol);
    EXPECT_NEAR(V(t, C::kYx).real(), -0.25, kTol);
    EXPECT_NEAR(V(t, C::kXx).real(), std::sqrt(3.0) / 4.0, kTol);  // c·s
    EXPECT_NEAR(V(t, C::kYy).real(), -std::sqrt(3.0) / 4.0, kTol);
}

TEST(Rotation, MissingElementsAndVariancesSpreadOnlyWhereTheyWeigh)
{
    TensorRow r = General();
    r[C::kXx].value.reset();
    r[C::kXy].variance.reset();
    const TensorRow quarter = RotatedRow(r, r.rotationDeg + 90.0);  // Zxx lands on Zyy only
    EXPECT_FALSE(quarter[C::kYy].value.has_value());
    EXPECT_TRUE(quarter[C::kXx].value.has_value());
    EXPECT_FALSE(quarter[C::kYx].variance.has_value());
    EXPECT_TRUE(quarter[C::kXy].variance.has_value());
    const TensorRow oblique = RotatedRow(r, r.rotationDeg + 30.0);  // every element mixes in Zxx
    for (const auto& e : oblique.z) EXPECT_FALSE(e.value.has_value());
}

TEST(Rotation, SoundingRotatesEveryRowAndSaysSo)
{
    Sounding s;
    s.kind = DataKind::kImpedance;
    s.tensor = {General(), General()};
    s.tensor[1].rotationDeg = 0.0;
    RotateTo(s, 5.0);
    EXPECT_EQ(s.tensor[0].rotationDeg, 5.0);
    EXPECT_EQ(V(s.tensor[0], C::kXy), V(General(), C::kXy));  // already at 5°: untouched, bit for bit
    EXPECT_EQ(s.tensor[1].rotationDeg, 5.0);
    ASSERT_EQ(s.notes.size(), 1u);
    EXPECT_NE(s.notes[0].find("0° to 5°"), std::string::npos) << s.notes[0];

    Sounding rp;
    rp.kind = DataKind::kRhoPhase;
    EXPECT_THROW(RotateTo(rp, 10.0), std::invalid_argument);
}

}  // namespace
