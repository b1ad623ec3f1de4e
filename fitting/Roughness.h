#pragma once
// Roughness of a smooth model m = log10 ρ of its layers, top first:
//     first differences:  R = Σ_j (m_{j+1} − m_j)²               over adjacent layers
//     second differences: R = Σ_j (m_{j+1} − 2 m_j + m_{j−1})²   over inner layers
// R = |∂m|² with ∂ the difference operator below. The first form is the measure Occam codes
// report; layer thicknesses do not enter.

#include <Eigen/Dense>

#include <cstddef>
#include <span>

namespace mt1d::fitting {

enum class RoughnessKind { kFirstDifference, kSecondDifference };

// The difference operator ∂: (n − 1) × n for first differences, (n − 2) × n for second
// differences (no rows when n is too small for it).
Eigen::MatrixXd RoughnessOperator(std::size_t layers, RoughnessKind kind);

double Roughness(std::span<const double> log10Rho, RoughnessKind kind);

}  // namespace mt1d::fitting
