#include "inversion/MathClass.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

// Square root of a float taken in double precision and narrowed back.
float Root(float x) { return static_cast<float>(std::sqrt(static_cast<double>(x))); }

// Plane rotation (c, s, r) with c*f + s*g = r and -s*f + c*g = 0. r carries the sign of the
// larger of f and g; on a tie the sign of g wins.
void MakeRotation(float f, float g, float& c, float& s, float& r) {
    const float af = std::fabs(f);
    const float ag = std::fabs(g);
    if (af + ag == 0.0f) {
        c = 1.0f;
        s = 0.0f;
        r = 0.0f;
        return;
    }
    r = Root(f * f + g * g);
    if (af > ag) {
        if (f < 0.0f) r = -r;
    } else {
        if (g < 0.0f) r = -r;
    }
    c = f / r;
    s = g / r;
}

// 1-based view of a row-major matrix with `cols` columns.
struct Grid {
    float* data;
    std::ptrdiff_t cols;
    float& operator()(int i, int j) const { return data[(i - 1) * cols + (j - 1)]; }
};

// Rotates columns a and b over rows 1..rows:
// X(j,a) <- c*X(j,a) + s*X(j,b),  X(j,b) <- -s*X(j,a) + c*X(j,b).
void RotateColumns(const Grid& x, int rows, int a, int b, float c, float s) {
    for (int j = 1; j <= rows; ++j) {
        const float t = c * x(j, a) + s * x(j, b);
        x(j, b) = -s * x(j, a) + c * x(j, b);
        x(j, a) = t;
    }
}

void SwapColumns(const Grid& x, int rows, int a, int b) {
    for (int j = 1; j <= rows; ++j) std::swap(x(j, a), x(j, b));
}

}  // namespace

int MathClass::Decompose(float* matrix, int m, int n, float* u, float* vt, float tolerance,
                         int workLength) {
    if (m < 1 || n < 1)
        throw std::invalid_argument("MathClass::Decompose: m and n must be at least 1 (got m=" +
                                    std::to_string(m) + ", n=" + std::to_string(n) + ")");
    if (workLength < std::max(m, n))
        throw std::invalid_argument("MathClass::Decompose: workLength " + std::to_string(workLength) +
                                    " is below max(m, n) = " + std::to_string(std::max(m, n)));
    if (matrix == nullptr || u == nullptr || vt == nullptr)
        throw std::invalid_argument("MathClass::Decompose: null matrix, u or vt");

    const Grid A{matrix, n};
    const Grid U{u, m};
    const Grid V{vt, n};  // holds V itself until the final transpose

    const std::size_t len = static_cast<std::size_t>(workLength) + 2;
    std::vector<float> s(len, 0.0f);  // diagonal, finally the singular values
    std::vector<float> e(len, 0.0f);  // superdiagonal
    std::vector<float> w(len, 0.0f);  // scratch for the row transformations

    const int kc = std::min(m - 1, n);                   // columns to reduce
    const int lr = std::max(0, std::min(m, n - 2));      // rows to reduce
    const int kmax = std::max(kc, lr);

    // Householder reduction to upper-bidiagonal form.
    for (int k = 1; k <= kmax; ++k) {
        if (k <= kc) {
            float sum = 0.0f;
            for (int i = k; i <= m; ++i) sum = sum + A(i, k) * A(i, k);
            s[k] = Root(sum);
            if (s[k] != 0.0f) {
                if (A(k, k) != 0.0f) s[k] = A(k, k) < 0.0f ? -std::fabs(s[k]) : std::fabs(s[k]);
                for (int i = k; i <= m; ++i) A(i, k) = A(i, k) / s[k];
                A(k, k) = A(k, k) + 1.0f;
            }
            s[k] = -s[k];
        }
        for (int j = k + 1; j <= n; ++j) {
            if (k <= kc && s[k] != 0.0f) {
                float dot = 0.0f;
                for (int i = k; i <= m; ++i) dot = dot + A(i, k) * A(i, j);
                const float t = -dot / A(k, k);
                for (int i = k; i <= m; ++i) A(i, j) = A(i, j) + t * A(i, k);
            }
            e[j] = A(k, j);
        }
        if (k <= kc)
            for (int i = k; i <= m; ++i) U(i, k) = A(i, k);
        if (k <= lr) {
            float sum = 0.0f;
            for (int i = k + 1; i <= n; ++i) sum = sum + e[i] * e[i];
            e[k] = Root(sum);
            if (e[k] != 0.0f) {
                if (e[k + 1] != 0.0f) e[k] = e[k + 1] < 0.0f ? -std::fabs(e[k]) : std::fabs(e[k]);
                for (int i = k + 1; i <= n; ++i) e[i] = e[i] / e[k];
                e[k + 1] = e[k + 1] + 1.0f;
            }
            e[k] = -e[k];
            if (k + 1 <= m && e[k] != 0.0f) {
                for (int i = k + 1; i <= m; ++i) w[i] = 0.0f;
                for (int j = k + 1; j <= n; ++j)
                    for (int i = k + 1; i <= m; ++i) w[i] = w[i] + e[j] * A(i, j);
                for (int j = k + 1; j <= n; ++j)
                    for (int i = k + 1; i <= m; ++i) A(i, j) = A(i, j) - w[i] * e[j] / e[k + 1];
            }
            for (int i = k + 1; i <= n; ++i) V(i, k) = e[i];
        }
    }

    // The bidiagonal matrix of order mm.
    int mm = std::min(m + 1, n);
    if (kc < n) s[kc + 1] = A(kc + 1, kc + 1);
    if (m < mm) s[mm] = 0.0f;
    if (lr + 1 < mm) e[lr + 1] = A(lr + 1, mm);
    e[mm] = 0.0f;

    // Accumulate the left transformations.
    const int nu = std::min(m, n);
    for (int j = kc + 1; j <= nu; ++j) {
        for (int i = 1; i <= m; ++i) U(i, j) = 0.0f;
        U(j, j) = 1.0f;
    }
    for (int k = kc; k >= 1; --k) {
        if (s[k] != 0.0f) {
            for (int j = k + 1; j <= nu; ++j) {
                float sum = 0.0f;
                for (int i = k; i <= m; ++i) sum = sum + U(i, k) * U(i, j) / U(k, k);
                const float t = -sum;
                for (int i = k; i <= m; ++i) U(i, j) = U(i, j) + t * U(i, k);
            }
            for (int i = k; i <= m; ++i) U(i, k) = -U(i, k);
            U(k, k) = U(k, k) + 1.0f;
            for (int i = 1; i <= k - 1; ++i) U(i, k) = 0.0f;
        } else {
            for (int i = 1; i <= m; ++i) U(i, k) = 0.0f;
            U(k, k) = 1.0f;
        }
    }

    // Accumulate the right transformations.
    for (int k = n; k >= 1; --k) {
        if (k <= lr && e[k] != 0.0f) {
            for (int j = k + 1; j <= n; ++j) {
                float sum = 0.0f;
                for (int i = k + 1; i <= n; ++i) sum = sum + V(i, k) * V(i, j) / V(k + 1, k);
                const float t = -sum;
                for (int i = k + 1; i <= n; ++i) V(i, j) = V(i, j) + t * V(i, k);
            }
        }
        for (int i = 1; i <= n; ++i) V(i, k) = 0.0f;
        V(k, k) = 1.0f;
    }

    for (std::ptrdiff_t i = 0, count = static_cast<std::ptrdiff_t>(m) * n; i < count; ++i) matrix[i] = 0.0f;

    // Diagonalise the bidiagonal matrix by implicit-shift QR sweeps.
    const int top = mm;
    int budget = SweepLimit;
    int result = 1;
    float c = 0.0f, sn = 0.0f, r = 0.0f;
    for (;;) {
        if (mm == 0) break;
        if (budget <= 0) {
            result = -1;
            break;
        }

        // Split point: the lowest l below which the superdiagonal is negligible.
        int l = mm - 1;
        while (l != 0 && e[l] != 0.0f) {
            if (std::fabs(e[l]) <= tolerance * (std::fabs(s[l]) + std::fabs(s[l + 1])))
                e[l] = 0.0f;
            else
                --l;
        }

        if (l == mm - 1) {
            // s(mm) has converged: make it non-negative and move it up to its sorted place.
            int k = mm;
            if (s[k] < 0.0f) {
                s[k] = -s[k];
                for (int j = 1; j <= n; ++j) V(j, k) = -V(j, k);
            }
            while (k != top && s[k] < s[k + 1]) {
                std::swap(s[k], s[k + 1]);
                if (k < n) SwapColumns(V, n, k, k + 1);
                if (k < m) SwapColumns(U, m, k, k + 1);
                ++k;
            }
            budget = SweepLimit;
            --mm;
            continue;
        }

        // Negligible diagonal element in l+1..mm?
        int ks = mm;
        while (ks > l && s[ks] != 0.0f) {
            float d = 0.0f;
            if (ks != mm) d = d + std::fabs(e[ks]);
            if (ks != l + 1) d = d + std::fabs(e[ks - 1]);
            if (std::fabs(s[ks]) <= tolerance * d)
                s[ks] = 0.0f;
            else
                --ks;
        }

        if (ks == l) {
            // One implicit-shift QR sweep over l+1..mm.
            const int k = l + 1;
            const float scale = std::max(
                std::max(std::max(std::max(std::fabs(s[mm]), std::fabs(s[mm - 1])), std::fabs(e[mm - 1])),
                         std::fabs(s[k])),
                std::fabs(e[k]));
            const float sm = s[mm] / scale;
            const float sm1 = s[mm - 1] / scale;
            const float em1 = e[mm - 1] / scale;
            const float sk = s[k] / scale;
            const float ek = e[k] / scale;
            const float b = ((sm1 + sm) * (sm1 - sm) + em1 * em1) * 0.5f;
            const float smem = sm * em1;
            const float cc = smem * smem;
            float shift = 0.0f;
            if (b != 0.0f || cc != 0.0f) {
                shift = Root(b * b + cc);
                if (b < 0.0f) shift = -shift;
                shift = cc / (b + shift);
            }
            float f = (sk + sm) * (sk - sm) - shift;
            float g = sk * ek;
            for (int i = k; i <= mm - 1; ++i) {
                MakeRotation(f, g, c, sn, r);
                if (i != k) e[i - 1] = r;
                f = c * s[i] + sn * e[i];
                e[i] = c * e[i] - sn * s[i];
                g = sn * s[i + 1];
                s[i + 1] = c * s[i + 1];
                if (c != 1.0f || sn != 0.0f) RotateColumns(V, n, i, i + 1, c, sn);

                MakeRotation(f, g, c, sn, r);
                s[i] = r;
                f = c * e[i] + sn * s[i + 1];
                s[i + 1] = -sn * e[i] + c * s[i + 1];
                g = sn * e[i + 1];
                e[i + 1] = c * e[i + 1];
                if (i < m && (c != 1.0f || sn != 0.0f)) RotateColumns(U, m, i, i + 1, c, sn);
            }
            e[mm - 1] = f;
            --budget;
            continue;
        }

        // s(ks) is zero: chase the coupling element out. Costs no sweep budget.
        if (ks == mm) {
            const int k = l + 1;
            float g = e[mm - 1];
            e[mm - 1] = 0.0f;
            for (int i = mm - 1; i >= k; --i) {
                MakeRotation(s[i], g, c, sn, r);
                s[i] = r;
                if (i != k) {
                    g = -sn * e[i - 1];
                    e[i - 1] = c * e[i - 1];
                }
                if (c != 1.0f || sn != 0.0f) RotateColumns(V, n, i, mm, c, sn);
            }
        } else {
            const int k = ks + 1;
            float g = e[k - 1];
            e[k - 1] = 0.0f;
            for (int i = k; i <= mm; ++i) {
                MakeRotation(s[i], g, c, sn, r);
                s[i] = r;
                g = -sn * e[i];
                e[i] = c * e[i];
                // U has m columns; i never exceeds m here (s(m+1) is zero and deflates from
                // the bottom), the guard only keeps that true under any input.
                if (i <= m && (c != 1.0f || sn != 0.0f)) RotateColumns(U, m, i, k - 1, c, sn);
            }
        }
    }

    // Store the (bi)diagonal result and return the right vectors as rows.
    const int p = std::min(m, n);
    for (int j = 1; j <= p - 1; ++j) {
        A(j, j) = s[j];
        A(j, j + 1) = e[j];
    }
    A(p, p) = s[p];
    if (m < n) A(p, p + 1) = e[p];
    for (int i = 1; i <= n; ++i)
        for (int j = i + 1; j <= n; ++j) std::swap(V(i, j), V(j, i));
    return result;
}
