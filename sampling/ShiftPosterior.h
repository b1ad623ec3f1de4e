#pragma once
// The posterior of the static-shift factors a sampling run gives (StaticShift.h): per curve,
// the mean and standard deviation of log10 s over the kept samples and its quantiles, read off
// a histogram of kShiftBins bins over ±kMaxAbsLog10Shift (good to a bin, 0.0005 in log10).

#include "fitting/StaticShift.h"
#include "sounding/Curve.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace mt1d::sampling {

inline constexpr std::size_t kShiftBins = 4000;
// The probabilities of the quantiles, the median and the central 68 % and 95 %.
inline constexpr std::array<double, 5> kShiftQuantiles = {0.025, 0.16, 0.5, 0.84, 0.975};

struct CurveShiftPosterior {
    sounding::Mode mode = sounding::Mode::kXy;
    double meanLog10 = 0.0;
    double sdLog10 = 0.0;  // 0 for a factor held (the reference, or given)
    std::array<double, kShiftQuantiles.size()> quantileLog10{};
    bool fitted = false;   // a free factor, not the reference curve's or a given one

    friend bool operator==(const CurveShiftPosterior&, const CurveShiftPosterior&) = default;
};

struct ShiftPosterior {
    std::string reference;  // as fitting::ReferenceWord
    std::vector<CurveShiftPosterior> curves;

    friend bool operator==(const ShiftPosterior&, const ShiftPosterior&) = default;
};

// Counts of the curves' log10 s over kept samples, merged chain by chain.
class ShiftTally {
public:
    explicit ShiftTally(const fitting::ShiftDesign& design);

    // The design's unknowns `u` held for `count` samples.
    void Add(std::span<const double> u, std::uint64_t count);
    void Merge(const ShiftTally& other);
    std::uint64_t Total() const { return total_; }
    // Empty curves when no sample was kept.
    ShiftPosterior Summary() const;

private:
    fitting::ShiftDesign design_;
    std::vector<std::vector<std::uint64_t>> counts_;  // per curve, per bin
    std::vector<double> sum_, sumSquares_;            // per curve, of log10 s times its count
    std::uint64_t total_ = 0;
};

}  // namespace mt1d::sampling
