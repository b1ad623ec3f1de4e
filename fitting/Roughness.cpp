#include "fitting/Roughness.h"

namespace mt1d::fitting {

Eigen::MatrixXd RoughnessOperator(std::size_t layers, RoughnessKind kind)
{
    const auto n = static_cast<Eigen::Index>(layers);
    const Eigen::Index order = kind == RoughnessKind::kFirstDifference ? 1 : 2;
    const Eigen::Index rows = n > order ? n - order : 0;
    Eigen::MatrixXd d = Eigen::MatrixXd::Zero(rows, n);
    for (Eigen::Index r = 0; r < rows; ++r) {
        if (order == 1) {
            d(r, r) = -1.0;
            d(r, r + 1) = 1.0;
        } else {
            d(r, r) = 1.0;
            d(r, r + 1) = -2.0;
            d(r, r + 2) = 1.0;
        }
    }
    return d;
}

double Roughness(std::span<const double> log10Rho, RoughnessKind kind)
{
    double sum = 0.0;
    const std::size_t n = log10Rho.size();
    if (kind == RoughnessKind::kFirstDifference) {
        for (std::size_t j = 1; j < n; ++j) {
            const double d = log10Rho[j] - log10Rho[j - 1];
            sum += d * d;
        }
    } else {
        for (std::size_t j = 2; j < n; ++j) {
            const double d = log10Rho[j] - 2.0 * log10Rho[j - 1] + log10Rho[j - 2];
            sum += d * d;
        }
    }
    return sum;
}

}  // namespace mt1d::fitting
