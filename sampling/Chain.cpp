#include "sampling/Chain.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace mt1d::sampling {

// The acceptance ratios.
//
// Coordinates: k interfaces at u_1 < … < u_k (u = log10 depth) in [u_min, u_max], and layer
// values r_0 … r_k (r = log10 ρ) in [r_min, r_max]; Δu and Δr are the two spans and K the
// largest k. The target is
//     π(k, u, r) ∝ p(k) · p(u | k) · p(r | k) · L(k, u, r)^(1/T),
//     p(k) = 1/(K + 1),   p(u | k) = k! / Δu^k,   p(r | k) = 1 / Δr^(k+1),
// with L = exp(−χ²/2). Green's ratio is A = [π(m') q(m | m')] / [π(m) q(m' | m)] · |J|.
//
// Birth (k → k + 1, needs k < K). Draw u* uniformly on [u_min, u_max] (density 1/Δu); it
// falls in layer j, which spans [a, b] in u (a = u_min for the top layer, b = u_max for the
// half-space) and splits at u* into an upper part of share w = (u* − a)/(b − a) and a lower
// part of share 1 − w. Draw a contrast δ with density q(δ) (a Gaussian whose width is itself
// drawn, LogSpreadDensity below) and give the parts
//     r_upper = r_j − (1 − w)·δ,   r_lower = r_j + w·δ,
// so that their w-weighted mean is r_j and r_lower − r_upper = δ. The map (r_j, δ) → (r_upper,
// r_lower) has determinant (1 − w)·1 + w·1 = 1, and u* is carried over as drawn (w depends on u*
// alone, so the Jacobian is triangular): |J| = 1.
//     q(m' | m) = 1/4 · 1/Δu · q(δ)
// The reverse is a death that picks this interface among k + 1 and merges its two layers into
// their weighted mean, which is r_j again:
//     q(m | m') = 1/4 · 1/(k + 1)
// The prior ratio is p(u' | k+1)/p(u | k) · p(r' | k+1)/p(r | k) = (k + 1)/Δu · 1/Δr (and 0 when
// a new value lies outside [r_min, r_max]). The factors (k + 1) and Δu cancel:
//     A_birth = (L'/L)^(1/T) / (Δr · q(δ)),
//     log A_birth = −Δχ²/(2T) − log Δr − log q(δ).
//
// Death (k → k − 1, needs k > 0): pick interface i among k and merge the layers above and below
// it into one whose value is their mean weighted by their shares of the merged span in u, as
// above; δ is the lower value minus the upper. It is the birth read backwards:
//     log A_death = −Δχ²/(2T) + log Δr + log q(δ).
// The merged value is a weighted mean of two values inside the bounds, so it is inside too.
//
// Merging to the mean rather than keeping one of the two values keeps a death close to the
// model it leaves, where the data see only an average over the two layers; and the wide spread
// of q lets a layer that differs from its neighbour by decades (where the data see nothing)
// die as readily as it was born.
//
// Move: pick interface i among k and draw u_i' ~ N(u_i, σ²), σ drawn around the move width as
// for births (independently of the model, so the proposal stays symmetric); a value outside the
// interval between its neighbours (or the depth bounds) has prior 0 and is rejected, so the
// interfaces stay in order. p(u | k) is constant on the ordered set:
//     A_move = (L'/L)^(1/T).
// Change: pick layer j among k + 1 and draw r_j' ~ N(r_j, σ²) in the same way, rejected outside
// the bounds; symmetric again: A_change = (L'/L)^(1/T).
//
// Shift (only with static-shift unknowns): pick unknown k among them and draw u_k' ~ N(u_k, σ²)
// with σ drawn as above around kShiftWidth, rejected beyond ±kMaxAbsLog10Shift: symmetric on a
// flat prior, A_shift = (L'/L)^(1/T), the unknowns' Gaussian prior being part of χ².
//
// The move probabilities are 1/4 whatever k is (1/5 each with shift unknowns), so they cancel
// between a birth and the death that undoes it; at k = K a birth and at k = 0 a death are
// proposed and rejected.

namespace {

constexpr double kLogSqrtTwoPi = 0.91893853320467274178;  // log √(2π)
constexpr double kSqrtTwo = 1.41421356237309504880;

// log q(δ) for δ = σ·z, z ~ N(0, 1), with σ log-uniform on [w/s, w·s] (s = kWidthSpread,
// w the birth width): the Gaussian averaged over its width,
//     q(δ) = [erf(|δ|/(√2·σ1)) − erf(|δ|/(√2·σ2))] / (2·|δ|·ln(σ2/σ1)),
// from ∫ N(δ; 0, σ²)·dσ/(σ·ln(σ2/σ1)) with t = 1/σ. Written with erfc, which keeps the
// difference accurate when both terms are near 1; at δ → 0 the limit is
// (1/σ1 − 1/σ2)/(√(2π)·ln(σ2/σ1)).
double LogSpreadDensity(double delta, double width)
{
    const double low = width / kWidthSpread, high = width * kWidthSpread;
    const double logRatio = std::log(high / low);
    const double a = std::abs(delta);
    if (a < 1e-9 * low) return std::log((1.0 / low - 1.0 / high) / logRatio) - kLogSqrtTwoPi;
    const double difference = std::erfc(a / (kSqrtTwo * high)) - std::erfc(a / (kSqrtTwo * low));
    return std::log(difference / (2.0 * a * logRatio));
}

}  // namespace

Chain::Chain(const Prior& prior, ModelMisfit& misfit, std::uint64_t seed, double temperature,
             std::vector<double> startShifts)
    : prior_(prior),
      misfit_(misfit),
      random_(seed),
      temperature_(temperature),
      adapter_(prior),
      state_(random_.Uniform(prior.minLog10Rho, prior.maxLog10Rho)),
      shifts_(std::move(startShifts))
{
    for (double& u : shifts_) u = fitting::ClampShiftUnknown(std::isfinite(u) ? u : 0.0);
    misfit_.SetShifts(shifts_);
    chi2_ = misfit_.ChiSquare(state_.Resistivities(), state_.Thicknesses());
}

double Chain::SpreadWidth(double width) { return width * std::pow(kWidthSpread, 2.0 * random_.Uniform() - 1.0); }

bool Chain::InsideRho(double v) const { return v >= prior_.minLog10Rho && v <= prior_.maxLog10Rho; }

bool Chain::ProposeBirth(double& logRatio)
{
    const std::size_t k = proposal_.Interfaces();
    if (k >= prior_.maxInterfaces) return false;
    const double u = random_.Uniform(prior_.minLog10Depth, prior_.maxLog10Depth);
    const auto depths = proposal_.Log10Depths();
    // Two interfaces at one depth have probability 0; refusing one keeps the layers apart.
    if (std::binary_search(depths.begin(), depths.end(), u)) return false;
    const std::size_t j = proposal_.LayerAt(u);
    const double top = j == 0 ? prior_.minLog10Depth : depths[j - 1];
    const double bottom = j == k ? prior_.maxLog10Depth : depths[j];
    const double rj = proposal_.Log10Rhos()[j];
    const double width = adapter_.Widths().birth;
    const double delta = SpreadWidth(width) * random_.Gaussian();
    const double upperShare = (u - top) / (bottom - top);
    const double upper = rj - (1.0 - upperShare) * delta;
    const double lower = rj + upperShare * delta;
    if (!InsideRho(upper) || !InsideRho(lower)) return false;
    proposal_.Split(u, upper, lower);
    logRatio = -std::log(prior_.RhoSpan()) - LogSpreadDensity(delta, width);
    return true;
}

bool Chain::ProposeDeath(double& logRatio)
{
    const std::size_t k = proposal_.Interfaces();
    if (k == 0) return false;
    const auto i = std::min(static_cast<std::size_t>(random_.Uniform() * static_cast<double>(k)), k - 1);
    const auto depths = proposal_.Log10Depths();
    const double top = i == 0 ? prior_.minLog10Depth : depths[i - 1];
    const double bottom = i + 1 == k ? prior_.maxLog10Depth : depths[i + 1];
    const double upperShare = (depths[i] - top) / (bottom - top);
    const double upper = proposal_.Log10Rhos()[i], lower = proposal_.Log10Rhos()[i + 1];
    const double merged = upperShare * upper + (1.0 - upperShare) * lower;
    proposal_.Merge(i, merged);
    logRatio = std::log(prior_.RhoSpan()) + LogSpreadDensity(lower - upper, adapter_.Widths().birth);
    return true;
}

bool Chain::ProposeMove()
{
    const std::size_t k = proposal_.Interfaces();
    if (k == 0) return false;
    const auto i = std::min(static_cast<std::size_t>(random_.Uniform() * static_cast<double>(k)), k - 1);
    const auto depths = proposal_.Log10Depths();
    const double u = depths[i] + SpreadWidth(adapter_.Widths().move) * random_.Gaussian();
    const double above = i == 0 ? prior_.minLog10Depth : depths[i - 1];
    const double below = i + 1 == k ? prior_.maxLog10Depth : depths[i + 1];
    if (!(u > above && u < below)) return false;
    proposal_.MoveInterface(i, u);
    return true;
}

bool Chain::ProposeChange()
{
    const std::size_t layers = proposal_.Layers();
    const auto j = std::min(static_cast<std::size_t>(random_.Uniform() * static_cast<double>(layers)), layers - 1);
    const double v = proposal_.Log10Rhos()[j] + SpreadWidth(adapter_.Widths().change) * random_.Gaussian();
    if (!InsideRho(v)) return false;
    proposal_.SetLog10Rho(j, v);
    return true;
}

bool Chain::ProposeShift()
{
    const std::size_t n = proposalShifts_.size();
    const auto k = std::min(static_cast<std::size_t>(random_.Uniform() * static_cast<double>(n)), n - 1);
    const double u = proposalShifts_[k] + SpreadWidth(kShiftWidth) * random_.Gaussian();
    if (!(std::abs(u) <= fitting::kMaxAbsLog10Shift)) return false;
    proposalShifts_[k] = u;
    return true;
}

StepOutcome Chain::Step(bool adapt)
{
    StepOutcome out;
    // Without shift unknowns the draw is the four moves' as it always was.
    const std::size_t moves = kChainMoves + (shifts_.empty() ? 0 : 1);
    const auto drawn = std::min(static_cast<std::size_t>(random_.Uniform() * static_cast<double>(moves)), moves - 1);
    out.move = drawn == kChainMoves ? Move::kShift : static_cast<Move>(drawn);
    proposal_ = state_;
    proposalShifts_ = shifts_;
    double logRatio = 0.0;
    bool possible = false;
    // Whether the width had a say: impossible moves are rejected whatever it is.
    bool widthMatters = true;
    switch (out.move) {
    case Move::kBirth:
        widthMatters = proposal_.Interfaces() < prior_.maxInterfaces;
        possible = ProposeBirth(logRatio);
        break;
    case Move::kDeath:
        widthMatters = proposal_.Interfaces() > 0;
        possible = ProposeDeath(logRatio);
        break;
    case Move::kMove:
        widthMatters = proposal_.Interfaces() > 0;
        possible = ProposeMove();
        break;
    case Move::kChange: possible = ProposeChange(); break;
    case Move::kShift:
        widthMatters = false;  // a fixed width
        possible = ProposeShift();
        break;
    case Move::kSwap: break;
    }
    if (possible) {
        if (!shifts_.empty()) misfit_.SetShifts(proposalShifts_);
        const double chi2 = misfit_.ChiSquare(proposal_.Resistivities(), proposal_.Thicknesses());
        const double logA = logRatio - (chi2 - chi2_) / (2.0 * temperature_);
        // A NaN (a misfit that cannot be computed) fails both comparisons: rejected.
        if (logA >= 0.0 || random_.Uniform() < std::exp(logA)) {
            std::swap(state_, proposal_);
            std::swap(shifts_, proposalShifts_);
            chi2_ = chi2;
            out.accepted = true;
        }
    }
    auto& count = counts_[out.move];
    count.proposed++;
    count.accepted += out.accepted ? 1 : 0;
    if (adapt && widthMatters) adapter_.Record(out.move, out.accepted);
    return out;
}

void Chain::SwapModel(Chain& other)
{
    std::swap(state_, other.state_);
    std::swap(shifts_, other.shifts_);
    std::swap(chi2_, other.chi2_);
}

}  // namespace mt1d::sampling
