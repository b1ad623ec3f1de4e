#include "sampling/ModelMisfit.h"

#include <limits>

namespace mt1d::sampling {

earth::MisfitData KernelMisfitData(const fitting::FitData& data)
{
    const std::size_t f = data.FrequencyCount();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    earth::MisfitData m{std::vector<double>(f, nan), std::vector<double>(f, 0.0),
                        std::vector<double>(f, nan), std::vector<double>(f, 0.0)};
    for (std::size_t i = 0; i < data.Count(); ++i) {
        const std::size_t row = data.kernelRows[i];
        const double weight = 1.0 / data.sigmas[i];
        if (row < f) {
            m.log10RhoA[row] = data.values[i];
            m.log10RhoAWeight[row] = weight;
        } else {
            m.phaseDeg[row - f] = data.values[i];
            m.phaseWeight[row - f] = weight;
        }
    }
    return m;
}

DataMisfit::DataMisfit(const fitting::FitData& data)
    : earth_(data.frequencies), data_(data.CurveCount() == 1 ? KernelMisfitData(data) : earth::MisfitData{})
{
    if (data.CurveCount() > 1) curves_.emplace(data);
}

double DataMisfit::ChiSquare(std::span<const double> resistivity, std::span<const double> thickness)
{
    if (curves_) return curves_->Evaluate(resistivity, thickness);
    return earth_.ChiSquare(resistivity, thickness, data_);
}

MisfitFactory DataMisfitFactory(const fitting::FitData& data)
{
    auto shared = std::make_shared<const fitting::FitData>(data);
    return [shared]() -> std::unique_ptr<ModelMisfit> { return std::make_unique<DataMisfit>(*shared); };
}

}  // namespace mt1d::sampling
