#include "gui/field/PosteriorSeries.h"

#include <algorithm>
#include <cmath>

namespace mt1d::gui::field {

namespace {

double GeometricMiddle(double a, double b) { return std::sqrt(a * b); }

}  // namespace

DensityImage DensityImageOf(const sampling::SamplingResult& result)
{
    DensityImage image;
    const std::size_t bins = result.log10RhoGrid.size();
    const std::size_t cells = result.depthM.size();
    if (bins == 0 || cells == 0 || result.density.size() != bins * cells) return image;
    image.rhoBins = bins;
    image.depthCells = cells;
    image.rhoOhmM = {std::pow(10.0, result.log10RhoGrid.front()), std::pow(10.0, result.log10RhoGrid.back())};
    image.depthM = {result.depthM.front(), result.depthM.back()};
    image.cells = result.density;
    image.maxProbability = *std::max_element(image.cells.begin(), image.cells.end());
    return image;
}

DepthLine PercentileLine(const sampling::SamplingResult& result, std::span<const double> log10Rho)
{
    DepthLine line;
    const std::size_t n = std::min(result.depthM.size(), log10Rho.size());
    for (std::size_t i = 0; i < n; ++i) {
        line.x.push_back(std::pow(10.0, log10Rho[i]));
        line.depthM.push_back(result.depthM[i]);
    }
    return line;
}

DepthLine InterfaceSteps(const sampling::SamplingResult& result)
{
    DepthLine line;
    const auto& p = result.interfaceProbability;
    if (p.empty() || result.depthEdgesM.size() != p.size() + 1) return line;
    for (std::size_t i = 0; i < p.size(); ++i) {
        line.x.push_back(p[i]);
        line.depthM.push_back(result.depthEdgesM[i]);
        line.x.push_back(p[i]);
        line.depthM.push_back(result.depthEdgesM[i + 1]);
    }
    return line;
}

DepthLine Staircase(const earth::LayeredModel& model, double topM, double bottomM)
{
    DepthLine line;
    const std::size_t layers = model.resistivity.size();
    if (layers == 0 || model.thickness.size() + 1 != layers) return line;
    double top = 0.0;
    for (std::size_t j = 0; j < layers; ++j) {
        const double bottom = j + 1 < layers ? top + model.thickness[j] : std::max(bottomM, top);
        line.x.push_back(model.resistivity[j]);
        line.depthM.push_back(j == 0 ? std::min(topM, bottom) : top);
        line.x.push_back(model.resistivity[j]);
        line.depthM.push_back(bottom);
        top = bottom;
    }
    return line;
}

Bars LayerCountBars(const sampling::SamplingResult& result)
{
    Bars bars;
    for (const auto& c : result.layerCount) {
        bars.keys.push_back(static_cast<double>(c.layers));
        bars.values.push_back(c.probability);
    }
    return bars;
}

EquivalenceBars EquivalenceBarsOf(const sampling::EquivalenceResult& ranges, const earth::LayeredModel& model,
                                  double topM, double bottomM)
{
    EquivalenceBars bars;
    const std::size_t layers = model.resistivity.size();
    if (layers == 0 || model.thickness.size() + 1 != layers) return bars;
    std::vector<double> tops(layers, 0.0);
    for (std::size_t j = 1; j < layers; ++j) tops[j] = tops[j - 1] + model.thickness[j - 1];
    for (const auto& p : ranges.parameters) {
        if (p.layer >= layers || (p.thickness && p.layer + 1 >= layers)) continue;
        RangeBar bar;
        bar.index = p.layer;
        if (p.thickness) {
            bar.at = GeometricMiddle(model.resistivity[p.layer], model.resistivity[p.layer + 1]);
            bar.value = tops[p.layer] + p.value;
            bar.lower = tops[p.layer] + p.lower;
            bar.upper = tops[p.layer] + p.upper;
            bars.interfaces.push_back(bar);
        } else {
            const double top = p.layer == 0 ? std::min(topM, tops.size() > 1 ? tops[1] : topM) : tops[p.layer];
            const double bottom = p.layer + 1 < layers ? tops[p.layer + 1] : std::max(bottomM, top);
            bar.at = GeometricMiddle(top, bottom);
            bar.value = p.value;
            bar.lower = p.lower;
            bar.upper = p.upper;
            bars.resistivity.push_back(bar);
        }
    }
    return bars;
}

bool RhatWarns(const sampling::Rhat& rhat)
{
    // Written so that NaN warns too.
    return !(rhat.misfit < kRhatWarning) || !(rhat.layerCount < kRhatWarning);
}

}  // namespace mt1d::gui::field
