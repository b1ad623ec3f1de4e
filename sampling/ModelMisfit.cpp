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

DataMisfit::DataMisfit(const fitting::FitData& data, const fitting::ShiftDesign* shift)
    : earth_(data.frequencies),
      data_(data.CurveCount() == 1 && shift == nullptr ? KernelMisfitData(data) : earth::MisfitData{})
{
    if (data.CurveCount() > 1 || shift != nullptr) curves_.emplace(data);
    if (shift != nullptr) curves_->SetShiftDesign(*shift);
}

void DataMisfit::SetShifts(std::span<const double> u)
{
    if (curves_) curves_->SetShifts(u);
}

double DataMisfit::ChiSquare(std::span<const double> resistivity, std::span<const double> thickness)
{
    if (curves_) return curves_->Evaluate(resistivity, thickness);
    return earth_.ChiSquare(resistivity, thickness, data_);
}

MisfitFactory DataMisfitFactory(const fitting::FitData& data, const std::optional<fitting::ShiftDesign>& shift)
{
    auto shared = std::make_shared<const fitting::FitData>(data);
    auto design = std::make_shared<const std::optional<fitting::ShiftDesign>>(shift);
    return [shared, design]() -> std::unique_ptr<ModelMisfit> {
        return std::make_unique<DataMisfit>(*shared, *design ? &**design : nullptr);
    };
}

}  // namespace mt1d::sampling
