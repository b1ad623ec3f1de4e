#pragma once
// Magnetotelluric response of a horizontally layered earth for field data: any number of
// layers and frequencies, double precision throughout.
//
// Conventions, used everywhere in the field part of the program:
// - time dependence e^{+iωt}; frequencies f in Hz, ω = 2πf, μ0 = 4π·10⁻⁷ H/m;
// - the impedance Z = E/H of the layered earth, carried from the top of the half-space up to
//   the surface by the textbook recursion with the intrinsic impedance ζ_j = sqrt(iωμ0·ρ_j)
//   and the propagation constant k_j = sqrt(iωμ0/ρ_j) of each layer,
//       Z_j = ζ_j·(Z_{j+1} + ζ_j·tanh(k_j·h_j))/(ζ_j + Z_{j+1}·tanh(k_j·h_j)),  Z_{L−1} = ζ_{L−1};
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
// positive and finite. For positive finite parameters (tested for ρ from 1e-4 to 1e8 Ω·m and
// h from 1e-3 to 1e7 m) every result is finite. A frequency of 0 gives the direct-current
// limit (ρa of the half-space, 45°).
//
// The work runs across frequencies in SIMD lanes, dispatched at run time to the processor's
// best instruction set; the Jacobian comes from differentiating the recursion, not from
// differences.

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

// Observations at the kernel's frequencies, one value per frequency in each vector, weighted
// for a misfit by their inverse standard errors: 1/σ(log10 ρa) (ρa in Ω·m) and 1/σ(φ) (φ in
// degrees). A weight of 0 leaves the value out; the value itself is then ignored (it may be
// NaN), which is how a missing ρa or φ, or a fit to one of the two, is written.
struct MisfitData {
    std::vector<double> log10RhoA;
    std::vector<double> log10RhoAWeight;
    std::vector<double> phaseDeg;
    std::vector<double> phaseWeight;
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

    // The kernel's own layout of the Jacobian: column k (parameter k, ordered as above) of
    // ∂log10 ρa at dLog10RhoA[k·stride ..] and of ∂φ (degrees) at dPhaseDeg[k·stride ..], one
    // value per frequency. Left in the object's work space by ComputeWithJacobianColumns and
    // valid until its next call.
    struct JacobianColumns {
        const double* dLog10RhoA = nullptr;
        const double* dPhaseDeg = nullptr;
        std::size_t stride = 0;
        std::size_t columns = 0;  // 2L − 1
    };

    // As ComputeWithJacobian without turning the Jacobian into rows: for callers that read it
    // column by column (normal equations, a column-major matrix), which saves a transposition
    // and a copy. Throws std::invalid_argument as Compute does.
    JacobianColumns ComputeWithJacobianColumns(std::span<const double> resistivity,
                                               std::span<const double> thickness, std::span<double> rhoA,
                                               std::span<double> phaseDeg);

    Response Compute(const LayeredModel& model);

    // log10 of every value (all positive), in SIMD lanes: the log10 ρa a misfit compares,
    // within a few ulps of std::log10. `out` holds as many values and may be `values`.
    static void Log10(std::span<const double> values, std::span<double> out);

    // χ² = Σ_i [wρ_i·(log10 ρa_i − log10RhoA_i)]² + [wφ_i·(φ_i − phaseDeg_i)]² of a model
    // against `data`, without storing the response: the fast path for samplers. Throws
    // std::invalid_argument as Compute does, or when a vector of `data` does not hold one value
    // per frequency. The order of the sum follows the SIMD width, so the last bits may differ
    // between processors.
    double ChiSquare(std::span<const double> resistivity, std::span<const double> thickness,
                     const MisfitData& data);

private:
    std::vector<double> frequencies_;
    std::vector<double> skinFactor_;  // sqrt(π·f·μ0) per frequency, padded for SIMD lanes
    std::vector<double> scratch_;
};

}  // namespace mt1d::earth
