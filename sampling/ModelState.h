#pragma once
// One layered model as a chain holds it: interfaces in log10 depth, layers in log10 ρ, and
// the same values in metres and Ω·m for the kernel, kept in step so that a proposal that
// changes one value computes one power of ten, not all of them.

#include "numerics/LayeredEarth.h"

#include <cstddef>
#include <span>
#include <vector>

namespace mt1d::sampling {

class ModelState {
public:
    // A half-space of resistivity 10^log10Rho Ω·m.
    explicit ModelState(double log10Rho = 0.0);

    std::size_t Interfaces() const { return log10Depth_.size(); }
    std::size_t Layers() const { return log10Rho_.size(); }

    std::span<const double> Log10Depths() const { return log10Depth_; }  // ascending
    std::span<const double> Log10Rhos() const { return log10Rho_; }      // top layer first
    std::span<const double> Resistivities() const { return rho_; }       // Ω·m
    // Layer thicknesses in m (one fewer than the layers), as the kernel takes them.
    std::span<const double> Thicknesses() const { return thickness_; }

    // The layer that holds log10 depth u: the count of interfaces at or above it.
    std::size_t LayerAt(double log10Depth) const;

    // Puts an interface at log10 depth u inside layer j = LayerAt(u), which splits in two;
    // the upper part takes `upperLog10Rho` and the lower `lowerLog10Rho`.
    void Split(double log10Depth, double upperLog10Rho, double lowerLog10Rho);
    // Removes interface i; the layers above and below it merge into one of `log10Rho`.
    void Merge(std::size_t interface, double log10Rho);
    // Moves interface i to u (the caller keeps the interfaces in order).
    void MoveInterface(std::size_t interface, double log10Depth);
    void SetLog10Rho(std::size_t layer, double log10Rho);

    earth::LayeredModel ToLayeredModel() const;

private:
    void UpdateThickness(std::size_t from);

    std::vector<double> log10Depth_, depth_;
    std::vector<double> log10Rho_, rho_;
    std::vector<double> thickness_;
};

}  // namespace mt1d::sampling
