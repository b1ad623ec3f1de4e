#include "numerics/LayeredEarth.h"

#include "numerics/PhysicalConstants.h"

#include "numerics/LayeredEarthKernel.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

namespace mt1d::earth {

namespace {

using physics::kMu0;
using physics::kPi;
constexpr std::size_t kAlignment = 64;  // bytes: one cache line, the widest SIMD vector

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

// Hands out aligned pieces of one scratch vector, which it sizes first.
class ScratchCarver {
public:
    ScratchCarver(std::vector<double>& scratch, std::size_t doubles)
    {
        constexpr std::size_t slack = kAlignment / sizeof(double);
        if (scratch.size() < doubles + slack) scratch.resize(doubles + slack);
        const auto address = reinterpret_cast<std::uintptr_t>(scratch.data());
        next_ = scratch.data() + (kAlignment - address % kAlignment) % kAlignment / sizeof(double);
    }

    // `n` doubles; n is a multiple of 8 wherever alignment matters.
    double* Take(std::size_t n)
    {
        double* p = next_;
        next_ += n;
        return p;
    }

private:
    double* next_;
};

constexpr std::size_t RoundUp8(std::size_t n) { return (n + 7) / 8 * 8; }

// The per-layer constants of the recursion: η_j = sqrt(ρ_j) and c_j = 2·h_j/η_j.
kernel::Layers PrepareLayers(std::span<const double> rho, std::span<const double> h,
                             double* eta, double* c)
{
    for (std::size_t j = 0; j < rho.size(); ++j) eta[j] = std::sqrt(rho[j]);
    for (std::size_t j = 0; j < h.size(); ++j) c[j] = 2.0 * h[j] / eta[j];
    return {eta, c, rho.size()};
}

}  // namespace

LayeredEarth::LayeredEarth(std::vector<double> frequenciesHz)
    : frequencies_(std::move(frequenciesHz)),
      skinFactor_(kernel::PaddedCount(frequencies_.size()), 0.0)
{
    // s = sqrt(ωμ0/2) = sqrt(π·f·μ0); padding lanes keep s = 0.
    for (std::size_t i = 0; i < frequencies_.size(); ++i) {
        skinFactor_[i] = std::sqrt(kPi * frequencies_[i] * kMu0);
        // π·f overflows above about 5.7e307 Hz; taken apart the root stays finite for every f.
        if (!std::isfinite(skinFactor_[i])) skinFactor_[i] = std::sqrt(kPi * kMu0) * std::sqrt(frequencies_[i]);
    }
}

void LayeredEarth::Compute(std::span<const double> resistivity, std::span<const double> thickness,
                           std::span<double> rhoA, std::span<double> phaseDeg)
{
    CheckSizes(resistivity.size(), thickness.size(), frequencies_.size(), rhoA.size(),
               phaseDeg.size());
    const std::size_t f = frequencies_.size();
    const std::size_t padded = skinFactor_.size();
    const std::size_t l = resistivity.size();
    ScratchCarver carve(scratch_, 2 * padded + 2 * RoundUp8(l));
    double* rho = carve.Take(padded);
    double* phase = carve.Take(padded);
    double* eta = carve.Take(RoundUp8(l));
    double* c = carve.Take(RoundUp8(l));
    kernel::Response(skinFactor_.data(), padded, PrepareLayers(resistivity, thickness, eta, c),
                     rho, phase);
    std::copy(rho, rho + f, rhoA.begin());
    std::copy(phase, phase + f, phaseDeg.begin());
}

void LayeredEarth::ComputeWithJacobian(std::span<const double> resistivity,
                                       std::span<const double> thickness, std::span<double> rhoA,
                                       std::span<double> phaseDeg, std::span<double> jacobian)
{
    CheckSizes(resistivity.size(), thickness.size(), frequencies_.size(), rhoA.size(),
               phaseDeg.size());
    const std::size_t f = frequencies_.size();
    const std::size_t l = resistivity.size();
    const std::size_t p = 2 * l - 1;
    if (jacobian.size() < 2 * f * p) {
        throw std::invalid_argument("the Jacobian span holds " + std::to_string(jacobian.size()) +
                                    " values, fewer than 2F × (2L − 1) = " +
                                    std::to_string(2 * f * p));
    }
    const std::size_t padded = skinFactor_.size();
    const std::size_t stride = kernel::ColumnStride(padded);
    const std::size_t work = kernel::JacobianWorkSize(l);
    ScratchCarver carve(scratch_, 2 * padded + 2 * p * stride + 2 * RoundUp8(l) + RoundUp8(work));
    double* rho = carve.Take(padded);
    double* phase = carve.Take(padded);
    double* dRho = carve.Take(p * stride);
    double* dPhase = carve.Take(p * stride);
    double* eta = carve.Take(RoundUp8(l));
    double* c = carve.Take(RoundUp8(l));
    double* workSpace = carve.Take(RoundUp8(work));
    kernel::ResponseAndJacobian(skinFactor_.data(), padded,
                                PrepareLayers(resistivity, thickness, eta, c), rho, phase, dRho,
                                dPhase, stride, workSpace);
    std::copy(rho, rho + f, rhoA.begin());
    std::copy(phase, phase + f, phaseDeg.begin());
    // The kernel writes a column per parameter; the Jacobian is row-major.
    kernel::Transpose(dRho, stride, f, p, jacobian.data());
    kernel::Transpose(dPhase, stride, f, p, jacobian.data() + f * p);
}

LayeredEarth::JacobianColumns LayeredEarth::ComputeWithJacobianColumns(std::span<const double> resistivity,
                                                                       std::span<const double> thickness,
                                                                       std::span<double> rhoA,
                                                                       std::span<double> phaseDeg)
{
    CheckSizes(resistivity.size(), thickness.size(), frequencies_.size(), rhoA.size(),
               phaseDeg.size());
    const std::size_t f = frequencies_.size();
    const std::size_t l = resistivity.size();
    const std::size_t p = 2 * l - 1;
    const std::size_t padded = skinFactor_.size();
    const std::size_t stride = kernel::ColumnStride(padded);
    const std::size_t work = kernel::JacobianWorkSize(l);
    ScratchCarver carve(scratch_, 2 * padded + 2 * p * stride + 2 * RoundUp8(l) + RoundUp8(work));
    double* rho = carve.Take(padded);
    double* phase = carve.Take(padded);
    double* dRho = carve.Take(p * stride);
    double* dPhase = carve.Take(p * stride);
    double* eta = carve.Take(RoundUp8(l));
    double* c = carve.Take(RoundUp8(l));
    double* workSpace = carve.Take(RoundUp8(work));
    kernel::ResponseAndJacobian(skinFactor_.data(), padded,
                                PrepareLayers(resistivity, thickness, eta, c), rho, phase, dRho,
                                dPhase, stride, workSpace);
    std::copy(rho, rho + f, rhoA.begin());
    std::copy(phase, phase + f, phaseDeg.begin());
    return {dRho, dPhase, stride, p};
}

void LayeredEarth::Log10(std::span<const double> values, std::span<double> out)
{
    if (out.size() < values.size()) {
        throw std::invalid_argument("log10: the output holds " + std::to_string(out.size()) + " values for " +
                                    std::to_string(values.size()));
    }
    kernel::Log10(values.data(), values.size(), out.data());
}

Response LayeredEarth::Compute(const LayeredModel& model)
{
    Response r;
    r.rhoA.resize(frequencies_.size());
    r.phaseDeg.resize(frequencies_.size());
    Compute(model.resistivity, model.thickness, r.rhoA, r.phaseDeg);
    return r;
}

double LayeredEarth::ChiSquare(std::span<const double> resistivity,
                               std::span<const double> thickness, const MisfitData& data)
{
    const std::size_t f = frequencies_.size();
    CheckSizes(resistivity.size(), thickness.size(), f, f, f);
    const std::pair<const char*, std::size_t> vectors[] = {
        {"log10RhoA", data.log10RhoA.size()},
        {"log10RhoAWeight", data.log10RhoAWeight.size()},
        {"phaseDeg", data.phaseDeg.size()},
        {"phaseWeight", data.phaseWeight.size()},
    };
    for (const auto& [name, size] : vectors) {
        if (size != f) {
            throw std::invalid_argument(std::string("misfit data: ") + name + " holds " +
                                        std::to_string(size) + " values for " +
                                        std::to_string(f) + " frequencies");
        }
    }
    const std::size_t l = resistivity.size();
    ScratchCarver carve(scratch_, 2 * RoundUp8(l));
    double* eta = carve.Take(RoundUp8(l));
    double* c = carve.Take(RoundUp8(l));
    return kernel::ChiSquare(skinFactor_.data(), f, PrepareLayers(resistivity, thickness, eta, c),
                             data.log10RhoA.data(), data.log10RhoAWeight.data(),
                             data.phaseDeg.data(), data.phaseWeight.data());
}

}  // namespace mt1d::earth
