#include "render/SectionLayout.h"

#include "section/DepthGrid.h"

#include <algorithm>

namespace mt1d::section {

namespace {

// Pixels (or points) of the margins, fixed so that labels of any section fit.
constexpr double kLeftMargin = 80.0;     // depth labels and title
constexpr double kRightMargin = 120.0;   // colour bar and its labels
constexpr double kNameBand = 90.0;       // site names, written upwards
constexpr double kDistanceBand = 45.0;   // distance ticks, labels and title
constexpr double kBottomMargin = 40.0;   // the profile's ends
constexpr double kColourBarWidth = 22.0;

}  // namespace

SectionLayout::SectionLayout(const Section& section, QSizeF canvas) : section_(&section)
{
    const double top = kNameBand + kDistanceBand;
    plot_ = QRectF(kLeftMargin, top, std::max(10.0, canvas.width() - kLeftMargin - kRightMargin),
                   std::max(10.0, canvas.height() - top - kBottomMargin));
    names_ = QRectF(plot_.left(), 0.0, plot_.width(), kNameBand);
    colourBar_ = QRectF(plot_.right() + 30.0, plot_.top(), kColourBarWidth, plot_.height());
    if (!section.sites.empty()) {
        firstKm_ = section.sites.front().leftKm;
        lastKm_ = section.sites.front().rightKm;
        for (const auto& site : section.sites) {
            firstKm_ = std::min(firstKm_, site.leftKm);
            lastKm_ = std::max(lastKm_, site.rightKm);
        }
    }
    if (!(lastKm_ > firstKm_)) lastKm_ = firstKm_ + 1.0;
}

double SectionLayout::X(double distanceKm) const
{
    return plot_.left() + (distanceKm - firstKm_) / (lastKm_ - firstKm_) * plot_.width();
}

double SectionLayout::Y(double depthM) const
{
    return plot_.top() + depthM / section_->grid.bottomM * plot_.height();
}

std::optional<std::size_t> SectionLayout::SiteAt(QPointF point) const
{
    if (point.y() < 0.0 || point.y() > plot_.bottom()) return std::nullopt;
    const auto& sites = section_->sites;
    for (std::size_t i = 0; i < sites.size(); ++i) {
        if (point.x() >= X(sites[i].leftKm) && point.x() < X(sites[i].rightKm)) return i;
    }
    return std::nullopt;
}

double TickStep(double span, int ticks)
{
    if (!(span > 0.0)) return 1.0;
    return NiceCeiling(span / ticks);
}

}  // namespace mt1d::section
