#pragma once
// The unknowns of one site of a profile and the layered earth they stand for.
//
//   smooth   x = (log10 ρ_0 … log10 ρ_{n−1}) over fixed thicknesses;
//   layered  x = (log10 ρ_0 … log10 ρ_{L−1}, log10 z_1 … log10 z_{L−1}), z_k the depth of the
//            top of layer k in m, so that h_j = z_{j+1} − z_j (z_0 = 0).
//
// The Jacobian of the layered-earth kernel is with respect to log10 h; in the layered form
// the chain rule gives, for interface k (h_{k−1} above it, h_k below),
//     ∂g/∂log10 z_k = (z_k / h_{k−1}) ∂g/∂log10 h_{k−1} − (z_k / h_k) ∂g/∂log10 h_k,
// the second term only where layer k has a thickness (k < L − 1).
//
// A solver step may leave the earth: Legalise keeps log10 ρ inside kLciMinLog10Rho ..
// kLciMaxLog10Rho (where the kernel stays finite; the Occam fit's range) and, in the layered
// form, keeps the interfaces inside kLciMinDepthM .. kLciMaxDepthM and each at least
// kLciMinLayerFraction of its depth below the one above.

#include "numerics/LayeredEarth.h"

#include <Eigen/Dense>

#include <cstddef>
#include <vector>

namespace mt1d::lci {

inline constexpr double kLciMinLog10Rho = -4.0;
inline constexpr double kLciMaxLog10Rho = 8.0;
inline constexpr double kLciMinDepthM = 0.1;
inline constexpr double kLciMaxDepthM = 1e7;
inline constexpr double kLciMinLayerFraction = 0.01;

class SiteParameters {
public:
    // Many layers over the given thicknesses (m, one fewer than the layers).
    static SiteParameters Smooth(std::vector<double> thickness);
    // `layers` layers (at least 1) of free resistivity and depth.
    static SiteParameters Layered(std::size_t layers);

    bool IsLayered() const { return layered_; }
    std::size_t Layers() const { return layers_; }
    std::size_t Count() const { return layered_ ? 2 * layers_ - 1 : layers_; }

    // The earth of x (Count() values).
    earth::LayeredModel Model(const double* x) const;
    // x of a model with the right layer count (smooth: its resistivities only).
    Eigen::VectorXd Unknowns(const earth::LayeredModel& model) const;
    // Moves x into the range above.
    void Legalise(double* x) const;
    // The Jacobian with respect to x from `kernel`, the Jacobian with respect to log10 of the
    // kernel's parameters (ρ_0 … ρ_{L−1}, h_0 … h_{L−2}) at the model of x.
    void ChainRule(const Eigen::MatrixXd& kernel, const double* x, Eigen::MatrixXd& out) const;

private:
    bool layered_ = false;
    std::size_t layers_ = 0;
    std::vector<double> thickness_;  // smooth form
};

}  // namespace mt1d::lci
