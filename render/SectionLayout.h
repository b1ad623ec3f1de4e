#pragma once
// Where the parts of a section figure go on a canvas: the section itself (distance across,
// depth down, linear in both), the band of site names and distances above it, the depth axis
// on its left and the colour bar on its right. The window uses the same layout to find the
// site under a click.

#include "section/Section.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <optional>

namespace mt1d::section {

class SectionLayout {
public:
    SectionLayout(const Section& section, QSizeF canvas);

    QRectF Plot() const { return plot_; }            // the columns
    QRectF NameBand() const { return names_; }       // site names above the distance axis
    QRectF ColourBar() const { return colourBar_; }

    double X(double distanceKm) const;
    double Y(double depthM) const;
    double FirstKm() const { return firstKm_; }
    double LastKm() const { return lastKm_; }

    // The site whose column or name lies under the point; empty elsewhere.
    std::optional<std::size_t> SiteAt(QPointF point) const;

private:
    const Section* section_;
    QRectF plot_, names_, colourBar_;
    double firstKm_ = 0.0, lastKm_ = 1.0;
};

// A step of 1, 2 or 5 × 10^k giving at most about `ticks` intervals over `span`.
double TickStep(double span, int ticks);

}  // namespace mt1d::section
