#include "gui/field/PlotAxes.h"

#include "render/LogTicks.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

namespace mt1d::gui::field {

namespace {

using render::ChooseLogTicks;
using render::LogTick;
using render::LogTickChoice;
using render::LogTickRoom;

// Labels as many values as the axis's length leaves room for (ChooseLogTicks). QCustomPlot
// asks for the ticks before it lays the plot out, so the length is the one of the last replot.
class LengthLogTicker : public QCPAxisTicker {
public:
    explicit LengthLogTicker(QCPAxis* axis) : axis_(axis) {}

    void generate(const QCPRange& range, const QLocale&, QChar, int, QVector<double>& ticks,
                  QVector<double>* subTicks, QVector<QString>* tickLabels) override
    {
        LogTickRoom room;
        room.horizontal = axis_->orientation() == Qt::Horizontal;
        const QRect rect = axis_->axisRect()->rect();
        const int length = room.horizontal ? rect.width() : rect.height();
        if (length > 0) room.lengthPx = length;
        const QFontMetricsF metrics(axis_->tickLabelFont());
        room.charPx = metrics.horizontalAdvance(QLatin1Char('0'));
        room.lineHeightPx = metrics.height();
        const LogTickChoice choice = ChooseLogTicks(range.lower, range.upper, room);
        ticks.clear();
        if (tickLabels) tickLabels->clear();
        for (const LogTick& tick : choice.labelled) {
            ticks << tick.value;
            if (tickLabels) *tickLabels << QString::fromStdString(tick.label);
        }
        if (subTicks) *subTicks = QVector<double>(choice.unlabelled.begin(), choice.unlabelled.end());
    }

private:
    QCPAxis* axis_;  // owns this ticker
};

}  // namespace

void MakeLogAxis(QCPAxis* axis, const QString& label)
{
    axis->setScaleType(QCPAxis::stLogarithmic);
    axis->setTicker(QSharedPointer<LengthLogTicker>::create(axis));
    axis->setNumberFormat(QStringLiteral("gb"));  // 10⁻³ as a power of ten
    axis->setNumberPrecision(0);
    axis->setLabel(label);
    axis->grid()->setSubGridVisible(true);
}

AxisRange LogRangeOf(std::span<const double> low, std::span<const double> high, double marginDecades,
                     AxisRange fallback)
{
    double lo = HUGE_VAL, hi = -HUGE_VAL;
    const std::size_t n = std::min(low.size(), high.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (std::isfinite(low[i]) && low[i] > 0.0) lo = std::min(lo, std::log10(low[i]));
        if (std::isfinite(high[i]) && high[i] > 0.0) hi = std::max(hi, std::log10(high[i]));
    }
    if (!(lo <= hi)) return fallback;
    if (hi - lo < 1e-9) {
        lo -= 0.5;
        hi += 0.5;
    }
    return {std::pow(10.0, lo - marginDecades), std::pow(10.0, hi + marginDecades)};
}

AxisRange LinearRangeOf(std::span<const double> low, std::span<const double> high, double marginFraction,
                        AxisRange fallback)
{
    double lo = HUGE_VAL, hi = -HUGE_VAL;
    const std::size_t n = std::min(low.size(), high.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (std::isfinite(low[i])) lo = std::min(lo, low[i]);
        if (std::isfinite(high[i])) hi = std::max(hi, high[i]);
    }
    if (!(lo <= hi)) return fallback;
    if (hi - lo < 1e-12) {
        lo -= 1.0;
        hi += 1.0;
    }
    const double margin = (hi - lo) * marginFraction;
    return {lo - margin, hi + margin};
}

AxisRange LogRangeWithBars(std::span<const double> value, std::span<const double> low, std::span<const double> high,
                           double reachDecades, double marginDecades, AxisRange fallback)
{
    const AxisRange points = LogRangeOf(value, value, 0.0, {0.0, 0.0});
    if (!(points.lower > 0.0)) return LogRangeOf(low, high, marginDecades, fallback);
    const AxisRange bars = LogRangeOf(low, high, 0.0, points);
    const double reach = std::pow(10.0, reachDecades);
    const double lo = std::min(points.lower, std::max(bars.lower, points.lower / reach));
    const double hi = std::max(points.upper, std::min(bars.upper, points.upper * reach));
    const double both[] = {lo, hi};
    return LogRangeOf(both, both, marginDecades, fallback);
}

AxisRange LinearRangeWithBars(std::span<const double> value, std::span<const double> low,
                              std::span<const double> high, double reach, double marginFraction, AxisRange fallback)
{
    const AxisRange points = LinearRangeOf(value, value, 0.0, {HUGE_VAL, -HUGE_VAL});
    if (!(points.lower <= points.upper)) return LinearRangeOf(low, high, marginFraction, fallback);
    const AxisRange bars = LinearRangeOf(low, high, 0.0, points);
    const double lo = std::min(points.lower, std::max(bars.lower, points.lower - reach));
    const double hi = std::max(points.upper, std::min(bars.upper, points.upper + reach));
    const double both[] = {lo, hi};
    return LinearRangeOf(both, both, marginFraction, fallback);
}

void StylePlot(QCustomPlot* plot)
{
    QFont font = plot->font();
    font.setPointSizeF(9.0);
    for (QCPAxis* axis : plot->axisRect()->axes()) {
        axis->setLabelFont(font);
        axis->setTickLabelFont(font);
    }
    plot->legend->setFont(font);
    plot->setNoAntialiasingOnDrag(true);
    plot->setMinimumSize(220, 160);
}

}  // namespace mt1d::gui::field
