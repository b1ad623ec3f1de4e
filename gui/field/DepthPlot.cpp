#include "gui/field/DepthPlot.h"

#include "gui/field/PlotAxes.h"
#include "gui/field/PlotPlacement.h"

#include <algorithm>
#include <cmath>
#include "gui/common/Language.h"

using mt1d::gui::Ui;


namespace mt1d::gui::field {

namespace {

constexpr double kLogMargin = 0.1;      // decades beyond the outermost value
constexpr double kStairReach = 0.5;     // decades the top layer and the half-space reach beyond the model

double DistanceToSegment(const QPointF& p, const QPointF& a, const QPointF& b)
{
    const QPointF d = b - a;
    const double length2 = QPointF::dotProduct(d, d);
    const double t = length2 > 0 ? std::clamp(QPointF::dotProduct(p - a, d) / length2, 0.0, 1.0) : 0.0;
    const QPointF nearest = a + t * d;
    return std::hypot(p.x() - nearest.x(), p.y() - nearest.y());
}

std::vector<double> TopsOf(const earth::LayeredModel& model)
{
    std::vector<double> tops(model.resistivity.size(), 0.0);
    for (std::size_t j = 1; j < tops.size(); ++j) tops[j] = tops[j - 1] + model.thickness[j - 1];
    return tops;
}

}  // namespace

DepthPlot::DepthPlot(QWidget* parent) : QCustomPlot(parent)
{
    StylePlot(this);
    MakeLogAxis(xAxis, Ui::tr("电阻率 ρ (Ω·m)"));
    MakeLogAxis(yAxis, Ui::tr("深度 (m)"));
    yAxis->setRangeReversed(true);

    bostick_ = new QCPCurve(xAxis, yAxis);
    bostick_->setName(QStringLiteral("Niblett–Bostick"));
    bostick_->setLineStyle(QCPCurve::lsNone);
    bostick_->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCross, QPen(QColor(110, 110, 110), 1.2), Qt::NoBrush, 6));

    for (ModelLine line : kModelLines) {
        auto* curve = new QCPCurve(xAxis, yAxis);
        curve->setName(ModelLineName(line));
        QPen pen(ModelLineColour(line), line == ModelLine::kEdited ? 2.2 : 1.6);
        if (line == ModelLine::kOccam) pen.setStyle(Qt::DashLine);
        curve->setPen(pen);
        curve->setVisible(false);
        curve->removeFromLegend();
        lines_[static_cast<std::size_t>(line)] = curve;
    }

    investigation_ = new QCPItemStraightLine(this);
    investigation_->setPen(QPen(QColor(150, 60, 150), 1.0, Qt::DotLine));
    investigation_->setVisible(false);
    investigationLabel_ = new QCPItemText(this);
    investigationLabel_->setText(Ui::tr("探测深度"));
    investigationLabel_->setColor(QColor(150, 60, 150));
    investigationLabel_->setPositionAlignment(Qt::AlignLeft | Qt::AlignBottom);
    investigationLabel_->position->setTypeX(QCPItemPosition::ptAxisRectRatio);
    investigationLabel_->setVisible(false);

    legend->setVisible(true);
    legend->setBrush(QColor(255, 255, 255, 220));
    legend->setRowSpacing(0);
    axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignBottom | Qt::AlignRight);
    Rescale();
}

std::vector<QPointF> DepthPlot::DataPixels() const
{
    std::vector<QPointF> pixels;
    const QRectF area(axisRect()->rect());
    const auto inside = [&](double x, double y) {
        return QPointF(std::clamp(x, area.left() - 1.0, area.right() + 1.0), std::clamp(y, area.top() - 1.0, area.bottom() + 1.0));
    };
    for (const QCPCurve* curve : lines_) {
        if (!curve->visible() || curve->pen().color().alpha() == 0) continue;
        std::optional<QPointF> last;
        for (auto it = curve->data()->constBegin(); it != curve->data()->constEnd(); ++it) {
            const QPointF at = inside(xAxis->coordToPixel(it->key), yAxis->coordToPixel(it->value));
            if (last) AddSegment(pixels, *last, at, 3.0);
            last = at;
        }
    }
    for (const auto& p : points_) {
        pixels.push_back(QPointF(xAxis->coordToPixel(p.resistivityOhmM), yAxis->coordToPixel(p.depthM)));
    }
    return pixels;
}

bool DepthPlot::PlaceLabels()
{
    const std::vector<QPointF> data = DataPixels();
    const bool moved = PlaceLegend(this, data);
    if (!investigationLabel_->visible()) return moved;
    // The label of the depth of investigation: left or right, above or below its line.
    const QRectF area(axisRect()->rect());
    const QFontMetricsF metrics(investigationLabel_->font());
    const QSizeF size = metrics.size(0, investigationLabel_->text()) + QSizeF(4, 2);
    const double y = yAxis->coordToPixel(investigationM_);
    const double inset = 0.02 * area.width();
    const double left = area.left() + inset, right = area.right() - inset - size.width();
    const QRectF places[] = {QRectF(QPointF(left, y - size.height()), size), QRectF(QPointF(right, y - size.height()), size),
                             QRectF(QPointF(left, y), size), QRectF(QPointF(right, y), size)};
    const std::size_t best = LeastCovered(places, data).index;
    const bool onLeft = best % 2 == 0, above = best < 2;
    investigationLabel_->setPositionAlignment((onLeft ? Qt::AlignLeft : Qt::AlignRight) | (above ? Qt::AlignBottom : Qt::AlignTop));
    investigationLabel_->position->setCoords(onLeft ? 0.02 : 0.98, investigationM_);
    return moved;  // the label is an item: it needs no layout
}

void DepthPlot::SetModel(ModelLine line, const earth::LayeredModel& model)
{
    models_[static_cast<std::size_t>(line)] = model;
    Draw(line);
}

void DepthPlot::Draw(ModelLine line)
{
    const auto& model = models_[static_cast<std::size_t>(line)];
    QCPCurve* curve = Staircase(line);
    QVector<double> x, y;
    if (!model.resistivity.empty()) {
        const auto tops = TopsOf(model);
        const std::size_t layers = model.resistivity.size();
        for (std::size_t j = 0; j < layers; ++j) {
            // Each layer from its top to its bottom, the top layer from the plot's top depth
            // and the half-space to its bottom depth.
            const double top = j == 0 ? std::min(topM_, tops.size() > 1 ? tops[1] : topM_) : tops[j];
            const double bottom = j + 1 < layers ? tops[j + 1] : std::max(bottomM_, tops[j]);
            x << model.resistivity[j] << model.resistivity[j];
            y << top << bottom;
        }
    }
    curve->setData(x, y);
    const bool visible = !x.isEmpty();
    curve->setVisible(visible);
    const bool drawn = visible && (line != ModelLine::kEdited || editedShown_);
    QPen pen = curve->pen();
    pen.setColor(drawn ? ModelLineColour(line) : QColor(Qt::transparent));
    curve->setPen(pen);
    if (drawn && !legend->hasItemWithPlottable(curve)) curve->addToLegend();
    if (!drawn) curve->removeFromLegend();
}

void DepthPlot::SetEditedShown(bool shown)
{
    if (shown == editedShown_) return;
    editedShown_ = shown;
    Draw(ModelLine::kEdited);
}

void DepthPlot::SetNiblettBostick(const std::vector<fitting::DepthPoint>& points, double depthOfInvestigationM)
{
    points_ = points;
    investigationM_ = depthOfInvestigationM;
    QVector<double> x, y;
    for (const auto& p : points) {
        x << p.resistivityOhmM;
        y << p.depthM;
    }
    bostick_->setData(x, y);
    const bool depthKnown = depthOfInvestigationM > 0.0 && std::isfinite(depthOfInvestigationM);
    investigation_->setVisible(depthKnown);
    investigationLabel_->setVisible(depthKnown);
    if (depthKnown) {
        investigation_->point1->setCoords(1e-6, depthOfInvestigationM);
        investigation_->point2->setCoords(1e9, depthOfInvestigationM);
        investigationLabel_->position->setCoords(0.02, depthOfInvestigationM);
    }
}

void DepthPlot::Rescale()
{
    std::vector<double> rho, depth;
    for (const auto& p : points_) {
        rho.push_back(p.resistivityOhmM);
        depth.push_back(p.depthM);
    }
    if (investigationM_ > 0) depth.push_back(investigationM_);
    for (const auto& model : models_) {
        rho.insert(rho.end(), model.resistivity.begin(), model.resistivity.end());
        const auto tops = TopsOf(model);
        for (std::size_t j = 1; j < tops.size(); ++j) depth.push_back(tops[j]);
    }
    const AxisRange depths = LogRangeOf(depth, depth, 0.0, {10.0, 1e4});
    topM_ = depths.lower / std::pow(10.0, kStairReach);
    bottomM_ = depths.upper * std::pow(10.0, kStairReach);
    const AxisRange x = LogRangeOf(rho, rho, kLogMargin, {1.0, 1e4});
    xAxis->setRange(x.lower, x.upper);
    yAxis->setRange(depths.lower / std::pow(10.0, kLogMargin), depths.upper * std::pow(10.0, kLogMargin));
    for (ModelLine line : kModelLines) Draw(line);
}

QPointF DepthPlot::LayerHandle(std::size_t layer) const
{
    const auto& model = models_[static_cast<std::size_t>(ModelLine::kEdited)];
    const auto tops = TopsOf(model);
    const double top = layer == 0 ? yAxis->range().lower : tops[layer];
    const double bottom = layer + 1 < tops.size() ? tops[layer + 1] : yAxis->range().upper;
    const double middle = std::sqrt(std::max(top, 1e-9) * bottom);  // the middle on a log axis
    return {xAxis->coordToPixel(model.resistivity[layer]), yAxis->coordToPixel(middle)};
}

QPointF DepthPlot::InterfaceHandle(std::size_t index) const
{
    const auto& model = models_[static_cast<std::size_t>(ModelLine::kEdited)];
    const auto tops = TopsOf(model);
    const double middle = std::sqrt(model.resistivity[index] * model.resistivity[index + 1]);
    return {xAxis->coordToPixel(middle), yAxis->coordToPixel(tops[index + 1])};
}

std::optional<DepthPlot::Grab> DepthPlot::GrabAt(const QPointF& p) const
{
    const auto& model = models_[static_cast<std::size_t>(ModelLine::kEdited)];
    if (model.resistivity.empty() || !Staircase(ModelLine::kEdited)->visible()) return std::nullopt;
    const auto tops = TopsOf(model);
    const std::size_t layers = model.resistivity.size();
    std::optional<Grab> best;
    double bestDistance = kGrabPixels;
    const double upper = yAxis->range().lower, lower = yAxis->range().upper;
    for (std::size_t j = 0; j < layers; ++j) {
        const double x = xAxis->coordToPixel(model.resistivity[j]);
        const double top = j == 0 ? upper : tops[j];
        const double bottom = j + 1 < layers ? tops[j + 1] : lower;
        const double d = DistanceToSegment(p, {x, yAxis->coordToPixel(top)}, {x, yAxis->coordToPixel(bottom)});
        if (d < bestDistance) {
            bestDistance = d;
            best = Grab{true, j};
        }
    }
    // Interfaces win ties: their segments are short and the ends touch the layers' ones.
    for (std::size_t i = 0; i + 1 < layers; ++i) {
        const double y = yAxis->coordToPixel(tops[i + 1]);
        const double d = DistanceToSegment(p, {xAxis->coordToPixel(model.resistivity[i]), y},
                                           {xAxis->coordToPixel(model.resistivity[i + 1]), y});
        if (d <= bestDistance) {
            bestDistance = d;
            best = Grab{false, i};
        }
    }
    return best;
}

void DepthPlot::updateLayout()
{
    QCustomPlot::updateLayout();
    // A legend that moves changes the axis rect (a row above it) or not (another corner); lay
    // out again so that the ticks and the data are where they are drawn. Twice at most: the
    // new length may change the tick labels, and with them the margins, once more.
    for (int pass = 0; pass < 2 && PlaceLabels(); ++pass) QCustomPlot::updateLayout();
}

void DepthPlot::mousePressEvent(QMouseEvent* event)
{
    grab_.reset();
    if (event->button() == Qt::LeftButton) grab_ = GrabAt(event->position());
    if (grab_) {
        setCursor(grab_->layer ? Qt::SizeHorCursor : Qt::SizeVerCursor);
        event->accept();
        return;
    }
    QCustomPlot::mousePressEvent(event);
}

void DepthPlot::mouseMoveEvent(QMouseEvent* event)
{
    if (!grab_) {
        const auto hover = GrabAt(event->position());
        if (hover) {
            setCursor(hover->layer ? Qt::SizeHorCursor : Qt::SizeVerCursor);
        } else {
            unsetCursor();
        }
        QCustomPlot::mouseMoveEvent(event);
        return;
    }
    if (grab_->layer) {
        emit resistivityDragged(grab_->index, xAxis->pixelToCoord(event->position().x()));
    } else {
        emit interfaceDragged(grab_->index, yAxis->pixelToCoord(event->position().y()));
    }
    event->accept();
}

void DepthPlot::mouseReleaseEvent(QMouseEvent* event)
{
    if (grab_) {
        grab_.reset();
        unsetCursor();
        emit dragFinished();
        event->accept();
        return;
    }
    QCustomPlot::mouseReleaseEvent(event);
}

}  // namespace mt1d::gui::field
