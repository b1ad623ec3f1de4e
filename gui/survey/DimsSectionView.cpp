#include "gui/survey/DimsSectionView.h"

#include "gui/common/WaitCursor.h"
#include "gui/field/DimsFigure.h"
#include "gui/field/FieldFigure.h"

#include <qcustomplot.h>

#include <QEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <cmath>
#include "gui/common/Language.h"

using mt1d::gui::Ui;


namespace mt1d::gui::survey {

namespace {

const QColor kNoDataGrey(200, 200, 200);

QCPColorGradient GradientOf(DimsSectionView::Quantity quantity)
{
    QCPColorGradient gradient;
    QMap<double, QColor> stops;
    for (const auto& [t, c] : field::DivergingStops()) {
        // β: the whole scale, −limit to +limit; the ellipticity: its upper half, 0 to the limit.
        const double at = quantity == DimsSectionView::Quantity::kBeta ? (t + 1.0) / 2.0 : t;
        if (at >= 0.0) stops.insert(at, QColor(c.r, c.g, c.b));
    }
    gradient.setColorStops(stops);
    gradient.setColorInterpolation(QCPColorGradient::ciRGB);
    gradient.setNanHandling(QCPColorGradient::nhTransparent);
    return gradient;
}

}  // namespace

DimsSectionView::DimsSectionView(section::Section section, std::filesystem::path folder, QWidget* parent)
    : QWidget(parent), section_(std::move(section)), folder_(std::move(folder))
{
    QuantityBox = new QComboBox;
    QuantityBox->addItem(Ui::tr("β（相位张量偏离角）"), static_cast<int>(Quantity::kBeta));
    QuantityBox->addItem(Ui::tr("椭率"), static_cast<int>(Quantity::kEllipticity));
    QuantityBox->setStatusTip(QStringLiteral("The phase-tensor quantity to show"));
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(Ui::tr("显示")));
    top->addWidget(QuantityBox);
    top->addSpacing(12);
    top->addWidget(new QLabel(Ui::tr("灰色：该处无数据（周期超出测点频段，或测点无阻抗张量）")));
    top->addStretch(1);

    Plot = new QCustomPlot;
    QFont font;
    font.setPointSizeF(9.0);
    for (QCPAxis* axis : Plot->axisRect()->axes()) {
        axis->setLabelFont(font);
        axis->setTickLabelFont(font);
    }
    QCPAxis* x = Plot->xAxis;
    QCPAxis* y = Plot->yAxis;
    x->setLabel(section_.byOrder ? Ui::tr("测点序号") : Ui::tr("沿剖面距离 (km)"));
    y->setLabel(Ui::tr("周期 (s)"));
    y->setRangeReversed(true);  // long periods (deeper) downwards
    QSharedPointer<QCPAxisTickerText> periods(new QCPAxisTickerText);
    for (int k = -6; k <= 6; ++k) periods->addTick(k, QString::number(std::pow(10.0, k), 'g', 6));
    y->setTicker(periods);
    // The sites' names along the top.
    QCPAxis* names = Plot->xAxis2;
    names->setVisible(true);
    names->setTickLabelFont(font);
    QSharedPointer<QCPAxisTickerText> siteTicks(new QCPAxisTickerText);
    for (const auto& site : section_.sites) siteTicks->addTick(site.distanceKm, QString::fromStdString(site.name));
    names->setTicker(siteTicks);
    names->setTickLabelRotation(-45);
    names->grid()->setVisible(false);
    connect(x, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), names, qOverload<const QCPRange&>(&QCPAxis::setRange));

    // Cells without data are transparent: grey shows through, apart from the white of β = 0.
    Plot->axisRect()->setBackground(QBrush(kNoDataGrey));
    Map = new QCPColorMap(x, y);
    Map->setInterpolate(false);
    Scale = new QCPColorScale(Plot);
    Plot->plotLayout()->addElement(0, 1, Scale);
    Scale->setType(QCPAxis::atRight);
    Scale->axis()->setLabelFont(font);
    Scale->axis()->setTickLabelFont(font);
    Map->setColorScale(Scale);
    auto* group = new QCPMarginGroup(Plot);
    Plot->axisRect()->setMarginGroup(QCP::msTop | QCP::msBottom, group);
    Scale->setMarginGroup(QCP::msTop | QCP::msBottom, group);

    NotesLabel = new QLabel;
    NotesLabel->setObjectName(QStringLiteral("DimsNotesLabel"));
    NotesLabel->setWordWrap(true);
    NotesLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Plot, 1);
    layout->addWidget(NotesLabel);
    connect(QuantityBox, &QComboBox::activated, this, &DimsSectionView::Draw);
}

DimsSectionView::Quantity DimsSectionView::Chosen() const
{
    return static_cast<Quantity>(QuantityBox->currentData().toInt());
}

void DimsSectionView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Load();
}

void DimsSectionView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::LanguageChange || !grid_) return;
    QStringList lines;
    for (const auto& note : grid_->notes) lines << QString::fromStdString(note);
    NotesLabel->setText(lines.join(QLatin1Char('\n')));
    Draw();
}

void DimsSectionView::Load()
{
    if (grid_) return;
    const WaitCursor wait;
    std::vector<std::string> notes;
    auto columns = section::ReadDimsColumns(section_, folder_, dims::DimsOptions{}, notes);
    grid_ = section::BinDimsSection(std::move(columns));
    notes.insert(notes.end(), grid_->notes.begin(), grid_->notes.end());
    grid_->notes = notes;
    QStringList lines;
    for (const auto& note : notes) lines << QString::fromStdString(note);
    NotesLabel->setText(lines.join(QLatin1Char('\n')));
    NotesLabel->setVisible(!lines.isEmpty());
    Draw();
}

void DimsSectionView::Draw()
{
    if (!grid_) return;
    const section::DimsSection& g = *grid_;
    const Quantity quantity = Chosen();
    if (g.periodCells == 0) {
        Map->data()->clear();
        NotesLabel->setText(NotesLabel->text() + Ui::tr("\n没有可画的测点：无一测点有阻抗张量。"));
        Plot->replot(QCustomPlot::rpQueuedReplot);
        return;
    }
    const auto d = static_cast<int>(g.distanceCells);
    const auto p = static_cast<int>(g.periodCells);
    const double width = (g.rightKm - g.leftKm) / d;
    const double height = (g.log10PeriodMax - g.log10PeriodMin) / p;
    // QCPColorMap's ranges are the centres of the outer cells.
    Map->data()->setSize(d, p);
    Map->data()->setRange(QCPRange(g.leftKm + 0.5 * width, g.rightKm - 0.5 * width),
                          QCPRange(g.log10PeriodMin + 0.5 * height, g.log10PeriodMax - 0.5 * height));
    double largest = 0.0;
    for (int i = 0; i < d; ++i) {
        for (int k = 0; k < p; ++k) {
            const double v = quantity == Quantity::kBeta ? g.Beta(i, k) : g.Ellipticity(i, k);
            Map->data()->setCell(i, k, v);
            if (std::isfinite(v)) largest = std::max(largest, std::abs(v));
        }
    }
    Map->setGradient(GradientOf(quantity));
    if (quantity == Quantity::kBeta) {
        // The range the sounding window's ellipses use: ±(twice the 1-D threshold or the
        // largest |β|, rounded up to 5°), at most 45°.
        const double limit = field::BetaColourLimit(dims::DimsOptions{}.maxSkewDeg, largest);
        Map->setDataRange(QCPRange(-limit, limit));
        Scale->axis()->setLabel(QStringLiteral("β (°)"));
    } else {
        const double limit = std::max(0.2, std::ceil(largest * 10.0 - 1e-9) / 10.0);
        Map->setDataRange(QCPRange(0.0, std::min(limit, 1.0)));
        Scale->axis()->setLabel(Ui::tr("椭率"));
    }
    Plot->xAxis->setRange(g.leftKm, g.rightKm);
    Plot->yAxis->setRange(g.log10PeriodMin, g.log10PeriodMax);
    Plot->replot(QCustomPlot::rpQueuedReplot);
}

}  // namespace mt1d::gui::survey

namespace mt1d::gui::survey {

QString DimsSectionView::ExportFigure(const QString& file)
{
    Load();
    const field::FigurePart parts[] = {{Plot, QRectF(0.0, 0.0, 1.0, 1.0)}};
    return field::SaveFigure(file, parts, QSize(1100, 650));
}

}  // namespace mt1d::gui::survey
