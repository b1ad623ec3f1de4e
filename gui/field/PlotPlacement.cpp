#include "gui/field/PlotPlacement.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

namespace mt1d::gui::field {

namespace {

int IndexIn(QCPLayoutInset* inset, QCPLayoutElement* element)
{
    for (int i = 0; i < inset->elementCount(); ++i) {
        if (inset->elementAt(i) == element) return i;
    }
    return -1;
}

}  // namespace

Placement LeastCovered(std::span<const QRectF> candidates, std::span<const QPointF> points)
{
    if (candidates.empty()) return {0, points.size()};
    Placement best{0, static_cast<std::size_t>(-1)};
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const auto n = static_cast<std::size_t>(
            std::count_if(points.begin(), points.end(), [&](const QPointF& p) { return candidates[i].contains(p); }));
        if (n < best.covered) best = {i, n};
        if (n == 0) break;  // nothing beats an empty place, and earlier ones are preferred
    }
    return best;
}

std::vector<QRectF> CornerBoxes(const QRectF& area, QSizeF size, double inset)
{
    const double left = area.left() + inset, right = area.right() - inset - size.width();
    const double top = area.top() + inset, bottom = area.bottom() - inset - size.height();
    return {QRectF(QPointF(right, top), size), QRectF(QPointF(left, top), size), QRectF(QPointF(right, bottom), size),
            QRectF(QPointF(left, bottom), size)};
}

void AddSegment(std::vector<QPointF>& points, QPointF a, QPointF b, double stepPx)
{
    const double length = std::hypot(b.x() - a.x(), b.y() - a.y());
    if (!std::isfinite(length)) return;
    // Off-screen ends (a bar to 10⁻⁹⁹ is millions of pixels long) only need the visible part.
    const int steps = static_cast<int>(std::min(std::ceil(length / std::max(stepPx, 0.5)), 20000.0));
    for (int i = 0; i <= steps; ++i) {
        const double t = steps == 0 ? 0.0 : static_cast<double>(i) / steps;
        points.emplace_back(a + t * (b - a));
    }
}

bool PlaceLegend(QCustomPlot* plot, std::span<const QPointF> data)
{
    QCPLegend* legend = plot->legend;
    QCPAxisRect* rect = plot->axisRect();
    QCPLayoutInset* inset = rect->insetLayout();
    QCPLayoutGrid* grid = plot->plotLayout();
    const bool outside = legend->layout() == grid;
    if (!legend->visible() || (!outside && IndexIn(inset, legend) < 0)) return false;
    if (outside) legend->setFillOrder(QCPLegend::foRowsFirst);  // the shape it has inside
    const QSizeF size = legend->minimumOuterSizeHint();

    // Judge the corners on the axis rect as it is with the legend inside, also while the
    // legend sits above it: else the rect would grow back, the data move, and the legend flip
    // between the two places at each replot. Only the top edge differs, and a log or linear
    // axis maps linearly to pixels, so the data's pixels follow by scaling their height.
    const QRectF now(rect->rect());
    QRectF area = now;
    if (outside) area.setTop(now.top() - legend->outerRect().height() - grid->rowSpacing());
    std::vector<QPointF> moved(data.begin(), data.end());
    if (outside && now.height() > 0) {
        for (QPointF& p : moved) p.setY(area.top() + (p.y() - now.top()) * area.height() / now.height());
    }
    // The inset layout keeps its elements its margins (12 px) away from the axis rect's sides.
    const QMargins gap = inset->margins();
    // One pixel more all round: the layout rounds to whole pixels.
    auto boxes = CornerBoxes(area.adjusted(gap.left(), gap.top(), -gap.right(), -gap.bottom()), size, 0.0);
    for (QRectF& box : boxes) box.adjust(-1.0, -1.0, 1.0, 1.0);
    const Placement best = LeastCovered(boxes, moved);
    if (best.covered == 0) {
        static constexpr Qt::Alignment kCorners[] = {Qt::AlignTop | Qt::AlignRight, Qt::AlignTop | Qt::AlignLeft,
                                                     Qt::AlignBottom | Qt::AlignRight, Qt::AlignBottom | Qt::AlignLeft};
        if (outside) {
            grid->take(legend);
            grid->simplify();  // the row it held goes
            inset->addElement(legend, kCorners[best.index]);
            return true;
        }
        const int index = IndexIn(inset, legend);
        if (inset->insetAlignment(index) == kCorners[best.index]) return false;
        inset->setInsetAlignment(index, kCorners[best.index]);
        return true;
    }
    // Above the axis rect, in a row of the plot's layout as high as the legend, its entries
    // side by side.
    legend->setFillOrder(QCPLegend::foColumnsFirst);
    if (outside) return false;
    inset->take(legend);
    grid->insertRow(0);
    grid->addElement(0, 0, legend);
    grid->setRowStretchFactor(0, 0.001);
    return true;
}

}  // namespace mt1d::gui::field
