#include "gui/field/PlotPlacement.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

namespace mt1d::gui::field {

namespace {

constexpr double kOutsideGap = 4.0;  // pixels between a legend above the axis rect and the rect

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

void PlaceLegend(QCustomPlot* plot, std::span<const QPointF> data)
{
    QCPAxisRect* rect = plot->axisRect();
    QCPLayoutInset* inset = rect->insetLayout();
    const int index = IndexIn(inset, plot->legend);
    if (index < 0 || !plot->legend->visible()) return;
    const QSizeF size = plot->legend->minimumOuterSizeHint();
    const auto boxes = CornerBoxes(QRectF(rect->rect()), size, 0.0);
    const Placement best = LeastCovered(boxes, data);
    if (best.covered == 0) {
        static constexpr Qt::Alignment kCorners[] = {Qt::AlignTop | Qt::AlignRight, Qt::AlignTop | Qt::AlignLeft,
                                                     Qt::AlignBottom | Qt::AlignRight, Qt::AlignBottom | Qt::AlignLeft};
        inset->setInsetPlacement(index, QCPLayoutInset::ipBorderAligned);
        inset->setInsetAlignment(index, kCorners[best.index]);
        rect->setAutoMargins(QCP::msAll);
        return;
    }
    // Above the axis rect, right-aligned, in a top margin as high as the legend.
    QMargins margins = rect->margins();
    margins.setTop(static_cast<int>(std::ceil(size.height() + 2 * kOutsideGap)));
    rect->setAutoMargins(QCP::msLeft | QCP::msRight | QCP::msBottom);
    rect->setMargins(margins);
    const double width = std::max(1, rect->width()), height = std::max(1, rect->height());
    inset->setInsetPlacement(index, QCPLayoutInset::ipFree);
    inset->setInsetRect(index, QRectF(1.0 - size.width() / width, -(size.height() + kOutsideGap) / height,
                                      size.width() / width, size.height() / height));
}

}  // namespace mt1d::gui::field
