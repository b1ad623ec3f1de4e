#include "gui/field/CurvePlot.h"

#include "gui/field/PlotAxes.h"
#include "gui/field/PlotPlacement.h"

#include <QMouseEvent>

#include <algorithm>
#include <cmath>
#include "gui/common/Language.h"

using mt1d::gui::Ui;


namespace mt1d::gui::field {

namespace {

constexpr double kLogMargin = 0.08;     // decades beyond the outermost bar
constexpr double kLinearMargin = 0.06;  // of the phase range

QCPErrorBars* BarsOn(QCPGraph* graph, const QColor& colour)
{
    auto* bars = new QCPErrorBars(graph->keyAxis(), graph->valueAxis());
    bars->setDataPlottable(graph);
    bars->setErrorType(QCPErrorBars::etValueError);
    bars->setPen(QPen(colour, 1.0));
    bars->setWhiskerWidth(5);
    bars->removeFromLegend();
    return bars;
}

}  // namespace

CurvePlot::CurvePlot(Quantity quantity, QWidget* parent) : QCustomPlot(parent), quantity_(quantity)
{
    StylePlot(this);
    MakeLogAxis(xAxis, Ui::tr("周期 (s)"));
    if (quantity == Quantity::kRho) {
        MakeLogAxis(yAxis, Ui::tr("视电阻率 ρa (Ω·m)"));
    } else {
        yAxis->setLabel(Ui::tr("阻抗相位 φ (°)"));
    }

    fitted_ = addGraph();
    fitted_->setName(Ui::tr("观测"));
    fitted_->setLineStyle(QCPGraph::lsNone);
    fitted_->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, Qt::black, Qt::black, 6));
    fittedBars_ = BarsOn(fitted_, Qt::black);

    excluded_ = addGraph();
    excluded_->setName(Ui::tr("未参与拟合"));
    excluded_->setLineStyle(QCPGraph::lsNone);
    const QColor grey(120, 120, 120);
    excluded_->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, QPen(grey, 1.2), Qt::NoBrush, 7));
    excludedBars_ = BarsOn(excluded_, grey);

    notOneD_ = addGraph();
    notOneD_->setName(Ui::tr("非一维"));
    notOneD_->setLineStyle(QCPGraph::lsNone);
    notOneD_->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssSquare, QPen(QColor(200, 30, 30), 1.2), Qt::NoBrush, 11));
    notOneD_->removeFromLegend();

    for (QCPGraph** cut : {&cutHigh_, &cutLow_}) {
        *cut = addGraph();
        (*cut)->setLineStyle(QCPGraph::lsNone);
        (*cut)->setScatterStyle(QCPScatterStyle(cut == &cutHigh_ ? QCPScatterStyle::ssTriangle : QCPScatterStyle::ssTriangleInverted,
                                                QPen(QColor(60, 60, 60), 1.0), QColor(60, 60, 60), 7));
        (*cut)->removeFromLegend();
    }

    band_ = new QRubberBand(QRubberBand::Rectangle, this);
    setStatusTip(QStringLiteral("Click a point to leave it out of fitting or take it back; drag a rectangle to leave out every point in it"));

    for (ModelLine line : kModelLines) {
        QCPGraph* graph = addGraph();
        graph->setName(ModelLineName(line));
        QPen pen(ModelLineColour(line), line == ModelLine::kEdited ? 2.0 : 1.6);
        if (line == ModelLine::kOccam) pen.setStyle(Qt::DashLine);
        graph->setPen(pen);
        graph->setVisible(false);
        graph->removeFromLegend();
        lines_[static_cast<std::size_t>(line)] = graph;
    }
    // One legend, in the ρa plot: the phase plot draws the same things in the same colours.
    legend->setVisible(quantity == Quantity::kRho);
    legend->setBrush(QColor(255, 255, 255, 220));
    legend->setRowSpacing(0);
    axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignRight);
    Rescale();
}

std::vector<QPointF> CurvePlot::DataPixels() const
{
    std::vector<QPointF> pixels;
    const QCPRange y = yAxis->range();
    for (const ObservedPoint& p : observed_) {
        const QPointF at = PixelOf(p);
        pixels.push_back(at);
        // The bar as far as it is drawn: from one end to the other, cut at the axis.
        const double low = std::clamp(p.low, y.lower, y.upper), high = std::clamp(p.high, y.lower, y.upper);
        if (std::isfinite(low) && std::isfinite(high)) {
            AddSegment(pixels, {at.x(), yAxis->coordToPixel(low)}, {at.x(), yAxis->coordToPixel(high)}, 3.0);
        }
    }
    return pixels;
}

void CurvePlot::SetObserved(const std::vector<ObservedPoint>& points)
{
    observed_ = points;
    QVector<double> keys[2], values[2], minus[2], plus[2], markKeys, markValues;
    for (const auto& p : points) {
        if (p.notOneD) markKeys << p.periodS, markValues << p.value;
        const int k = p.excluded ? 1 : 0;
        keys[k] << p.periodS;
        values[k] << p.value;
        minus[k] << p.value - p.low;
        plus[k] << p.high - p.value;
    }
    fitted_->setData(keys[0], values[0]);
    excluded_->setData(keys[1], values[1]);
    fittedBars_->setData(minus[0], plus[0]);
    excludedBars_->setData(minus[1], plus[1]);
    notOneD_->setData(markKeys, markValues);
    for (QCPGraph* graph : {excluded_, notOneD_}) {
        if (graph->dataCount() == 0) {
            graph->removeFromLegend();
        } else if (!legend->hasItemWithPlottable(graph)) {
            graph->addToLegend();
        }
    }
}

void CurvePlot::SetLine(ModelLine line, const std::vector<double>& periods, const std::vector<double>& values)
{
    QCPGraph* graph = Line(line);
    graph->setData(QVector<double>(periods.begin(), periods.end()), QVector<double>(values.begin(), values.end()));
    const bool visible = !periods.empty();
    graph->setVisible(visible);
    if (visible && !legend->hasItemWithPlottable(graph)) graph->addToLegend();
    if (!visible) graph->removeFromLegend();
}

void CurvePlot::Rescale()
{
    std::vector<double> periods, values, low, high;
    for (const auto& p : observed_) {
        periods.push_back(p.periodS);
        values.push_back(p.value);
        low.push_back(p.low);
        high.push_back(p.high);
    }
    for (ModelLine line : kModelLines) {
        const QCPGraph* graph = Line(line);
        if (!graph->visible()) continue;
        for (auto it = graph->data()->constBegin(); it != graph->data()->constEnd(); ++it) {
            periods.push_back(it->key);
            values.push_back(it->value);
            low.push_back(it->value);
            high.push_back(it->value);
        }
    }
    const AxisRange x = LogRangeOf(periods, periods, kLogMargin, {1e-3, 1e4});
    xAxis->setRange(x.lower, x.upper);
    AxisRange y;
    if (quantity_ == Quantity::kRho) {
        y = LogRangeWithBars(values, low, high, kBarReachDecades, kLogMargin, {1.0, 1e4});
    } else {
        y = LinearRangeWithBars(values, low, high, kBarReachDegrees, kLinearMargin, {0.0, 90.0});
    }
    yAxis->setRange(y.lower, y.upper);

    // Marks just inside the edge the bar leaves through (a triangle is 7 px; 3 % of the axis
    // keeps it whole on any plot taller than about 120 px).
    constexpr double kInside = 0.03;
    const bool log = quantity_ == Quantity::kRho;
    const double top = log ? y.upper * std::pow(y.upper / y.lower, -kInside) : y.upper - kInside * (y.upper - y.lower);
    const double bottom = log ? y.lower * std::pow(y.upper / y.lower, kInside) : y.lower + kInside * (y.upper - y.lower);
    QVector<double> highKeys, highValues, lowKeys, lowValues;
    for (const auto& p : observed_) {
        if (p.high > y.upper) highKeys << p.periodS, highValues << top;
        if (p.low < y.lower) lowKeys << p.periodS, lowValues << bottom;
    }
    cutHigh_->setData(highKeys, highValues);
    cutLow_->setData(lowKeys, lowValues);
}

QPointF CurvePlot::PixelOf(const ObservedPoint& point) const
{
    return {xAxis->coordToPixel(point.periodS), yAxis->coordToPixel(point.value)};
}

std::optional<std::size_t> CurvePlot::RowAt(QPoint pixel) const
{
    std::optional<std::size_t> nearest;
    double best = kPickPixels;
    for (const ObservedPoint& p : observed_) {
        const QPointF at = PixelOf(p);
        const double d = std::hypot(at.x() - pixel.x(), at.y() - pixel.y());
        if (d <= best) best = d, nearest = p.row;
    }
    return nearest;
}

std::vector<std::size_t> CurvePlot::RowsIn(const QRect& pixels) const
{
    std::vector<std::size_t> rows;
    const QRectF area(pixels.normalized());
    for (const ObservedPoint& p : observed_) {
        if (area.contains(PixelOf(p))) rows.push_back(p.row);
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CurvePlot::updateLayout()
{
    QCustomPlot::updateLayout();
    // A legend that moves changes the axis rect (a row above it) or not (another corner); lay
    // out again so that the ticks and the data are where they are drawn. Twice at most: the
    // new length may change the tick labels, and with them the margins, once more.
    for (int pass = 0; pass < 2 && PlaceLegend(this, DataPixels()); ++pass) QCustomPlot::updateLayout();
}

void CurvePlot::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) pressedAt_ = event->position().toPoint();
    QCustomPlot::mousePressEvent(event);
}

void CurvePlot::mouseMoveEvent(QMouseEvent* event)
{
    if (pressedAt_ && (event->buttons() & Qt::LeftButton)) {
        const QRect rect = QRect(*pressedAt_, event->position().toPoint()).normalized();
        band_->setGeometry(rect);
        band_->setVisible(rect.width() + rect.height() >= kClickPixels);
    }
    QCustomPlot::mouseMoveEvent(event);
}

void CurvePlot::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && pressedAt_) {
        const QPoint from = *pressedAt_;
        const QPoint to = event->position().toPoint();
        pressedAt_.reset();
        band_->hide();
        if ((to - from).manhattanLength() < kClickPixels) {
            if (const auto row = RowAt(to)) emit pointClicked(*row);
        } else if (const auto rows = RowsIn(QRect(from, to)); !rows.empty()) {
            emit rowsSelected(rows);
        }
    }
    QCustomPlot::mouseReleaseEvent(event);
}

}  // namespace mt1d::gui::field
