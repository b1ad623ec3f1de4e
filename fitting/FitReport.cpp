#include "fitting/FitReport.h"

namespace mt1d::fitting {

std::vector<ReportLayer> ReportLayers(const earth::LayeredModel& model)
{
    std::vector<ReportLayer> layers(model.LayerCount());
    double top = 0.0;
    for (std::size_t j = 0; j < layers.size(); ++j) {
        layers[j].topM = top;
        layers[j].resistivityOhmM = model.resistivity[j];
        if (j < model.thickness.size()) {
            layers[j].thicknessM = model.thickness[j];
            top += model.thickness[j];
        }
    }
    return layers;
}

std::vector<ResponsePoint> ModelResponse(const earth::LayeredModel& model,
                                         std::span<const double> frequencies)
{
    std::vector<ResponsePoint> points;
    if (frequencies.empty() || model.LayerCount() == 0) return points;
    earth::LayeredEarth earth({frequencies.begin(), frequencies.end()});
    const auto r = earth.Compute(model);
    points.resize(frequencies.size());
    for (std::size_t i = 0; i < frequencies.size(); ++i) {
        points[i] = {frequencies[i], r.rhoA[i], r.phaseDeg[i]};
    }
    return points;
}

}  // namespace mt1d::fitting
