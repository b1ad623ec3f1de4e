#include "inversion/MathClass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Single-precision unit roundoff.
constexpr double kEps = 1.0 / (1 << 24);
// A backward-stable SVD in float reproduces A to a small multiple of eps * |A|, and its
// singular vectors are orthonormal to a small multiple of eps (observed here: below
// 3 eps * |A|_F and 25 eps). 100 leaves headroom for other rounding; a genuine fault
// shows up at the scale of |A| itself and fails by orders of magnitude.
constexpr double kFactor = 100.0;
constexpr float kSentinel = 7.25f;

using Matrix = std::vector<float>;  // row-major

Matrix Random(int m, int n, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
    Matrix a(static_cast<size_t>(m) * n);
    for (float& x : a) x = dist(gen);
    return a;
}

struct Result {
    int m, n, rc;
    Matrix a, u, vt;
    int p() const { return std::min(m, n); }
    float Sigma(int k) const { return a[static_cast<size_t>(k) * n + k]; }
};

Result Decompose(const Matrix& input, int m, int n, int sweepLimit = 60) {
    Result r{m, n, 0, input, Matrix(static_cast<size_t>(m) * m, kSentinel),
             Matrix(static_cast<size_t>(n) * n, kSentinel)};
    MathClass svd;
    svd.SweepLimit = sweepLimit;
    r.rc = svd.Decompose(r.a.data(), m, n, r.u.data(), r.vt.data(), 1e-7f, std::max(m, n) + 1);
    return r;
}

// Frobenius norm: at least the largest singular value and at most sqrt(p) times it.
double Norm(const Matrix& a) {
    double sum = 0.0;
    for (float x : a) sum += double(x) * x;
    return std::sqrt(sum);
}

// Largest |input - U_p * B * Vt_p|, B the p-by-p upper bidiagonal part left in `matrix`
// (diagonal only after convergence).
double ReconstructionError(const Result& r, const Matrix& input) {
    const int m = r.m, n = r.n, p = r.p();
    double worst = 0.0;
    for (int i = 0; i < m; ++i)
        for (int j = 0; j < n; ++j) {
            double sum = 0.0;
            for (int k = 0; k < p; ++k) {
                double bv = 0.0;  // (B * Vt)(k, j)
                for (int q = k; q <= std::min(k + 1, p - 1); ++q)
                    bv += double(r.a[k * n + q]) * r.vt[q * n + j];
                sum += double(r.u[i * m + k]) * bv;
            }
            worst = std::max(worst, std::fabs(sum - input[i * n + j]));
        }
    return worst;
}

// Largest deviation from the identity of the Gram matrix of p vectors of length len,
// element t of vector k being at data[k * strideK + t * strideT].
double OrthoError(const Matrix& data, int p, int len, int strideK, int strideT) {
    double worst = 0.0;
    for (int a = 0; a < p; ++a)
        for (int b = 0; b < p; ++b) {
            double dot = 0.0;
            for (int t = 0; t < len; ++t)
                dot += double(data[a * strideK + t * strideT]) * data[b * strideK + t * strideT];
            worst = std::max(worst, std::fabs(dot - (a == b ? 1.0 : 0.0)));
        }
    return worst;
}

// Everything a successful decomposition promises.
void ExpectValidDecomposition(const Result& r, const Matrix& input) {
    const int m = r.m, n = r.n, p = r.p();
    ASSERT_EQ(r.rc, 1);
    EXPECT_LE(ReconstructionError(r, input), kFactor * kEps * Norm(input));
    EXPECT_LE(OrthoError(r.u, p, m, 1, m), kFactor * kEps) << "columns of u";
    EXPECT_LE(OrthoError(r.vt, n, n, n, 1), kFactor * kEps) << "rows of vt";
    for (int k = 0; k < p; ++k) {
        EXPECT_GE(r.Sigma(k), 0.0f) << "k=" << k;
        if (k + 1 < p) {
            EXPECT_GE(r.Sigma(k), r.Sigma(k + 1)) << "k=" << k;
        }
    }
    for (int i = 0; i < m; ++i)
        for (int j = 0; j < n; ++j)
            if (i != j) {
                EXPECT_EQ(r.a[i * n + j], 0.0f) << "off-diagonal (" << i << "," << j << ")";
            }
    for (int i = 0; i < m; ++i)  // columns beyond n are the caller's when m > n
        for (int j = n; j < m; ++j) EXPECT_EQ(r.u[i * m + j], kSentinel) << "u(" << i << "," << j << ")";
}

struct Shape {
    int m, n;
};

class DecomposeShapes : public ::testing::TestWithParam<Shape> {};

TEST_P(DecomposeShapes, ReconstructsRandomMatrixToSinglePrecision) {
    const auto [m, n] = GetParam();
    const Matrix a = Random(m, n, 1000u * m + n);
    ExpectValidDecomposition(Decompose(a, m, n), a);
}

// The inversion engines' system: weighted sensitivities stacked on a diagonal damping block.
TEST_P(DecomposeShapes, ReconstructsDampedSystemWithGradedColumns) {
    const auto [m, n] = GetParam();
    Matrix a = Random(m, n, 77u * m + n);
    for (int i = 0; i < m; ++i)
        for (int j = 0; j < n; ++j) a[i * n + j] *= std::pow(10.0f, -float(j % 4));
    if (m > n)
        for (int k = 0; k < n; ++k) {
            for (int j = 0; j < n; ++j) a[(m - n + k) * n + j] = 0.0f;
            a[(m - n + k) * n + k] = 0.005f;
        }
    ExpectValidDecomposition(Decompose(a, m, n), a);
}

TEST_P(DecomposeShapes, ZeroMatrixGivesZeroValuesUnitVectorsAndNoSweeps) {
    const auto [m, n] = GetParam();
    const Matrix zero(static_cast<size_t>(m) * n, 0.0f);
    const Result r = Decompose(zero, m, n, /*sweepLimit=*/1);  // converges without any sweep
    ExpectValidDecomposition(r, zero);
    for (int k = 0; k < r.p(); ++k) EXPECT_EQ(r.Sigma(k), 0.0f);
    for (int i = 0; i < m; ++i)
        for (int k = 0; k < r.p(); ++k) EXPECT_EQ(r.u[i * m + k], i == k ? 1.0f : 0.0f);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) EXPECT_EQ(r.vt[i * n + j], i == j ? 1.0f : 0.0f);
}

INSTANTIATE_TEST_SUITE_P(Shapes, DecomposeShapes,
                         ::testing::Values(Shape{46, 5}, Shape{82, 9}, Shape{59, 29}, Shape{30, 30},
                                           Shape{3, 7}, Shape{5, 6}, Shape{1, 6}, Shape{6, 1},
                                           Shape{1, 1}, Shape{2, 2}),
                         [](const auto& info) {
                             return std::to_string(info.param.m) + "x" + std::to_string(info.param.n);
                         });

TEST(Decompose, MatchesClosedFormForTwoByTwo) {
    // sigma = (sqrt((a+d)^2 + (b-c)^2) +- sqrt((a-d)^2 + (b+c)^2)) / 2 for [[a, b], [c, d]].
    const Matrix cases[] = {{3, 0, 4, 5}, {1, 2, 3, 4}, {-2, 0, 0, 0.5f}, {0, -1, 1, 0}, {1, 1, 1, 1}};
    for (const Matrix& a : cases) {
        const double p = std::hypot(a[0] + a[3], a[1] - a[2]), q = std::hypot(a[0] - a[3], a[1] + a[2]);
        const Result r = Decompose(a, 2, 2);
        ExpectValidDecomposition(r, a);
        EXPECT_NEAR(r.Sigma(0), (p + q) / 2, 8 * kEps * (p + q));
        EXPECT_NEAR(r.Sigma(1), std::fabs(p - q) / 2, 8 * kEps * (p + q));
    }
}

TEST(Decompose, SortsPermutedSignedDiagonalIntoNonIncreasingOrder) {
    // Rows and columns of diag(-1, 4, -2, 3, 0.5) permuted: singular values 4, 3, 2, 1, 0.5.
    const int n = 5;
    const int rowOf[n] = {3, 0, 4, 1, 2};
    const float value[n] = {-1, 4, -2, 3, 0.5f};
    Matrix a(n * n, 0.0f);
    for (int j = 0; j < n; ++j) a[rowOf[j] * n + j] = value[j];
    const Result r = Decompose(a, n, n);
    ExpectValidDecomposition(r, a);
    const float expected[n] = {4, 3, 2, 1, 0.5f};
    for (int k = 0; k < n; ++k) EXPECT_FLOAT_EQ(r.Sigma(k), expected[k]);
}

TEST(Decompose, PutsZeroSingularValuesLastForRankDeficientInput) {
    // 12x6 of rank 3: a zero first column and two columns copied from others.
    const int m = 12, n = 6;
    Matrix a = Random(m, n, 5u);
    for (int i = 0; i < m; ++i) {
        a[i * n + 0] = 0.0f;
        a[i * n + 3] = a[i * n + 1];
        a[i * n + 5] = 2.0f * a[i * n + 2] - a[i * n + 4];
    }
    const Result r = Decompose(a, m, n);
    ExpectValidDecomposition(r, a);
    const double tiny = kFactor * kEps * r.Sigma(0);
    for (int k = 0; k < 3; ++k) EXPECT_GT(r.Sigma(k), 0.1f) << "k=" << k;
    for (int k = 3; k < n; ++k) EXPECT_LE(r.Sigma(k), tiny) << "k=" << k;
}

// U * diag(sigma) * V^T with U, V Householder reflections built in double: the singular
// values are known exactly up to the final rounding of the entries to float.
Matrix WithSingularValues(int m, int n, const std::vector<double>& sigma, unsigned seed) {
    const auto reflector = [](int size, unsigned s) {
        std::mt19937 gen(s);
        std::uniform_real_distribution<double> dist(-1.0, 1.0);
        std::vector<double> v(size), h(size * size);
        double vv = 0.0;
        for (double& x : v) {
            x = dist(gen);
            vv += x * x;
        }
        for (int i = 0; i < size; ++i)
            for (int j = 0; j < size; ++j) h[i * size + j] = (i == j) - 2.0 * v[i] * v[j] / vv;
        return h;
    };
    const std::vector<double> hu = reflector(m, seed), hv = reflector(n, seed + 1);
    Matrix a(static_cast<size_t>(m) * n);
    for (int i = 0; i < m; ++i)
        for (int j = 0; j < n; ++j) {
            double sum = 0.0;
            for (size_t k = 0; k < sigma.size(); ++k) sum += hu[i * m + k] * sigma[k] * hv[j * n + k];
            a[i * n + j] = static_cast<float>(sum);
        }
    return a;
}

TEST(Decompose, RecoversPrescribedSingularValues) {
    struct Case {
        int m, n;
        std::vector<double> sigma;  // non-increasing, min(m, n) values
    };
    const Case cases[] = {
        {20, 4, {3.0, 1.0, 0.1, 1e-4}},     // nearly singular
        {20, 4, {2.0, 1.0, 0.0, 0.0}},      // rank deficient
        {4, 7, {5.0, 5.0, 5.0, 0.5}},       // repeated values, wide
        {46, 5, {40.0, 8.0, 1.0, 0.05, 0.005}},
    };
    for (const Case& c : cases) {
        const Matrix a = WithSingularValues(c.m, c.n, c.sigma, 31u * c.m + c.n);
        const Result r = Decompose(a, c.m, c.n);
        ExpectValidDecomposition(r, a);
        for (size_t k = 0; k < c.sigma.size(); ++k)
            EXPECT_NEAR(r.Sigma(int(k)), c.sigma[k], kFactor * kEps * c.sigma[0]) << c.m << "x" << c.n << " k=" << k;
    }
}

// A single row needs one deflation step, a single column none: neither may spend a sweep.
TEST(Decompose, ConvergesWithoutSweepsForSingleRowOrColumn) {
    for (const Shape s : {Shape{1, 9}, Shape{9, 1}}) {
        const Matrix a = Random(s.m, s.n, 4u);
        double norm = 0.0;
        for (float x : a) norm += double(x) * x;
        const Result r = Decompose(a, s.m, s.n, /*sweepLimit=*/1);
        ExpectValidDecomposition(r, a);
        EXPECT_NEAR(r.Sigma(0), std::sqrt(norm), 8 * kEps * std::sqrt(norm));
    }
}

TEST(Decompose, ReportsFailureWhenSweepBudgetRunsOutAndKeepsBidiagonalIdentity) {
    for (const int limit : {0, 1}) {
        const int m = 8, n = 6;
        const Matrix a = Random(m, n, 21u);
        const Result r = Decompose(a, m, n, limit);
        EXPECT_EQ(r.rc, -1) << "limit " << limit;
        EXPECT_LE(ReconstructionError(r, a), kFactor * kEps * Norm(a));
        int coupled = 0;
        for (int k = 0; k + 1 < n; ++k) coupled += r.a[k * n + k + 1] != 0.0f;
        EXPECT_GT(coupled, 0) << "a superdiagonal element should remain";
    }
}

// 59x29 needs about 60 sweeps in all but fewer than 8 for any one value: a budget of 12
// suffices only if it is restored each time a value converges.
TEST(Decompose, RestoresSweepBudgetAfterEachConvergedValue) {
    const Matrix a = Random(59, 29, 1000u * 59 + 29);
    ExpectValidDecomposition(Decompose(a, 59, 29, /*sweepLimit=*/12), a);
}

TEST(Decompose, RejectsShortWorkVectorsAndBadShapesWithoutWriting) {
    MathClass svd;
    Matrix a = Random(7, 4, 3u), u(49, kSentinel), vt(16, kSentinel);
    const Matrix before = a;
    EXPECT_THROW(svd.Decompose(a.data(), 7, 4, u.data(), vt.data(), 1e-7f, 6), std::invalid_argument);
    EXPECT_THROW(svd.Decompose(a.data(), 0, 4, u.data(), vt.data(), 1e-7f, 8), std::invalid_argument);
    EXPECT_THROW(svd.Decompose(a.data(), 7, 0, u.data(), vt.data(), 1e-7f, 8), std::invalid_argument);
    EXPECT_EQ(a, before);
    EXPECT_EQ(u, Matrix(49, kSentinel));
    EXPECT_EQ(vt, Matrix(16, kSentinel));
    EXPECT_EQ(svd.Decompose(a.data(), 7, 4, u.data(), vt.data(), 1e-7f, 7), 1);  // max(m, n) suffices
}

}  // namespace
