// The pieces of the laterally constrained inversion: the block-tridiagonal solve, the unknowns
// of a site, the distance weights and the work over sites on threads.

#include "lci/BlockTridiagonal.h"
#include "lci/LateralWeights.h"
#include "lci/LciFit.h"
#include "lci/SiteParameters.h"
#include "lci/SiteThreads.h"
#include "fitting/Misfit.h"
#include "fitting/SeededRandom.h"
#include "tests/fitting/SyntheticSounding.h"

#include <Eigen/Sparse>
#include <Eigen/SparseCholesky>
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace {

using namespace mt1d::lci;
using mt1d::earth::LayeredModel;

// ---- BlockTridiagonal -------------------------------------------------------------------

struct Blocks {
    std::vector<Eigen::MatrixXd> diagonal;
    std::vector<Eigen::VectorXd> off;
};

// A random system of the shape an inversion makes: JᵀJ plus a multiple of the identity on
// the diagonal, negative couplings off it, diagonally dominant enough to be positive definite.
Blocks RandomBlocks(std::size_t blocks, Eigen::Index n, std::uint64_t seed)
{
    mt1d::fitting::SeededRandom random(seed);
    Blocks b;
    for (std::size_t s = 0; s < blocks; ++s) {
        Eigen::MatrixXd j(n + 3, n);
        for (Eigen::Index r = 0; r < j.rows(); ++r) {
            for (Eigen::Index c = 0; c < n; ++c) j(r, c) = random.Gaussian();
        }
        Eigen::MatrixXd d = j.transpose() * j;
        d.diagonal().array() += 2.0;
        b.diagonal.push_back(d);
        if (s + 1 < blocks) {
            Eigen::VectorXd e(n);
            for (Eigen::Index k = 0; k < n; ++k) e[k] = -random.Uniform(0.1, 1.0);
            b.off.push_back(e);
        }
    }
    return b;
}

Eigen::SparseMatrix<double> Assemble(const Blocks& b)
{
    const Eigen::Index n = b.diagonal.front().rows();
    std::vector<Eigen::Triplet<double>> t;
    for (std::size_t s = 0; s < b.diagonal.size(); ++s) {
        const Eigen::Index o = static_cast<Eigen::Index>(s) * n;
        for (Eigen::Index r = 0; r < n; ++r) {
            for (Eigen::Index c = 0; c < n; ++c) t.emplace_back(o + r, o + c, b.diagonal[s](r, c));
        }
        if (s < b.off.size()) {
            for (Eigen::Index k = 0; k < n; ++k) {
                t.emplace_back(o + k, o + n + k, b.off[s][k]);
                t.emplace_back(o + n + k, o + k, b.off[s][k]);
            }
        }
    }
    const Eigen::Index size = static_cast<Eigen::Index>(b.diagonal.size()) * n;
    Eigen::SparseMatrix<double> a(size, size);
    a.setFromTriplets(t.begin(), t.end());
    return a;
}

struct SystemShape {
    std::size_t blocks;
    Eigen::Index n;
};

class BlockSolve : public ::testing::TestWithParam<SystemShape> {};

// Eigen's general sparse LDLᵀ on the assembled matrix is the independent answer. These
// matrices have condition numbers below about 10³, so both solutions carry errors near
// 10³·2.2e-16 ≈ 2e-13 of |x|; 1e-10 leaves a wide margin and still catches any wrong block
// (a sign or a transposed coupling changes x at the percent level).
TEST_P(BlockSolve, AgreesWithAGeneralSparseCholesky)
{
    const auto [blocks, n] = GetParam();
    const Blocks b = RandomBlocks(blocks, n, 17 + blocks);
    BlockTridiagonal solver;
    ASSERT_TRUE(solver.Factorize(b.diagonal, b.off));
    Eigen::VectorXd rhs(static_cast<Eigen::Index>(blocks) * n);
    mt1d::fitting::SeededRandom random(5);
    for (Eigen::Index i = 0; i < rhs.size(); ++i) rhs[i] = random.Gaussian();

    const Eigen::SimplicialLDLT<Eigen::SparseMatrix<double>> reference(Assemble(b));
    ASSERT_EQ(reference.info(), Eigen::Success);
    const Eigen::VectorXd expected = reference.solve(rhs);
    const Eigen::VectorXd x = solver.Solve(rhs);
    EXPECT_LT((x - expected).norm(), 1e-10 * expected.norm());
}

INSTANTIATE_TEST_SUITE_P(Shapes, BlockSolve,
                         ::testing::Values(SystemShape{1, 1}, SystemShape{1, 4}, SystemShape{2, 3},
                                           SystemShape{7, 5}, SystemShape{30, 12}));

// Each block alone is positive definite, but the coupling makes the whole indefinite: the
// Schur complement of the second block is 0.5 − 1 = −0.5. A solver that ignored the coupling
// in its pivots would accept it.
TEST(BlockSolveRefusal, RefusesAMatrixThatOnlyItsCouplingMakesIndefinite)
{
    BlockTridiagonal solver;
    const std::vector<Eigen::MatrixXd> diagonal{Eigen::MatrixXd::Identity(2, 2), 0.5 * Eigen::MatrixXd::Identity(2, 2)};
    EXPECT_FALSE(solver.Factorize(diagonal, {Eigen::VectorXd::Constant(2, -1.0)}));
    EXPECT_TRUE(solver.Factorize(diagonal, {Eigen::VectorXd::Constant(2, -0.5)}));
}

TEST(BlockSolveRefusal, RefusesBlocksOfDifferentSizesOrAMissingCoupling)
{
    BlockTridiagonal solver;
    const Eigen::MatrixXd two = Eigen::MatrixXd::Identity(2, 2), three = Eigen::MatrixXd::Identity(3, 3);
    EXPECT_FALSE(solver.Factorize({two, three}, {Eigen::VectorXd::Zero(2)}));
    EXPECT_FALSE(solver.Factorize({two, two}, {}));
    EXPECT_FALSE(solver.Factorize({two, two}, {Eigen::VectorXd::Zero(3)}));
    EXPECT_FALSE(solver.Factorize({}, {}));
}

// ---- SiteParameters ---------------------------------------------------------------------

// The interface-depth columns against central differences of the forward model in log10 z.
// Steps of 1e-5 decades leave a truncation error near (1e-5)²·|g'''| ≈ 1e-9 and a rounding
// error near 1e-16/1e-5 = 1e-11 of the response; 1e-6 of the column's size is far above both
// and far below any chain-rule slip (a wrong sign or a missing z/h factor changes a column by
// its own size).
TEST(SiteParametersTest, InterfaceDepthDerivativesMatchDifferencesOfTheForwardModel)
{
    const auto frequencies = testing_support::LogFrequencies(1e3, 1e-3, 13);
    const auto curve = testing_support::SyntheticCurve({{100.0, 10.0, 300.0, 1000.0}, {400.0, 900.0, 3000.0}},
                                                       frequencies, 0.05);
    const auto data = mt1d::fitting::SelectData(curve, {}).data;
    const SiteParameters parameters = SiteParameters::Layered(4);
    Eigen::VectorXd x = parameters.Unknowns({{50.0, 20.0, 500.0, 2000.0}, {300.0, 1500.0, 2500.0}});
    mt1d::fitting::Misfit misfit(data);
    auto model = parameters.Model(x.data());
    misfit.EvaluateWithJacobian(model.resistivity, model.thickness);
    Eigen::MatrixXd jacobian;
    parameters.ChainRule(misfit.Jacobian(), x.data(), jacobian);
    ASSERT_EQ(jacobian.cols(), 7);

    const double step = 1e-5;
    for (Eigen::Index c = 0; c < 7; ++c) {
        Eigen::VectorXd up = x, down = x;
        up[c] += step;
        down[c] -= step;
        // Residuals are (d − g)/σ, so the weighted prediction's derivative is −Δr.
        model = parameters.Model(up.data());
        misfit.Evaluate(model.resistivity, model.thickness);
        const Eigen::VectorXd rUp = misfit.Residuals();
        model = parameters.Model(down.data());
        misfit.Evaluate(model.resistivity, model.thickness);
        const Eigen::VectorXd numeric = -(rUp - misfit.Residuals()) / (2.0 * step);
        EXPECT_LT((jacobian.col(c) - numeric).norm(), 1e-6 * numeric.norm()) << "unknown " << c;
    }
}

TEST(SiteParametersTest, DepthsRoundTripThroughTheModel)
{
    const SiteParameters parameters = SiteParameters::Layered(3);
    const LayeredModel model{{100.0, 10.0, 1000.0}, {500.0, 2000.0}};
    const Eigen::VectorXd x = parameters.Unknowns(model);
    // The interface depths are 500 and 2500 m, not the thicknesses.
    EXPECT_NEAR(x[3], std::log10(500.0), 1e-14);
    EXPECT_NEAR(x[4], std::log10(2500.0), 1e-14);
    const LayeredModel back = parameters.Model(x.data());
    EXPECT_NEAR(back.thickness[0], 500.0, 1e-9);
    EXPECT_NEAR(back.thickness[1], 2000.0, 1e-9);
    EXPECT_NEAR(back.resistivity[2], 1000.0, 1e-9);
}

// A step past the surface, interfaces that cross, and values that are not numbers all come
// back as an earth the kernel can compute.
TEST(SiteParametersTest, LegaliseKeepsInterfacesOrderedAndResistivitiesInRange)
{
    const SiteParameters parameters = SiteParameters::Layered(4);
    double x[7] = {9.5, std::nan(""), -7.0, 1.0, 3.0, 2.0, 2.5};  // z: 1 km, then 100 m, then 316 m
    parameters.Legalise(x);
    EXPECT_EQ(x[0], kLciMaxLog10Rho);
    EXPECT_EQ(x[1], kLciMinLog10Rho);
    EXPECT_EQ(x[2], kLciMinLog10Rho);
    const double step = std::log10(1.0 + kLciMinLayerFraction);
    EXPECT_DOUBLE_EQ(x[4], 3.0);
    EXPECT_DOUBLE_EQ(x[5], 3.0 + step);
    EXPECT_DOUBLE_EQ(x[6], 3.0 + 2.0 * step);
    double shallow[3] = {1.0, 1.0, -3.0};  // an interface 1 mm deep
    SiteParameters::Layered(2).Legalise(shallow);
    EXPECT_DOUBLE_EQ(shallow[2], std::log10(kLciMinDepthM));
}

// ---- LateralWeights ---------------------------------------------------------------------

TEST(LateralWeightsTest, MedianSpacingIgnoresSitesAtOnePlace)
{
    EXPECT_DOUBLE_EQ(MedianSpacingKm(std::vector<double>{0.0, 1.0, 3.0, 7.0}), 2.0);        // 1, 2, 4
    EXPECT_DOUBLE_EQ(MedianSpacingKm(std::vector<double>{0.0, 1.0, 3.0, 7.0, 15.0}), 3.0);  // 1, 2, 4, 8
    EXPECT_DOUBLE_EQ(MedianSpacingKm(std::vector<double>{0.0, 0.0, 0.0, 5.0}), 5.0);
    EXPECT_DOUBLE_EQ(MedianSpacingKm(std::vector<double>{2.0}), kDefaultReferenceDistanceKm);
    EXPECT_DOUBLE_EQ(MedianSpacingKm(std::vector<double>{2.0, 2.0}), kDefaultReferenceDistanceKm);
}

struct WeightCase {
    double spacingKm, referenceKm, power, expected;
};

class LinkWeightCases : public ::testing::TestWithParam<WeightCase> {};

TEST_P(LinkWeightCases, FallWithDistanceAsThePowerSays)
{
    const auto c = GetParam();
    const auto w = LinkWeights(std::vector<double>{10.0, 10.0 + c.spacingKm}, c.referenceKm, c.power);
    ASSERT_EQ(w.size(), 1u);
    EXPECT_NEAR(w[0], c.expected, 1e-12 * c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, LinkWeightCases,
                         ::testing::Values(WeightCase{1.0, 1.0, 1.0, 1.0}, WeightCase{2.0, 1.0, 1.0, 0.5},
                                           WeightCase{2.0, 1.0, 2.0, 0.25}, WeightCase{0.5, 2.0, 1.0, 4.0},
                                           WeightCase{7.0, 1.0, 0.0, 1.0},
                                           // Sites at one place: the spacing counts as 1 % of d_ref.
                                           WeightCase{0.0, 3.0, 1.0, 100.0}, WeightCase{0.0, 3.0, 2.0, 1e4}));

// For S evenly spaced sites of n layers with first differences, the vertical operators have
// trace S·2(n − 1) and the lateral one (S − 1)·2n, so W = S(n − 1) / ((S − 1) n): 10 sites of
// 5 layers give 40/45.
TEST(LateralWeightsTest, DefaultWeightGivesBothOperatorsTheSameTrace)
{
    std::vector<ProfileSite> sites;
    const auto frequencies = testing_support::LogFrequencies(1e2, 1e-2, 9);
    const auto data = mt1d::fitting::SelectData(testing_support::SyntheticCurve({{100.0}, {}}, frequencies, 0.05), {}).data;
    for (int s = 0; s < 10; ++s) sites.push_back({data, 2.0 * s});
    LciOptions options;
    options.mesh.layerTops = {0.0, 100.0, 300.0, 1000.0, 3000.0};
    const auto resolved = ResolveOptions(sites, options);
    ASSERT_TRUE(resolved.Ok()) << resolved.error;
    EXPECT_NEAR(*resolved.options.lateral.weight, 40.0 / 45.0, 1e-12);
    EXPECT_DOUBLE_EQ(*resolved.options.lateral.referenceDistanceKm, 2.0);
    // Second differences: trace 6(n − 2) per site against the same lateral trace.
    options.roughness = mt1d::fitting::RoughnessKind::kSecondDifference;
    EXPECT_NEAR(*ResolveOptions(sites, options).options.lateral.weight, 10.0 * 18.0 / 90.0, 1e-12);
}

// ---- SiteThreads ------------------------------------------------------------------------

struct ThreadCase {
    std::size_t sites, threads;
};

class ForEachSiteCases : public ::testing::TestWithParam<ThreadCase> {};

TEST_P(ForEachSiteCases, VisitsEverySiteOnce)
{
    const auto [count, threads] = GetParam();
    std::vector<std::atomic<int>> visits(count);
    ForEachSite(count, threads, [&](std::size_t s) { ++visits[s]; });
    for (std::size_t s = 0; s < count; ++s) EXPECT_EQ(visits[s].load(), 1) << "site " << s;
}

INSTANTIATE_TEST_SUITE_P(Table, ForEachSiteCases,
                         ::testing::Values(ThreadCase{0, 2}, ThreadCase{1, 2}, ThreadCase{5, 2}, ThreadCase{3, 8},
                                           ThreadCase{7, 3}, ThreadCase{4, 0}));

TEST(SiteThreadsTest, AWorkersExceptionReachesTheCaller)
{
    EXPECT_THROW(ForEachSite(6, 2, [](std::size_t s) {
                     if (s == 4) throw std::runtime_error("site 4");
                 }),
                 std::runtime_error);
}

}  // namespace
