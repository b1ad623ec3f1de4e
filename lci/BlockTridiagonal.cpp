#include "lci/BlockTridiagonal.h"

namespace mt1d::lci {

bool BlockTridiagonal::Factorize(const std::vector<Eigen::MatrixXd>& diagonal,
                                 const std::vector<Eigen::VectorXd>& offDiagonal)
{
    factors_.clear();
    offDiagonal_.clear();
    n_ = 0;
    if (diagonal.empty() || offDiagonal.size() + 1 != diagonal.size()) return false;
    const Eigen::Index n = diagonal.front().rows();
    for (const auto& d : diagonal) {
        if (d.rows() != n || d.cols() != n) return false;
    }
    for (const auto& e : offDiagonal) {
        if (e.size() != n) return false;
    }

    std::vector<Eigen::LLT<Eigen::MatrixXd>> factors(diagonal.size());
    Eigen::MatrixXd schur = diagonal.front();
    Eigen::MatrixXd inverseL(n, n);
    for (std::size_t s = 0; s < diagonal.size(); ++s) {
        factors[s].compute(schur);
        if (factors[s].info() != Eigen::Success) return false;
        if (s + 1 == diagonal.size()) break;
        // S_{s+1} = D_{s+1} − E_s (L⁻¹)ᵀ (L⁻¹) E_s with E_s diagonal: scale the columns of L⁻¹.
        // Only the lower triangle is updated, the half that LLT reads.
        inverseL.setIdentity();
        factors[s].matrixL().solveInPlace(inverseL);
        inverseL = inverseL * offDiagonal[s].asDiagonal();
        schur = diagonal[s + 1];
        schur.selfadjointView<Eigen::Lower>().rankUpdate(inverseL.transpose(), -1.0);
    }
    factors_ = std::move(factors);
    offDiagonal_ = offDiagonal;
    n_ = n;
    return true;
}

Eigen::VectorXd BlockTridiagonal::Solve(const Eigen::VectorXd& b) const
{
    const std::size_t blocks = factors_.size();
    const Eigen::Index n = n_;
    // Forward: L y = b, with the sub-diagonal block of L equal to E_{s−1} L_{s−1}⁻ᵀ.
    Eigen::VectorXd y(b.size());
    Eigen::VectorXd t(n);
    for (std::size_t s = 0; s < blocks; ++s) {
        Eigen::VectorXd r = b.segment(static_cast<Eigen::Index>(s) * n, n);
        if (s > 0) {
            t = y.segment(static_cast<Eigen::Index>(s - 1) * n, n);
            factors_[s - 1].matrixU().solveInPlace(t);
            r -= offDiagonal_[s - 1].cwiseProduct(t);
        }
        factors_[s].matrixL().solveInPlace(r);
        y.segment(static_cast<Eigen::Index>(s) * n, n) = r;
    }
    // Backward: Lᵀ x = y.
    Eigen::VectorXd x(b.size());
    for (std::size_t k = blocks; k-- > 0;) {
        Eigen::VectorXd r = y.segment(static_cast<Eigen::Index>(k) * n, n);
        if (k + 1 < blocks) {
            t = offDiagonal_[k].cwiseProduct(x.segment(static_cast<Eigen::Index>(k + 1) * n, n));
            factors_[k].matrixL().solveInPlace(t);
            r -= t;
        }
        factors_[k].matrixU().solveInPlace(r);
        x.segment(static_cast<Eigen::Index>(k) * n, n) = r;
    }
    return x;
}

}  // namespace mt1d::lci
