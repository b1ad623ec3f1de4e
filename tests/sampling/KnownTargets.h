#pragma once
// Misfits whose posterior is known without sampling, for testing that the sampler draws
// from the distribution it should: the prior alone, a target on the number of interfaces,
// and a target on the resistivity at one depth.

#include "sampling/ModelMisfit.h"

#include <cmath>
#include <memory>
#include <span>

namespace testing_support {

// No data: the posterior is the prior.
class ZeroMisfit final : public mt1d::sampling::ModelMisfit {
public:
    double ChiSquare(std::span<const double>, std::span<const double>) override { return 0.0; }
};

// χ² = c·(k − centre)² for k interfaces: p(k) ∝ exp(−c·(k − centre)²/2) on 0..K, and given k
// the prior.
class InterfaceCountMisfit final : public mt1d::sampling::ModelMisfit {
public:
    InterfaceCountMisfit(double c, double centre) : c_(c), centre_(centre) {}
    double ChiSquare(std::span<const double> resistivity, std::span<const double>) override
    {
        const double k = static_cast<double>(resistivity.size()) - 1.0;
        return c_ * (k - centre_) * (k - centre_);
    }

private:
    double c_, centre_;
};

// χ² = ((log10 ρ(z0) − mean)/sd)² for the layer at depth z0: the posterior of log10 ρ(z0) is
// the normal N(mean, sd²) cut to the prior's bounds, whatever the rest of the model.
class RhoAtDepthMisfit final : public mt1d::sampling::ModelMisfit {
public:
    RhoAtDepthMisfit(double depthM, double mean, double sd) : depth_(depthM), mean_(mean), sd_(sd) {}
    double ChiSquare(std::span<const double> resistivity, std::span<const double> thickness) override
    {
        double top = 0.0;
        std::size_t j = 0;
        while (j < thickness.size() && top + thickness[j] <= depth_) top += thickness[j++];
        const double d = (std::log10(resistivity[j]) - mean_) / sd_;
        return d * d;
    }

private:
    double depth_, mean_, sd_;
};

template <class M, class... Args>
mt1d::sampling::MisfitFactory FactoryOf(Args... args)
{
    return [=]() -> std::unique_ptr<mt1d::sampling::ModelMisfit> { return std::make_unique<M>(args...); };
}

}  // namespace testing_support
