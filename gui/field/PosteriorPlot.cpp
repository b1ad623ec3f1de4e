#include "gui/field/PosteriorPlot.h"

#include "gui/field/PosteriorSeries.h"

#include <cmath>
#include "gui/common/Language.h"

using mt1d::gui::Ui;


namespace mt1d::gui::field {

namespace {

constexpr double kStairReach = 0.5;  // decades the fits reach beyond their interfaces without a posterior
constexpr double kLogMargin = 0.1;   // decades beyond the outermost value without a posterior

void SetCurve(QCPCurve* curve, const DepthLine& line)
{
    curve->setData(QVector<double>(line.x.begin(), line.x.end()), QVector<double>(line.depthM.begin(), line.depthM.end()));
    curve->setVisible(!line.x.empty());
}

// White where nothing was sampled, through yellow and red to a dark purple at the most probable.
QCPColorGradient ProbabilityGradient()
{
    QCPColorGradient g;
    g.clearColorStops();
    g.setColorStopAt(0.0, QColor(255, 255, 255));
    g.setColorStopAt(0.12, QColor(255, 240, 170));
    g.setColorStopAt(0.35, QColor(250, 170, 60));
    g.setColorStopAt(0.65, QColor(210, 50, 40));
    g.setColorStopAt(1.0, QColor(70, 10, 80));
    g.setColorInterpolation(QCPColorGradient::ciRGB);
    return g;
}

}  // namespace

PosteriorPlot::PosteriorPlot(QWidget* parent) : QCustomPlot(parent)
{
    StylePlot(this);
    MakeLogAxis(xAxis, Ui::tr("电阻率 ρ (Ω·m)"));
    MakeLogAxis(yAxis, Ui::tr("深度 (m)"));
    yAxis->setRangeReversed(true);

    // The interface probability beside the image, on the same depth axis.
    interfaceRect_ = new QCPAxisRect(this);
    plotLayout()->addElement(0, 1, interfaceRect_);
    QCPAxis* depth = interfaceRect_->axis(QCPAxis::atLeft);
    MakeLogAxis(depth, QString());
    depth->setRangeReversed(true);
    depth->setTickLabels(false);
    QCPAxis* probability = interfaceRect_->axis(QCPAxis::atBottom);
    probability->setLabel(Ui::tr("界面概率"));
    probability->setRange(0.0, 1.0);
    probability->ticker()->setTickCount(2);
    connect(yAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), depth, qOverload<const QCPRange&>(&QCPAxis::setRange));
    QFont font = xAxis->labelFont();
    for (QCPAxis* a : interfaceRect_->axes()) {
        a->setLabelFont(font);
        a->setTickLabelFont(font);
    }

    density_ = new QCPColorMap(xAxis, yAxis);
    density_->setName(Ui::tr("后验概率密度"));
    density_->setInterpolate(false);
    density_->removeFromLegend();
    scale_ = new QCPColorScale(this);
    plotLayout()->addElement(0, 2, scale_);
    scale_->setType(QCPAxis::atRight);
    scale_->setLabel(Ui::tr("每个深度上的概率"));
    scale_->axis()->setLabelFont(font);
    scale_->axis()->setTickLabelFont(font);
    scale_->setBarWidth(10);
    density_->setColorScale(scale_);
    density_->setGradient(ProbabilityGradient());  // after the scale, which brings its own
    density_->setVisible(false);

    auto* margins = new QCPMarginGroup(this);
    axisRect()->setMarginGroup(QCP::msTop | QCP::msBottom, margins);
    interfaceRect_->setMarginGroup(QCP::msTop | QCP::msBottom, margins);
    scale_->setMarginGroup(QCP::msTop | QCP::msBottom, margins);
    plotLayout()->setColumnStretchFactor(0, 4);
    plotLayout()->setColumnStretchFactor(1, 1);
    plotLayout()->setColumnStretchFactor(2, 0.01);

    const struct {
        Percentile which;
        const char* name;
        Qt::PenStyle style;
        double width;
    } percentiles[] = {{kP10, "P10 / P90", Qt::DashLine, 1.2}, {kP50, "P50", Qt::SolidLine, 1.8}, {kP90, "", Qt::DashLine, 1.2}};
    for (const auto& p : percentiles) {
        auto* curve = new QCPCurve(xAxis, yAxis);
        curve->setName(QString::fromUtf8(p.name));
        curve->setPen(QPen(QColor(20, 20, 20), p.width, p.style));
        curve->setVisible(false);
        if (p.which == kP90) curve->removeFromLegend();
        percentiles_[static_cast<std::size_t>(p.which)] = curve;
    }
    for (ModelLine line : {ModelLine::kLayered, ModelLine::kOccam}) {
        auto* curve = new QCPCurve(xAxis, yAxis);
        curve->setName(ModelLineName(line));
        QPen pen(ModelLineColour(line), 2.0);
        if (line == ModelLine::kOccam) pen.setStyle(Qt::DashDotLine);
        curve->setPen(pen);
        curve->setVisible(false);
        fits_[static_cast<std::size_t>(line)] = curve;
    }

    const QColor rangeColour = ModelLineColour(ModelLine::kLayered).darker(130);
    rhoRanges_ = new QCPGraph(yAxis, xAxis);
    rhoRanges_->setName(Ui::tr("等效范围（RMS 不超过 1.1 倍）"));
    rhoRanges_->setLineStyle(QCPGraph::lsNone);
    rhoRanges_->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDiamond, rangeColour, rangeColour, 7));
    rhoBars_ = new QCPErrorBars(yAxis, xAxis);
    rhoBars_->setDataPlottable(rhoRanges_);
    rhoBars_->setErrorType(QCPErrorBars::etValueError);
    rhoBars_->setPen(QPen(rangeColour, 2.0));
    rhoBars_->setWhiskerWidth(8);
    rhoBars_->removeFromLegend();
    depthRanges_ = new QCPGraph(xAxis, yAxis);
    depthRanges_->setLineStyle(QCPGraph::lsNone);
    depthRanges_->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDiamond, rangeColour, rangeColour, 7));
    depthRanges_->removeFromLegend();
    depthBars_ = new QCPErrorBars(xAxis, yAxis);
    depthBars_->setDataPlottable(depthRanges_);
    depthBars_->setErrorType(QCPErrorBars::etValueError);
    depthBars_->setPen(QPen(rangeColour, 2.0));
    depthBars_->setWhiskerWidth(8);
    depthBars_->removeFromLegend();
    for (QCPAbstractPlottable* p : std::initializer_list<QCPAbstractPlottable*>{rhoRanges_, rhoBars_, depthRanges_, depthBars_}) {
        p->setVisible(false);
    }

    interfaces_ = new QCPCurve(interfaceRect_->axis(QCPAxis::atBottom), depth);
    interfaces_->setPen(QPen(QColor(120, 40, 140), 1.4));
    interfaces_->removeFromLegend();
    interfaces_->setVisible(false);

    investigation_ = new QCPItemStraightLine(this);
    investigation_->setPen(QPen(QColor(20, 110, 160), 1.2, Qt::DotLine));
    investigation_->setVisible(false);
    investigationLabel_ = new QCPItemText(this);
    investigationLabel_->setText(Ui::tr("探测深度"));
    investigationLabel_->setColor(QColor(20, 110, 160));
    investigationLabel_->setBrush(QColor(255, 255, 255, 200));
    investigationLabel_->setPositionAlignment(Qt::AlignRight | Qt::AlignBottom);
    investigationLabel_->position->setTypeX(QCPItemPosition::ptAxisRectRatio);
    investigationLabel_->setVisible(false);

    // The legend under the density image, off the data, its entries side by side.
    legend->setVisible(true);
    legend->setBrush(Qt::NoBrush);
    legend->setBorderPen(Qt::NoPen);
    legend->setRowSpacing(0);
    legend->setColumnSpacing(12);
    axisRect()->insetLayout()->take(legend);
    plotLayout()->addElement(1, 0, legend);
    plotLayout()->setRowStretchFactor(1, 0.001);
    legend->setFillOrder(QCPLegend::foColumnsFirst);
    legend->setWrap(3);
    legend->setMargins(QMargins(6, 0, 6, 2));
    Rescale();
}

void PosteriorPlot::SetResult(const sampling::SamplingResult& result)
{
    const DensityImage image = DensityImageOf(result);
    if (image.cells.empty()) {
        ClearResult();
        return;
    }
    QCPColorMapData* data = density_->data();
    data->setSize(static_cast<int>(image.rhoBins), static_cast<int>(image.depthCells));
    data->setRange(QCPRange(image.rhoOhmM.lower, image.rhoOhmM.upper), QCPRange(image.depthM.lower, image.depthM.upper));
    for (std::size_t d = 0; d < image.depthCells; ++d) {
        for (std::size_t r = 0; r < image.rhoBins; ++r) {
            data->setCell(static_cast<int>(r), static_cast<int>(d), image.cells[d * image.rhoBins + r]);
        }
    }
    density_->setDataRange(QCPRange(0.0, image.maxProbability > 0.0 ? image.maxProbability : 1.0));
    density_->setVisible(true);
    SetCurve(percentiles_[kP10], PercentileLine(result, result.p10));
    SetCurve(percentiles_[kP50], PercentileLine(result, result.p50));
    SetCurve(percentiles_[kP90], PercentileLine(result, result.p90));
    SetCurve(interfaces_, InterfaceSteps(result));
    const double doi = result.depthOfInvestigationM;
    const bool doiKnown = doi > 0.0 && std::isfinite(doi);
    investigation_->setVisible(doiKnown);
    investigationLabel_->setVisible(doiKnown);
    if (doiKnown) {
        investigation_->point1->setCoords(1e-6, doi);
        investigation_->point2->setCoords(1e9, doi);
        investigationLabel_->position->setCoords(0.98, doi);
    }
    gridRho_ = AxisRange{std::pow(10.0, result.prior.minLog10Rho), std::pow(10.0, result.prior.maxLog10Rho)};
    gridDepth_ = AxisRange{result.depthEdgesM.front(), result.depthEdgesM.back()};
}

void PosteriorPlot::ClearResult()
{
    density_->data()->clear();
    density_->setVisible(false);
    for (QCPCurve* c : percentiles_) SetCurve(c, {});
    SetCurve(interfaces_, {});
    investigation_->setVisible(false);
    investigationLabel_->setVisible(false);
    gridRho_.reset();
    gridDepth_.reset();
}

void PosteriorPlot::SetFit(ModelLine line, const earth::LayeredModel& model)
{
    if (line == ModelLine::kEdited) return;
    fitModels_[static_cast<std::size_t>(line)] = model;
    DrawFits();
}

void PosteriorPlot::SetRanges(const sampling::EquivalenceResult* ranges, const earth::LayeredModel& model)
{
    if (ranges) {
        ranges_ = *ranges;
    } else {
        ranges_.reset();
    }
    rangesModel_ = model;
    DrawRanges();
}

void PosteriorPlot::DrawFits()
{
    for (ModelLine line : {ModelLine::kLayered, ModelLine::kOccam}) {
        QCPCurve* curve = fits_[static_cast<std::size_t>(line)];
        SetCurve(curve, Staircase(fitModels_[static_cast<std::size_t>(line)], topM_, bottomM_));
        if (curve->visible() && !legend->hasItemWithPlottable(curve)) curve->addToLegend();
        if (!curve->visible()) curve->removeFromLegend();
    }
}

void PosteriorPlot::DrawRanges()
{
    const EquivalenceBars bars = ranges_ ? EquivalenceBarsOf(*ranges_, rangesModel_, topM_, bottomM_) : EquivalenceBars{};
    const auto fill = [](QCPGraph* graph, QCPErrorBars* errors, const std::vector<RangeBar>& list) {
        QVector<double> keys, values, minus, plus;
        for (const auto& b : list) {
            keys << b.at;
            values << b.value;
            minus << b.value - b.lower;
            plus << b.upper - b.value;
        }
        graph->setData(keys, values);
        errors->setData(minus, plus);
        graph->setVisible(!keys.isEmpty());
        errors->setVisible(!keys.isEmpty());
    };
    fill(rhoRanges_, rhoBars_, bars.resistivity);
    fill(depthRanges_, depthBars_, bars.interfaces);
    const bool shown = rhoRanges_->visible() || depthRanges_->visible();
    if (shown && !legend->hasItemWithPlottable(rhoRanges_)) rhoRanges_->addToLegend();
    if (!shown) rhoRanges_->removeFromLegend();
}

void PosteriorPlot::Rescale()
{
    AxisRange x{1.0, 1e4}, y{10.0, 1e4};
    if (gridRho_ && gridDepth_) {
        x = *gridRho_;
        y = *gridDepth_;
        topM_ = y.lower;
        bottomM_ = y.upper;
    } else {
        std::vector<double> rho, depth;
        for (const auto& model : fitModels_) {
            rho.insert(rho.end(), model.resistivity.begin(), model.resistivity.end());
            double top = 0.0;
            for (double h : model.thickness) depth.push_back(top += h);
        }
        const AxisRange depths = LogRangeOf(depth, depth, 0.0, y);
        topM_ = depths.lower / std::pow(10.0, kStairReach);
        bottomM_ = depths.upper * std::pow(10.0, kStairReach);
        x = LogRangeOf(rho, rho, kLogMargin, x);
        y = {depths.lower / std::pow(10.0, kLogMargin), depths.upper * std::pow(10.0, kLogMargin)};
    }
    xAxis->setRange(x.lower, x.upper);
    yAxis->setRange(y.lower, y.upper);
    DrawFits();
    DrawRanges();
}

}  // namespace mt1d::gui::field
