#include "lci/LciOptions.h"

#include "lci/LateralWeights.h"
#include "fitting/Roughness.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <sstream>

namespace mt1d::lci {

namespace {

std::string Number(double v)
{
    std::ostringstream s;
    s << v;
    return s.str();
}

std::string SiteName(std::size_t index) { return "site " + std::to_string(index + 1); }

std::string CheckSites(const std::vector<ProfileSite>& sites)
{
    if (sites.empty()) return "a profile needs at least one site";
    for (std::size_t i = 0; i < sites.size(); ++i) {
        const auto& d = sites[i].data;
        if (d.Count() == 0) return SiteName(i) + ": nothing to fit: no data values";
        if (d.sigmas.size() != d.Count() || d.kernelRows.size() != d.Count() ||
            d.rhoA.size() != d.FrequencyCount() || d.phaseDeg.size() != d.FrequencyCount()) {
            return SiteName(i) + ": the fit data are incomplete (select them with fitting::SelectData)";
        }
        if (!std::isfinite(sites[i].distanceKm)) {
            return SiteName(i) + ": the distance along the profile must be finite, not " + Number(sites[i].distanceKm);
        }
    }
    return {};
}

std::string CheckOptions(const LciOptions& o)
{
    if (!std::isfinite(o.targetRms) || o.targetRms <= 0.0) return "the target RMS must be finite and positive";
    if (!std::isfinite(o.chi2SlackPerSite) || o.chi2SlackPerSite < 0.0) {
        return "the chi-square slack must be finite and not negative";
    }
    if (o.form == LciForm::kLayered && o.startModels.empty() && o.starts && *o.starts < 1) {
        return "the sites' own layered fits need at least one start";
    }
    const auto& l = o.lateral;
    if (l.weight && (!std::isfinite(*l.weight) || *l.weight < 0.0)) {
        return "the lateral weight must be finite and not negative, not " + Number(*l.weight);
    }
    if (l.referenceDistanceKm && (!std::isfinite(*l.referenceDistanceKm) || *l.referenceDistanceKm <= 0.0)) {
        return "the reference distance must be finite and positive, not " + Number(*l.referenceDistanceKm) + " km";
    }
    if (!std::isfinite(l.distancePower) || l.distancePower < 0.0) {
        return "the distance power must be finite and not negative, not " + Number(l.distancePower);
    }
    return {};
}

std::string CheckStartModels(const std::vector<ProfileSite>& sites, const LciOptions& o)
{
    if (o.startModels.empty()) return {};
    if (o.startModels.size() != sites.size()) {
        return "starting models: " + std::to_string(o.startModels.size()) + " for " + std::to_string(sites.size()) +
               " sites";
    }
    for (std::size_t i = 0; i < sites.size(); ++i) {
        const auto& m = o.startModels[i];
        if (m.resistivity.size() != o.layers || m.thickness.size() + 1 != o.layers) {
            return SiteName(i) + ": the starting model has " + std::to_string(m.resistivity.size()) +
                   " resistivities and " + std::to_string(m.thickness.size()) + " thicknesses; " +
                   std::to_string(o.layers) + " layers need " + std::to_string(o.layers) + " and " +
                   std::to_string(o.layers - 1);
        }
        for (double v : m.resistivity) {
            if (!std::isfinite(v) || v <= 0.0) return SiteName(i) + ": a starting resistivity is not finite and positive";
        }
        for (double v : m.thickness) {
            if (!std::isfinite(v) || v <= 0.0) return SiteName(i) + ": a starting thickness is not finite and positive";
        }
    }
    return {};
}

// The smooth form's layer tops, shared by every site: the user's, or from the shallowest top
// and the deepest bottom the sites' own meshes would take.
fitting::Mesh SharedMesh(const std::vector<ProfileSite>& sites, const fitting::MeshOptions& options)
{
    if (!options.layerTops.empty()) return fitting::SmoothMesh(sites.front().data, options);
    double top = std::numeric_limits<double>::infinity(), bottom = 0.0;
    for (std::size_t i = 0; i < sites.size(); ++i) {
        fitting::Mesh own = fitting::SmoothMesh(sites[i].data, options);
        if (!own.Ok()) {
            own.error = SiteName(i) + ": " + own.error;
            return own;
        }
        top = std::min(top, own.tops[1]);
        bottom = std::max(bottom, own.tops.back());
    }
    fitting::MeshOptions shared = options;
    shared.topDepthM = top;
    shared.bottomDepthM = bottom;
    return fitting::SmoothMesh(sites.front().data, shared);
}

}  // namespace

std::vector<std::size_t> ProfileOrder(const std::vector<ProfileSite>& sites)
{
    std::vector<std::size_t> order(sites.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return sites[a].distanceKm < sites[b].distanceKm; });
    return order;
}

std::vector<double> OrderedDistancesKm(const std::vector<ProfileSite>& sites)
{
    std::vector<double> d;
    for (std::size_t i : ProfileOrder(sites)) d.push_back(sites[i].distanceKm);
    return d;
}

ResolvedOptions ResolveOptions(const std::vector<ProfileSite>& sites, const LciOptions& options)
{
    ResolvedOptions r;
    r.options = options;
    LciOptions& o = r.options;
    if (r.error = CheckSites(sites); !r.error.empty()) return r;
    if (r.error = CheckOptions(o); !r.error.empty()) return r;
    double verticalTrace = 0.0;
    std::size_t unknowns = 0;
    if (o.form == LciForm::kSmooth) {
        const fitting::Mesh mesh = SharedMesh(sites, o.mesh);
        if (!mesh.Ok()) {
            r.error = mesh.error;
            return r;
        }
        o.mesh.layerTops = mesh.tops;
        unknowns = mesh.tops.size();
        const Eigen::MatrixXd d = fitting::RoughnessOperator(unknowns, o.roughness);
        verticalTrace = (d.transpose() * d).trace();
    } else {
        if (o.layers < 1 || o.layers > kMaxLciLayers) {
            r.error = "a layered profile fit takes 1 to " + std::to_string(kMaxLciLayers) + " layers, not " +
                      std::to_string(o.layers);
            return r;
        }
        if (r.error = CheckStartModels(sites, o); !r.error.empty()) return r;
        unknowns = 2 * o.layers - 1;
    }
    const auto distances = OrderedDistancesKm(sites);
    const double reference = o.lateral.referenceDistanceKm.value_or(MedianSpacingKm(distances));
    o.lateral.referenceDistanceKm = reference;
    if (!o.lateral.weight) {
        const auto w = LinkWeights(distances, reference, o.lateral.distancePower);
        o.lateral.weight = EqualTraceLateralWeight(sites.size(), verticalTrace, unknowns, w);
    }
    return r;
}

}  // namespace mt1d::lci
