#include "inversion/MathClass.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <random>
#include <vector>

namespace {

// Decomposes a fixed-seed random m-by-n matrix of the sizes the inversion engines hand
// over (data rows stacked on one damping row per parameter). Decompose works in place, so every iteration restores the input
// first; that copy (at most 59*29 floats) is inside the timed region, as pausing the timer
// would cost more than the copy itself.
void BM_Decompose(benchmark::State& state, int m, int n) {
    std::mt19937 gen(12345u);
    std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
    std::vector<float> input(static_cast<std::size_t>(m) * n);
    for (float& x : input) x = dist(gen);
    std::vector<float> a(input.size()), u(static_cast<std::size_t>(m) * m), vt(static_cast<std::size_t>(n) * n);
    MathClass svd;
    for (auto _ : state) {
        std::copy(input.begin(), input.end(), a.begin());
        const int rc = svd.Decompose(a.data(), m, n, u.data(), vt.data(), 1e-7f, std::max(m, n) + 1);
        benchmark::DoNotOptimize(rc);
        benchmark::ClobberMemory();
    }
}

}  // namespace

BENCHMARK_CAPTURE(BM_Decompose, 46x5, 46, 5);
BENCHMARK_CAPTURE(BM_Decompose, 82x9, 82, 9);
BENCHMARK_CAPTURE(BM_Decompose, 59x29, 59, 29);
