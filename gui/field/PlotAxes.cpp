#include "gui/field/PlotAxes.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

namespace mt1d::gui::field {

void MakeLogAxis(QCPAxis* axis, const QString& label)
{
    axis->setScaleType(QCPAxis::stLogarithmic);
    QSharedPointer<QCPAxisTickerLog> ticker(new QCPAxisTickerLog);
    ticker->setLogBase(10.0);
    ticker->setSubTickCount(8);  // 2..9 between decades
    axis->setTicker(ticker);
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
