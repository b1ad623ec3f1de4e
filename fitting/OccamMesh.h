#pragma once
// The fixed layers of a smooth (Occam) inversion.
//
// By default kDefaultOccamLayers layers: the first from the surface to the top depth, then
// layer tops spaced evenly in log depth from the top depth to the bottom depth, which is the
// top of the half-space. Without the user's depths, the top depth is kTopSkinDepthFraction of
// the skin depth at the highest frequency and the bottom depth kBottomSkinDepths skin depths
// at the lowest, each skin depth sqrt(2ρa/(ωμ0)) taken with that row's apparent resistivity:
// the shallowest layer is thinner than anything the data resolve and the half-space lies
// below anything they see. The user may instead give every layer's top.

#include "fitting/FitData.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace mt1d::fitting {

inline constexpr std::size_t kDefaultOccamLayers = 50;
inline constexpr std::size_t kMinOccamLayers = 3;
inline constexpr std::size_t kMaxOccamLayers = 500;
inline constexpr double kTopSkinDepthFraction = 0.1;
inline constexpr double kBottomSkinDepths = 2.0;
// Depths a mesh may use: a layer top (other than the surface's 0) from 1 cm to 10 000 km,
// which holds any sounding's resolution and reach with room to spare; beyond it the layers
// are too thin or too deep for the forward model to tell apart (1e-300 m) or to compute
// (1e300 m). A top or bottom depth the user gives must lie inside; one taken from the skin
// depths is moved inside. The user's bottom depth must lie at least kMinBottomToTopRatio
// times deeper than the top depth, so that the layers between them span a depth range.
inline constexpr double kMinMeshDepthM = 1e-2;
inline constexpr double kMaxMeshDepthM = 1e7;
inline constexpr double kMinBottomToTopRatio = 2.0;

struct MeshOptions {
    std::size_t layers = kDefaultOccamLayers;  // kMinOccamLayers .. kMaxOccamLayers, the half-space included
    std::optional<double> topDepthM;            // top of the second layer, m
    std::optional<double> bottomDepthM;         // top of the half-space, m
    // Every layer's top in metres, the first 0 and the last the half-space's; when given, it
    // decides the layers alone (at least two, strictly increasing).
    std::vector<double> layerTops;
};

struct Mesh {
    std::vector<double> tops;  // m, first 0
    std::string error;         // empty when the options were accepted
    bool Ok() const { return error.empty(); }
};

// The layer tops for `data` (which must hold at least one row).
Mesh SmoothMesh(const FitData& data, const MeshOptions& options);

// Thicknesses of all layers above the half-space.
std::vector<double> ThicknessesOf(const std::vector<double>& tops);

}  // namespace mt1d::fitting
