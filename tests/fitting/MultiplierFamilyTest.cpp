// The candidate models of an Occam iteration from one reduction, against the n × n system
// (JᵀJ + μ ∂ᵀ∂) m = Jᵀd solved afresh for each multiplier in long double.

#include "fitting/MultiplierFamily.h"
#include "fitting/Roughness.h"
#include "fitting/SeededRandom.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

using namespace mt1d::fitting;
using LongMatrix = Eigen::Matrix<long double, Eigen::Dynamic, Eigen::Dynamic>;
using LongVector = Eigen::Matrix<long double, Eigen::Dynamic, 1>;

struct FamilyCase {
    std::string name;
    Eigen::Index rows;    // N, data values
    Eigen::Index layers;  // n
    RoughnessKind kind;
    friend void PrintTo(const FamilyCase& c, std::ostream* os) { *os << c.name; }
};

Eigen::MatrixXd Random(Eigen::Index rows, Eigen::Index cols, SeededRandom& random)
{
    Eigen::MatrixXd m(rows, cols);
    for (Eigen::Index c = 0; c < cols; ++c) {
        for (Eigen::Index r = 0; r < rows; ++r) m(r, c) = random.Gaussian();
    }
    return m;
}

class FamilyAgainstDirect : public ::testing::TestWithParam<FamilyCase> {};

// Over ten decades of μ, in both the model-space (N ≥ r) and the data-space (N < r) form and
// for both roughness kinds. The direct solution in long double carries the system's condition
// number (below 1e8 here, at the smallest μ) times 1e-19; the reduction, in double, that
// number times some 1e-16: 1e-7 of the model's size bounds both with room.
TEST_P(FamilyAgainstDirect, GivesTheModelOfEveryMultiplier)
{
    const auto& c = GetParam();
    SeededRandom random(42);
    const Eigen::MatrixXd j = Random(c.rows, c.layers, random);
    const Eigen::VectorXd d = Random(c.rows, 1, random);
    const Eigen::MatrixXd roughness = RoughnessOperator(static_cast<std::size_t>(c.layers), c.kind);
    MultiplierFamily family(roughness);
    ASSERT_TRUE(family.Prepare(j, d));

    const LongMatrix jl = j.cast<long double>();
    const LongMatrix cl = (roughness.transpose() * roughness).cast<long double>();
    const LongVector rhs = jl.transpose() * d.cast<long double>();
    for (const double mu : {1e-5, 1e-3, 0.1, 1.0, 10.0, 1e3, 1e5}) {
        const LongMatrix a = jl.transpose() * jl + static_cast<long double>(mu) * cl;
        const LongVector expected = a.ldlt().solve(rhs);
        Eigen::VectorXd m;
        ASSERT_TRUE(family.Solve(mu, m)) << "μ " << mu;
        ASSERT_EQ(m.size(), c.layers);
        const double size = static_cast<double>(expected.cwiseAbs().maxCoeff());
        for (Eigen::Index i = 0; i < c.layers; ++i) {
            EXPECT_NEAR(m[i], static_cast<double>(expected[i]), 1e-7 * size) << "μ " << mu << ", layer " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, FamilyAgainstDirect,
    ::testing::Values(FamilyCase{"ModelSpaceFirstDifferences", 40, 12, RoughnessKind::kFirstDifference},
                      FamilyCase{"DataSpaceFirstDifferences", 12, 40, RoughnessKind::kFirstDifference},
                      FamilyCase{"ModelSpaceSecondDifferences", 40, 12, RoughnessKind::kSecondDifference},
                      FamilyCase{"DataSpaceSecondDifferences", 12, 40, RoughnessKind::kSecondDifference},
                      FamilyCase{"AsManyDataAsRoughnessRows", 11, 12, RoughnessKind::kFirstDifference}),
    [](const auto& info) { return info.param.name; });

// Data blind to a uniform shift of log10 ρ (phase alone): the direction the roughness does not
// penalise is not determined, and the reduction declines rather than divide by rounding.
TEST(MultiplierFamily, DeclinesDataBlindToTheUnpenalisedDirection)
{
    SeededRandom random(7);
    Eigen::MatrixXd j = Random(20, 10, random);
    for (Eigen::Index r = 0; r < j.rows(); ++r) j.row(r).array() -= j.row(r).mean();  // J·1 = 0
    MultiplierFamily family(RoughnessOperator(10, RoughnessKind::kFirstDifference));
    EXPECT_FALSE(family.Prepare(j, Random(20, 1, random)));
}

// Two layers have no second differences: nothing to reduce.
TEST(MultiplierFamily, DeclinesWithoutRoughnessRows)
{
    SeededRandom random(7);
    MultiplierFamily family(RoughnessOperator(2, RoughnessKind::kSecondDifference));
    EXPECT_FALSE(family.Prepare(Random(6, 2, random), Random(6, 1, random)));
}

}  // namespace
