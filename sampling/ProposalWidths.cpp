#include "sampling/ProposalWidths.h"

#include <algorithm>
#include <cmath>

namespace mt1d::sampling {

ProposalWidths InitialWidths(const Prior& prior)
{
    return {kInitialBirthWidthFraction * prior.RhoSpan(), 0.05 * prior.DepthSpan(), 0.1 * prior.RhoSpan()};
}

WidthAdapter::WidthAdapter(const Prior& prior)
    : widths_(InitialWidths(prior)),
      birthLow_(kMinBirthWidthFraction * prior.RhoSpan()),
      birthHigh_(kMaxBirthWidthFraction * prior.RhoSpan()),
      moveHigh_(prior.DepthSpan()),
      changeHigh_(prior.RhoSpan())
{
}

void WidthAdapter::Record(Move move, bool accepted)
{
    switch (move) {
    case Move::kBirth:
    case Move::kDeath:
        birth_.proposed++;
        birth_.accepted += accepted ? 1 : 0;
        Adapt(birth_, widths_.birth, kTargetBirthAcceptance, birthLow_, birthHigh_);
        break;
    case Move::kMove:
        move_.proposed++;
        move_.accepted += accepted ? 1 : 0;
        Adapt(move_, widths_.move, kTargetAcceptance, kMinWidth, moveHigh_);
        break;
    case Move::kChange:
        change_.proposed++;
        change_.accepted += accepted ? 1 : 0;
        Adapt(change_, widths_.change, kTargetAcceptance, kMinWidth, changeHigh_);
        break;
    case Move::kSwap:
    case Move::kShift: break;
    }
}

void WidthAdapter::Adapt(Batch& batch, double& width, double target, double low, double high)
{
    if (batch.proposed < kAdaptBatch) return;
    const double rate = static_cast<double>(batch.accepted) / static_cast<double>(batch.proposed);
    width = std::clamp(width * std::exp(kAdaptGain * (rate - target)), low, high);
    batch = Batch{};
}

}  // namespace mt1d::sampling
