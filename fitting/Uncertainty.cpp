#include "fitting/Uncertainty.h"

#include <algorithm>
#include <cmath>

namespace mt1d::fitting {

Uncertainty PosteriorUncertainty(const Eigen::MatrixXd& jacobian, const std::vector<bool>& free)
{
    const std::size_t p = free.size();
    Uncertainty u;
    u.log10Sd.assign(p, 0.0);
    u.covariance.assign(p * p, 0.0);
    u.correlation.assign(p * p, 0.0);
    for (std::size_t i = 0; i < p; ++i) u.correlation[i * p + i] = 1.0;

    std::vector<std::size_t> index;
    for (std::size_t i = 0; i < p; ++i) {
        if (free[i]) index.push_back(i);
    }
    const auto n = static_cast<Eigen::Index>(index.size());
    if (n == 0) return u;

    Eigen::MatrixXd j(jacobian.rows(), n);
    for (Eigen::Index c = 0; c < n; ++c) j.col(c) = jacobian.col(static_cast<Eigen::Index>(index[c]));
    const Eigen::MatrixXd normal = j.transpose() * j;
    const Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> eigen(normal);
    Eigen::VectorXd values = eigen.eigenvalues();
    const double largest = std::max(values.maxCoeff(), 0.0);
    // With no sensitivity at all, every direction is undetermined: the cap below applies.
    const double floor = largest > 0.0 ? kEigenFloor * largest : 1.0;
    for (Eigen::Index k = 0; k < n; ++k) values[k] = 1.0 / std::max(values[k], floor);
    const Eigen::MatrixXd cov = eigen.eigenvectors() * values.asDiagonal() * eigen.eigenvectors().transpose();
    u.freeIndex = index;
    u.eigenvectors = eigen.eigenvectors();
    u.inverseEigenvalues = values;

    const double maxVariance = kMaxLog10Sd * kMaxLog10Sd;
    for (Eigen::Index a = 0; a < n; ++a) {
        const std::size_t ia = index[a];
        u.log10Sd[ia] = std::min(std::sqrt(std::max(cov(a, a), 0.0)), kMaxLog10Sd);
        for (Eigen::Index b = 0; b < n; ++b) {
            const std::size_t ib = index[b];
            u.covariance[ia * p + ib] = std::clamp(cov(a, b), -maxVariance, maxVariance);
            const double scale = std::sqrt(std::max(cov(a, a), 0.0) * std::max(cov(b, b), 0.0));
            u.correlation[ia * p + ib] = a == b ? 1.0 : (scale > 0.0 ? std::clamp(cov(a, b) / scale, -1.0, 1.0) : 0.0);
        }
    }
    return u;
}

double CombinationLog10Sd(const Uncertainty& u, std::span<const double> weights)
{
    double variance = 0.0;
    for (Eigen::Index k = 0; k < u.eigenvectors.cols(); ++k) {
        double projection = 0.0;
        for (std::size_t r = 0; r < u.freeIndex.size(); ++r) {
            if (u.freeIndex[r] >= weights.size()) continue;
            projection += weights[u.freeIndex[r]] * u.eigenvectors(static_cast<Eigen::Index>(r), k);
        }
        variance += projection * projection * u.inverseEigenvalues[k];
    }
    return std::min(std::sqrt(variance), kMaxLog10Sd);
}

Uncertainty ModelPart(const Uncertainty& u, std::size_t p)
{
    const std::size_t all = u.log10Sd.size();
    Uncertainty out;
    out.log10Sd.assign(u.log10Sd.begin(), u.log10Sd.begin() + static_cast<std::ptrdiff_t>(std::min(p, all)));
    out.covariance.assign(p * p, 0.0);
    out.correlation.assign(p * p, 0.0);
    for (std::size_t a = 0; a < p && a < all; ++a) {
        for (std::size_t b = 0; b < p && b < all; ++b) {
            out.covariance[a * p + b] = u.covariance[a * all + b];
            out.correlation[a * p + b] = u.correlation[a * all + b];
        }
    }
    out.freeIndex = u.freeIndex;
    out.eigenvectors = u.eigenvectors;
    out.inverseEigenvalues = u.inverseEigenvalues;
    return out;
}

double CombinedLog10Sd(const Uncertainty& u, std::size_t a, std::size_t b, double sign)
{
    std::vector<double> weights(u.log10Sd.size(), 0.0);
    weights[a] += 1.0;
    weights[b] += sign;
    return CombinationLog10Sd(u, weights);
}

}  // namespace mt1d::fitting
