#pragma once
// What a chain asks of the data: the χ² of a layered model. The likelihood of a model is
// L ∝ exp(−χ²/2), with χ² the same error-weighted misfit the fits minimise (Misfit.h):
// Σ [(d_i − g_i(m))/σ_i]² over log10 ρa and φ (degrees), so that sampling and fitting agree
// on what each datum is worth.
//
// Each chain owns its own misfit object (the kernel keeps work space), made by a factory
// that may be called from any worker thread.

#include "fitting/FitData.h"
#include "fitting/Misfit.h"
#include "numerics/LayeredEarth.h"

#include <functional>
#include <memory>
#include <optional>
#include <span>

namespace mt1d::sampling {

class ModelMisfit {
public:
    virtual ~ModelMisfit() = default;
    // χ² of the model (ρ in Ω·m top first, thicknesses in m); +∞ or NaN when it cannot be
    // computed, which the chain never accepts.
    virtual double ChiSquare(std::span<const double> resistivity,
                             std::span<const double> thickness) = 0;
    // The static-shift unknowns (fitting/StaticShift.h) the next ChiSquare uses; a misfit
    // without shifts ignores them.
    virtual void SetShifts(std::span<const double> /*u*/) {}
};

using MisfitFactory = std::function<std::unique_ptr<ModelMisfit>()>;

// The data's weights in the kernel's layout: per frequency, log10 ρa with weight 1/σ and φ
// with weight 1/σ, taken from FitData::values and sigmas so that every value counts exactly
// as it does in Misfit; a component that is not fitted has weight 0. Data of one curve only:
// the layout holds one value per frequency.
earth::MisfitData KernelMisfitData(const fitting::FitData& data);

// The misfit of a model against `data` through the layered-earth kernel's χ² path; for data
// of several curves (xy + yx), whose rows share kernel frequencies, or with static shifts,
// through fitting::Misfit. With a shift design its χ² holds the design's terms as well: the
// Gaussian prior of each free factor and the anchor (StaticShift.h), so that exp(−χ²/2) is
// the likelihood times that prior and the chains need no other term for the factors.
class DataMisfit final : public ModelMisfit {
public:
    explicit DataMisfit(const fitting::FitData& data, const fitting::ShiftDesign* shift = nullptr);
    double ChiSquare(std::span<const double> resistivity, std::span<const double> thickness) override;
    void SetShifts(std::span<const double> u) override;

private:
    earth::LayeredEarth earth_;
    earth::MisfitData data_;
    std::optional<fitting::Misfit> curves_;
};

// A factory of DataMisfit objects over a copy of `data` (and of `shift`, when given).
MisfitFactory DataMisfitFactory(const fitting::FitData& data, const std::optional<fitting::ShiftDesign>& shift = {});

}  // namespace mt1d::sampling
