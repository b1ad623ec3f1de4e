#include "gui/classic/ResponseChart.h"

#include "gui/common/Language.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace mt1d::gui {

namespace {

// A range given exactly as 10^k may lose the tick at k to the rounding of log10 and of
// the ticker's powers; a relative widening of 1e-9 at both ends keeps it.
constexpr double kLogRangeSlack = 1e-9;
// Data handed over as floats sit a few float roundings off the decade (1/1e-4f is
// 10000.0003): values within this many decades of a decade count as on it.
constexpr double kDecadeTolerance = 1e-6;
constexpr int kMaxLinearSteps = 6;  // intervals on the linear axis, for a small chart
constexpr int kDecadeSubTicks = 8;  // 2, 3, …, 9 between two decades
// The log ticker labels every n-th decade so that about this many labels show: enough for
// every decade of a sounding's 8 and of a resistivity curve's usual span.
constexpr int kLogTickCount = 10;
constexpr double kLineWidth = 1.5;
constexpr int kRightPadding = 6;  // pixels right of the plot beyond its last label's half

const QColor kGridColour(215, 215, 215);
const QColor kSubGridColour(235, 235, 235);
const QColor kFittedColour(0, 0, 160);

QFont SmallFont(int pointSize, bool bold = false)
{
    QFont font;
    font.setPointSize(pointSize);
    font.setBold(bold);
    return font;
}

void StyleAxis(QCPAxis* axis, const QString& title)
{
    axis->setLabel(title);
    axis->setLabelFont(SmallFont(8));
    axis->setTickLabelFont(SmallFont(7));
    axis->setNumberFormat(QStringLiteral("g"));  // 0.0001 … 10000 as printf's %g writes them
    axis->setNumberPrecision(6);
    axis->grid()->setPen(QPen(kGridColour, 1));
    axis->grid()->setZeroLinePen(QPen(kGridColour, 1));
    axis->grid()->setSubGridPen(QPen(kSubGridColour, 1));
}

void MakeLogAxis(QCPAxis* axis, const QString& title)
{
    StyleAxis(axis, title);
    axis->setScaleType(QCPAxis::stLogarithmic);
    auto ticker = QSharedPointer<QCPAxisTickerLog>::create();
    ticker->setLogBase(10.0);
    ticker->setSubTickCount(kDecadeSubTicks);
    ticker->setTickCount(kLogTickCount);
    axis->setTicker(ticker);
    axis->grid()->setSubGridVisible(true);
}

void MakeLinearAxis(QCPAxis* axis, const QString& title)
{
    StyleAxis(axis, title);
    auto ticker = QSharedPointer<QCPAxisTickerFixed>::create();
    ticker->setScaleStrategy(QCPAxisTickerFixed::ssNone);
    ticker->setTickOrigin(0.0);
    axis->setTicker(ticker);
    axis->setSubTicks(false);
    axis->grid()->setSubGridVisible(false);
}

// The whole decades around the positive finite values in [low, high].
void SetDecadeRange(QCPAxis* axis, double low, double high)
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

// Round steps (10, 20, 30, 50, 100, 200, …) on a grid anchored at 0 that keep the labels
// apart.
void SetLinearRange(QCPAxis* axis, double yLow, double yHigh)
{
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
    qSharedPointerCast<QCPAxisTickerFixed>(axis->ticker())->setTickStep(step);
    axis->setRange(low, high);
}

void SetPoints(QCPGraph* graph, const QList<QPointF>& points)
{
    QVector<double> keys;
    QVector<double> values;
    keys.reserve(points.size());
    values.reserve(points.size());
    for (const QPointF& point : points) {
        keys.append(point.x());
        values.append(point.y());
    }
    graph->setData(keys, values);
}

}  // namespace

ResponseChart::ResponseChart(const QString& title, const QString& periodTitle,
                             const QString& valueTitle, ValueScale valueScale,
                             const QColor& lineColour, QWidget* parent)
    : QCustomPlot(parent), valueScale_(valueScale)
{
    // Tick labels as printf writes them whatever the user's locale: 0.0001, 10000.
    QLocale labels = QLocale::c();
    labels.setNumberOptions(QLocale::OmitGroupSeparator);
    setLocale(labels);

    plotLayout()->insertRow(0);
    title_ = new QCPTextElement(this, title, SmallFont(9, true));
    plotLayout()->addElement(0, 0, title_);

    MakeLogAxis(xAxis, periodTitle);
    if (valueScale == ValueScale::Logarithmic) {
        MakeLogAxis(yAxis, valueTitle);
    } else {
        MakeLinearAxis(yAxis, valueTitle);
    }

    series_ = addGraph(xAxis, yAxis);
    series_->setPen(QPen(lineColour, kLineWidth));
    series_->setName(mt1d::gui::Ui::tr(kCurveNameText));
    fitted_ = addGraph(xAxis, yAxis);
    fitted_->setPen(QPen(kFittedColour, kLineWidth, Qt::DashLine));
    fitted_->setName(mt1d::gui::Ui::tr(kFittedNameText));

    // The plot draws no tick label that would stick out of the widget: room at the right
    // for half the widest period label, so that the last decade keeps its label.
    const int labelRoom = QFontMetrics(xAxis->tickLabelFont())
                              .horizontalAdvance(QStringLiteral("10000")) / 2 + kRightPadding;
    axisRect()->setAutoMargins(QCP::msLeft | QCP::msTop | QCP::msBottom);
    axisRect()->setMargins(QMargins(0, 0, labelRoom, 0));

    legend->setFont(SmallFont(7));
    legend->setIconSize(18, 8);
    legend->setBrush(QColor(255, 255, 255, 210));
    legend->setBorderPen(QPen(kGridColour));
    axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignRight);
    legend->setVisible(false);
}

void ResponseChart::ShowCurves(const QList<QPointF>& curve, const QList<QPointF>& fitted)
{
    SetPoints(series_, curve);
    SetPoints(fitted_, fitted);
    legend->setVisible(!fitted.isEmpty());
    FitAxes();
    replot();
}

void ResponseChart::SetTitles(const QString& title, const QString& valueTitle)
{
    title_->setText(title);
    yAxis->setLabel(valueTitle);
}

void ResponseChart::FitAxes()
{
    constexpr double kInf = std::numeric_limits<double>::infinity();
    double xLow = kInf, xHigh = -kInf, yLow = kInf, yHigh = -kInf;
    for (const QCPGraph* graph : {series_, fitted_}) {
        for (const QCPGraphData& p : *graph->data()) {
            if (std::isfinite(p.key) && p.key > 0.0) {
                xLow = std::min(xLow, p.key);
                xHigh = std::max(xHigh, p.key);
            }
            const bool shown = std::isfinite(p.value)
                               && (valueScale_ == ValueScale::Linear || p.value > 0.0);
            if (shown) {
                yLow = std::min(yLow, p.value);
                yHigh = std::max(yHigh, p.value);
            }
        }
    }
    if (xLow <= xHigh) {
        SetDecadeRange(xAxis, xLow, xHigh);
    }
    if (yLow <= yHigh) {
        if (valueScale_ == ValueScale::Logarithmic) {
            SetDecadeRange(yAxis, yLow, yHigh);
        } else {
            SetLinearRange(yAxis, yLow, yHigh);
        }
    }
}

QList<QPointF> GraphPoints(const QCPGraph& graph)
{
    QList<QPointF> points;
    points.reserve(graph.data()->size());
    for (const QCPGraphData& p : *graph.data()) {
        points.append(QPointF(p.key, p.value));
    }
    return points;
}

}  // namespace mt1d::gui
