#pragma once
// What a laterally constrained inversion (LCI) of a profile takes: the soundings of its sites
// and how to fit them together.
//
// Every site has the same kind of model:
//   smooth   many fixed layers shared by all sites (the Occam fit's mesh, OccamMesh.h); the
//            unknowns are log10 ρ of every layer;
//   layered  a few layers, the same number at every site; the unknowns are log10 ρ of every
//            layer and log10 of the depth of every interface (not the thicknesses, so that the
//            lateral roughness of an interface is a difference of unknowns).
// The run minimises, over all sites at once, the regularisation
//     R = Σ_s |∂ m_s|²  +  W · Σ_k w_k |m_{k+1} − m_k|²
// (vertical roughness of every site, smooth form only, plus the lateral roughness between
// neighbouring sites k, k+1 along the profile) subject to the RMS misfit of the whole profile
// reaching the target, as the Occam fit does for one site (LciFit.h). The lateral term of the
// layered form takes log10 ρ and log10 interface depth alike.
//
// Distance weights: w_k = (d_ref / d_k)^p with d_k the spacing of the neighbours in km (at
// least kMinSpacingFraction·d_ref, so that sites at one place stay finitely tied), d_ref by
// default the median spacing of the profile and p by default 1: sites twice as far apart are
// tied half as strongly.
//
// Lateral weight W by default: the value that gives the lateral and vertical operators the
// same trace over the profile, tr(Σ ∂ᵀ∂) = W · tr(lateral operator). A model of independent
// unit scatter in every unknown then has the same expected vertical and lateral roughness, so
// neither term rules the other before the data have a say. For evenly spaced sites and first
// differences W comes out near 1 ((S·(n−1)) / ((S−1)·n) for S sites of n layers). The layered
// form has no vertical term; its W only scales the multiplier, and defaults to 1.

#include "fitting/FitData.h"
#include "fitting/OccamMesh.h"
#include "fitting/Roughness.h"
#include "numerics/LayeredEarth.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mt1d::lci {

// One sounding of the profile: its data, already selected (fitting::SelectData), and where it
// lies along the profile.
struct ProfileSite {
    fitting::FitData data;
    double distanceKm = 0.0;  // along the profile from its start; negative before it
};

enum class LciForm { kSmooth, kLayered };

inline constexpr double kDefaultDistancePower = 1.0;
inline constexpr double kMinSpacingFraction = 0.01;  // of d_ref: the closest two sites count as
inline constexpr double kDefaultReferenceDistanceKm = 1.0;  // when no two sites are apart
inline constexpr std::size_t kMaxLciLayers = 30;            // layered form, as a layered fit

struct LateralOptions {
    std::optional<double> weight;               // W ≥ 0; empty: the equal-trace default above
    std::optional<double> referenceDistanceKm;  // d_ref > 0; empty: median neighbour spacing
    double distancePower = kDefaultDistancePower;  // p ≥ 0; 0 ties every pair alike
};

struct LciOptions {
    LciForm form = LciForm::kSmooth;
    // Smooth form: the layers. Without the user's tops, the top depth is the shallowest of the
    // sites' own choices and the bottom depth the deepest (OccamMesh.h), so that one mesh
    // serves every site.
    fitting::MeshOptions mesh;
    fitting::RoughnessKind roughness = fitting::RoughnessKind::kFirstDifference;
    // Layered form: layers per site (1 to kMaxLciLayers, the half-space included) and the
    // starting models: one model of `layers` layers per site in the caller's order, or empty
    // for each site's own layered fit (fitting::FitLayered with `starts` starts, empty for its
    // default count, and `seed`), run on the threads. A few-layer misfit has local minima that
    // a single start often misses (on real soundings as on synthetic ones); the joint run
    // then only has to tie the sites' best models together.
    std::size_t layers = 3;
    std::vector<earth::LayeredModel> startModels;
    std::optional<std::size_t> starts;
    std::uint64_t seed = 1;
    LateralOptions lateral;
    double targetRms = 1.0;  // of the whole profile
    std::size_t maxIterations = 30;
    // When the target is out of reach: the smoothest model whose χ² exceeds the smallest found
    // by at most this much per site (the Occam fit's slack, OccamFit.h, summed over the sites).
    double chi2SlackPerSite = 1.0;
    // Threads for the work of independent sites; 0: one per processor core. The result does
    // not depend on it.
    std::size_t threads = 1;
};

// Options with everything the data decide made explicit: the smooth form's mesh as layer tops,
// d_ref and W. Windows of one profile (ProfileWindows.h) fit with the options of the whole
// profile resolved once, so that they share mesh and weights.
struct ResolvedOptions {
    LciOptions options;
    std::string error;  // empty when the sites and options were accepted
    bool Ok() const { return error.empty(); }
};

// Checks the sites and options; names the site (1-based, in the caller's order) or the option
// that is wrong.
ResolvedOptions ResolveOptions(const std::vector<ProfileSite>& sites, const LciOptions& options);

// The sites' indices in profile order: by distance, ties in the caller's order.
std::vector<std::size_t> ProfileOrder(const std::vector<ProfileSite>& sites);

// The sites' distances in profile order.
std::vector<double> OrderedDistancesKm(const std::vector<ProfileSite>& sites);

}  // namespace mt1d::lci
