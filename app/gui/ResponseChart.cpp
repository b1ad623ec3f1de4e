#include "ResponseChart.h"

#include <QChart>
#include <QGraphicsLayout>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>

namespace mt1d::gui {

namespace {

// A log axis given exactly 10^k drops the label at k (log10 rounds just past it); a
// relative widening of 1e-9 at both ends keeps it.
constexpr double kLogRangeSlack = 1e-9;
// Data handed over as floats sit a few float roundings off the decade (1/1e-4f is
// 10000.0003): values within this many decades of a decade count as on it.
constexpr double kDecadeTolerance = 1e-6;
constexpr int kMaxLinearSteps = 6;  // intervals on the linear axis, for a small chart

QFont SmallFont(int pointSize, bool bold = false)
{
    QFont font;
    font.setPointSize(pointSize);
    font.setBold(bold);
    return font;
}

void StyleAxis(QAbstractAxis* axis, const QString& title)
{
    axis->setTitleText(title);
    axis->setTitleFont(SmallFont(8));
    axis->setLabelsFont(SmallFont(7));
}

QLogValueAxis* MakeLogAxis(const QString& title)
{
    auto* axis = new QLogValueAxis;
    axis->setBase(10.0);
    axis->setLabelFormat(QStringLiteral("%g"));
    axis->setMinorTickCount(-1);
    axis->setMinorGridLinePen(QPen(QColor(235, 235, 235), 1));
    StyleAxis(axis, title);
    return axis;
}

QValueAxis* MakeLinearAxis(const QString& title)
{
    auto* axis = new QValueAxis;
    axis->setLabelFormat(QStringLiteral("%g"));
    StyleAxis(axis, title);
    return axis;
}

// The whole decades around the positive finite values in [low, high].
void SetDecadeRange(QAbstractAxis* axis, double low, double high)
{
    double first = std::floor(std::log10(low) + kDecadeTolerance);
    double last = std::ceil(std::log10(high) - kDecadeTolerance);
    if (first == last) {
        first -= 1.0;
        last += 1.0;
    }
    axis->setRange(std::pow(10.0, first) * (1.0 - kLogRangeSlack),
                   std::pow(10.0, last) * (1.0 + kLogRangeSlack));
}

}  // namespace

ResponseChart::ResponseChart(const QString& title, const QString& periodTitle,
                             const QString& valueTitle, ValueScale valueScale,
                             const QColor& lineColour, QWidget* parent)
    : QChartView(parent),
      valueScale_(valueScale),
      series_(new QLineSeries),
      periodAxis_(MakeLogAxis(periodTitle)),
      valueAxis_(valueScale == ValueScale::Logarithmic
                     ? static_cast<QAbstractAxis*>(MakeLogAxis(valueTitle))
                     : MakeLinearAxis(valueTitle))
{
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->setTitleFont(SmallFont(9, true));
    chart->legend()->hide();
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(2, 0, 6, 0));
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setPlotAreaBackgroundBrush(Qt::white);
    chart->setPlotAreaBackgroundVisible(true);

    series_->setPen(QPen(lineColour, 1.5));
    chart->addSeries(series_);
    chart->addAxis(periodAxis_, Qt::AlignBottom);
    chart->addAxis(valueAxis_, Qt::AlignLeft);
    series_->attachAxis(periodAxis_);
    series_->attachAxis(valueAxis_);

    setChart(chart);  // the view owns the chart from here
    setRenderHint(QPainter::Antialiasing);
    setFrameShape(QFrame::NoFrame);
}

void ResponseChart::ShowCurve(const QList<QPointF>& points)
{
    series_->replace(points);
    FitAxes(points);
}

void ResponseChart::FitAxes(const QList<QPointF>& points)
{
    constexpr double kInf = std::numeric_limits<double>::infinity();
    double xLow = kInf, xHigh = -kInf, yLow = kInf, yHigh = -kInf;
    for (const QPointF& p : points) {
        if (std::isfinite(p.x()) && p.x() > 0.0) {
            xLow = std::min(xLow, p.x());
            xHigh = std::max(xHigh, p.x());
        }
        const bool yShown = std::isfinite(p.y())
                            && (valueScale_ == ValueScale::Linear || p.y() > 0.0);
        if (yShown) {
            yLow = std::min(yLow, p.y());
            yHigh = std::max(yHigh, p.y());
        }
    }
    if (xLow <= xHigh) {
        SetDecadeRange(periodAxis_, xLow, xHigh);
    }
    if (yLow > yHigh) {
        return;
    }
    if (valueScale_ == ValueScale::Logarithmic) {
        SetDecadeRange(valueAxis_, yLow, yHigh);
        return;
    }
    // A round step (10, 20, 30, 50, 100, ...) that keeps the labels apart.
    double step = 10.0;
    for (const double candidate : {20.0, 30.0, 50.0, 100.0}) {
        if ((yHigh - yLow) / step <= kMaxLinearSteps - 1) {
            break;
        }
        step = candidate;
    }
    while ((yHigh - yLow) / step > kMaxLinearSteps - 1) {
        step *= 2.0;
    }
    double low = std::floor(yLow / step) * step;
    double high = std::ceil(yHigh / step) * step;
    if (low == high) {
        low -= step;
        high += step;
    }
    auto* axis = static_cast<QValueAxis*>(valueAxis_);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0.0);
    axis->setTickInterval(step);
    axis->setRange(low, high);
}

}  // namespace mt1d::gui
