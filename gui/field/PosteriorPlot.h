#pragma once
// The posterior against depth: the density of log10 ρ as a colour image with its P10, P50
// and P90 lines, the smooth and layered fits and the equivalence ranges of the layered fit
// over it, and beside it, on the same depth axis, the probability of an interface. The axes
// follow the depth plot: resistivity in Ω·m across and depth in metres downwards, both on
// log axes.

#include "sampling/Equivalence.h"
#include "numerics/LayeredEarth.h"
#include "gui/field/ModelLines.h"
#include "gui/field/PlotAxes.h"
#include "sampling/SamplingResult.h"

#include <qcustomplot.h>

#include <array>
#include <optional>

namespace mt1d::gui::field {

class PosteriorPlot : public QCustomPlot {
    Q_OBJECT

public:
    enum Percentile { kP10 = 0, kP50 = 1, kP90 = 2 };

    explicit PosteriorPlot(QWidget* parent = nullptr);

    // Shows a run's posterior; an empty result (no samples) clears it.
    void SetResult(const sampling::SamplingResult& result);
    void ClearResult();
    // The fits drawn over the posterior (layered and smooth; the edited model is not drawn
    // here); empty models are hidden.
    void SetFit(ModelLine line, const earth::LayeredModel& model);
    // The equivalence ranges of `model` (the layered fit); nullptr hides them.
    void SetRanges(const sampling::EquivalenceResult* ranges, const earth::LayeredModel& model);
    // Ranges that take in the posterior's grid, or the fits when there is no posterior.
    void Rescale();

    QCPColorMap* Density() const { return density_; }
    QCPColorScale* Scale() const { return scale_; }
    QCPCurve* PercentileCurve(Percentile p) const { return percentiles_[static_cast<std::size_t>(p)]; }
    QCPCurve* FitLine(ModelLine line) const { return fits_[static_cast<std::size_t>(line)]; }
    QCPCurve* InterfaceLine() const { return interfaces_; }
    // Resistivity ranges: keys are depths, values the fitted ρ, errors the range.
    QCPGraph* ResistivityRanges() const { return rhoRanges_; }
    QCPErrorBars* ResistivityRangeBars() const { return rhoBars_; }
    // Interface ranges: keys are resistivities, values the fitted depth, errors the range.
    QCPGraph* InterfaceRanges() const { return depthRanges_; }
    QCPErrorBars* InterfaceRangeBars() const { return depthBars_; }
    QCPAxisRect* InterfaceRect() const { return interfaceRect_; }
    // The depth of investigation of the sampled data (hidden when not known).
    QCPItemStraightLine* InvestigationLine() const { return investigation_; }
    double TopDepth() const { return topM_; }
    double BottomDepth() const { return bottomM_; }

private:
    void DrawFits();
    void DrawRanges();

    QCPAxisRect* interfaceRect_;
    QCPColorMap* density_;
    QCPColorScale* scale_;
    std::array<QCPCurve*, 3> percentiles_{};
    std::array<QCPCurve*, 3> fits_{};  // by ModelLine; none for the edited model
    std::array<earth::LayeredModel, 3> fitModels_;
    QCPCurve* interfaces_;
    QCPItemStraightLine* investigation_;
    QCPItemText* investigationLabel_;
    QCPGraph* rhoRanges_;
    QCPErrorBars* rhoBars_;
    QCPGraph* depthRanges_;
    QCPErrorBars* depthBars_;
    std::optional<sampling::EquivalenceResult> ranges_;
    earth::LayeredModel rangesModel_;
    std::optional<AxisRange> gridRho_, gridDepth_;  // of the shown posterior
    double topM_ = 1.0;
    double bottomM_ = 1e4;
};

}  // namespace mt1d::gui::field
