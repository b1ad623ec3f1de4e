#pragma once
// The widths of the Gaussian proposals (standard deviations, in decades) and their adaptation
// during burn-in.
//
// Each width is scaled after every kAdaptBatch proposals that used it by
//     width ← width · exp(kAdaptGain · (rate − target)),
// rate being the acceptance of that batch, and held within its limits. Birth and death share
// one width (of the contrast in log10 ρ between the two parts of a split layer) and one batch.
// Adaptation stops when burn-in ends: from then on the widths are fixed, so that the chain
// that produces the samples is a fixed Markov chain with the posterior as its stationary
// distribution.

#include "sampling/Moves.h"
#include "sampling/Prior.h"

#include <cstddef>

namespace mt1d::sampling {

inline constexpr std::size_t kAdaptBatch = 50;
inline constexpr double kAdaptGain = 2.0;
// Acceptance sought for single-parameter random-walk moves (0.44 is the optimum for one
// Gaussian dimension; a little below it favours larger steps on long ridges).
inline constexpr double kTargetAcceptance = 0.35;
// Birth and death. Their rate is not monotonic in the width: a contrast far larger than the
// data allow is rejected, and one very small leaves the likelihood as it was while the ratio
// still carries the prior's 1/(Δr·q(δ)) for the added parameter. With the spread of widths
// below the rate is flat over a wide range (on the synthetic three-layer sounding of the tests
// it stays between 8 % and 10 % for centre widths from 0.1 to 3 decades), so the width seeks a
// modest target only inside a range in that flat part, starting at a quarter of the span:
// wider where births come easily (weak data), narrower where they do not.
inline constexpr double kTargetBirthAcceptance = 0.2;
inline constexpr double kMinBirthWidthFraction = 0.1;   // of the resistivity span
inline constexpr double kMaxBirthWidthFraction = 0.5;
inline constexpr double kInitialBirthWidthFraction = 0.25;
// The smallest width of a move or change, in decades: steps that still move a chain.
inline constexpr double kMinWidth = 1e-3;

// Each proposal draws its width log-uniformly between width/kWidthSpread and
// width·kWidthSpread: one width cannot suit every layer (a well-resolved top layer wants
// steps of hundredths of a decade, an unseen deep one steps of decades), and a spread of
// widths keeps the chain moving in both. Drawn independently of the model, the spread keeps
// moves and changes symmetric; births and deaths use its density (Chain.cpp).
inline constexpr double kWidthSpread = 10.0;
// The centre width of a static-shift proposal, in log10 s; with the spread above its steps run
// from 0.005 to 0.5 decades, about the standard errors of factors from good data to the bound.
// It does not adapt.
inline constexpr double kShiftWidth = 0.05;

struct ProposalWidths {
    double birth = 0.0;   // log10 ρ of a new layer about the split layer's
    double move = 0.0;    // log10 depth of an interface
    double change = 0.0;  // log10 ρ of a layer
};

// Starting widths: a quarter of the resistivity span for births, a tenth of it for changes,
// a twentieth of the depth span for moves.
ProposalWidths InitialWidths(const Prior& prior);

class WidthAdapter {
public:
    explicit WidthAdapter(const Prior& prior);

    const ProposalWidths& Widths() const { return widths_; }

    // One proposal of `move` whose outcome depended on its width (a proposal that was
    // impossible whatever the width, such as a death with no interface, is not recorded).
    // Swaps have no width and are ignored.
    void Record(Move move, bool accepted);

private:
    struct Batch {
        std::size_t proposed = 0;
        std::size_t accepted = 0;
    };
    void Adapt(Batch& batch, double& width, double target, double low, double high);

    ProposalWidths widths_;
    Batch birth_, move_, change_;
    double birthLow_, birthHigh_, moveHigh_, changeHigh_;
};

}  // namespace mt1d::sampling
