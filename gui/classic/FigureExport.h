#pragma once
// Charts as pictures: sharp pixmaps for printing, and figure files (PNG, SVG or PDF) with
// several charts one below the other, each at its size on screen.

#include <QList>
#include <QPixmap>
#include <QString>

class QCustomPlot;

namespace mt1d::gui {

// Pixel density of printed and exported raster pictures: a chart of screen size stretched
// over A4 comes out at about 60 ppi; three times the density gives about 180 ppi at a few
// hundred kilobytes.
inline constexpr qreal kPictureDensity = 3.0;

// The chart drawn afresh at `density` times its pixel density, with that device pixel
// ratio: the pixmap has the chart's logical size.
QPixmap ChartPicture(QCustomPlot& chart, qreal density = kPictureDensity);

// Writes `charts` one below the other, in the format named by the suffix of `fileName`
// (.png, .svg or .pdf, in any case): PNG at kPictureDensity, SVG and PDF as vector drawings
// whose unit is one pixel on screen (so lines and text keep their proportions). The file is
// replaced only once all of it is written. Throws std::runtime_error with a message for the
// user for another suffix or when the file cannot be written.
void ExportFigure(const QList<QCustomPlot*>& charts, const QString& fileName);

}  // namespace mt1d::gui
