#include "gui/field/LayerCountPlot.h"

#include "gui/field/PlotAxes.h"
#include "gui/field/PosteriorSeries.h"

#include <algorithm>
#include <cmath>
#include "gui/common/Language.h"

using mt1d::gui::Ui;


namespace mt1d::gui::field {

LayerCountPlot::LayerCountPlot(QWidget* parent) : QCustomPlot(parent)
{
    StylePlot(this);
    xAxis->setLabel(Ui::tr("层数（含半空间）"));
    yAxis->setLabel(Ui::tr("后验概率"));
    QSharedPointer<QCPAxisTickerFixed> ticker(new QCPAxisTickerFixed);
    ticker->setTickStep(1.0);
    ticker->setScaleStrategy(QCPAxisTickerFixed::ssMultiples);  // every layer count, or every 2, 5, …
    xAxis->setTicker(ticker);
    xAxis->grid()->setVisible(false);
    plotLayout()->insertRow(0);
    title_ = new QCPTextElement(this, QString(), font());
    plotLayout()->addElement(0, 0, title_);
    bars_ = new QCPBars(xAxis, yAxis);
    bars_->setWidth(0.8);
    bars_->setPen(QPen(QColor(120, 40, 140)));
    bars_->setBrush(QColor(120, 40, 140, 150));
    ClearResult();
}

void LayerCountPlot::SetResult(const sampling::SamplingResult& result)
{
    if (result.samples == 0) {
        ClearResult();
        return;
    }
    const field::Bars bars = LayerCountBars(result);
    bars_->setData(QVector<double>(bars.keys.begin(), bars.keys.end()), QVector<double>(bars.values.begin(), bars.values.end()),
                   true);
    const double top = bars.values.empty() ? 1.0 : *std::max_element(bars.values.begin(), bars.values.end());
    xAxis->setRange(0.3, (bars.keys.empty() ? 1.0 : bars.keys.back()) + 0.7);
    const auto rhat = [](double r) { return std::isfinite(r) ? QString::number(r, 'f', 2) : QStringLiteral("—"); };
    title_->setText(Ui::tr("层数众数 %1；R-hat 失配 %2，层数 %3")
                        .arg(result.LayerCountMode())
                        .arg(rhat(result.rhat.misfit), rhat(result.rhat.layerCount)));
    title_->setTextColor(RhatWarns(result.rhat) ? QColor(176, 0, 0) : QColor(Qt::black));
    yAxis->setRange(0.0, top > 0.0 ? top * 1.1 : 1.0);
}

void LayerCountPlot::ClearResult()
{
    bars_->data()->clear();
    title_->setText(Ui::tr("尚未采样"));
    title_->setTextColor(Qt::black);
    xAxis->setRange(0.3, 5.7);
    yAxis->setRange(0.0, 1.0);
}

}  // namespace mt1d::gui::field
