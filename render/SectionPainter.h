#pragma once
// Draws a section on any paint device (an image, SVG, PDF, a widget) over a canvas of the
// given size from (0, 0), laid out by SectionLayout:
//   - one column per site at its distance, coloured by log10 ρ on the section's colour range,
//     a layer's colour from its top to its bottom (the depth axis is linear, downwards, in m,
//     or in km when the section reaches 2 km or deeper);
//   - below each site's depth of investigation the column is veiled grey, with a dashed line
//     at that depth;
//   - site names written upwards above their columns, with a tick at each site, and the
//     distance along the profile in km on an axis along the top;
//   - the colour bar on the right, labelled in Ω·m;
//   - the profile's ends (or that the sites are placed by order) below.

#include "section/Section.h"

#include <QPainter>
#include <QSizeF>

namespace mt1d::section {

void DrawSection(QPainter& painter, const Section& section, QSizeF canvas);

}  // namespace mt1d::section
