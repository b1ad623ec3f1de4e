#include "gui/field/DimsView.h"

#include "gui/field/FieldFigure.h"
#include "gui/field/PlotAxes.h"

#include <qcustomplot.h>

#include <QEvent>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <cmath>
#include "gui/common/Language.h"

using mt1d::gui::Ui;


namespace mt1d::gui::field {

namespace {

const QColor kOneDColour(40, 40, 40);
const QColor kNotOneDColour(200, 30, 30);
const QColor kThresholdColour(90, 90, 90);

QColor ColourOf(const Rgb& c) { return QColor(c.r, c.g, c.b); }

QCPColorGradient DivergingGradient()
{
    QCPColorGradient gradient;
    QMap<double, QColor> stops;
    for (const auto& [t, colour] : DivergingStops()) stops.insert((t + 1.0) / 2.0, ColourOf(colour));
    gradient.setColorStops(stops);
    gradient.setColorInterpolation(QCPColorGradient::ciRGB);
    return gradient;
}

void StyleAxes(QCPAxisRect* rect)
{
    QFont font;
    font.setPointSizeF(9.0);
    for (QCPAxis* axis : rect->axes()) {
        axis->setLabelFont(font);
        axis->setTickLabelFont(font);
    }
}

// Points of one kind (flagged or not) with their error bars.
void AddBars(QCustomPlot* plot, QCPAxisRect* rect, const std::vector<BarPoint>& points, bool flagged,
             const QCPScatterStyle& style, const QColor& colour)
{
    QVector<double> keys, values, minus, plus;
    for (const BarPoint& p : points) {
        if (p.flagged != flagged) continue;
        keys << p.periodS;
        values << p.value;
        minus << p.value - p.low;
        plus << p.high - p.value;
    }
    QCPGraph* graph = plot->addGraph(rect->axis(QCPAxis::atBottom), rect->axis(QCPAxis::atLeft));
    graph->setLineStyle(QCPGraph::lsNone);
    graph->setScatterStyle(style);
    graph->setData(keys, values);
    auto* bars = new QCPErrorBars(graph->keyAxis(), graph->valueAxis());
    bars->setDataPlottable(graph);
    bars->setErrorType(QCPErrorBars::etValueError);
    bars->setPen(QPen(colour, 1.0));
    bars->setWhiskerWidth(4);
    bars->setData(minus, plus);
}

// A horizontal line across the plot at `value`.
QCPItemStraightLine* AddLevel(QCustomPlot* plot, QCPAxisRect* rect, double value, const QPen& pen)
{
    auto* line = new QCPItemStraightLine(plot);
    for (QCPItemPosition* p : {line->point1, line->point2}) p->setAxes(rect->axis(QCPAxis::atBottom), rect->axis(QCPAxis::atLeft));
    line->point1->setCoords(1.0, value);
    line->point2->setCoords(10.0, value);
    line->setClipAxisRect(rect);
    line->setPen(pen);
    return line;
}

void SetValueRange(QCPAxisRect* rect, const std::vector<BarPoint>& points, std::vector<double> extra, AxisRange fallback)
{
    std::vector<double> low = extra, high = extra;
    for (const BarPoint& p : points) low.push_back(p.low), high.push_back(p.high);
    const AxisRange r = LinearRangeOf(low, high, 0.08, fallback);
    rect->axis(QCPAxis::atLeft)->setRange(r.lower, r.upper);
}

}  // namespace

DimsView::DimsView(QWidget* parent) : QWidget(parent)
{
    MaxSkewBox = new QDoubleSpinBox;
    MaxSkewBox->setRange(0.0, 45.0);
    MaxSkewBox->setDecimals(1);
    MaxSkewBox->setSingleStep(0.5);
    MaxSkewBox->setSuffix(QStringLiteral("°"));
    MaxSkewBox->setValue(dims::DimsOptions{}.maxSkewDeg);
    MaxSkewBox->setStatusTip(QStringLiteral("Largest |β| (skew angle) of a 1-D frequency"));
    MaxEllipticityBox = new QDoubleSpinBox;
    MaxEllipticityBox->setRange(0.0, 1.0);
    MaxEllipticityBox->setDecimals(2);
    MaxEllipticityBox->setSingleStep(0.01);
    MaxEllipticityBox->setValue(dims::DimsOptions{}.maxEllipticity);
    MaxEllipticityBox->setStatusTip(QStringLiteral("Largest ellipticity of a 1-D frequency"));
    ExcludeButton = new QPushButton(Ui::tr("一键排除非一维"));
    ExcludeButton->setStatusTip(QStringLiteral("Leave every frequency that is not 1-D out of fitting (tick a row to bring it back)"));
    RotationBox = new QDoubleSpinBox;
    RotationBox->setRange(-180.0, 180.0);
    RotationBox->setDecimals(1);
    RotationBox->setSingleStep(5.0);
    RotationBox->setSuffix(QStringLiteral("°"));
    RotationBox->setKeyboardTracking(false);  // a rotation once the number is typed, not per digit
    RotationBox->setStatusTip(QStringLiteral("Rotate the impedance tensor: its x axis this many degrees clockwise from north"));
    StrikeButton = new QPushButton(Ui::tr("旋转到走向"));
    StrikeButton->setStatusTip(QStringLiteral("Rotate the tensor to the site's strike: xy along it, yx across it"));
    SummaryLabel = new QLabel;
    SummaryLabel->setWordWrap(true);
    SummaryLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    NoteLabel = new QLabel;
    NoteLabel->setWordWrap(true);
    NoteLabel->setVisible(false);

    auto* controls = new QHBoxLayout;
    controls->addWidget(new QLabel(Ui::tr("一维阈值：|β| ≤")));
    controls->addWidget(MaxSkewBox);
    controls->addSpacing(8);
    controls->addWidget(new QLabel(Ui::tr("椭率 ≤")));
    controls->addWidget(MaxEllipticityBox);
    controls->addStretch(1);
    controls->addWidget(ExcludeButton);
    auto* frame = new QHBoxLayout;
    frame->addWidget(new QLabel(Ui::tr("张量坐标系：x 轴自北顺时针")));
    frame->addWidget(RotationBox);
    frame->addSpacing(8);
    frame->addWidget(StrikeButton);
    frame->addStretch(1);

    Plot = new QCustomPlot;
    Plot->setAutoAddPlottableToLegend(false);
    Plot->plotLayout()->clear();  // four plots stacked, one period axis
    auto* margins = new QCPMarginGroup(Plot);
    std::array<QCPAxisRect*, 4> rects{};
    for (int i = 0; i < 4; ++i) {
        rects[static_cast<std::size_t>(i)] = new QCPAxisRect(Plot);
        Plot->plotLayout()->addElement(i, 0, rects[static_cast<std::size_t>(i)]);
        rects[static_cast<std::size_t>(i)]->setMarginGroup(QCP::msLeft | QCP::msRight, margins);
        StyleAxes(rects[static_cast<std::size_t>(i)]);
    }
    EllipseRect = rects[0];
    BetaRect = rects[1];
    EllipticityRect = rects[2];
    StrikeRect = rects[3];
    Plot->plotLayout()->setRowStretchFactors({0.75, 1.0, 1.0, 1.0});
    Plot->plotLayout()->setRowSpacing(2);

    // The ellipses: x is log10 of the period, equal units on both axes (kept so after every
    // layout), ticks at the decades as in the plots below.
    QCPAxis* ex = EllipseRect->axis(QCPAxis::atBottom);
    QSharedPointer<QCPAxisTickerFixed> decades(new QCPAxisTickerFixed);
    decades->setTickStep(1.0);
    decades->setScaleStrategy(QCPAxisTickerFixed::ssNone);
    ex->setTicker(decades);
    ex->setTickLabels(false);
    QCPAxis* ey = EllipseRect->axis(QCPAxis::atLeft);
    ey->setTickLabels(false);
    ey->setTicks(false);
    ey->grid()->setVisible(false);
    ey->setLabel(Ui::tr("相位张量"));
    connect(Plot, &QCustomPlot::afterLayout, this, [this] {
        EllipseRect->axis(QCPAxis::atLeft)->setScaleRatio(EllipseRect->axis(QCPAxis::atBottom), 1.0);
    });

    BetaScale = new QCPColorScale(Plot);
    Plot->plotLayout()->addElement(0, 1, BetaScale);
    BetaScale->setType(QCPAxis::atRight);
    BetaScale->setGradient(DivergingGradient());
    BetaScale->setBarWidth(8);
    BetaScale->axis()->setLabel(QStringLiteral("β (°)"));
    auto* scaleMargins = new QCPMarginGroup(Plot);
    EllipseRect->setMarginGroup(QCP::msLeft | QCP::msRight, margins);
    EllipseRect->setMarginGroup(QCP::msTop | QCP::msBottom, scaleMargins);
    BetaScale->setMarginGroup(QCP::msTop | QCP::msBottom, scaleMargins);

    MakeLogAxis(BetaRect->axis(QCPAxis::atBottom), QString());
    BetaRect->axis(QCPAxis::atBottom)->setTickLabels(false);
    BetaRect->axis(QCPAxis::atLeft)->setLabel(QStringLiteral("β (°)"));
    MakeLogAxis(EllipticityRect->axis(QCPAxis::atBottom), QString());
    EllipticityRect->axis(QCPAxis::atBottom)->setTickLabels(false);
    EllipticityRect->axis(QCPAxis::atLeft)->setLabel(Ui::tr("椭率"));
    MakeLogAxis(StrikeRect->axis(QCPAxis::atBottom), Ui::tr("周期 (s)"));
    QCPAxis* sy = StrikeRect->axis(QCPAxis::atLeft);
    sy->setLabel(Ui::tr("走向 (°)"));
    QSharedPointer<QCPAxisTickerFixed> quarter(new QCPAxisTickerFixed);
    quarter->setTickStep(30.0);
    quarter->setScaleStrategy(QCPAxisTickerFixed::ssNone);
    sy->setTicker(quarter);
    sy->setRange(-5.0, 95.0);
    for (QCPAxisRect* rect : rects) StyleAxes(rect);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addLayout(frame);
    layout->addWidget(SummaryLabel);
    layout->addWidget(NoteLabel);
    layout->addWidget(Plot, 1);

    connect(MaxSkewBox, &QDoubleSpinBox::valueChanged, this, &DimsView::Analyse);
    connect(MaxEllipticityBox, &QDoubleSpinBox::valueChanged, this, &DimsView::Analyse);
    connect(ExcludeButton, &QPushButton::clicked, this, &DimsView::excludeRequested);
    connect(RotationBox, &QDoubleSpinBox::valueChanged, this, [this](double value) {
        if (!settingRotation_) emit rotateRequested(value);
    });
    connect(StrikeButton, &QPushButton::clicked, this, [this] {
        if (result_ && result_->strikeDeg) emit rotateRequested(*result_->strikeDeg);
    });
}

void DimsView::SetRotation(std::optional<double> rotationDeg)
{
    settingRotation_ = true;
    RotationBox->setValue(rotationDeg.value_or(0.0));
    settingRotation_ = false;
}

dims::DimsOptions DimsView::Options() const
{
    dims::DimsOptions options;
    options.maxSkewDeg = MaxSkewBox->value();
    options.maxEllipticity = MaxEllipticityBox->value();
    return options;
}

void DimsView::SetSounding(const sounding::Sounding& sounding)
{
    sounding_ = sounding;
    Analyse();
}

void DimsView::Analyse()
{
    if (!sounding_) return;
    noTensor_.clear();
    result_.reset();
    try {
        result_ = dims::AnalyseDimensionality(*sounding_, Options());
    } catch (const dims::NoTensorError&) {
        noTensor_ = Ui::tr("此文件只有视电阻率与相位，没有阻抗张量：无可分析的维度。"
                                   "相位张量、偏离度与走向要用四个阻抗分量（如 EDI 的 Z 数据块）。");
    } catch (const std::invalid_argument& e) {
        noTensor_ = QString::fromStdString(e.what());
    }
    figure_ = result_ ? MakeDimsFigure(*result_) : DimsFigure{};
    Draw();
    emit analysed();
}

void DimsView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) Analyse();
}

void DimsView::Draw()
{
    Plot->clearPlottables();
    Plot->clearItems();
    const bool shown = result_.has_value();
    NoteLabel->setText(noTensor_);
    NoteLabel->setVisible(!shown);
    Plot->setVisible(shown);
    SummaryLabel->setVisible(shown);
    MaxSkewBox->setEnabled(shown);
    MaxEllipticityBox->setEnabled(shown);
    ExcludeButton->setEnabled(shown && !figure_.notOneDRows.empty());
    RotationBox->setEnabled(shown);
    const bool strike = shown && result_->strikeDeg.has_value();
    StrikeButton->setEnabled(strike);
    StrikeButton->setText(strike ? Ui::tr("旋转到走向 %1°").arg(*result_->strikeDeg, 0, 'f', 1)
                                 : Ui::tr("旋转到走向"));
    if (!shown) {
        SummaryLabel->clear();
        Plot->replot(QCustomPlot::rpQueuedReplot);
        return;
    }
    SummaryLabel->setText(QString::fromStdString(figure_.summary));
    ExcludeButton->setText(figure_.notOneDRows.empty()
                               ? Ui::tr("一键排除非一维")
                               : Ui::tr("一键排除非一维（%1 个）").arg(figure_.notOneDRows.size()));

    // The ellipses, each a closed curve filled by β.
    QCPAxis* ex = EllipseRect->axis(QCPAxis::atBottom);
    QCPAxis* ey = EllipseRect->axis(QCPAxis::atLeft);
    for (const EllipseShape& e : figure_.ellipses) {
        auto* curve = new QCPCurve(ex, ey);
        QVector<QCPCurveData> data;
        data.reserve(static_cast<int>(e.outline.size()));
        for (std::size_t k = 0; k < e.outline.size(); ++k) data.append({static_cast<double>(k), e.outline[k].x, e.outline[k].y});
        curve->data()->set(data, true);
        curve->setPen(QPen(kOneDColour, 0.8));
        curve->setBrush(ColourOf(e.fill));
    }
    BetaScale->setDataRange(QCPRange(-figure_.betaLimit, figure_.betaLimit));

    const QCPScatterStyle oneD(QCPScatterStyle::ssDisc, kOneDColour, kOneDColour, 5);
    const QCPScatterStyle notOneD(QCPScatterStyle::ssSquare, QPen(kNotOneDColour, 1.2), kNotOneDColour, 5);
    AddBars(Plot, BetaRect, figure_.beta, false, oneD, kOneDColour);
    AddBars(Plot, BetaRect, figure_.beta, true, notOneD, kNotOneDColour);
    AddBars(Plot, EllipticityRect, figure_.ellipticity, false, oneD, kOneDColour);
    AddBars(Plot, EllipticityRect, figure_.ellipticity, true, notOneD, kNotOneDColour);
    const QCPScatterStyle twoD(QCPScatterStyle::ssDisc, QColor(30, 90, 170), QColor(30, 90, 170), 5);
    const QCPScatterStyle other(QCPScatterStyle::ssCircle, QPen(QColor(150, 150, 150), 1.0), Qt::NoBrush, 5);
    AddBars(Plot, StrikeRect, figure_.strike, true, twoD, QColor(30, 90, 170));
    AddBars(Plot, StrikeRect, figure_.strike, false, other, QColor(170, 170, 170));

    const QPen threshold(kThresholdColour, 1.0, Qt::DashLine);
    AddLevel(Plot, BetaRect, figure_.maxSkewDeg, threshold);
    AddLevel(Plot, BetaRect, -figure_.maxSkewDeg, threshold);
    AddLevel(Plot, EllipticityRect, figure_.maxEllipticity, threshold);
    auto* strikeText = new QCPItemText(Plot);
    strikeText->setClipAxisRect(StrikeRect);
    strikeText->position->setType(QCPItemPosition::ptAxisRectRatio);
    strikeText->position->setAxisRect(StrikeRect);
    strikeText->position->setCoords(0.01, 0.04);
    strikeText->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
    strikeText->setBrush(QColor(255, 255, 255, 210));
    strikeText->setPadding(QMargins(3, 1, 3, 1));
    if (figure_.siteStrikeDeg) {
        AddLevel(Plot, StrikeRect, *figure_.siteStrikeDeg, QPen(QColor(30, 90, 170), 1.4));
        strikeText->setText(Ui::tr("测点走向 %1°（实心：二维频点）").arg(*figure_.siteStrikeDeg, 0, 'f', 1));
    } else {
        strikeText->setText(Ui::tr("无二维频点，测点走向未定"));
    }

    // One period range for all four plots: every row, and room for the outer ellipses.
    double lo = HUGE_VAL, hi = -HUGE_VAL;
    for (const auto& row : result_->rows) {
        if (row.periodS) lo = std::min(lo, std::log10(*row.periodS)), hi = std::max(hi, std::log10(*row.periodS));
    }
    if (!(lo <= hi)) lo = -3.0, hi = 3.0;
    const double margin = std::max(2.0 * figure_.ellipseRadius, 0.1);
    ex->setRange(lo - margin, hi + margin);
    ey->setRange(-1.0, 1.0);
    for (QCPAxisRect* rect : {BetaRect, EllipticityRect, StrikeRect}) {
        rect->axis(QCPAxis::atBottom)->setRange(std::pow(10.0, lo - margin), std::pow(10.0, hi + margin));
    }
    SetValueRange(BetaRect, figure_.beta, {-figure_.maxSkewDeg, figure_.maxSkewDeg}, {-10.0, 10.0});
    SetValueRange(EllipticityRect, figure_.ellipticity, {0.0, figure_.maxEllipticity}, {0.0, 1.0});
    Plot->replot(QCustomPlot::rpQueuedReplot);
}

QString DimsView::ExportFigure(const QString& file, const QString& caption)
{
    const FigurePart parts[] = {{Plot, QRectF(0.0, 0.0, 1.0, 1.0)}};
    return SaveFigure(file, parts, kFigureSize, caption);
}

}  // namespace mt1d::gui::field
