#pragma once
// The prior of the layered models the sampler draws: what any model may be before the data
// are seen.
//
// A model has k interfaces (0 ≤ k ≤ maxInterfaces, every k equally likely) at depths z_1 <
// … < z_k, and k + 1 layers (the last one the half-space). Interface depths are uniform in
// log10 depth between minDepthM and maxDepthM: given k they are k independent such draws,
// sorted, with density k!/Δu^k over the ordered set (u = log10 z, Δu = log10 maxDepthM −
// log10 minDepthM). Each layer's log10 ρ (ρ in Ω·m) is uniform between log10 minRhoOhmM and
// log10 maxRhoOhmM, independently.
//
// By default the depths follow the data: from a quarter of the skin depth of the highest
// frequency over its apparent resistivity (the shallowest depth the data see), down to the
// largest skin depth of any row (the deepest).

#include "fitting/FitData.h"

#include <cstddef>
#include <optional>
#include <string>

namespace mt1d::sampling {

inline constexpr std::size_t kDefaultMaxInterfaces = 20;
// Beyond this the kernel's work grows with no gain any sounding can show.
inline constexpr std::size_t kMaxInterfacesLimit = 200;
inline constexpr double kDefaultMinRhoOhmM = 0.1;
inline constexpr double kDefaultMaxRhoOhmM = 1e5;
// The shallowest default interface depth, as a fraction of the skin depth at the highest
// frequency.
inline constexpr double kShallowSkinDepthFraction = 0.25;

struct PriorOptions {
    std::size_t maxInterfaces = kDefaultMaxInterfaces;
    std::optional<double> minDepthM;  // empty: from the data, as above
    std::optional<double> maxDepthM;  // empty: from the data
    double minRhoOhmM = kDefaultMinRhoOhmM;
    double maxRhoOhmM = kDefaultMaxRhoOhmM;
};

// The prior in the sampler's own coordinates.
struct Prior {
    std::size_t maxInterfaces = kDefaultMaxInterfaces;
    double minLog10Depth = 0.0;  // log10 m
    double maxLog10Depth = 0.0;
    double minLog10Rho = 0.0;    // log10 Ω·m
    double maxLog10Rho = 0.0;

    double DepthSpan() const { return maxLog10Depth - minLog10Depth; }
    double RhoSpan() const { return maxLog10Rho - minLog10Rho; }
};

struct PriorFromData {
    Prior prior;
    std::string error;  // empty when the options were accepted
    bool Ok() const { return error.empty(); }
};

// The default depth range of `data` (at least one row, ρa and f positive): {min, max} in m.
struct DepthRange {
    double minM = 0.0;
    double maxM = 0.0;
};
DepthRange DefaultDepthRange(const fitting::FitData& data);

// The prior for `data` under `options`. Refuses, with a message naming the option, bounds
// that are not finite and positive, a lower bound not below the upper one (after the
// defaults are filled in), and more than kMaxInterfacesLimit interfaces.
PriorFromData MakePrior(const fitting::FitData& data, const PriorOptions& options);

// The same checks for a prior whose depth range is given in full (no data needed).
PriorFromData MakePrior(const PriorOptions& options);

}  // namespace mt1d::sampling
