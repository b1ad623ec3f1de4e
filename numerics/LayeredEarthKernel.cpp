// The layer recursion of LayeredEarth across frequencies, one lane per frequency, and its
// derivatives by the chain rule back up the recursion. Highway's foreach_target compiles this
// file once per instruction set; the entry points at the end pick one at run time. The scaled
// impedance W, η_j, θ_j and s are those of LayeredEarthKernel.h (time dependence e^{+iωt}).
//
// The choice at run time is made here, from the processor's feature flags, rather than by
// HWY_DYNAMIC_DISPATCH: that would link Highway's shared library, whose static constructor
// costs every process about 4 ms at start-up, far more than most commands of mt1d take. The
// vector code itself is Highway's headers alone.

#include <hwy/detect_targets.h>

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "numerics/LayeredEarthKernel.cpp"
// The instruction sets compiled for, on x86-64: AVX-512 (F, VL, DQ, BW), AVX2 with FMA, SSE4
// and plain C++. Elsewhere Highway's own choice of what the compiler can build.
#if HWY_ARCH_X86_64
#undef HWY_TARGETS
#define HWY_TARGETS (HWY_AVX3 | HWY_AVX2 | HWY_SSE4 | HWY_SCALAR)
#endif
// Scalable vectors (SVE, RVV) cannot be members of the small complex type below.
#ifndef HWY_DISABLED_TARGETS
#define HWY_DISABLED_TARGETS (HWY_SVE | HWY_SVE2 | HWY_SVE_256 | HWY_SVE2_128 | HWY_RVV)
#endif
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>
#include <hwy/contrib/math/math-inl.h>

#include "numerics/LayeredEarthKernel.h"

#include <atomic>
#include <string>

HWY_BEFORE_NAMESPACE();
namespace mt1d::earth::kernel {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

using D = hn::ScalableTag<double>;
using V = hn::Vec<D>;
static_assert(HWY_MAX_BYTES / sizeof(double) <= kLanePadding, "a block must fit the padding");

// Beyond θ = 50 a layer hides everything below it: e^{−θ} < 2e-22 is far below rounding
// against the terms it meets (|X·(η − W)| ≤ e^{−θ}·|η + W|). Capping θ there keeps sine and
// cosine inside the short range that SinCosOfSmall serves, for layers of any thickness, and
// changes no result.
constexpr double kThetaCap = 50.0;
constexpr double kDegreesPerRadian = 57.295779513082320876798;
constexpr double kLn10 = 2.302585092994045684018;

// A complex number per lane.
struct Cplx {
    V re;
    V im;
};

HWY_INLINE Cplx Plus(Cplx a, Cplx b) { return {hn::Add(a.re, b.re), hn::Add(a.im, b.im)}; }
HWY_INLINE Cplx Minus(Cplx a, Cplx b) { return {hn::Sub(a.re, b.re), hn::Sub(a.im, b.im)}; }
HWY_INLINE Cplx Scaled(V k, Cplx a) { return {hn::Mul(k, a.re), hn::Mul(k, a.im)}; }
HWY_INLINE Cplx Times(Cplx a, Cplx b)
{
    return {hn::MulSub(a.re, b.re, hn::Mul(a.im, b.im)), hn::MulAdd(a.re, b.im, hn::Mul(a.im, b.re))};
}
// a·conj(b)
HWY_INLINE Cplx TimesConj(Cplx a, Cplx b)
{
    return {hn::MulAdd(a.re, b.re, hn::Mul(a.im, b.im)), hn::MulSub(a.im, b.re, hn::Mul(a.re, b.im))};
}
HWY_INLINE V Norm(Cplx a) { return hn::MulAdd(a.re, a.re, hn::Mul(a.im, a.im)); }

// sin x and cos x together for 0 ≤ x ≤ kThetaCap/2, sharing one reduction: q = round(x·2/π),
// r = x − q·π/2 with |r| ≤ π/4, then the Taylor series of sin r and cos r, which reach double
// precision by r¹⁷/17! and r¹⁶/16! (the first terms left out are below 3e-18 of the sum), and
// q mod 4 picks and signs them: sin x = sin r, cos r, −sin r, −cos r and cos x = cos r, −sin r, −cos r, sin r.
struct SinCos {
    V sin;
    V cos;
};

HWY_INLINE SinCos SinCosOfSmall(D d, V x)
{
    // π/2 in three parts, the first two of 40 significant bits: q·part is exact for the q ≤ 16
    // that occur, and x − q·part1 is exact (the two are within a factor 2), with or without FMA.
    constexpr double kHalfPi1 = 1.5707963267941523;
    constexpr double kHalfPi2 = 7.443547480480255e-13;
    constexpr double kHalfPi3 = 6.36831716351095e-25;
    const V q = hn::Round(hn::Mul(x, hn::Set(d, 0.6366197723675814)));  // x·2/π
    V r = hn::NegMulAdd(q, hn::Set(d, kHalfPi1), x);
    r = hn::NegMulAdd(q, hn::Set(d, kHalfPi2), r);
    r = hn::NegMulAdd(q, hn::Set(d, kHalfPi3), r);
    const V r2 = hn::Mul(r, r);
    // sin r = r + r³·Σ_{k≥1} (−1)^k r^{2k−2}/(2k+1)!, by Horner in r².
    V ps = hn::Set(d, 1.0 / 355687428096000.0);                           //  1/17!
    ps = hn::MulAdd(ps, r2, hn::Set(d, -1.0 / 1307674368000.0));          // −1/15!
    ps = hn::MulAdd(ps, r2, hn::Set(d, 1.0 / 6227020800.0));              //  1/13!
    ps = hn::MulAdd(ps, r2, hn::Set(d, -1.0 / 39916800.0));               // −1/11!
    ps = hn::MulAdd(ps, r2, hn::Set(d, 1.0 / 362880.0));                  //  1/9!
    ps = hn::MulAdd(ps, r2, hn::Set(d, -1.0 / 5040.0));                   // −1/7!
    ps = hn::MulAdd(ps, r2, hn::Set(d, 1.0 / 120.0));                     //  1/5!
    ps = hn::MulAdd(ps, r2, hn::Set(d, -1.0 / 6.0));                      // −1/3!
    const V sinR = hn::MulAdd(hn::Mul(ps, r2), r, r);
    // cos r = 1 + r²·Σ_{k≥1} (−1)^k r^{2k−2}/(2k)!.
    V pc = hn::Set(d, 1.0 / 20922789888000.0);                            //  1/16!
    pc = hn::MulAdd(pc, r2, hn::Set(d, -1.0 / 87178291200.0));            // −1/14!
    pc = hn::MulAdd(pc, r2, hn::Set(d, 1.0 / 479001600.0));               //  1/12!
    pc = hn::MulAdd(pc, r2, hn::Set(d, -1.0 / 3628800.0));                // −1/10!
    pc = hn::MulAdd(pc, r2, hn::Set(d, 1.0 / 40320.0));                   //  1/8!
    pc = hn::MulAdd(pc, r2, hn::Set(d, -1.0 / 720.0));                    // −1/6!
    pc = hn::MulAdd(pc, r2, hn::Set(d, 1.0 / 24.0));                      //  1/4!
    pc = hn::MulAdd(pc, r2, hn::Set(d, -0.5));                            // −1/2!
    const V cosR = hn::MulAdd(pc, r2, hn::Set(d, 1.0));
    // The quadrant.
    const V q4 = hn::NegMulAdd(hn::Floor(hn::Mul(q, hn::Set(d, 0.25))), hn::Set(d, 4.0), q);
    const auto one = hn::Eq(q4, hn::Set(d, 1.0));
    const auto two = hn::Eq(q4, hn::Set(d, 2.0));
    const auto odd = hn::Or(one, hn::Eq(q4, hn::Set(d, 3.0)));
    const V sinBase = hn::IfThenElse(odd, cosR, sinR);
    const V cosBase = hn::IfThenElse(odd, sinR, cosR);
    return {hn::IfThenElse(hn::Ge(q4, hn::Set(d, 2.0)), hn::Neg(sinBase), sinBase),
            hn::IfThenElse(hn::Or(one, two), hn::Neg(cosBase), cosBase)};
}

// One layer at one block of frequencies: the terms of its step and of its derivatives.
struct LayerTerms {
    V theta;     // θ = 2·Re(kh) as given; the terms below take it capped at kThetaCap
    V cosTheta;  // cos θ
    V sinTheta;  // sin θ
    Cplx t;      // T = 1 − X, X = e^{−2kh} = e^{−θ}·(cos θ − i·sin θ)
    Cplx u;      // U = 1 + X = 2 − T
};

// T = 1 − X without cancellation for thin layers, from expm1 and the half angle:
//     1 − X = 2·sin²(θ/2) − (e^{−θ} − 1)·cos θ  +  i·e^{−θ}·sin θ,
//     cos θ = 1 − 2·sin²(θ/2),   sin θ = 2·sin(θ/2)·cos(θ/2).
HWY_INLINE LayerTerms Terms(D d, V theta)
{
    LayerTerms l;
    l.theta = theta;
    const V capped = hn::Min(theta, hn::Set(d, kThetaCap));
    const V half = hn::Mul(capped, hn::Set(d, 0.5));
    const SinCos halfAngle = SinCosOfSmall(d, half);
    const V expm1 = hn::Expm1(d, hn::Neg(capped));
    const V two = hn::Set(d, 2.0);
    const V oneMinusCos = hn::Mul(two, hn::Mul(halfAngle.sin, halfAngle.sin));
    l.cosTheta = hn::Sub(hn::Set(d, 1.0), oneMinusCos);
    l.sinTheta = hn::Mul(two, hn::Mul(halfAngle.sin, halfAngle.cos));
    l.t = {hn::NegMulAdd(expm1, l.cosTheta, oneMinusCos), hn::MulAdd(expm1, l.sinTheta, l.sinTheta)};
    l.u = {hn::Sub(two, l.t.re), hn::Neg(l.t.im)};
    return l;
}

// One step up through a layer, from W = W_{j+1} at its base to W_j at its top:
//     W_j = η·N/Den,   N = W·U + η·T,   Den = η·U + W·T.
// This is the textbook Z_j = ζ·(Z + ζ·tanh kh)/(ζ + Z·tanh kh) scaled as in the header, with
// tanh kh = T/U multiplied through by U: one exponential and one sine and cosine per layer, no
// inverse hyperbolic function, and nothing that can overflow: |T|, |U| ≤ 2 and Re W ≥ 0.
struct StepResult {
    Cplx den;
    V invNorm;  // 1/|Den|²
    Cplx w;     // W_j
};

HWY_INLINE StepResult Step(Cplx w, V eta, const LayerTerms& l)
{
    const Cplx n = Plus(Times(w, l.u), Scaled(eta, l.t));
    StepResult r;
    r.den = Plus(Scaled(eta, l.u), Times(w, l.t));
    r.invNorm = hn::Div(hn::Set(D(), 1.0), Norm(r.den));
    r.w = Scaled(hn::Mul(eta, r.invNorm), TimesConj(n, r.den));
    return r;
}

// W at the surface for one block of lanes: start at the half-space, W = η_{L−1}, and work up
// to the top layer.
HWY_INLINE Cplx SurfaceW(D d, V s, const Layers& layers)
{
    Cplx w = {hn::Set(d, layers.eta[layers.count - 1]), hn::Zero(d)};
    for (std::size_t j = layers.count - 1; j-- > 0;) {
        const LayerTerms l = Terms(d, hn::Mul(s, hn::Set(d, layers.c[j])));
        w = Step(w, hn::Set(d, layers.eta[j]), l).w;
    }
    return w;
}

// ρa = |W|² (Ω·m); φ = 45° + arg W in degrees. A layered earth has |arg W| < 45° (its
// impedance phase lies in the first quadrant), so Re W > |Im W| and arg W = atan(Im W/Re W).
HWY_INLINE V RhoA(Cplx w) { return Norm(w); }
HWY_INLINE V PhaseDeg(D d, Cplx w)
{
    return hn::MulAdd(hn::Atan(d, hn::Div(w.im, w.re)), hn::Set(d, kDegreesPerRadian),
                      hn::Set(d, 45.0));
}

void ResponseImpl(const double* s, std::size_t padded, Layers layers, double* rhoA,
                  double* phaseDeg)
{
    const D d;
    for (std::size_t i = 0; i < padded; i += hn::Lanes(d)) {
        const Cplx w = SurfaceW(d, hn::LoadU(d, s + i), layers);
        hn::StoreU(RhoA(w), d, rhoA + i);
        hn::StoreU(PhaseDeg(d, w), d, phaseDeg + i);
    }
}

// The Jacobian. Each step W_j = F(W_{j+1}, η_j, θ_j) is differentiated by hand; with
// X = 1 − T, P = η + W, Q = η − W (W = W_{j+1}) and Den as in Step:
//     ∂W_j/∂W_{j+1}  = 4η²·X/Den²                                   (= FW)
//     ∂W_j/∂ln h_j   = 2η·K·X·P·Q/Den²,        K = 2kh = θ·(1 + i)   (= FH)
//     ∂W_j/∂ln ρ_j   = η·[(T/2)·(P² + X·Q²) − K·X·P·Q]/Den²          (= FR)
// (ln ρ_j moves η_j = sqrt(ρ_j) and θ_j ∝ ρ_j^{−1/2}; ln h_j moves θ_j ∝ h_j.) The forward
// sweep stores FW, FH and FR of every layer; the pass back down multiplies them out,
//     λ_0 = 1/W_0,   λ_{j+1} = λ_j·FW_j,   ∂ln W_0/∂ln ρ_j = λ_j·FR_j,   ∂ln W_0/∂ln h_j = λ_j·FH_j,
// and ∂ln W_0/∂ln ρ_{L−1} = λ_{L−1}·η_{L−1}/2 for the half-space. Then, per log10 of a parameter,
//     ∂log10 ρa = 2·Re ∂ln W_0/∂ln p,   ∂φ = ln 10·(180/π)·Im ∂ln W_0/∂ln p  (degrees).
void ResponseAndJacobianImpl(const double* s, std::size_t padded, Layers layers, double* rhoA,
                             double* phaseDeg, double* dRho, double* dPhase, std::size_t stride,
                             double* work)
{
    const D d;
    const std::size_t n = hn::Lanes(d);
    const std::size_t count = layers.count;
    const V two = hn::Set(d, 2.0);
    const V half = hn::Set(d, 0.5);
    const V dPhaseScale = hn::Set(d, kLn10 * kDegreesPerRadian);
    for (std::size_t i = 0; i < padded; i += n) {
        const V sLanes = hn::LoadU(d, s + i);

        // Forward sweep, from the half-space up, keeping the three factors of every layer.
        Cplx w = {hn::Set(d, layers.eta[count - 1]), hn::Zero(d)};
        for (std::size_t j = count - 1; j-- > 0;) {
            const V eta = hn::Set(d, layers.eta[j]);
            const LayerTerms l = Terms(d, hn::Mul(sLanes, hn::Set(d, layers.c[j])));
            const StepResult r = Step(w, eta, l);
            // X = e^{−θ}·(cos θ − i·sin θ) directly, accurate where it is tiny and 0 where
            // e^{−θ} underflows (then K·X = 0 too, however large θ is).
            const V e = hn::Exp(d, hn::Neg(l.theta));
            const Cplx x = {hn::Mul(e, l.cosTheta), hn::Neg(hn::Mul(e, l.sinTheta))};
            // 1/Den² = (conj(Den)/|Den|²)².
            const Cplx invDen = {hn::Mul(r.den.re, r.invNorm), hn::Neg(hn::Mul(r.den.im, r.invNorm))};
            const Cplx invDen2 = Times(invDen, invDen);
            const Cplx p = {hn::Add(eta, w.re), w.im};
            const Cplx q = {hn::Sub(eta, w.re), hn::Neg(w.im)};
            const Cplx kx = Scaled(l.theta, Cplx{hn::Sub(x.re, x.im), hn::Add(x.re, x.im)});
            const Cplx kxpq = Times(kx, Times(p, q));
            const Cplx fw = Scaled(hn::Mul(hn::Set(d, 4.0), hn::Mul(eta, eta)), Times(x, invDen2));
            const Cplx fh = Scaled(hn::Mul(two, eta), Times(kxpq, invDen2));
            const Cplx bracket =
                Minus(Scaled(half, Times(l.t, Plus(Times(p, p), Times(x, Times(q, q))))), kxpq);
            const Cplx fr = Scaled(eta, Times(bracket, invDen2));
            double* slot = work + j * 6 * n;
            hn::Store(fw.re, d, slot);
            hn::Store(fw.im, d, slot + n);
            hn::Store(fh.re, d, slot + 2 * n);
            hn::Store(fh.im, d, slot + 3 * n);
            hn::Store(fr.re, d, slot + 4 * n);
            hn::Store(fr.im, d, slot + 5 * n);
            w = r.w;
        }
        const V rho = RhoA(w);
        hn::StoreU(rho, d, rhoA + i);
        hn::StoreU(PhaseDeg(d, w), d, phaseDeg + i);

        // Back down: λ = ∂ln W_0/∂W_j, starting from 1/W_0 = conj(W_0)/|W_0|².
        const V invRho = hn::Div(hn::Set(d, 1.0), rho);
        Cplx lambda = {hn::Mul(w.re, invRho), hn::Neg(hn::Mul(w.im, invRho))};
        const auto storeColumn = [&](std::size_t column, Cplx g) {
            hn::StoreU(hn::Mul(two, g.re), d, dRho + column * stride + i);
            hn::StoreU(hn::Mul(dPhaseScale, g.im), d, dPhase + column * stride + i);
        };
        for (std::size_t j = 0; j + 1 < count; ++j) {
            const double* slot = work + j * 6 * n;
            const Cplx fw = {hn::Load(d, slot), hn::Load(d, slot + n)};
            const Cplx fh = {hn::Load(d, slot + 2 * n), hn::Load(d, slot + 3 * n)};
            const Cplx fr = {hn::Load(d, slot + 4 * n), hn::Load(d, slot + 5 * n)};
            storeColumn(j, Times(lambda, fr));
            storeColumn(count + j, Times(lambda, fh));
            lambda = Times(lambda, fw);
        }
        storeColumn(count - 1, Scaled(hn::Set(d, 0.5 * layers.eta[count - 1]), lambda));
    }
}

void TransposeImpl(const double* columns, std::size_t stride, std::size_t rows, std::size_t cols,
                   double* out)
{
    std::size_t r = 0;
#if HWY_TARGET == HWY_AVX2 || HWY_TARGET == HWY_AVX3 || HWY_TARGET == HWY_AVX3_DL
    // Tiles of 4 × 4 turned in registers: with a, b, c, d four columns of rows r..r+3,
    // row r is (a0 b0 c0 d0), row r+1 (a1 b1 c1 d1), and so on.
    const hn::FixedTag<double, 4> d4;
    for (; r + 4 <= rows; r += 4) {
        std::size_t k = 0;
        for (; k + 4 <= cols; k += 4) {
            const auto a = hn::LoadU(d4, columns + k * stride + r);
            const auto b = hn::LoadU(d4, columns + (k + 1) * stride + r);
            const auto c = hn::LoadU(d4, columns + (k + 2) * stride + r);
            const auto d = hn::LoadU(d4, columns + (k + 3) * stride + r);
            const auto ab02 = hn::InterleaveLower(d4, a, b);  // a0 b0 | a2 b2
            const auto ab13 = hn::InterleaveUpper(d4, a, b);  // a1 b1 | a3 b3
            const auto cd02 = hn::InterleaveLower(d4, c, d);
            const auto cd13 = hn::InterleaveUpper(d4, c, d);
            double* row = out + r * cols + k;
            hn::StoreU(hn::ConcatLowerLower(d4, cd02, ab02), d4, row);
            hn::StoreU(hn::ConcatLowerLower(d4, cd13, ab13), d4, row + cols);
            hn::StoreU(hn::ConcatUpperUpper(d4, cd02, ab02), d4, row + 2 * cols);
            hn::StoreU(hn::ConcatUpperUpper(d4, cd13, ab13), d4, row + 3 * cols);
        }
        for (; k < cols; ++k) {
            for (std::size_t m = r; m < r + 4; ++m) out[m * cols + k] = columns[k * stride + m];
        }
    }
#endif
    for (; r < rows; ++r) {
        for (std::size_t k = 0; k < cols; ++k) out[r * cols + k] = columns[k * stride + r];
    }
}

double ChiSquareImpl(const double* s, std::size_t count, Layers layers, const double* log10RhoA,
                     const double* log10RhoAWeight, const double* phaseDeg,
                     const double* phaseWeight)
{
    const D d;
    const std::size_t n = hn::Lanes(d);
    // The last, partial block reads its observations from here, padded with weight 0.
    HWY_ALIGN double tail[4][kLanePadding] = {};
    V sum = hn::Zero(d);
    for (std::size_t i = 0; i < count; i += n) {
        const double* obs[4] = {log10RhoA + i, log10RhoAWeight + i, phaseDeg + i, phaseWeight + i};
        if (count - i < n) {
            for (std::size_t k = 0; k < 4; ++k) {
                for (std::size_t m = 0; m < count - i; ++m) tail[k][m] = obs[k][m];
                obs[k] = tail[k];
            }
        }
        const Cplx w = SurfaceW(d, hn::LoadU(d, s + i), layers);
        const V wRho = hn::LoadU(d, obs[1]);
        const V wPhase = hn::LoadU(d, obs[3]);
        const V rRho = hn::Mul(wRho, hn::Sub(hn::Log10(d, RhoA(w)), hn::LoadU(d, obs[0])));
        const V rPhase = hn::Mul(wPhase, hn::Sub(PhaseDeg(d, w), hn::LoadU(d, obs[2])));
        const V zero = hn::Zero(d);
        sum = hn::Add(sum, hn::IfThenElseZero(hn::Ne(wRho, zero), hn::Mul(rRho, rRho)));
        sum = hn::Add(sum, hn::IfThenElseZero(hn::Ne(wPhase, zero), hn::Mul(rPhase, rPhase)));
    }
    return hn::GetLane(hn::SumOfLanes(d, sum));
}

void Log10Impl(const double* values, std::size_t count, double* out)
{
    const D d;
    const std::size_t n = hn::Lanes(d);
    std::size_t i = 0;
    for (; i + n <= count; i += n) hn::StoreU(hn::Log10(d, hn::LoadU(d, values + i)), d, out + i);
    if (i < count) {
        HWY_ALIGN double tail[kLanePadding];
        for (std::size_t k = 0; k < n; ++k) tail[k] = i + k < count ? values[i + k] : 1.0;
        hn::Store(hn::Log10(d, hn::Load(d, tail)), d, tail);
        for (std::size_t k = 0; i + k < count; ++k) out[i + k] = tail[k];
    }
}

}  // namespace HWY_NAMESPACE
}  // namespace mt1d::earth::kernel
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace mt1d::earth::kernel {

namespace {

// One compiled instruction set: its name, whether this processor runs it, its entry points.
struct Target {
    const char* name;
    bool (*supported)();
    decltype(&N_SCALAR::ResponseImpl) response;
    decltype(&N_SCALAR::ResponseAndJacobianImpl) responseAndJacobian;
    decltype(&N_SCALAR::ChiSquareImpl) chiSquare;
    decltype(&N_SCALAR::TransposeImpl) transpose;
    decltype(&N_SCALAR::Log10Impl) log10;
};

#define MT1D_KERNEL_TARGET(ns, label, check)                                                            \
    Target{label, check, &ns::ResponseImpl, &ns::ResponseAndJacobianImpl, &ns::ChiSquareImpl, &ns::TransposeImpl, \
           &ns::Log10Impl}

#if HWY_ARCH_X86_64
// The features each Highway target requires (hwy/targets.cc of Highway 1.0); the compiler's
// checks include the operating system's support of the wider registers.
bool HasSse4()
{
    return __builtin_cpu_supports("ssse3") && __builtin_cpu_supports("sse4.1") && __builtin_cpu_supports("sse4.2") &&
           __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("aes");
}
bool HasAvx2()
{
    return HasSse4() && __builtin_cpu_supports("avx") && __builtin_cpu_supports("avx2") &&
           __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("fma") &&
           __builtin_cpu_supports("f16c") && __builtin_cpu_supports("lzcnt");
}
bool HasAvx3()
{
    return HasAvx2() && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
           __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512bw");
}
#endif
bool Always() { return true; }

// Best first.
const std::vector<Target>& CompiledTargets()
{
    static const std::vector<Target> targets = {
#if HWY_ARCH_X86_64
        MT1D_KERNEL_TARGET(N_AVX3, "AVX3", HasAvx3),
        MT1D_KERNEL_TARGET(N_AVX2, "AVX2", HasAvx2),
        MT1D_KERNEL_TARGET(N_SSE4, "SSE4", HasSse4),
#endif
        MT1D_KERNEL_TARGET(N_SCALAR, "SCALAR", Always),
    };
    return targets;
}

#undef MT1D_KERNEL_TARGET

const Target& Best()
{
    for (const Target& t : CompiledTargets()) {
        if (t.supported()) return t;
    }
    return CompiledTargets().back();
}

// The set in use: the best one the processor supports, unless a test holds another.
std::atomic<const Target*> forced{nullptr};

const Target& Chosen()
{
    static const Target& best = Best();
    const Target* held = forced.load(std::memory_order_relaxed);
    return held != nullptr ? *held : best;
}

}  // namespace

void Response(const double* s, std::size_t padded, Layers layers, double* rhoA, double* phaseDeg)
{
    Chosen().response(s, padded, layers, rhoA, phaseDeg);
}

std::size_t JacobianWorkSize(std::size_t layerCount) { return 6 * layerCount * kLanePadding; }

void ResponseAndJacobian(const double* s, std::size_t padded, Layers layers, double* rhoA,
                         double* phaseDeg, double* dRho, double* dPhase, std::size_t stride,
                         double* work)
{
    Chosen().responseAndJacobian(s, padded, layers, rhoA, phaseDeg, dRho, dPhase, stride, work);
}

double ChiSquare(const double* s, std::size_t count, Layers layers, const double* log10RhoA,
                 const double* log10RhoAWeight, const double* phaseDeg, const double* phaseWeight)
{
    return Chosen().chiSquare(s, count, layers, log10RhoA, log10RhoAWeight, phaseDeg, phaseWeight);
}

void Transpose(const double* columns, std::size_t stride, std::size_t rows, std::size_t cols,
               double* out)
{
    Chosen().transpose(columns, stride, rows, cols, out);
}

void Log10(const double* values, std::size_t count, double* out) { Chosen().log10(values, count, out); }

std::vector<std::string> AvailableTargets()
{
    std::vector<std::string> names;
    for (const Target& t : CompiledTargets()) {
        if (t.supported()) names.emplace_back(t.name);
    }
    return names;
}

std::string CurrentTarget() { return Chosen().name; }

void HoldTargetForTest(const std::string& name)
{
    const Target* held = nullptr;
    for (const Target& t : CompiledTargets()) {
        if (name == t.name && t.supported()) held = &t;
    }
    forced.store(held, std::memory_order_relaxed);
}

}  // namespace mt1d::earth::kernel
#endif  // HWY_ONCE
