#pragma once

// MathClass: singular value decomposition of a small dense single-precision matrix.
//
// Decompose(matrix, m, n, u, vt, tolerance, workLength) factorises the m-by-n matrix A,
// stored row-major in `matrix`, in place as A = U * S * V^T, using Householder reduction
// to upper-bidiagonal form followed by implicit-shift QR sweeps (Golub-Kahan-Reinsch).
// Every stored quantity is a float; the arrangement of the arithmetic is fixed so that
// results are reproducible bit for bit.
//
// Arguments
//   matrix      m*n floats. In: A. Out: zero except the diagonal and first superdiagonal.
//   m, n        rows and columns, each at least 1.
//   u           m*m floats, row-major. Out: columns 1..min(m,n) are the left singular
//               vectors. When m > n, columns n+1..m are never written.
//   vt          n*n floats, row-major. Out: row k is the k-th right singular vector.
//   tolerance   relative threshold below which a superdiagonal or diagonal element of the
//               bidiagonal matrix counts as zero (the inversion engines pass 1e-7f).
//   workLength  sizes the three work vectors (workLength + 2 floats each); must be at least
//               max(m, n). Callers pass max(m, n) + 1.
//
// Result
//    1  every singular value converged. With p = min(m, n), diagonal element (k, k),
//       k = 1..p, holds the k-th singular value; they are non-negative (a zero may carry a
//       negative sign bit) and non-increasing. The superdiagonal entries, including
//       element (m, m+1) when m < n, are zero. Hence A equals the first p columns of u
//       times the p-by-p diagonal of `matrix` times the first p rows of vt.
//   -1  one singular value failed to split off within SweepLimit consecutive QR sweeps.
//       `matrix` then holds the remaining bidiagonal form and the same identity holds
//       with that bidiagonal matrix in place of the diagonal one.
//
// Throws std::invalid_argument, before writing anything, when m < 1, n < 1, a pointer is
// null, or workLength < max(m, n). The check is deliberate hardening: with shorter work
// vectors the reduction would write past their end. Allocation failure of the work
// vectors propagates as std::bad_alloc.
//
// The object holds no state between calls except the SweepLimit setting.
class MathClass {
public:
    // QR sweeps allowed per singular value; the budget is restored whenever one converges.
    // Lowering it is a test seam for the -1 result; the inversion engines keep 60.
    int SweepLimit = 60;

    int Decompose(float* matrix, int m, int n, float* u, float* vt, float tolerance, int workLength);
};
