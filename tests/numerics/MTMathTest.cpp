#include "numerics/MTMath.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

namespace {

using mt::Complex;

TEST(Tanh, SaturatesWithoutOverflowBeyondLogOfLargestDouble)
{
    const Complex plus = mt::Tanh(Complex(800.0, 5.0));
    EXPECT_EQ(plus.real(), 1.0);
    EXPECT_EQ(plus.imag(), 0.0);
    const Complex minus = mt::Tanh(Complex(-800.0, 0.0));
    EXPECT_EQ(minus.real(), -1.0);
    EXPECT_EQ(minus.imag(), 0.0);
    // Just inside the limit the hyperbolic functions are still finite.
    const Complex edge = mt::Tanh(Complex(354.8, 0.3));
    EXPECT_TRUE(std::isfinite(edge.real()));
    EXPECT_TRUE(std::isfinite(edge.imag()));
    EXPECT_NEAR(edge.real(), 1.0, 1e-15);
}

TEST(Tanh, AgreesWithTheStandardLibraryInsideItsRange)
{
    const Complex cases[] = {{0.0, 0.0}, {0.3, -0.7}, {-2.5, 1.2}, {12.0, -40.0}, {1e-9, 3.0}};
    for (const Complex z : cases) {
        const Complex expected = std::tanh(z);
        const Complex got = mt::Tanh(z);
        // A few ulps: the two are evaluated by different formulas.
        EXPECT_NEAR(got.real(), expected.real(), 4e-15 * (1.0 + std::abs(expected)));
        EXPECT_NEAR(got.imag(), expected.imag(), 4e-15 * (1.0 + std::abs(expected)));
    }
}

TEST(GuardedAtanh, IsFiniteAtThePoleAndEqualsAtanhJustBelowIt)
{
    const Complex a = mt::GuardedAtanh(Complex(1.0, 0.0));
    ASSERT_TRUE(std::isfinite(a.real()));
    EXPECT_NEAR(a.real(), std::atanh(1.0 - 1e-15), 1e-9);
    EXPECT_NEAR(a.real(), 17.6, 0.05);
    EXPECT_EQ(a.imag(), 0.0);
}

TEST(GuardedAtanh, ShiftsEveryArgumentOfUnitModulusButNoOther)
{
    // |i|² is exactly 1: the real part is lowered, so the result's real part turns negative.
    const Complex onUnitCircle = mt::GuardedAtanh(Complex(0.0, 1.0));
    EXPECT_LT(onUnitCircle.real(), 0.0);
    EXPECT_NEAR(onUnitCircle.real(), -5e-16, 1e-16);
    EXPECT_NEAR(onUnitCircle.imag(), M_PI / 4.0, 1e-15);

    const Complex inside(0.3, 0.4);
    const Complex expected = std::atanh(inside);
    const Complex got = mt::GuardedAtanh(inside);
    EXPECT_NEAR(got.real(), expected.real(), 1e-15);
    EXPECT_NEAR(got.imag(), expected.imag(), 1e-15);
}

TEST(PropagationCoefficient, HasNegativeZeroRealPartAndMinusOmegaMu0)
{
    const Complex s = mt::PropagationCoefficient(1.0f);
    EXPECT_EQ(s.real(), 0.0);
    EXPECT_TRUE(std::signbit(s.real()));
    // ωμ0 at 1 Hz = 2π · 4π·1e-7 = 8π²·1e-7.
    EXPECT_NEAR(s.imag(), -8.0 * M_PI * M_PI * 1e-7, 1e-20);
}

TEST(PropagationCoefficient, GivesThePropagationConstantWithArgumentMinusQuarterPi)
{
    // sqrt(−iωμ0/ρ) for 1 Hz and 100 ohm-m: √(ωμ0/(2ρ)) · (1 − i), modulus √(ωμ0/ρ).
    const Complex k = std::sqrt(mt::PropagationCoefficient(1.0f) / 100.0);
    EXPECT_NEAR(k.real(), 0.000198692, 1e-9);
    EXPECT_NEAR(k.imag(), -0.000198692, 1e-9);
    EXPECT_NEAR(std::abs(k), 0.000280993, 1e-9);
    EXPECT_NEAR(std::arg(k), -M_PI / 4.0, 1e-15);
}

}  // namespace
