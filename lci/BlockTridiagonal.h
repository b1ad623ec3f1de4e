#pragma once
// A symmetric positive definite system whose matrix is block tridiagonal, with dense square
// diagonal blocks of one size and diagonal off-diagonal blocks:
//
//     ┌ D_0  E_0              ┐
//     │ E_0  D_1  E_1         │      D_s  dense n × n, symmetric
//     │      E_1  D_2  ⋱      │      E_s  = diag(e_s), n × n, coupling block s to block s + 1
//     └           ⋱    ⋱      ┘
//
// which is what a laterally constrained inversion solves: one block per site, the site's
// JᵀJ and vertical roughness on the diagonal, the lateral roughness between neighbouring sites
// off it. The Cholesky factor A = LLᵀ keeps the pattern (Golub & Van Loan, Matrix
// Computations, 4th ed., §4.5.3): with S_0 = D_0 and
//     S_s = L_s L_sᵀ,   S_{s+1} = D_{s+1} − E_s S_s⁻¹ E_s = D_{s+1} − E_s (L_s⁻ᵀ L_s⁻¹) E_s,
// each step one dense Cholesky (Eigen's LLT) of an n × n block and one triangular inverse.
// Work grows as (blocks)·n³ and memory as (blocks)·n², both linear in the number of blocks.
// Eigen's general sparse Cholesky (SimplicialLLT, band-keeping natural order) gives the same
// factor but took 1.5 times as long on 1,000 blocks of 50 (73 against 47 ms of processor
// time, bench/LciBench.cpp): it works entry by entry where this works on whole blocks, and
// the solve is most of a profile fit's time.
//
// The arithmetic runs in one fixed order on the calling thread, so a solution is the same to
// the bit however many threads prepared the blocks.

#include <Eigen/Dense>

#include <cstddef>
#include <vector>

namespace mt1d::lci {

class BlockTridiagonal {
public:
    // Factorises the matrix of `diagonal` (one dense block per site, all n × n) and
    // `offDiagonal` (one vector of n per pair of neighbours, one fewer than the blocks).
    // Returns false, and keeps no factor, when the sizes disagree or a pivot block is not
    // positive definite.
    bool Factorize(const std::vector<Eigen::MatrixXd>& diagonal,
                   const std::vector<Eigen::VectorXd>& offDiagonal);

    // x with A x = b, b stacked block by block (blocks · n values). Requires a successful
    // Factorize and a right-hand side of that length.
    Eigen::VectorXd Solve(const Eigen::VectorXd& b) const;

    std::size_t BlockCount() const { return factors_.size(); }
    Eigen::Index BlockSize() const { return n_; }

private:
    std::vector<Eigen::LLT<Eigen::MatrixXd>> factors_;  // of S_s
    std::vector<Eigen::VectorXd> offDiagonal_;
    Eigen::Index n_ = 0;
};

}  // namespace mt1d::lci
