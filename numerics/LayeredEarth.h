#pragma once
// Magnetotelluric response of a horizontally layered earth for field data: any number of
// layers and frequencies, double precision throughout.
//
// Conventions, used everywhere in the field part of the program:
// - time dependence e^{+iωt};
// - the impedance Z = E/H of the layered earth, carried from the top of the half-space up to
//   the surface by the textbook recursion with the intrinsic impedance ζ_j = sqrt(iωμ0·ρ_j)
//   and the propagation constant k_j = sqrt(iωμ0/ρ_j) of each layer;
// - apparent resistivity ρa = |Z|²/(ωμ0) in Ω·m;
// - impedance phase φ = arg Z in degrees, in the first quadrant (0..90°) for any layered
//   earth (45° over a uniform half-space).
//
// Parameters are L resistivities (Ω·m, top layer first, the last one the half-space) and
// L − 1 thicknesses (m). The Jacobian holds derivatives with respect to log10 of every
// parameter, columns in the order log10 ρ_0 .. log10 ρ_{L−1}, log10 h_0 .. log10 h_{L−2};
// rows are log10 ρa at every frequency, then φ (degrees) at every frequency.
//
// The kernel checks sizes only; the entry points that take user input check that values are
// positive and finite.

#include <cstddef>
#include <span>
#include <vector>

namespace mt1d::earth {

struct LayeredModel {
    std::vector<double> resistivity;  // Ω·m, top first; the last is the half-space
    std::vector<double> thickness;    // m, one fewer than resistivity

    std::size_t LayerCount() const { return resistivity.size(); }
    std::size_t ParameterCount() const { return resistivity.size() + thickness.size(); }
};

struct Response {
    std::vector<double> rhoA;      // Ω·m per frequency
    std::vector<double> phaseDeg;  // degrees per frequency
};

// The response at a fixed set of frequencies. Holds its own work space, so one object serves
// one thread; make one per thread.
class LayeredEarth {
public:
    explicit LayeredEarth(std::vector<double> frequenciesHz);

    std::span<const double> Frequencies() const { return frequencies_; }
    std::size_t FrequencyCount() const { return frequencies_.size(); }

    // ρa and φ at every frequency. Throws std::invalid_argument when resistivity is empty,
    // thickness does not hold one value fewer, or an output span is shorter than the
    // frequency count.
    void Compute(std::span<const double> resistivity, std::span<const double> thickness,
                 std::span<double> rhoA, std::span<double> phaseDeg);

    // The response and its Jacobian, row-major with 2F rows and 2L − 1 columns as described
    // above. Throws std::invalid_argument as Compute does, or when the Jacobian span is too
    // short.
    void ComputeWithJacobian(std::span<const double> resistivity,
                             std::span<const double> thickness, std::span<double> rhoA,
                             std::span<double> phaseDeg, std::span<double> jacobian);

    Response Compute(const LayeredModel& model);

private:
    std::vector<double> frequencies_;
    std::vector<double> scratch_;
};

}  // namespace mt1d::earth
