#include "sampling/ShiftPosterior.h"

#include "sampling/PosteriorSummary.h"

#include <algorithm>
#include <cmath>

namespace mt1d::sampling {

namespace {

constexpr double kLow = -fitting::kMaxAbsLog10Shift;
constexpr double kStep = 2.0 * fitting::kMaxAbsLog10Shift / static_cast<double>(kShiftBins);

std::size_t BinOf(double log10s)
{
    const double at = std::floor((log10s - kLow) / kStep);
    if (!(at > 0.0)) return 0;
    return std::min(static_cast<std::size_t>(at), kShiftBins - 1);
}

}  // namespace

ShiftTally::ShiftTally(const fitting::ShiftDesign& design)
    : design_(design),
      counts_(design.Curves(), std::vector<std::uint64_t>(kShiftBins, 0)),
      sum_(design.Curves(), 0.0),
      sumSquares_(design.Curves(), 0.0)
{
}

void ShiftTally::Add(std::span<const double> u, std::uint64_t count)
{
    if (count == 0) return;
    const std::vector<double> level = design_.CurveLog10(u);
    const auto n = static_cast<double>(count);
    for (std::size_t c = 0; c < level.size(); ++c) {
        counts_[c][BinOf(level[c])] += count;
        sum_[c] += n * level[c];
        sumSquares_[c] += n * level[c] * level[c];
    }
    total_ += count;
}

void ShiftTally::Merge(const ShiftTally& other)
{
    for (std::size_t c = 0; c < counts_.size() && c < other.counts_.size(); ++c) {
        for (std::size_t b = 0; b < kShiftBins; ++b) counts_[c][b] += other.counts_[c][b];
        sum_[c] += other.sum_[c];
        sumSquares_[c] += other.sumSquares_[c];
    }
    total_ += other.total_;
}

ShiftPosterior ShiftTally::Summary() const
{
    ShiftPosterior out;
    out.reference = fitting::ReferenceWord(design_);
    if (total_ == 0) return out;
    const auto n = static_cast<double>(total_);
    for (std::size_t c = 0; c < design_.Curves(); ++c) {
        CurveShiftPosterior p;
        p.mode = design_.modes[c];
        p.fitted = design_.mode == fitting::ShiftMode::kFree && design_.Unknowns() > 0 &&
                   design_.a.row(static_cast<Eigen::Index>(c)).squaredNorm() > 0.0;
        p.meanLog10 = sum_[c] / n;
        if (p.fitted) {
            p.sdLog10 = std::sqrt(std::max(sumSquares_[c] / n - p.meanLog10 * p.meanLog10, 0.0));
            std::vector<double> probability(kShiftBins);
            for (std::size_t b = 0; b < kShiftBins; ++b) probability[b] = static_cast<double>(counts_[c][b]) / n;
            for (std::size_t q = 0; q < kShiftQuantiles.size(); ++q) {
                p.quantileLog10[q] = HistogramQuantile(probability, kLow, kStep, kShiftQuantiles[q]);
            }
        } else {
            // Held: one value in every sample (a given factor may lie beyond the histogram).
            p.quantileLog10.fill(p.meanLog10);
        }
        out.curves.push_back(p);
    }
    return out;
}

}  // namespace mt1d::sampling
