#include "fitting/OccamMesh.h"

#include "fitting/NiblettBostick.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <tuple>

namespace mt1d::fitting {

namespace {

std::string Number(double v)
{
    std::ostringstream s;
    s << v;
    return s.str();
}

bool InDepthRange(double depth) { return depth >= kMinMeshDepthM && depth <= kMaxMeshDepthM; }

// "the top depth (5 m)" or "the top depth (5 m, from the skin depth)".
std::string Depth(const char* name, double value, bool given)
{
    return std::string("the ") + name + " depth (" + Number(value) + " m" + (given ? "" : ", from the skin depth") + ")";
}

Mesh GivenTops(const std::vector<double>& tops)
{
    Mesh mesh;
    if (tops.size() < 2) {
        mesh.error = "layer tops: give at least two (0 and the top of the half-space)";
        return mesh;
    }
    if (tops.size() > kMaxOccamLayers) {
        mesh.error = "layer tops: at most " + std::to_string(kMaxOccamLayers) + " layers, got " +
                     std::to_string(tops.size());
        return mesh;
    }
    if (tops.front() != 0.0) {
        mesh.error = "layer tops: the first layer starts at the surface, so the first top must be 0, not " +
                     Number(tops.front());
        return mesh;
    }
    for (std::size_t k = 1; k < tops.size(); ++k) {
        if (!std::isfinite(tops[k]) || !(tops[k] > tops[k - 1])) {
            mesh.error = "layer tops: top " + std::to_string(k + 1) + " (" + Number(tops[k]) +
                         " m) must be finite and deeper than the one above (" + Number(tops[k - 1]) + " m)";
            return mesh;
        }
        if (!InDepthRange(tops[k])) {
            mesh.error = "layer tops: top " + std::to_string(k + 1) + " (" + Number(tops[k]) + " m) must lie from " +
                         Number(kMinMeshDepthM) + " m to " + Number(kMaxMeshDepthM) + " m";
            return mesh;
        }
    }
    mesh.tops = tops;
    return mesh;
}

}  // namespace

Mesh SmoothMesh(const FitData& data, const MeshOptions& options)
{
    if (!options.layerTops.empty()) return GivenTops(options.layerTops);
    Mesh mesh;
    const std::size_t n = options.layers;
    if (n < kMinOccamLayers || n > kMaxOccamLayers) {
        mesh.error = "a smooth fit takes " + std::to_string(kMinOccamLayers) + " to " +
                     std::to_string(kMaxOccamLayers) + " layers, not " + std::to_string(n);
        return mesh;
    }
    if (data.FrequencyCount() == 0) {
        mesh.error = "no data to place the layers by";
        return mesh;
    }
    const auto highest = std::max_element(data.frequencies.begin(), data.frequencies.end()) - data.frequencies.begin();
    const auto lowest = std::min_element(data.frequencies.begin(), data.frequencies.end()) - data.frequencies.begin();
    const auto hi = static_cast<std::size_t>(highest), lo = static_cast<std::size_t>(lowest);
    // Depths from the skin depths are moved into the accepted range (a row at 1e308 Hz has a
    // skin depth of 0); the user's are checked.
    const auto fromSkinDepth = [](double depth) {
        return std::isnan(depth) ? depth : std::clamp(depth, kMinMeshDepthM, kMaxMeshDepthM);
    };
    const double top = options.topDepthM ? *options.topDepthM
                                         : fromSkinDepth(kTopSkinDepthFraction * SkinDepth(data.rhoA[hi], data.frequencies[hi]));
    const double bottom = options.bottomDepthM
                              ? *options.bottomDepthM
                              : fromSkinDepth(kBottomSkinDepths * SkinDepth(data.rhoA[lo], data.frequencies[lo]));
    // A depth the user did not give comes from the data: say so instead of naming an option.
    for (const auto& [name, value, given, row] : {std::tuple{"top", top, options.topDepthM.has_value(), hi},
                                                 std::tuple{"bottom", bottom, options.bottomDepthM.has_value(), lo}}) {
        if (std::isfinite(value) && value > 0.0) continue;
        mesh.error = given ? std::string("the ") + name + " depth must be finite and positive, not " + Number(value)
                           : std::string("the data give no ") + name + " depth: the skin depth at " +
                                 Number(data.frequencies[row]) + " Hz (apparent resistivity " + Number(data.rhoA[row]) +
                                 " ohm-m) is " + Number(value) + " m";
        return mesh;
    }
    for (const auto& [name, value, given] : {std::tuple{"top", top, options.topDepthM.has_value()},
                                            std::tuple{"bottom", bottom, options.bottomDepthM.has_value()}}) {
        if (!InDepthRange(value)) {
            mesh.error = Depth(name, value, given) + " must lie from " + Number(kMinMeshDepthM) + " m to " +
                         Number(kMaxMeshDepthM) + " m";
            return mesh;
        }
    }
    if (!(bottom > top)) {
        mesh.error = Depth("bottom", bottom, options.bottomDepthM.has_value()) + " must lie below " +
                     Depth("top", top, options.topDepthM.has_value());
        return mesh;
    }
    if ((options.topDepthM || options.bottomDepthM) && bottom < kMinBottomToTopRatio * top) {
        mesh.error = Depth("bottom", bottom, options.bottomDepthM.has_value()) + " must lie below " +
                     Depth("top", top, options.topDepthM.has_value()) + " by a factor of at least " +
                     Number(kMinBottomToTopRatio);
        return mesh;
    }
    mesh.tops.assign(n, 0.0);
    const double ratio = std::log(bottom / top);
    for (std::size_t k = 1; k < n; ++k) {
        mesh.tops[k] = top * std::exp(ratio * static_cast<double>(k - 1) / static_cast<double>(n - 2));
    }
    mesh.tops.back() = bottom;
    return mesh;
}

std::vector<double> ThicknessesOf(const std::vector<double>& tops)
{
    std::vector<double> h;
    for (std::size_t k = 1; k < tops.size(); ++k) h.push_back(tops[k] - tops[k - 1]);
    return h;
}

}  // namespace mt1d::fitting
