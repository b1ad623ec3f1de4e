#pragma once
// One reversible-jump Markov chain over layered models (Green 1995), at a temperature T.
//
// The chain's stationary distribution is π(m) ∝ p(m) · exp(−χ²(m) / (2T)), the prior of
// Prior.h times the likelihood tempered by T (T = 1: the posterior). Each step draws one of
// four moves with probability 1/4 and accepts the proposed model m' with probability
// α = min(1, A); the derivation of A for each move is in Chain.cpp. A move that cannot be
// made (a birth at the largest number of interfaces, a death or a move with none) leaves
// the model as it is and counts as a rejection: the proposal then has prior probability 0.
//
// Randomness comes only from the generator the chain is given, so a seed reproduces a chain
// on any thread.

#include "sampling/ModelMisfit.h"
#include "sampling/ModelState.h"
#include "sampling/Moves.h"
#include "sampling/Prior.h"
#include "sampling/ProposalWidths.h"
#include "fitting/SeededRandom.h"

#include <cstdint>
#include <span>
#include <vector>

namespace mt1d::sampling {

struct StepOutcome {
    Move move = Move::kBirth;
    bool accepted = false;
};

class Chain {
public:
    // Starts from a half-space whose log10 ρ is drawn from the prior, and with
    // `shifts` static-shift unknowns (StaticShift.h) at `startShifts` (0 where not given). The
    // unknowns have a flat prior on ±kMaxAbsLog10Shift; their Gaussian prior is in the
    // misfit's χ² (ModelMisfit.h).
    Chain(const Prior& prior, ModelMisfit& misfit, std::uint64_t seed, double temperature = 1.0,
          std::vector<double> startShifts = {});

    // One proposal and its acceptance. While `adapt` is true the proposal widths adapt
    // (burn-in); afterwards they stay as they are.
    StepOutcome Step(bool adapt);

    const ModelState& State() const { return state_; }
    std::span<const double> Shifts() const { return shifts_; }
    double ChiSquare() const { return chi2_; }
    double Temperature() const { return temperature_; }
    const ProposalWidths& Widths() const { return adapter_.Widths(); }
    const MoveCounts& Counts() const { return counts_; }
    void ResetCounts() { counts_ = MoveCounts{}; }
    fitting::SeededRandom& Random() { return random_; }

    // Exchanges models (and their misfits) with another chain, as a parallel-tempering swap
    // does; temperatures, widths and generators stay with each chain.
    void SwapModel(Chain& other);

private:
    // Each fills proposal_ and the log of the prior × proposal part of A; false when the
    // proposal has prior probability 0.
    bool ProposeBirth(double& logRatio);
    bool ProposeDeath(double& logRatio);
    bool ProposeMove();
    bool ProposeChange();
    bool ProposeShift();
    bool InsideRho(double log10Rho) const;
    // A width drawn log-uniformly within kWidthSpread of `width` (ProposalWidths.h).
    double SpreadWidth(double width);

    Prior prior_;
    ModelMisfit& misfit_;
    fitting::SeededRandom random_;
    double temperature_;
    WidthAdapter adapter_;
    ModelState state_, proposal_;
    std::vector<double> shifts_, proposalShifts_;
    double chi2_ = 0.0;
    MoveCounts counts_;
};

}  // namespace mt1d::sampling
