#pragma once
// The distance weights of the lateral roughness and the default lateral weight (LciOptions.h
// says how they are defined).

#include <cstddef>
#include <span>
#include <vector>

namespace mt1d::lci {

// The median spacing of neighbouring sites that are apart (km), `distancesKm` in profile
// order; kDefaultReferenceDistanceKm when no two are.
double MedianSpacingKm(std::span<const double> distancesKm);

// w_k = (d_ref / max(d_k, kMinSpacingFraction·d_ref))^p for every pair of neighbours k, k+1
// (one fewer than the sites), `distancesKm` in profile order.
std::vector<double> LinkWeights(std::span<const double> distancesKm, double referenceKm, double power);

// W with tr(vertical operators) = W · tr(lateral operator), for `sites` sites, `verticalTrace`
// the trace of one site's ∂ᵀ∂, `unknowns` unknowns per site and the link weights. 1 when
// either trace is 0 (a layered form, or a single site).
double EqualTraceLateralWeight(std::size_t sites, double verticalTrace, std::size_t unknowns,
                               std::span<const double> linkWeights);

}  // namespace mt1d::lci
