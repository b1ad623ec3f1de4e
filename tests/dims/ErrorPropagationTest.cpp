// The first-order errors of β, the ellipticity and the strike against a seeded Monte-Carlo.

#include "dims/ErrorPropagation.h"
#include "tests/dims/Tensors.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace mt1d::dims;
using namespace dims_test;

constexpr double kDeg = 180.0 / std::numbers::pi;

struct Spread {
    double beta = 0.0, ellipticity = 0.0, strike = 0.0;
};

// Standard deviations of β, ellipticity and α − β over n draws of the tensor with independent
// normal errors of standard deviation partSd[k] on each part of element k. Angles are taken
// as offsets from the noiseless value, wrapped, so that none jumps by 90° or 180°.
Spread MonteCarlo(const Impedance& z, const std::array<double, 4>& partSd, int n)
{
    const auto truth = InvariantsOf(*PhaseTensorOf(z));
    std::mt19937_64 rng(20240611);
    std::normal_distribution<double> normal;
    double sb = 0, sb2 = 0, se = 0, se2 = 0, ss = 0, ss2 = 0;
    for (int i = 0; i < n; ++i) {
        Impedance draw = z;
        for (std::size_t k = 0; k < 4; ++k) draw[k] += Z(partSd[k] * normal(rng), partSd[k] * normal(rng));
        const auto inv = InvariantsOf(*PhaseTensorOf(draw));
        const double b = std::remainder(*inv.betaDeg - *truth.betaDeg, 180.0);
        const double e = *inv.ellipticity;
        const double s = std::remainder(*inv.alphaDeg - *inv.betaDeg - (*truth.alphaDeg - *truth.betaDeg), 90.0);
        sb += b, sb2 += b * b, se += e, se2 += e * e, ss += s, ss2 += s * s;
    }
    const auto sd = [n](double sum, double sum2) { return std::sqrt((sum2 - sum * sum / n) / (n - 1)); };
    return {sd(sb, sb2), sd(se, se2), sd(ss, ss2)};
}

struct Case {
    const char* name;
    Impedance z;
    std::array<double, 4> partSd;  // unequal, so that an element's error landing on another shows
};

class AgainstMonteCarlo : public testing::TestWithParam<Case> {};

TEST_P(AgainstMonteCarlo, FirstOrderErrorsMatchTheSpreadOfNoisyDraws)
{
    // 40 000 draws: the sampling error of a standard deviation is 1/√(2n) = 0.35 % (1σ). The
    // neglected second-order terms grow with the square of the relative error, here 1–3 % of
    // the elements, and stay below 2 %. 5 % covers both with room; a factor √2 in the parts'
    // errors, an element's error put on another one or a missing term is far outside it.
    const Case& c = GetParam();
    const auto linear = PropagateErrors(c.z, c.partSd);
    ASSERT_TRUE(linear && linear->strikeDeg);
    const Spread mc = MonteCarlo(c.z, c.partSd, 40000);
    EXPECT_NEAR(linear->betaDeg / mc.beta, 1.0, 0.05) << linear->betaDeg << " vs " << mc.beta;
    EXPECT_NEAR(linear->ellipticity / mc.ellipticity, 1.0, 0.05) << linear->ellipticity << " vs " << mc.ellipticity;
    EXPECT_NEAR(*linear->strikeDeg / mc.strike, 1.0, 0.05) << *linear->strikeDeg << " vs " << mc.strike;
}

INSTANTIATE_TEST_SUITE_P(
    Tensors, AgainstMonteCarlo,
    testing::Values(Case{"ThreeD", WithPhaseTensor(1.7, 0.6, 35.0, 7.0), {0.10, 0.25, 0.15, 0.05}},
                    Case{"ThreeDOtherFrame", WithPhaseTensor(0.9, 0.35, -62.0, -11.0, {-4.0, 9.0, -12.0, 2.0}),
                         {0.2, 0.1, 0.3, 0.15}},
                    Case{"TwoDRotated", TwoD(65.0, 35.0, 40.0, 20.0), {0.3, 0.2, 0.15, 0.4}}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(ErrorPropagation, OneDTensorHasTheHandWorkedSkewAndEllipticityErrors)
{
    // 1-D, Z = m·e^{iφ}·J with J = [[0, 1], [−1, 0]], every part with error σ. Then
    // X = m·cos φ·J, Φ = tan φ·I and dΦ = X⁻¹·(dY − tan φ·dX) = −J·W/(m·cos φ), W = dY − tan φ·dX,
    // each w_ij of variance σ²/cos²φ. So dq = −(w11 + w22)/(m·cos φ), dp = (w12 − w21)/(m·cos φ)
    // and dβ = dq/(4·tan φ):
    //     sd β = σ/(√2·m·sin 2φ) radians.
    // With Π1 = 0 the ellipticity's error is ½·√((var dr + var dt)/2)/Π2, dr = −(w12 + w21)/(m·cos φ),
    // dt = (w11 − w22)/(m·cos φ):
    //     sd e = √2·σ/(m·sin 2φ) = 2·sd β.
    const double sigma = 0.1, m = 10.0, phi = 50.0;
    const auto linear = PropagateErrors(OneD(phi, m), {sigma, sigma, sigma, sigma});
    ASSERT_TRUE(linear);
    const double sdBeta = sigma / (std::sqrt(2.0) * m * std::sin(2.0 * phi * kRad));
    EXPECT_NEAR(linear->betaDeg, sdBeta * kDeg, 1e-12);
    EXPECT_NEAR(linear->ellipticity, 2.0 * sdBeta, 1e-12);
    EXPECT_FALSE(linear->strikeDeg.has_value()) << "α is undefined for a 1-D tensor";
}

TEST(ErrorPropagation, PartErrorIsHalfTheComplexVarianceUnderTheSquareRoot)
{
    mt1d::sounding::ImpedanceElement e;
    e.value = Z(3.0, 4.0);
    e.variance = 8.0;
    EXPECT_DOUBLE_EQ(*PartStandardError(e), 2.0);
    e.variance.reset();
    EXPECT_FALSE(PartStandardError(e).has_value());
    e.variance = 8.0;
    e.value.reset();
    EXPECT_FALSE(PartStandardError(e).has_value());
}

}  // namespace
