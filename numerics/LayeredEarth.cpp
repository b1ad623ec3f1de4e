#include "LayeredEarth.h"

#include <cmath>
#include <complex>
#include <stdexcept>
#include <string>

namespace mt1d::earth {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kMu0 = 4e-7 * kPi;  // H/m

void CheckSizes(std::size_t layers, std::size_t thicknesses, std::size_t frequencies,
                std::size_t rhoA, std::size_t phase)
{
    if (layers == 0) throw std::invalid_argument("a layered earth needs at least one layer");
    if (thicknesses + 1 != layers) {
        throw std::invalid_argument(std::to_string(layers) + " layers need " +
                                    std::to_string(layers - 1) + " thicknesses, got " +
                                    std::to_string(thicknesses));
    }
    if (rhoA < frequencies || phase < frequencies) {
        throw std::invalid_argument("response spans are shorter than the " +
                                    std::to_string(frequencies) + " frequencies");
    }
}

// Surface impedance (ohms) at one frequency, e^{+iωt}: start with the half-space's intrinsic
// impedance and work up through the layers, Z ← ζ (Z + ζ t) / (ζ + Z t), t = tanh(k h).
std::complex<double> SurfaceImpedance(double frequency, std::span<const double> rho,
                                      std::span<const double> h)
{
    const std::complex<double> iomegamu(0.0, 2.0 * kPi * frequency * kMu0);
    const std::size_t n = rho.size();
    std::complex<double> z = std::sqrt(iomegamu * rho[n - 1]);
    for (std::size_t j = n - 1; j-- > 0;) {
        const std::complex<double> zeta = std::sqrt(iomegamu * rho[j]);
        const std::complex<double> k = std::sqrt(iomegamu / rho[j]);
        const std::complex<double> t = std::tanh(k * h[j]);
        z = zeta * (z + zeta * t) / (zeta + z * t);
    }
    return z;
}

}  // namespace

LayeredEarth::LayeredEarth(std::vector<double> frequenciesHz)
    : frequencies_(std::move(frequenciesHz))
{
}

void LayeredEarth::Compute(std::span<const double> resistivity, std::span<const double> thickness,
                           std::span<double> rhoA, std::span<double> phaseDeg)
{
    CheckSizes(resistivity.size(), thickness.size(), frequencies_.size(), rhoA.size(),
               phaseDeg.size());
    for (std::size_t i = 0; i < frequencies_.size(); ++i) {
        const double omegaMu = 2.0 * kPi * frequencies_[i] * kMu0;
        const std::complex<double> z = SurfaceImpedance(frequencies_[i], resistivity, thickness);
        rhoA[i] = std::norm(z) / omegaMu;
        phaseDeg[i] = std::atan2(z.imag(), z.real()) * (180.0 / kPi);
    }
}

void LayeredEarth::ComputeWithJacobian(std::span<const double> resistivity,
                                       std::span<const double> thickness, std::span<double> rhoA,
                                       std::span<double> phaseDeg, std::span<double> jacobian)
{
    Compute(resistivity, thickness, rhoA, phaseDeg);
    const std::size_t f = frequencies_.size();
    const std::size_t l = resistivity.size();
    const std::size_t p = 2 * l - 1;
    if (jacobian.size() < 2 * f * p) {
        throw std::invalid_argument("the Jacobian span is shorter than 2F × (2L − 1)");
    }
    // Central differences in log10 of each parameter.
    constexpr double kStep = 1e-5;
    std::vector<double> params(resistivity.begin(), resistivity.end());
    params.insert(params.end(), thickness.begin(), thickness.end());
    scratch_.assign(4 * f, 0.0);
    std::span<double> up(scratch_.data(), 2 * f);
    std::span<double> down(scratch_.data() + 2 * f, 2 * f);
    for (std::size_t c = 0; c < p; ++c) {
        const double saved = params[c];
        params[c] = saved * std::pow(10.0, kStep);
        Compute(std::span(params).first(l), std::span(params).subspan(l), up.first(f),
                up.subspan(f));
        params[c] = saved * std::pow(10.0, -kStep);
        Compute(std::span(params).first(l), std::span(params).subspan(l), down.first(f),
                down.subspan(f));
        params[c] = saved;
        for (std::size_t i = 0; i < f; ++i) {
            jacobian[i * p + c] = (std::log10(up[i]) - std::log10(down[i])) / (2 * kStep);
            jacobian[(f + i) * p + c] = (up[f + i] - down[f + i]) / (2 * kStep);
        }
    }
}

Response LayeredEarth::Compute(const LayeredModel& model)
{
    Response r;
    r.rhoA.resize(frequencies_.size());
    r.phaseDeg.resize(frequencies_.size());
    Compute(model.resistivity, model.thickness, r.rhoA, r.phaseDeg);
    return r;
}

}  // namespace mt1d::earth
