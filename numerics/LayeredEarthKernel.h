#pragma once
// The vectorised layer recursion behind LayeredEarth, one lane per frequency. Internal to
// numerics: LayeredEarth prepares the per-layer and per-frequency constants below, checks
// sizes and hands out the work space; these functions only compute. Each one dispatches at
// run time to the best instruction set of the processor (Google Highway).
//
// The recursion works with the surface impedance scaled by sqrt(ωμ0)·e^{iπ/4} (e^{+iωt}):
//     Z = sqrt(ωμ0)·e^{iπ/4}·W,  so that  ρa = |W|²  (Ω·m)  and  φ = 45° + arg W.
// A layer's intrinsic impedance ζ_j = sqrt(iωμ0·ρ_j) becomes the real η_j = sqrt(ρ_j), and
// 2·k_j·h_j = θ_j·(1 + i) with θ_j = h_j·sqrt(2ωμ0/ρ_j) = s·c_j, where
//     s   = sqrt(ωμ0/2) = sqrt(π·f·μ0)   per frequency, in sqrt(Ω/m),
//     c_j = 2·h_j/η_j                    per layer, in sqrt(m/Ω).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mt1d::earth::kernel {

// Frequency arrays are padded to a multiple of this many lanes; padding lanes carry s = 0
// (the direct-current limit, finite for every model) and their results are never read.
inline constexpr std::size_t kLanePadding = 16;

constexpr std::size_t PaddedCount(std::size_t n)
{
    return (n + kLanePadding - 1) / kLanePadding * kLanePadding;
}

// The layered earth as the recursion sees it: L values of η (the last is the half-space)
// and L − 1 values of c.
struct Layers {
    const double* eta;
    const double* c;
    std::size_t count;  // L ≥ 1
};

// ρa (Ω·m) and φ (degrees) at `padded` lanes (a multiple of kLanePadding) of s.
void Response(const double* s, std::size_t padded, Layers layers, double* rhoA, double* phaseDeg);

// Work space that ResponseAndJacobian needs, in doubles, for L layers.
std::size_t JacobianWorkSize(std::size_t layerCount);

// The response and its derivatives with respect to log10 ρ_0..log10 ρ_{L−1}, log10 h_0..
// log10 h_{L−2}: column k of ∂log10 ρa at dRho[k·stride ..] and of ∂φ (degrees) at
// dPhase[k·stride ..], `padded` values each. `work` holds JacobianWorkSize(L) doubles, aligned
// to 64 bytes.
void ResponseAndJacobian(const double* s, std::size_t padded, Layers layers, double* rhoA,
                         double* phaseDeg, double* dRho, double* dPhase, std::size_t stride,
                         double* work);

// A column stride of at least `padded` values that is not a multiple of a large power of two,
// so that reading the columns across (one value from each) does not keep hitting the same
// few cache sets.
constexpr std::size_t ColumnStride(std::size_t padded) { return padded + 8; }

// Copies `rows` × `cols` values stored column by column (column k at columns[k·stride ..])
// into row-major `out` (row r at out[r·cols ..]).
void Transpose(const double* columns, std::size_t stride, std::size_t rows, std::size_t cols,
               double* out);

// Σ over the `count` frequencies of [wρ·(log10 ρa − dρ)]² + [wφ·(φ − dφ)]², values with weight 0
// left out whatever they hold. The four observation arrays hold `count` values, unpadded.
double ChiSquare(const double* s, std::size_t count, Layers layers, const double* log10RhoA,
                 const double* log10RhoAWeight, const double* phaseDeg, const double* phaseWeight);

// log10 of `count` positive values, in SIMD lanes (Highway's Log10, within a few ulps of the
// correctly rounded value); `out` may be `values`.
void Log10(const double* values, std::size_t count, double* out);

// The instruction sets this kernel was compiled for that the processor supports, by name
// ("AVX3", "AVX2", "SSE4", "SCALAR"), best first; tests run every one of them.
std::vector<std::string> AvailableTargets();

// The set the entry points use now.
std::string CurrentTarget();

// Holds the entry points to the named set (one of AvailableTargets()), or back to the best the
// processor supports for an empty or unknown name. For tests; not for use while other threads
// compute.
void HoldTargetForTest(const std::string& name);

}  // namespace mt1d::earth::kernel
